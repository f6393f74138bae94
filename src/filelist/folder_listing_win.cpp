#include "filelist/folder_listing_win.h"

#include <windows.h>

#include <shlwapi.h>

#include <algorithm>
#include <numeric>

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

std::vector<size_t> PlacesInExplorerOrder(const std::vector<FileEntry>& list) {
  auto compare = [&](size_t a, size_t b) {
    return StrCmpLogicalW(list[a].Name.c_str(), list[b].Name.c_str());
  };
  std::vector<size_t> order(list.size());
  std::iota(order.begin(), order.end(), size_t{0});
  // The platform's comparison is not sure to be a strict weak order for every
  // name: a stable sort keeps within the list whatever it answers.
  std::stable_sort(order.begin(), order.end(),
                   [&](size_t a, size_t b) { return compare(a, b) < 0; });
  std::vector<size_t> places(list.size());
  for (size_t k = 1; k < order.size(); ++k) {
    const bool same = compare(order[k - 1], order[k]) == 0;
    places[order[k]] = same ? places[order[k - 1]] : k;
  }
  return places;
}

}  // namespace bex
