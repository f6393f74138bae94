// PopupMenu1: the command menu, built once from the command table, prepared
// before every opening and every shortcut, and the dispatch of its commands.
#include "app/main_form_win.h"
#include "filelist/commands.h"

namespace bex {
namespace {

constexpr UINT kFirstCommandId = 1000;

UINT IdOf(Command command) { return kFirstCommandId + static_cast<UINT>(command); }

std::string CaptionOf(const MenuItem& item) {
  const std::string keys = ShortcutText(item.Keys);
  return keys.empty() ? item.Caption : std::string(item.Caption) + "\t" + keys;
}

}  // namespace

void TBexForm1::CreatePopupMenu1() {
  popupMenu1_ = CreatePopupMenu();
  HMENU submenu = nullptr;
  for (const MenuItem& item : PopupMenu1Items()) {
    HMENU parent = item.Level == 0 ? popupMenu1_ : submenu;
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
        AppendMenuA(parent, MF_STRING, IdOf(item.Cmd), CaptionOf(item).c_str());
        break;
    }
  }
}

MenuState TBexForm1::PopupMenu1Popup() {
  EnsureFileList();
  const MenuState state = StateFor(Files().ShownFileRemoved, FitMode);
  for (const MenuItem& item : PopupMenu1Items()) {
    if (item.Kind != MenuItemKind::kCommand) continue;
    const UINT id = IdOf(item.Cmd);
    EnableMenuItem(popupMenu1_, id, state.IsEnabled(item.Cmd) ? MF_ENABLED : MF_GRAYED);
    CheckMenuItem(popupMenu1_, id, state.IsChecked(item.Cmd) ? MF_CHECKED : MF_UNCHECKED);
  }
  return state;
}

// Shows a popup menu of the window at a screen point and answers the id of
// the chosen item (0 for none).
UINT TBexForm1::TrackMenu(HMENU menu, int x, int y) {
  SetForegroundWindow(hwnd_);
  const UINT id =
      TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_LEFTALIGN | TPM_TOPALIGN, x, y, 0,
                     hwnd_, nullptr);
  // The menu closes properly only once the window has had a message.
  PostMessageA(hwnd_, WM_NULL, 0, 0);
  return id;
}

void TBexForm1::OpenPopupMenu(int x, int y) {
  PopupMenu1Popup();
  const UINT id = TrackMenu(popupMenu1_, x, y);
  if (id >= kFirstCommandId && id < kFirstCommandId + kCommandCount) {
    RunCommand(static_cast<Command>(id - kFirstCommandId));
  }
}

void TBexForm1::RunCommand(Command command) {
  const MenuItem& item = MenuItemFor(command);
  switch (command) {
    case Command::FFileopen1:
      OpenWithDialog();
      return;
    case Command::N100:
    case Command::N090:
    case Command::N080:
    case Command::N070:
    case Command::N060:
    case Command::N050:
    case Command::N040:
    case Command::N030:
    case Command::N020:
    case Command::N010:
    case Command::N200:
    case Command::N300:
    case Command::N400:
    case Command::N500:
    case Command::NZ:
      NbaiClick(item.Tag);
      return;
    case Command::KNSpace1:
      StepImage(true);
      return;
    case Command::KBBS1:
      StepImage(false);
      return;
    case Command::KCClipBord1:
      KCClipBord1Click();
      return;
    case Command::K1:
      K1Click();
      return;
    case Command::J1:
      J1Click();
      return;
    case Command::KDel1:
      KDel1Click();
      return;
    case Command::SSort1:
      SSort1Click();
      return;
    case Command::RRefresh1:
      InvalidateFileList();
      return;
    case Command::WinFromPic:
    case Command::WinToPic:
    case Command::Win_Non:
      Win_NonClick(item.Tag);
      return;
    case Command::W1:
      W1Click();
      return;
    case Command::HHelp1:
      HHelp1Click();
      return;
    case Command::KVV1:
      ShowVersion();
      return;
    case Command::QQuit1:
      QQuit1Click();
      return;
  }
}

}  // namespace bex
