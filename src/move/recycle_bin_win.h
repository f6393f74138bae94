// The shell's recycle bin, asked for a file by the full path it was deleted
// from: whether the bin holds it, and putting it back there.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

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

  // Whether the bin held a file deleted from path.
  bool Holds(const std::wstring& path) const;
  // Puts the file last deleted from path back there through the bin's own
  // restore command. True only when a file is at path afterwards.
  bool Restore(HWND owner, const std::wstring& path) const;

 private:
  ComScope com_;
  std::unique_ptr<RecycleBinItems> items_;
};

}  // namespace bex
