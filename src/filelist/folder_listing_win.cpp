#include "filelist/folder_listing_win.h"

#include <windows.h>

#include "common/code_page_win.h"

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
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW(L"*.*", &fd);
  if (h == INVALID_HANDLE_VALUE) return files;
  do {
    if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    const uint64_t size = (static_cast<uint64_t>(fd.nFileSizeHigh) << 32) | fd.nFileSizeLow;
    FileEntry& file = files.emplace_back();
    file.Name = fd.cFileName;
    file.Size = size;
    file.Time = PackedLocalTime(fd.ftLastWriteTime);
    file.Cp932Name = ExactCp932(file.Name);
  } while (FindNextFileW(h, &fd));
  FindClose(h);
  return files;
}

}  // namespace bex
