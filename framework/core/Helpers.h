// Helper functions used throughout: PC files and folders, the current folder,
// the system's message texts and the string table.
#pragma once

#include <cstdint>
#include <functional>

#include "framework/core/FileEntry.h"
#include "framework/core/Text.h"

// True when the path can be accessed.
bool FileExists(const CText& path);
// Throws CException when the path is not found.
CFileEntry GetFileEntry(const CText& path);
// False when deleting failed because the file is not there; other failures throw.
bool DeleteFile(const CText& path);
// Succeeds silently when the path exists already; otherwise failure throws.
void CreateFolder(const CText& path);
// Ends in '/'.
CText CurrentDirectory();

// The message text of a system error code.
CText SystemMessage(uint32_t code);

// The string-table entry of an id, at most 255 characters; empty for an id the
// table lacks, and for every id until the resources register their table.
CText LoadStringText(uint32_t id);
void SetStringTable(std::function<CText(uint32_t id)> table);
