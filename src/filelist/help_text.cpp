#include "filelist/help_text.h"

#include <algorithm>
#include <initializer_list>

#include "filelist/commands.h"
#include "filelist/key_map.h"

namespace bex {
namespace {

constexpr char kLineEnd[] = "\r\n";
constexpr char kShowAtZoom[] = "この倍率で表示する";
// Before a caption of the menu (level 0) or of a submenu (level 1).
constexpr const char* kIndent[] = {"", "　"};

struct CommandHelp {
  Command Cmd;
  const char* Text;
};

constexpr CommandHelp kCommandHelp[] = {
    {Command::OpenFile, "ファイルを選んで開く (2 つ目からは別の窓で開く)"},
    {Command::Zoom100, kShowAtZoom},
    {Command::Zoom90, kShowAtZoom},
    {Command::Zoom80, kShowAtZoom},
    {Command::Zoom70, kShowAtZoom},
    {Command::Zoom60, kShowAtZoom},
    {Command::Zoom50, kShowAtZoom},
    {Command::Zoom40, kShowAtZoom},
    {Command::Zoom30, kShowAtZoom},
    {Command::Zoom20, kShowAtZoom},
    {Command::Zoom10, kShowAtZoom},
    {Command::Zoom200, kShowAtZoom},
    {Command::Zoom300, kShowAtZoom},
    {Command::Zoom400, kShowAtZoom},
    {Command::Zoom500, kShowAtZoom},
    {Command::ZoomTyped, "倍率を数字で入力して表示する"},
    {Command::NextPicture, "フォルダーの次の画像を表示する"},
    {Command::PreviousPicture, "フォルダーの前の画像を表示する"},
    {Command::CopyFullSize, "画像を原寸 (100%) でクリップボードへコピーする"},
    {Command::CopyAsDisplayed, "画像を表示中の大きさでクリップボードへコピーする"},
    {Command::OpenMoveMenu, "表示中のファイルを登録した移動先フォルダーへ移動する"},
    {Command::DeleteShownFile, "表示中のファイルをごみ箱へ削除する"},
    {Command::UndoMoveOrDelete, "最後の移動か削除を元に戻す (続けて押すとその前のもの)"},
    {Command::ChooseSortOrder,
     "フォルダーの画像の並び順を選ぶ (名前・日付・サイズ・エクスプローラー順、昇順か降順)"},
    {Command::RefreshList, "フォルダーのファイル一覧を読み直す"},
    {Command::FitWindowToPicture, "窓の大きさを画像に合わせる (保存しない)"},
    {Command::FitPictureToWindow, "画像を窓に収まる倍率で表示する (保存しない)"},
    {Command::FitNeither, "窓も倍率も変えない (保存しない)"},
    {Command::OpenSettings, "環境設定を開く"},
    {Command::OpenHelp, "この一覧を開く (bex.hlp があればそのヘルプ)"},
    {Command::ShowVersion, "バージョン情報を表示する"},
    {Command::Quit, "すぐに終了する (窓の位置は保存しない)"},
};

struct KeyHelp {
  KeyAction Action;
  const char* Text;
};

constexpr KeyHelp kKeyHelp[] = {
    {KeyAction::kStepForward, "フォルダーの次の画像を表示する"},
    {KeyAction::kStepBackward, "フォルダーの前の画像を表示する"},
    {KeyAction::kCloseWindow, "窓を閉じて終了する (窓位置保存が入なら位置を保存する)"},
    {KeyAction::kMoveWindowLeft, "窓を左へ 50 ピクセル動かす"},
    {KeyAction::kMoveWindowUp, "窓を上へ 50 ピクセル動かす"},
    {KeyAction::kMoveWindowRight, "窓を右へ 50 ピクセル動かす"},
    {KeyAction::kMoveWindowDown, "窓を下へ 50 ピクセル動かす"},
    {KeyAction::kWindowToLeftEdge, "窓を画面の左端へ動かす"},
    {KeyAction::kWindowToTopEdge, "窓を画面の上端へ動かす"},
    {KeyAction::kWindowToRightEdge, "窓を画面の右端へ動かす"},
    {KeyAction::kWindowToBottomEdge, "窓を画面の下端へ動かす"},
    {KeyAction::kCentreWindow, "窓を画面の中央へ動かす"},
    {KeyAction::kScrollLeft, "画像を 50 ピクセル左へスクロールする"},
    {KeyAction::kScrollUp, "画像を 50 ピクセル上へスクロールする"},
    {KeyAction::kScrollRight, "画像を 50 ピクセル右へスクロールする"},
    {KeyAction::kScrollDown, "画像を 50 ピクセル下へスクロールする"},
    {KeyAction::kToggleSingleInstance, "追加起動禁止を入れる/切る (保存しない)"},
    {KeyAction::kOpenCommandMenu, "メニューを開く"},
    {KeyAction::kZoomStepDown, "10% 縮小する (Shift と一緒なら 10%)"},
    {KeyAction::kZoomStepUp, "10% 拡大する (Shift と一緒なら 100%)"},
    {KeyAction::kZoomByPad,
     "数字×10% で表示する (0 は 100%)。Shift と一緒なら数字×100% (Shift+0 は倍率を入力)"},
};

std::string CommandText(Command command) {
  for (const CommandHelp& help : kCommandHelp) {
    if (help.Cmd == command) return help.Text;
  }
  return "";
}

std::string KeyText(KeyAction action) {
  for (const KeyHelp& help : kKeyHelp) {
    if (help.Action == action) return help.Text;
  }
  return "";
}

std::string Line(std::initializer_list<std::string> columns) {
  std::string line;
  for (const std::string& column : columns) line += column + '\t';
  line.back() = '\r';
  return line + '\n';
}

// The key of the key map that opens the menu.
std::string MenuKeyName() {
  for (const KeyRow& row : KeyMapRows()) {
    if (row.Action == KeyAction::kOpenCommandMenu) return KeyName(row.FirstKey);
  }
  return "";
}

std::string MenuSection() {
  std::string text = "■ メニュー (キーはメニューを閉じたままでも使える)";
  text += kLineEnd;
  text += Line({"キー", "メニュー項目", "働き"});
  for (const MenuItem& item : CommandMenuItems()) {
    const std::string caption = kIndent[item.Level] + PlainCaption(item.Caption);
    if (item.Kind == MenuItemKind::kSubmenu) text += Line({"", caption, "サブメニュー"});
    if (item.Kind == MenuItemKind::kCommand) {
      text += Line({ShortcutText(item.Keys), caption, CommandText(item.Cmd)});
    }
  }
  return text;
}

// "テンキー0～9" for a range of keys whose names differ only at the end.
std::string KeysName(const KeyRow& row) {
  const std::string first = KeyName(row.FirstKey);
  if (row.FirstKey == row.LastKey) return first;
  const std::string last = KeyName(row.LastKey);
  const auto differ = std::mismatch(first.begin(), first.end(), last.begin(), last.end());
  return first + "～" + std::string(differ.second, last.end());
}

// The shortcuts of menu commands on the row's keys: those combinations run
// the command and never reach the key's row.
std::string MenuShortcutsOn(const KeyRow& row) {
  std::string shortcuts;
  for (const MenuItem& item : CommandMenuItems()) {
    if (item.Kind != MenuItemKind::kCommand || item.Keys.Key < row.FirstKey ||
        item.Keys.Key > row.LastKey) {
      continue;
    }
    if (!shortcuts.empty()) shortcuts += ", ";
    shortcuts += ShortcutText(item.Keys);
  }
  return shortcuts;
}

std::string KeyLabel(const KeyRow& row) {
  switch (row.Condition) {
    case KeyCondition::kCtrl:
      return "Ctrl+" + KeysName(row);
    case KeyCondition::kShift:
      return "Shift+" + KeysName(row);
    case KeyCondition::kAny:
      break;
  }
  return KeysName(row);
}

std::string KeyRowText(const KeyRow& row) {
  const std::string shortcuts = MenuShortcutsOn(row);
  const std::string text = KeyText(row.Action);
  return shortcuts.empty() ? text : text + " (" + shortcuts + " はメニューのコマンド)";
}

// The settings of the dialog's first page that change how filing goes.
constexpr const char* kFilingSettingsHelp[] = {
    "■ 整理を速くする設定 (W の環境設定、基本設定のページ。どちらも初めは切)",
    "移動ダイアログを省略する (bex.ini の「移動ダイアログ省略」):"
    " 移動メニューで登録フォルダーか履歴を選ぶと、保存ダイアログを出さずに同じ名前ですぐ移動し、"
    "次の画像へ進む (J とキー 1 つで整理できる)。移動先に同じ名前があるときはダイアログを開き、"
    "移動先がないときは今までどおり知らせる。「現在のフォルダーから移動先を指定」は常にダイアログを"
    "開く。",
    "関連ファイル(RAW等)も連動 (bex.ini の「関連ファイル連動」):"
    " 表示中のファイルと拡張子の前が同じ名前 (大文字小文字は区別しない) の RAW"
    " (.CR2 .CR3 .NEF .NRW .ARW .SR2 .RAF .ORF .RW2 .PEF .DNG .SRW .X3F)、.XMP、.AAE、.MOV を、"
    "移動・削除・U の元に戻すで一緒に扱う。上書きはしない。1 "
    "つでも移動できなければ全部をそのまま残して知らせる。",
};

std::string FilingSettingsSection() {
  std::string text;
  for (const char* line : kFilingSettingsHelp) text += std::string(line) + kLineEnd;
  return text;
}

std::string KeySection() {
  std::string text = "■ キー";
  text += kLineEnd;
  text += Line({"キー", "働き"});
  for (const KeyRow& row : KeyMapRows()) text += Line({KeyLabel(row), KeyRowText(row)});
  return text;
}

}  // namespace

std::string PlainCaption(std::string_view caption) {
  std::string plain;
  for (size_t i = 0; i < caption.size(); ++i) {
    // "&&" stands for one "&"; a single "&" only marks the accelerator.
    if (caption[i] == '&' && ++i == caption.size()) break;
    plain += caption[i];
  }
  return plain;
}

std::string HelpText() {
  std::string text = "Bex の使い方 (メニューは右クリックか " + MenuKeyName() + " キーで開く)";
  text += kLineEnd;
  text += kLineEnd;
  text += MenuSection();
  text += kLineEnd;
  text += KeySection();
  text += kLineEnd;
  text += "J で開く移動メニューでは、登録した移動先ごとの 1 文字のキーが使える。";
  text += kLineEnd;
  text += kLineEnd;
  text += FilingSettingsSection();
  return text;
}

}  // namespace bex
