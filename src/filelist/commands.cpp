#include "filelist/commands.h"

#include <algorithm>

#include "filelist/virtual_keys.h"

namespace bex {
namespace {

MenuItem CommandItem(int level, const char* name, const char* caption, Command command, int tag,
                     Shortcut keys = {}) {
  return MenuItem{MenuItemKind::kCommand, level, name, caption, command, tag, keys};
}

MenuItem Submenu(const char* name, const char* caption) {
  return MenuItem{MenuItemKind::kSubmenu, 0, name, caption, Command{}, 0, {}};
}

MenuItem Separator(const char* name) {
  return MenuItem{MenuItemKind::kSeparator, 0, name, "-", Command{}, 0, {}};
}

constexpr Shortcut Shifted(int key) { return Shortcut{key, kShiftKey}; }

// Space and BackSpace step through the key map, which also honours Shift;
// the step items therefore carry no shortcut of their own.
std::vector<MenuItem> BuildCommandMenu() {
  return {
      CommandItem(0, "OpenFile", "&F: Fileを開く", Command::OpenFile, 0, {'F'}),
      Submenu("ZoomMenu", "&Z: ズーム"),
      CommandItem(1, "Zoom100", "&0: 100%", Command::Zoom100, 100, {'0'}),
      CommandItem(1, "Zoom90", "&9: 90%", Command::Zoom90, 90, {'9'}),
      CommandItem(1, "Zoom80", "&8: 80%", Command::Zoom80, 80, {'8'}),
      CommandItem(1, "Zoom70", "&7: 70%", Command::Zoom70, 70, {'7'}),
      CommandItem(1, "Zoom60", "&6: 60%", Command::Zoom60, 60, {'6'}),
      CommandItem(1, "Zoom50", "&5: 50%", Command::Zoom50, 50, {'5'}),
      CommandItem(1, "Zoom40", "&4: 40%", Command::Zoom40, 40, {'4'}),
      CommandItem(1, "Zoom30", "&3: 30%", Command::Zoom30, 30, {'3'}),
      CommandItem(1, "Zoom20", "&2: 20%", Command::Zoom20, 20, {'2'}),
      CommandItem(1, "Zoom10", "&1: 10%", Command::Zoom10, 10, {'1'}),
      CommandItem(1, "Zoom200", "&A: 200%", Command::Zoom200, 200, Shifted('2')),
      CommandItem(1, "Zoom300", "&B: 300%", Command::Zoom300, 300, Shifted('3')),
      CommandItem(1, "Zoom400", "&C: 400%", Command::Zoom400, 400, Shifted('4')),
      CommandItem(1, "Zoom500", "&D: 500%", Command::Zoom500, 500, Shifted('5')),
      CommandItem(1, "ZoomTyped", "&Z: 倍率指定", Command::ZoomTyped, 0, Shifted('0')),
      CommandItem(0, "NextPicture", "&N: 次の画像 (Space)", Command::NextPicture, 0),
      CommandItem(0, "PreviousPicture", "&B: 前の画像 (BS)", Command::PreviousPicture, 0),
      Separator("StepSeparator"),
      CommandItem(0, "CopyFullSize", "&O: コピー(100%)", Command::CopyFullSize, 0, Shifted('C')),
      CommandItem(0, "CopyAsDisplayed", "&C: コピー", Command::CopyAsDisplayed, 0, {'C', kCtrlKey}),
      CommandItem(0, "OpenMoveMenu", "&J: ﾌｧｲﾙ移動", Command::OpenMoveMenu, 0, {'J'}),
      CommandItem(0, "DeleteShownFile", "&D: 削除", Command::DeleteShownFile, 0, {'D'}),
      Separator("FilingSeparator"),
      CommandItem(0, "ChooseSortOrder", "&S: ソート", Command::ChooseSortOrder, 0, {'S'}),
      CommandItem(0, "RefreshList", "&R: ｿｰﾄﾘｽﾄをﾘﾌﾚｯｼｭ", Command::RefreshList, 0, Shifted('R')),
      Submenu("FitMenu", "&A: 窓と画像の関係(一時変更)"),
      CommandItem(1, "FitWindowToPicture", "窓を画像に合わせる", Command::FitWindowToPicture, 0),
      CommandItem(1, "FitPictureToWindow", "画像を窓に合わせる", Command::FitPictureToWindow, 1),
      CommandItem(1, "FitNeither", "なし", Command::FitNeither, 2),
      CommandItem(0, "OpenSettings", "&W: 環境設定", Command::OpenSettings, 0, {'W'}),
      CommandItem(0, "OpenHelp", "&H: ﾍﾙﾌﾟ", Command::OpenHelp, 0, {kVkF1}),
      CommandItem(0, "ShowVersion", "&V: ﾊﾞｰｼﾞｮﾝ情報", Command::ShowVersion, 0, {'V'}),
      CommandItem(0, "Quit", "&Q: 終了", Command::Quit, 0, {'Q'}),
  };
}

constexpr Command kFitCommands[] = {Command::FitWindowToPicture, Command::FitPictureToWindow,
                                    Command::FitNeither};

struct NamedKey {
  int Key;
  const char* Name;
};

constexpr NamedKey kNamedKeys[] = {
    {kVkBack, "BackSpace"}, {kVkReturn, "Enter"}, {kVkEscape, "Esc"}, {kVkSpace, "Space"},
    {kVkLeft, "←"},         {kVkUp, "↑"},         {kVkRight, "→"},    {kVkDown, "↓"},
};

}  // namespace

std::string KeyName(int key) {
  if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9')) {
    return std::string(1, static_cast<char>(key));
  }
  if (key >= kVkF1 && key <= kVkF12) return "F" + std::to_string(key - kVkF1 + 1);
  if (key >= kVkNumpad0 && key <= kVkNumpad9) return "テンキー" + std::to_string(key - kVkNumpad0);
  for (const NamedKey& named : kNamedKeys) {
    if (named.Key == key) return named.Name;
  }
  return "";
}

const std::vector<MenuItem>& CommandMenuItems() {
  static const std::vector<MenuItem> items = BuildCommandMenu();
  return items;
}

const MenuItem& MenuItemFor(Command command) {
  const auto& items = CommandMenuItems();
  return *std::find_if(items.begin(), items.end(), [&](const MenuItem& item) {
    return item.Kind == MenuItemKind::kCommand && item.Cmd == command;
  });
}

std::optional<Command> CommandForShortcut(int virtualKey, unsigned modifiers) {
  if (virtualKey == 0) return std::nullopt;
  for (const MenuItem& item : CommandMenuItems()) {
    if (item.Kind == MenuItemKind::kCommand && item.Keys.Key == virtualKey &&
        item.Keys.Modifiers == modifiers) {
      return item.Cmd;
    }
  }
  return std::nullopt;
}

std::string ShortcutText(const Shortcut& shortcut) {
  if (shortcut.Key == 0) return "";
  std::string text;
  if (shortcut.Modifiers & kShiftKey) text += "Shift+";
  if (shortcut.Modifiers & kCtrlKey) text += "Ctrl+";
  if (shortcut.Modifiers & kAltKey) text += "Alt+";
  return text + KeyName(shortcut.Key);
}

MenuState StateFor(bool shownFileRemoved, int fitMode) {
  MenuState state;
  state.enabled_.fill(true);
  state.enabled_[MenuState::Index(Command::OpenMoveMenu)] = !shownFileRemoved;
  for (Command fit : kFitCommands) {
    state.checked_[MenuState::Index(fit)] = MenuItemFor(fit).Tag == fitMode;
  }
  return state;
}

}  // namespace bex
