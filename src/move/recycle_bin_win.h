// The shell's recycle bin, asked for the file a delete of the undo journal
// stands for: whether the bin holds it, and putting it back where it was.
#pragma once

#include <windows.h>

#include <memory>

#include "move/undo_journal.h"
#include "shared/com_scope_win.h"

namespace bex {

class RecycleBinItems;

// The bin's files as read once, when this object is made (COM is set up for
// the thread meanwhile).
class RecycleBin {
 public:
  RecycleBin();
  ~RecycleBin();
  RecycleBin(const RecycleBin&) = delete;
  RecycleBin& operator=(const RecycleBin&) = delete;

  // The file a delete entry of the undo journal stands for is the one its
  // time, size and fingerprint describe, or, for an entry without them, the
  // one last deleted from its path.
  // Whether the bin holds a file that may be the entry's.
  bool Holds(const UndoEntry& entry) const;
  // Puts the entry's file back where it was deleted from through the bin's
  // own restore command. Restored only when that very file is there afterwards.
  enum class Restored { kRestored, kNotInTheBin, kFailed };
  Restored Restore(HWND owner, const UndoEntry& entry) const;

 private:
  ComScope com_;
  std::unique_ptr<RecycleBinItems> items_;
};

}  // namespace bex
