// The shell's recycle bin, asked for a file by the full path it was deleted
// from: whether the bin holds it, and putting it back there.
#pragma once

#include <windows.h>

#include "move/undo_journal.h"

namespace bex {

// The file a delete entry of the undo journal stands for: the one its time
// and size describe, or, for an entry without them, the one last deleted
// from its path.

// Whether the recycle bin holds the entry's file.
bool RecycleBinHolds(const UndoEntry& entry);

// Puts the entry's file back where it was deleted from through the bin's
// own restore command. True only when a file is there afterwards.
bool RestoreFromRecycleBin(HWND owner, const UndoEntry& entry);

}  // namespace bex
