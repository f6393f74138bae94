#include "filelist/folder_listing_win.h"

#include <windows.h>

#include <shlwapi.h>

#include <algorithm>
#include <numeric>

#include "common/wide_text_win.h"

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

std::vector<size_t> PlacesInExplorerOrder(const std::vector<FileEntry>& list) {
  std::vector<std::wstring> names;
  names.reserve(list.size());
  for (const FileEntry& entry : list) names.push_back(WideFromAnsi(entry.Name));
  auto compare = [&](size_t a, size_t b) {
    return StrCmpLogicalW(names[a].c_str(), names[b].c_str());
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
