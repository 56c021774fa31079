#include "resources/StringIds.h"
#include "resources/StringTables.h"

namespace {

constexpr StringEntry Strings[] = {
    {StringId::MediaNames, "Internal Memory\nMMC/SD Card"},
    {StringId::Title, "Tunewarden"},
    {StringId::UnknownError, "Unknown error!!"},
    {StringId::NotSupported, "Not supported!!"},
    {StringId::MediaNotFound, "Media not found."},
    {StringId::ConnectionTimedOut, "Connection attempt timed out."},
    {StringId::FormatFailed, "Format failed."},
    {StringId::CommunicationError, "CRC (communication) error."},
    {StringId::UnsupportedResponse, "Unsupported response."},
    {StringId::MediaProtected, "Media protected. Remove the protection to download to the Media."},
    {StringId::PlayerNotFound, "Player not found."},
    {StringId::FirmwareUpgradeFailed, "Firmware upgrading failed!!"},
    {StringId::FileSystemNotAvailable, "File system is not available.\r\nRe-format or try a different media."},
    {StringId::UnauthorizedCluster, "Unauthorized cluster!!\r\nPlease, format again."},
    {StringId::NotEnoughMemory, "Not enough memory."},
    {StringId::MemoryFull, "Cannot continue file copy ( memory full )."},
    {StringId::UnsupportedCharacterCode, "Unsupported character code."},
    {StringId::InvalidFileFormat, "This file format is not valid."},
};

}  // namespace

std::span<const StringEntry> EnglishStrings() { return Strings; }
