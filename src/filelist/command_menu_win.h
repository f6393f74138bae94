// The main window's command menu, built once from the command table and
// enabled and ticked before every opening and every shortcut.
#pragma once

#include <windows.h>

#include <array>
#include <optional>
#include <string>

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
  // The items' texts as the menu holds them, so that only a changed one is set.
  std::array<std::string, kCommandCount> texts_;
};

}  // namespace bex
