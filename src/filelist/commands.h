// The commands of the main window's command menu: one table that the
// window builds its menu from, matches shortcut keys against and enables and
// ticks before the menu opens.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace bex {

// One per command item, named as the menu items are.
enum class Command {
  OpenFile,
  Zoom100,
  Zoom90,
  Zoom80,
  Zoom70,
  Zoom60,
  Zoom50,
  Zoom40,
  Zoom30,
  Zoom20,
  Zoom10,
  Zoom200,
  Zoom300,
  Zoom400,
  Zoom500,
  ZoomTyped,
  NextPicture,
  PreviousPicture,
  CopyFullSize,
  CopyAsDisplayed,
  OpenMoveMenu,
  DeleteShownFile,
  ChooseSortOrder,
  RefreshList,
  FitWindowToPicture,
  FitPictureToWindow,
  FitNeither,
  OpenSettings,
  OpenHelp,
  ShowVersion,
  Quit,
};
constexpr size_t kCommandCount = static_cast<size_t>(Command::Quit) + 1;

// A key with exactly the modifiers (kShiftKey, kCtrlKey, kAltKey) that must be
// held, no more and no fewer. Key 0: no shortcut.
struct Shortcut {
  int Key = 0;
  unsigned Modifiers = 0;
};

enum class MenuItemKind { kCommand, kSubmenu, kSeparator };

struct MenuItem {
  MenuItemKind Kind;
  // 0: an item of the menu itself; 1: an item of the submenu whose kSubmenu entry
  // is the nearest one above.
  int Level;
  const char* Name;     // what the item is, e.g. "OpenFile", "ZoomMenu", "StepSeparator"
  const char* Caption;  // code page 932; "&" marks the accelerator; "-" for a separator
  Command Cmd;          // meaningful for kCommand items only
  int Tag;              // zoom percent (0: ask for one), or the fit mode
  Shortcut Keys;
};

// Every item of the command menu in display order, submenu items right after their
// submenu's entry.
const std::vector<MenuItem>& CommandMenuItems();

const MenuItem& MenuItemFor(Command command);

// The command whose shortcut is exactly this key and modifier set. Shortcuts
// are live while the menu is closed: the window then runs the menu's
// preparation (EnsureFileList and StateFor) and the command if it is enabled,
// and the key goes no further, not even when the command is disabled.
std::optional<Command> CommandForShortcut(int virtualKey, unsigned modifiers);

// The key text shown right-aligned in the menu: "F", "Shift+C", "Ctrl+C",
// "F1"; empty when there is no shortcut.
std::string ShortcutText(const Shortcut& shortcut);

// A key's name as the menu and the help show it: "F", "0", "F1", "Space",
// "←"; empty for a key without a name.
std::string KeyName(int virtualKey);

// Which items are enabled and ticked when the menu opens or a shortcut runs.
class MenuState {
 public:
  bool IsEnabled(Command command) const { return enabled_[Index(command)]; }
  bool IsChecked(Command command) const { return checked_[Index(command)]; }

 private:
  friend MenuState StateFor(bool shownFileRemoved, int fitMode);
  static size_t Index(Command command) { return static_cast<size_t>(command); }

  std::array<bool, kCommandCount> enabled_{};
  std::array<bool, kCommandCount> checked_{};
};

// The move command (OpenMoveMenu) is disabled while the shown file has been deleted or
// moved; the fit item whose tag equals fitMode is ticked (none for a mode
// outside 0 to 2).
MenuState StateFor(bool shownFileRemoved, int fitMode);

}  // namespace bex
