#include "common/files_win.h"

#include <windows.h>

namespace bex {

bool PathExists(const std::string& path) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(path.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return false;
  FindClose(search);
  return true;
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

}  // namespace bex
