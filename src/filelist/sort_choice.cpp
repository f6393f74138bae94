#include "filelist/sort_choice.h"

namespace bex {

int SortKindChoice(int sortKind) {
  if (sortKind & kSortByName) return kSortByName;
  if (sortKind & kSortByTime) return kSortByTime;
  return kSortBySize;
}

int ChosenSortKind(bool byName, bool byDate, bool bySize) {
  return kSortByName * byName + kSortByTime * byDate + kSortBySize * bySize;
}

int ChosenSortDirection(bool ascending) { return ascending ? 1 : 0; }

}  // namespace bex
