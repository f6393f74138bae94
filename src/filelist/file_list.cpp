#include "filelist/file_list.h"

#include <algorithm>
#include <cstring>

#include "common/wide_text.h"

namespace bex {
namespace {

template <typename T>
int ThreeWay(T a, T b) {
  return (a > b) - (a < b);
}

// Byte-wise on unsigned values: B (0x42) before a (0x61), "10" before "2",
// double-byte lead bytes (0x81 and up) after all ASCII.
int CompareBytes(std::string_view a, std::string_view b) {
  const size_t common = std::min(a.size(), b.size());
  const int bytes = common == 0 ? 0 : std::memcmp(a.data(), b.data(), common);
  if (bytes != 0) return ThreeWay(bytes, 0);
  return ThreeWay(a.size(), b.size());
}

// Names code page 932 holds keep the order of their bytes; the others come
// after them, and no two different names compare equal.
int CompareNames(const FileEntry& a, const FileEntry& b) {
  if (a.Cp932Name && b.Cp932Name) return CompareBytes(*a.Cp932Name, *b.Cp932Name);
  if (a.Cp932Name || b.Cp932Name) return a.Cp932Name ? -1 : 1;
  return CompareUtf16(a.Name, b.Name);
}

int CompareKeys(const FileEntry& a, const FileEntry& b, int sortKind) {
  switch (sortKind) {
    case kSortByName:
      return CompareNames(a, b);
    case kSortByTime:
      return ThreeWay(a.Time, b.Time);
    case kSortBySize:
      return ThreeWay(a.Size, b.Size);
    default:
      return 0;
  }
}

}  // namespace

int CompareFileEntries(const FileEntry& a, const FileEntry& b, int sortKind, int sortDirection) {
  int order = CompareKeys(a, b, sortKind);
  if (order == 0 && sortKind != kSortByName) order = CompareNames(a, b);
  return sortDirection == kSortDescending ? -order : order;
}

void SortFileList(std::vector<FileEntry>& list, int sortKind, int sortDirection) {
  std::sort(list.begin(), list.end(), [=](const FileEntry& a, const FileEntry& b) {
    return CompareFileEntries(a, b, sortKind, sortDirection) < 0;
  });
}

size_t FindShownIndex(const std::vector<FileEntry>& list, std::wstring_view shownName) {
  const auto found = std::find_if(list.begin(), list.end(),
                                  [&](const FileEntry& entry) { return entry.Name == shownName; });
  return static_cast<size_t>(found - list.begin());
}

}  // namespace bex
