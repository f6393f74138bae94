// Small file helpers of the Win32 layer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/file_version.h"

namespace bex {

// The version of the file at path now, or that it is gone (it or its folder
// is not found), or that the system did not tell.
FileLook VersionOf(const std::wstring& path);

// True when a directory search finds an entry of any kind at path (file or
// folder, whatever its attributes).
bool PathExists(const std::wstring& path);
// The same for a path of the program's own files, in code page 932.
bool PathExists(const std::string& path);

// The program's own folder, up to and including its last "\", where its own
// files are kept (bex.ini, M_DIR.DAT, R_DIR.DAT, UNDO.DAT, the helpers).
std::wstring WideProgramFolder();
// The same folder in code page 932 (by its short name when its long one has
// no exact form there), for what bex.ini holds and for the settings calls,
// whose file keeps code page 932 only through the ANSI profile functions.
std::string ProgramFolder();

// The code-page-932 form of a path: the path itself when code page 932
// holds it exactly, else its short (8.3) name when that is exact; none when
// neither is (no such file or folder, or short names turned off).
std::optional<std::string> Cp932PathOf(const std::wstring& path);

// The long form of a path of short (8.3) names; path as given when the
// system cannot tell it (no such file or folder).
std::wstring LongPathOf(const std::wstring& path);

// The program file's full path.
std::wstring ProgramPath();

// The current directory follows the pictures being viewed: a library placed
// among them must never be loaded, neither for a plug-in nor for a system
// library. Takes it out of the library search for the whole process; called
// first thing at start-up.
void KeepCurrentFolderOutOfLibrarySearch();

// The full form of path as the platform resolves it now: a relative path
// against the current directory, "D:name" against drive D's current
// directory. Empty when the platform cannot resolve it.
std::wstring FullPath(const std::wstring& path);
// FullPath, or path as given when it cannot be made full.
std::wstring FullPathOrAsGiven(const std::wstring& path);

// The process's current directory, in full; empty when it does not fit.
std::wstring CurrentDirectory();

// True when path names an existing folder, or an existing file that is no
// folder.
bool IsFolder(const std::wstring& path);
bool IsFile(const std::wstring& path);

// The content fingerprint (common/content_fingerprint.h) of the file at path
// as it is now; none when it cannot be read.
std::optional<uint64_t> ContentFingerprintOf(const std::wstring& path);

// The names of the companions of shownName in folder (common/companion_files.h),
// as the folder holds them now, in the order of their UTF-16 units; folders
// are passed over.
std::vector<std::wstring> CompanionsInFolder(const std::wstring& folder,
                                             const std::wstring& shownName);

struct FileBytes {
  std::unique_ptr<uint8_t[]> data;
  size_t size = 0;
};
// The whole file, or nothing when it does not open, holds more than
// maxBytes, does not fit in memory or does not read.
std::optional<FileBytes> ReadWholeFile(const std::wstring& path, uint64_t maxBytes);

}  // namespace bex
