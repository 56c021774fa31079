// Command ids (WM_COMMAND): one id serves the main menu, the context menu, the
// accelerators, the tool bar and the string-table entry whose text after the
// line feed is the item's tool tip.
#pragma once

#include <cstdint>

namespace CommandId {
constexpr uint32_t Exit = 40001;
constexpr uint32_t About = 40002;
constexpr uint32_t CreateFolder = 40011;
constexpr uint32_t Open = 40012;  // Enter and double click in the player view
constexpr uint32_t Delete = 40014;
constexpr uint32_t Rename = 40015;
constexpr uint32_t Properties = 40016;
constexpr uint32_t MoveUp = 40017;
constexpr uint32_t MoveDown = 40018;
constexpr uint32_t Download = 40019;
constexpr uint32_t Upload = 40020;
constexpr uint32_t SelectAll = 40024;
constexpr uint32_t Refresh = 40035;
constexpr uint32_t Prev = 40036;
constexpr uint32_t Next = 40037;
constexpr uint32_t SortNone = 40041;
constexpr uint32_t SortName = 40042;
constexpr uint32_t SortSize = 40043;
constexpr uint32_t SortDate = 40044;
constexpr uint32_t SortExtension = 40045;
constexpr uint32_t MediaFormat = 40052;
constexpr uint32_t MediaProperties = 40053;  // no menu item or button carries it
constexpr uint32_t FirmwareUpgrade = 40077;
constexpr uint32_t InternalMemory = 40078;
constexpr uint32_t MemoryCard = 40079;
}  // namespace CommandId
