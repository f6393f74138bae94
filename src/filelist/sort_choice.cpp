#include "filelist/sort_choice.h"

namespace bex {

int SortKindChoice(int sortKind) {
  if (sortKind & kSortByName) return kSortByName;
  if (sortKind & kSortByDate) return kSortByDate;
  return kSortBySize;
}

int ChosenSortKind(bool byName, bool byDate, bool bySize) {
  return kSortByName * byName + kSortByDate * byDate + kSortBySize * bySize;
}

int ChosenSortDirection(bool ascending) { return ascending ? 1 : 0; }

}  // namespace bex
