#include "filelist/file_list.h"

#include <algorithm>
#include <cstring>
#include <numeric>
#include <utility>

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
  switch (SortKeyOf(sortKind)) {
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

// The key's order, equal keys by name, in the list's direction.
int Directed(int keyOrder, const FileEntry& a, const FileEntry& b, int sortDirection) {
  const int order = keyOrder != 0 ? keyOrder : CompareNames(a, b);
  return sortDirection == kSortDescending ? -order : order;
}

// The entries by their places; a list the places do not fit keeps to names.
void SortByPlaces(std::vector<FileEntry>& list, const std::vector<size_t>& places,
                  int sortDirection) {
  if (places.size() != list.size()) return SortFileList(list, kSortByName, sortDirection, {});
  std::vector<size_t> order(list.size());
  std::iota(order.begin(), order.end(), size_t{0});
  std::sort(order.begin(), order.end(), [&](size_t a, size_t b) {
    return Directed(ThreeWay(places[a], places[b]), list[a], list[b], sortDirection) < 0;
  });
  std::vector<FileEntry> sorted;
  sorted.reserve(list.size());
  for (size_t i : order) sorted.push_back(std::move(list[i]));
  list = std::move(sorted);
}

}  // namespace

int SortKeyOf(int sortKind) {
  if (sortKind & kSortByName) return kSortByName;
  if (sortKind & kSortByTime) return kSortByTime;
  if (sortKind == kSortByExplorerOrder) return kSortByExplorerOrder;
  return kSortBySize;
}

int CompareFileEntries(const FileEntry& a, const FileEntry& b, int sortKind, int sortDirection) {
  return Directed(CompareKeys(a, b, sortKind), a, b, sortDirection);
}

void SortFileList(std::vector<FileEntry>& list, int sortKind, int sortDirection,
                  const ExplorerPlaces& explorerPlaces) {
  if (SortKeyOf(sortKind) == kSortByExplorerOrder && explorerPlaces) {
    return SortByPlaces(list, explorerPlaces(list), sortDirection);
  }
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
