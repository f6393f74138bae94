#include "filelist/sort_choice.h"

namespace bex {

size_t SortKeyChoiceIndex(int sortKind) {
  const int choice = SortKeyOf(sortKind);
  size_t index = 0;
  while (kSortKeyChoices[index] != choice) ++index;
  return index;
}

int ChosenSortKind(bool byName, bool byDate, bool bySize, bool byExplorerOrder) {
  return kSortByName * byName + kSortByTime * byDate + kSortBySize * bySize +
         kSortByExplorerOrder * byExplorerOrder;
}

int ChosenSortDirection(bool ascending) { return ascending ? 1 : 0; }

}  // namespace bex
