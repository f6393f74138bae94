#include "common/files_win.h"

#include <windows.h>

#include "common/cp932.h"
#include "common/module_function_win.h"

namespace bex {

bool PathExists(const std::string& path) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(path.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return false;
  FindClose(search);
  return true;
}

std::string ProgramPath() {
  char path[MAX_PATH * 4];
  const DWORD n = GetModuleFileNameA(nullptr, path, sizeof(path));
  return std::string(path, n);
}

std::string ProgramFolder() { return std::string(FolderPart(ProgramPath())); }

// Where the system has SetDefaultDllDirectories (Windows 8, Windows 7 with
// its update, Wine), the default search becomes the program's folder and the
// system folders; a module loaded with LOAD_WITH_ALTERED_SEARCH_PATH adds its
// own folder. Elsewhere an empty DLL directory removes the current directory
// (Wine ignores an empty one, hence the first choice).
void KeepCurrentFolderOutOfLibrarySearch() {
  using SetDefaultDirectories = BOOL(WINAPI*)(DWORD);
  const auto setDefault = ModuleFunction<SetDefaultDirectories>(GetModuleHandleA("kernel32.dll"),
                                                                "SetDefaultDllDirectories");
  if (!setDefault || !setDefault(LOAD_LIBRARY_SEARCH_DEFAULT_DIRS)) SetDllDirectoryA("");
}

std::string FullPath(const std::string& path) {
  char buffer[MAX_PATH * 4];
  const DWORD n = GetFullPathNameA(path.c_str(), sizeof(buffer), buffer, nullptr);
  return n > 0 && n < sizeof(buffer) ? std::string(buffer, n) : std::string();
}

std::string CurrentDirectory() {
  char buffer[MAX_PATH];
  const DWORD n = GetCurrentDirectoryA(sizeof(buffer), buffer);
  return n > 0 && n < sizeof(buffer) ? std::string(buffer, n) : std::string();
}

std::string FullPathOrAsGiven(const std::string& path) {
  const std::string full = FullPath(path);
  return full.empty() ? path : full;
}

bool IsFolder(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsFile(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace bex
