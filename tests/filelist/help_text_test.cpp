#include "filelist/help_text.h"

#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

#include "filelist/commands.h"
#include "filelist/key_map.h"

namespace bex {
namespace {

// The help's lines, each split at its tabs.
std::vector<std::vector<std::string>> HelpRows() {
  std::vector<std::vector<std::string>> rows;
  const std::string text = HelpText();
  size_t start = 0;
  for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
    std::vector<std::string> columns;
    std::istringstream line(text.substr(start, end - start));
    for (std::string column; std::getline(line, column, '\t');) columns.push_back(column);
    rows.push_back(columns);
  }
  EXPECT_EQ(start, text.size()) << "the text ends with a whole line";
  return rows;
}

std::vector<std::string> Row(std::vector<std::string> columns) { return columns; }

bool Contains(const std::vector<std::vector<std::string>>& rows,
              const std::vector<std::string>& row) {
  for (const auto& r : rows) {
    if (r == row) return true;
  }
  return false;
}

TEST(HelpTextTest, ListsEveryMenuCommandWithItsShortcutAndWhatItDoes) {
  const auto rows = HelpRows();
  for (const MenuItem& item : CommandMenuItems()) {
    if (item.Kind != MenuItemKind::kCommand) continue;
    bool listed = false;
    for (const auto& row : rows) {
      if (row.size() == 3 && row[0] == ShortcutText(item.Keys) &&
          row[1].find(PlainCaption(item.Caption)) != std::string::npos) {
        listed = true;
        EXPECT_FALSE(row[2].empty()) << item.Name << " says what it does";
      }
    }
    EXPECT_TRUE(listed) << item.Name;
  }
}

TEST(HelpTextTest, FirstLineSaysHowTheMenuOpens) {
  EXPECT_EQ(HelpRows().at(0), Row({"Bex の使い方 (メニューは右クリックか M キーで開く)"}));
}

TEST(HelpTextTest, SubmenusHaveALineAndTheirItemsAreIndented) {
  const auto rows = HelpRows();
  EXPECT_TRUE(Contains(rows, Row({"", "Z: ズーム", "サブメニュー"})));
  EXPECT_TRUE(Contains(rows, Row({"0", "　0: 100%", "この倍率で表示する"})));
  EXPECT_TRUE(Contains(rows, Row({"", "　なし", "窓も倍率も変えない (保存しない)"})));
  EXPECT_TRUE(
      Contains(rows, Row({"Shift+R", "R: ｿｰﾄﾘｽﾄをﾘﾌﾚｯｼｭ", "フォルダーのファイル一覧を読み直す"})))
      << "after a submenu's last item the menu's items are not indented";
}

TEST(HelpTextTest, ListsEveryKeyRowWithWhatItDoes) {
  const auto rows = HelpRows();
  size_t keyRows = 0;
  for (const auto& row : rows) {
    if (row.size() == 2 && row[0] != "キー") {
      ++keyRows;
      EXPECT_FALSE(row[1].empty()) << row[0];
    }
  }
  EXPECT_EQ(keyRows, KeyMapRows().size());
  EXPECT_TRUE(Contains(rows, Row({"Shift+Space", "フォルダーの前の画像を表示する"})));
  EXPECT_TRUE(Contains(rows, Row({"Space", "フォルダーの次の画像を表示する"})));
  EXPECT_TRUE(Contains(rows, Row({"Ctrl+←", "窓を画面の左端へ動かす"})));
  EXPECT_TRUE(
      Contains(rows, Row({"Esc", "窓を閉じて終了する (窓位置保存が入なら位置を保存する)"})));
}

TEST(HelpTextTest, KeysNameTheMenuShortcutsThatTakeTheirCombinations) {
  const auto rows = HelpRows();
  EXPECT_TRUE(
      Contains(rows, Row({"C", "窓を画面の中央へ動かす (Shift+C, Ctrl+C はメニューのコマンド)"})));
  EXPECT_TRUE(Contains(rows, Row({"R", "窓を画面の右端へ動かす (Shift+R はメニューのコマンド)"})));
  EXPECT_TRUE(Contains(rows, Row({"K", "追加起動禁止を入れる/切る (保存しない)"})));
}

TEST(HelpTextTest, KeypadRangeIsOneLine) {
  EXPECT_TRUE(Contains(HelpRows(), Row({"テンキー0～9",
                                        "数字×10% で表示する (0 は 100%)。Shift と一緒なら"
                                        "数字×100% (Shift+0 は倍率を入力)"})));
}

TEST(HelpTextTest, DescribesTheFilingSettingsByTheirKeys) {
  const std::string text = HelpText();
  EXPECT_NE(text.find("「移動ダイアログ省略」"), std::string::npos);
  EXPECT_NE(text.find("「関連ファイル連動」"), std::string::npos);
  EXPECT_NE(text.find(".CR2 .CR3 .NEF"), std::string::npos);
}

TEST(HelpTextTest, PlainCaptionDropsTheAcceleratorMark) {
  EXPECT_EQ(PlainCaption("&F: Fileを開く"), "F: Fileを開く");
  EXPECT_EQ(PlainCaption("窓を画像に合わせる"), "窓を画像に合わせる");
  EXPECT_EQ(PlainCaption("A&&B"), "A&B");
  EXPECT_EQ(PlainCaption("end&"), "end");
}

}  // namespace
}  // namespace bex
