// The sort condition as the dialogs show it: one of three key choices (name,
// date, size) and one of two directions, for kinds and directions in the
// encoding of the settings file (kind 1 name, 2 date, 4 size; direction
// non-zero ascending, 0 descending).
#pragma once

#include "filelist/file_list.h"

namespace bex {

// The key choice shown for a kind: name when bit 1 is set, otherwise date
// when bit 2 is set, otherwise size (so 3 shows name and 0 shows size).
int SortKindChoice(int sortKind);

// The kind confirmed from the three key choices.
int ChosenSortKind(bool byName, bool byDate, bool bySize);

// The direction confirmed from the ascending choice: 1 or 0.
int ChosenSortDirection(bool ascending);

}  // namespace bex
