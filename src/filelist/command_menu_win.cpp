#include "filelist/command_menu_win.h"

#include <string>
#include <utility>

#include "common/menu_win.h"

namespace bex {
namespace {

constexpr UINT kFirstCommandId = 1000;

UINT IdOf(Command command) { return kFirstCommandId + static_cast<UINT>(command); }

// The caption with the item's shortcut key right-aligned.
std::string MenuText(const std::string& caption, const MenuItem& item) {
  const std::string keys = ShortcutText(item.Keys);
  return keys.empty() ? caption : caption + "\t" + keys;
}

void SetCaption(HMENU menu, UINT id, const std::string& text) {
  MENUITEMINFOA info = {};
  info.cbSize = sizeof(info);
  info.fMask = MIIM_STRING;
  info.dwTypeData = const_cast<char*>(text.c_str());
  SetMenuItemInfoA(menu, id, FALSE, &info);
}

}  // namespace

CommandMenu::CommandMenu() : menu_(CreatePopupMenu()) {
  HMENU submenu = nullptr;
  for (const MenuItem& item : CommandMenuItems()) {
    HMENU parent = item.Level == 0 ? menu_ : submenu;
    switch (item.Kind) {
      case MenuItemKind::kSubmenu:
        submenu = CreatePopupMenu();
        AppendMenuA(parent, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(submenu),
                    item.Caption);
        break;
      case MenuItemKind::kSeparator:
        AppendMenuA(parent, MF_SEPARATOR, 0, nullptr);
        break;
      case MenuItemKind::kCommand:
        texts_[static_cast<size_t>(item.Cmd)] = MenuText(item.Caption, item);
        AppendMenuA(parent, MF_STRING, IdOf(item.Cmd),
                    texts_[static_cast<size_t>(item.Cmd)].c_str());
        break;
    }
  }
}

// Destroying the menu destroys its submenus.
CommandMenu::~CommandMenu() { DestroyMenu(menu_); }

void CommandMenu::Prepare(const MenuState& state) {
  for (const MenuItem& item : CommandMenuItems()) {
    if (item.Kind != MenuItemKind::kCommand) continue;
    const UINT id = IdOf(item.Cmd);
    std::string text = MenuText(state.Caption(item.Cmd), item);
    std::string& shown = texts_[static_cast<size_t>(item.Cmd)];
    if (text != shown) {
      SetCaption(menu_, id, text);
      shown = std::move(text);
    }
    EnableMenuItem(menu_, id, state.IsEnabled(item.Cmd) ? MF_ENABLED : MF_GRAYED);
    CheckMenuItem(menu_, id, state.IsChecked(item.Cmd) ? MF_CHECKED : MF_UNCHECKED);
  }
}

std::optional<Command> CommandMenu::Track(HWND owner, int screenX, int screenY) const {
  const UINT id = TrackMenu(owner, menu_, screenX, screenY);
  if (id < kFirstCommandId || id >= kFirstCommandId + kCommandCount) return std::nullopt;
  return static_cast<Command>(id - kFirstCommandId);
}

}  // namespace bex
