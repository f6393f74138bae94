// A key pressed in the main window: a shortcut of the command menu (live
// while the menu is closed), or else an action of the key map.
#pragma once

#include <windows.h>

#include <optional>

#include "filelist/commands.h"
#include "filelist/key_map.h"

namespace bex {

struct KeyPress {
  // The command whose shortcut the key is with the modifiers held now; the
  // key goes no further then.
  std::optional<Command> command;
  // Otherwise what the key map does with it.
  KeyCommand action;
};

// Reads a key of window with the modifiers held now. The key's character,
// already queued, is taken away: a menu this key opens would take it for an
// accelerator of its own, as J for a destination J.
KeyPress ReadKeyPress(HWND window, int virtualKey);

}  // namespace bex
