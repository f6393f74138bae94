// The main window's command menu, built once from the command table and
// enabled and ticked before every opening and every shortcut.
#pragma once

#include <windows.h>

#include <optional>

#include "filelist/commands.h"

namespace bex {

class CommandMenu {
 public:
  CommandMenu();
  ~CommandMenu();
  CommandMenu(const CommandMenu&) = delete;
  CommandMenu& operator=(const CommandMenu&) = delete;

  // Enables, ticks and names the items as state says.
  void Prepare(const MenuState& state);
  // Shows the menu at a screen point; the chosen command, if any.
  std::optional<Command> Track(HWND owner, int screenX, int screenY) const;

 private:
  HMENU menu_;
};

}  // namespace bex
