#include "filelist/folder_listing_win.h"

#include <windows.h>

namespace bex {
namespace {

// Last-write time in local time, packed as an MS-DOS date and time.
uint32_t PackedLocalTime(const FILETIME& written) {
  FILETIME local;
  WORD date = 0;
  WORD time = 0;
  if (!FileTimeToLocalFileTime(&written, &local) || !FileTimeToDosDateTime(&local, &date, &time)) {
    return 0;
  }
  return (static_cast<uint32_t>(date) << 16) | time;
}

}  // namespace

std::vector<FileEntry> ListCurrentFolder() {
  std::vector<FileEntry> files;
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA("*.*", &fd);
  if (h == INVALID_HANDLE_VALUE) return files;
  do {
    if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    const uint64_t size = (static_cast<uint64_t>(fd.nFileSizeHigh) << 32) | fd.nFileSizeLow;
    files.push_back({fd.cFileName, size, PackedLocalTime(fd.ftLastWriteTime)});
  } while (FindNextFileA(h, &fd));
  FindClose(h);
  return files;
}

}  // namespace bex
