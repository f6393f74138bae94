// Small file helpers of the Win32 layer.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace bex {

// One version of one file: what the platform tells of it through an open
// handle. A file replaced by another of the same name has another index; one
// written over in place has another write time, and mostly another size.
struct FileVersion {
  uint64_t size = 0;
  uint64_t writeTime = 0;
  uint64_t index = 0;
  uint32_t volume = 0;

  bool operator==(const FileVersion& other) const {
    return size == other.size && writeTime == other.writeTime && index == other.index &&
           volume == other.volume;
  }
  bool operator!=(const FileVersion& other) const { return !(*this == other); }
};

// The version of the file at path now; none when it does not open.
std::optional<FileVersion> VersionOf(const std::wstring& path);

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

// The names of the companions of shownName in folder (common/companion_files.h),
// as the folder holds them now, in the order of their UTF-16 units; folders
// are passed over.
std::vector<std::wstring> CompanionsInFolder(const std::wstring& folder,
                                             const std::wstring& shownName);

}  // namespace bex
