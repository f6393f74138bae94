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

// The place in kSortKeyChoices of the key a kind orders by (SortKeyOf), which
// the dialogs show chosen.
size_t SortKeyChoiceIndex(int sortKind);

// The kind confirmed from the four key choices.
int ChosenSortKind(bool byName, bool byDate, bool bySize, bool byExplorerOrder);

// The direction confirmed from the ascending choice: 1 or 0.
int ChosenSortDirection(bool ascending);

}  // namespace bex
