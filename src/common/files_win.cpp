#include "common/files_win.h"

#include <windows.h>

#include "common/cp932.h"

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

}  // namespace bex
