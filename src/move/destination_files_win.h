// The data files beside the program: found by a directory search, read
// whole, and replaced whole so that a failed write never leaves a truncated
// file behind.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

#include "common/files_win.h"

namespace bex {

constexpr char kDestinationsFileName[] = "M_DIR.DAT";
constexpr char kHistoryFileName[] = "R_DIR.DAT";

// The program's own folder followed by name, whatever the current directory.
std::wstring DataFilePath(std::string_view name);

// The whole content of a file, of any size that fits in memory; none when it
// cannot be opened or read, with the system's error code in *error.
std::optional<std::string> ReadWholeFile(const std::wstring& path, DWORD* error = nullptr);

// Replaces the content of path with bytes: they go to a new file in the same
// folder, which is flushed and then renamed over path. ERROR_SUCCESS, or the
// system's error code, in which case path is as it was and no temporary file
// is left.
DWORD ReplaceFileContent(const std::wstring& path, std::string_view bytes);

// The system's text for an error code, without its closing line break.
std::string SystemErrorText(DWORD error);

}  // namespace bex
