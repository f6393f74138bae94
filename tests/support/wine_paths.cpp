#include "support/wine_paths.h"

#include <windows.h>

#include <cstdlib>
#include <stdexcept>

namespace bex::test {

std::string WindowsPathOf(const std::string& linuxPath) {
  std::string path = "Z:" + linuxPath;
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

std::string BuildDir() {
  const char* dir = std::getenv("BEX_BUILD_DIR");
  if (!dir || !*dir) throw std::runtime_error("BEX_BUILD_DIR is not set");
  return dir[0] == '/' ? WindowsPathOf(dir) : std::string(dir);
}

std::string NewScratchFolder(const std::string& label) {
  static int counter = 0;
  const std::string root = BuildDir() + "\\scratch";
  CreateDirectoryA(root.c_str(), nullptr);
  // Process ids repeat from run to run: the start time keeps runs apart.
  static const std::string runName =
      std::to_string(GetCurrentProcessId()) + "-" + std::to_string(GetTickCount64());
  const std::string run = root + "\\" + runName;
  CreateDirectoryA(run.c_str(), nullptr);
  const std::string folder = run + "\\" + label + "-" + std::to_string(++counter);
  if (!CreateDirectoryA(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
    throw std::runtime_error("cannot create " + folder);
  }
  return folder;
}

}  // namespace bex::test
