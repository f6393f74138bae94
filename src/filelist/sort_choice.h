// The sort condition as the dialogs show it: one of four key choices (name,
// date, size, Explorer's order) and one of two directions, for kinds and
// directions in the encoding of the settings file (kind 1 name, 2 date,
// 4 size, 8 Explorer's order; direction non-zero ascending, 0 descending).
#pragma once

#include <cstddef>

#include "filelist/file_list.h"

namespace bex {

// The kinds of the key choices in the dialogs' order.
constexpr int kSortKeyChoices[] = {kSortByName, kSortByTime, kSortBySize, kSortByExplorerOrder};

// The key choice shown for a kind: name when bit 1 is set, otherwise date
// when bit 2 is set, otherwise Explorer's order when bit 8 is set, otherwise
// size (so 3 shows name and 0 shows size).
int SortKindChoice(int sortKind);
// Its place in kSortKeyChoices.
size_t SortKeyChoiceIndex(int sortKind);

// The kind confirmed from the four key choices.
int ChosenSortKind(bool byName, bool byDate, bool bySize, bool byExplorerOrder);

// The direction confirmed from the ascending choice: 1 or 0.
int ChosenSortDirection(bool ascending);

}  // namespace bex
