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

// Space and BackSpace step through FormKeyDown, which also honours Shift;
// the step items therefore carry no shortcut of their own.
std::vector<MenuItem> BuildPopupMenu1() {
  return {
      CommandItem(0, "FFileopen1", "&F: Fileを開く", Command::FFileopen1, 0, {'F'}),
      Submenu("ZZoom1", "&Z: ズーム"),
      CommandItem(1, "N100", "&0: 100%", Command::N100, 100, {'0'}),
      CommandItem(1, "N090", "&9: 90%", Command::N090, 90, {'9'}),
      CommandItem(1, "N080", "&8: 80%", Command::N080, 80, {'8'}),
      CommandItem(1, "N070", "&7: 70%", Command::N070, 70, {'7'}),
      CommandItem(1, "N060", "&6: 60%", Command::N060, 60, {'6'}),
      CommandItem(1, "N050", "&5: 50%", Command::N050, 50, {'5'}),
      CommandItem(1, "N040", "&4: 40%", Command::N040, 40, {'4'}),
      CommandItem(1, "N030", "&3: 30%", Command::N030, 30, {'3'}),
      CommandItem(1, "N020", "&2: 20%", Command::N020, 20, {'2'}),
      CommandItem(1, "N010", "&1: 10%", Command::N010, 10, {'1'}),
      CommandItem(1, "N200", "&A: 200%", Command::N200, 200, Shifted('2')),
      CommandItem(1, "N300", "&B: 300%", Command::N300, 300, Shifted('3')),
      CommandItem(1, "N400", "&C: 400%", Command::N400, 400, Shifted('4')),
      CommandItem(1, "N500", "&D: 500%", Command::N500, 500, Shifted('5')),
      CommandItem(1, "NZ", "&Z: 倍率指定", Command::NZ, 0, Shifted('0')),
      CommandItem(0, "KNSpace1", "&N: 次の画像 (Space)", Command::KNSpace1, 0),
      CommandItem(0, "KBBS1", "&B: 前の画像 (BS)", Command::KBBS1, 0),
      Separator("N5"),
      CommandItem(0, "KCClipBord1", "&O: コピー(100%)", Command::KCClipBord1, 0, Shifted('C')),
      CommandItem(0, "K1", "&C: コピー", Command::K1, 0, {'C', kCtrlKey}),
      CommandItem(0, "J1", "&J: ﾌｧｲﾙ移動", Command::J1, 0, {'J'}),
      CommandItem(0, "KDel1", "&D: 削除", Command::KDel1, 0, {'D'}),
      Separator("N1"),
      CommandItem(0, "SSort1", "&S: ソート", Command::SSort1, 0, {'S'}),
      CommandItem(0, "RRefresh1", "&R: ｿｰﾄﾘｽﾄをﾘﾌﾚｯｼｭ", Command::RRefresh1, 0, Shifted('R')),
      Submenu("N2", "&A: 窓と画像の関係(一時変更)"),
      CommandItem(1, "WinFromPic", "窓を画像に合わせる", Command::WinFromPic, 0),
      CommandItem(1, "WinToPic", "画像を窓に合わせる", Command::WinToPic, 1),
      CommandItem(1, "Win_Non", "なし", Command::Win_Non, 2),
      CommandItem(0, "W1", "&W: 環境設定", Command::W1, 0, {'W'}),
      CommandItem(0, "HHelp1", "&H: ﾍﾙﾌﾟ", Command::HHelp1, 0, {kVkF1}),
      CommandItem(0, "KVV1", "&V: ﾊﾞｰｼﾞｮﾝ情報", Command::KVV1, 0, {'V'}),
      CommandItem(0, "QQuit1", "&Q: 終了", Command::QQuit1, 0, {'Q'}),
  };
}

constexpr Command kFitCommands[] = {Command::WinFromPic, Command::WinToPic, Command::Win_Non};

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

const std::vector<MenuItem>& PopupMenu1Items() {
  static const std::vector<MenuItem> items = BuildPopupMenu1();
  return items;
}

const MenuItem& MenuItemFor(Command command) {
  const auto& items = PopupMenu1Items();
  return *std::find_if(items.begin(), items.end(), [&](const MenuItem& item) {
    return item.Kind == MenuItemKind::kCommand && item.Cmd == command;
  });
}

std::optional<Command> CommandForShortcut(int virtualKey, unsigned modifiers) {
  if (virtualKey == 0) return std::nullopt;
  for (const MenuItem& item : PopupMenu1Items()) {
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
  state.enabled_[MenuState::Index(Command::J1)] = !shownFileRemoved;
  for (Command fit : kFitCommands) {
    state.checked_[MenuState::Index(fit)] = MenuItemFor(fit).Tag == fitMode;
  }
  return state;
}

}  // namespace bex
