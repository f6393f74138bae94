// The files of the shown folder and the order they are stepped through.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace bex {

// Sort kinds; other values order as SortKeyOf says.
constexpr int kSortByName = 1;
constexpr int kSortByTime = 2;
constexpr int kSortBySize = 4;
// The order of names that Explorer shows (ExplorerPlaces below).
constexpr int kSortByExplorerOrder = 8;
// Sort directions: non-zero ascending (smallest first), 0 descending.
constexpr int kSortDescending = 0;
constexpr int kSortAscending = 1;

// The kind a sort kind orders by, and the dialogs show: name when bit 1 is
// set, otherwise date when bit 2 is set, otherwise Explorer's order for 8
// alone, otherwise size (so 3 orders by name, and 0, 12 and 24 by size).
int SortKeyOf(int sortKind);

// One file of the folder as the directory listing gives it.
struct FileEntry {
  std::wstring Name;  // bare name, as the wide listing gives it
  uint64_t Size = 0;  // full size in bytes
  uint32_t Time = 0;  // last write, local time, packed MS-DOS date (high word) and time
  // The name's code-page-932 bytes, none when code page 932 cannot hold it
  // exactly; they give the name order.
  std::optional<std::string> Cp932Name;
};

// The order of the names that the platform's file manager shows (numbers by
// their value, letters without regard to case): for each entry of the list,
// its place in that order, the same place for names that order holds equal.
using ExplorerPlaces = std::function<std::vector<size_t>(const std::vector<FileEntry>&)>;

// -1, 0 or +1: the order of a and b under the sort condition. The key is
// compared first (names code page 932 holds by their code-page-932 bytes as
// unsigned values, a prefix before the longer name; the names it cannot hold
// after all of them, by their UTF-16 units; time and size as unsigned numbers, so 2044 and later
// dates and files of 2 GiB or more sort where they belong); equal keys fall back to the name so
// that every build of the same folder gives the same order. Descending
// reverses the whole comparison. Explorer's order needs the whole list
// (SortFileList); here it orders by name alone.
int CompareFileEntries(const FileEntry& a, const FileEntry& b, int sortKind, int sortDirection);

// Sorts the list under the sort condition; Explorer's order takes the places
// that explorerPlaces gives, equal places ordered by name as above, and
// descending reverses both.
void SortFileList(std::vector<FileEntry>& list, int sortKind, int sortDirection,
                  const ExplorerPlaces& explorerPlaces);

// Index of the first entry named exactly shownName (letter case counts), or
// list.size() when the shown file is not listed.
size_t FindShownIndex(const std::vector<FileEntry>& list, std::wstring_view shownName);

}  // namespace bex
