#include "move/move_menu_model.h"

#include <gtest/gtest.h>
#include <string>

#include "move/example_files.h"

namespace bex {
namespace {

// The character the menu underlines: the one after a leading "&".
char Accelerator(const MoveMenuItem& item) {
  return item.caption.size() >= 2 && item.caption[0] == '&' ? item.caption[1] : '\0';
}

std::vector<MoveMenuItem> ExampleMenu() {
  return BuildMoveMenu(ParseDestinations(test::kExampleDestinations),
                       ParseHistory(test::kExampleHistory));
}

TEST(MoveMenu, FixedItemsComeFirst) {
  const std::vector<MoveMenuItem> menu = ExampleMenu();
  ASSERT_EQ(menu.size(), 3u + 5u);
  EXPECT_EQ(menu[0].caption, "現在のフォルダーから移動先を指定");
  EXPECT_EQ(menu[0].role, kRoleCurrentFolder);
  EXPECT_EQ(Accelerator(menu[0]), '\0');
  EXPECT_EQ(menu[1].caption, "履歴から移動先を指定");
  EXPECT_EQ(menu[1].role, kRoleGroup);
  EXPECT_EQ(Accelerator(menu[1]), '\0');
  EXPECT_TRUE(IsSeparatorItem(menu[2]));
}

TEST(MoveMenu, HistoryItemsAreNumberedAccelerators) {
  const std::vector<MoveMenuItem> recent = ExampleMenu()[1].children;
  ASSERT_EQ(recent.size(), 3u);
  EXPECT_EQ(recent[0].caption, "&1 : E:\\Work\\Scans");
  EXPECT_EQ(recent[1].caption, "&2 : D:\\Photos\\Keep");
  EXPECT_EQ(recent[2].caption, "&3 : D:");
  for (const MoveMenuItem& item : recent) EXPECT_EQ(item.role, kRoleHistory);
  EXPECT_EQ(StartFolderOfItem(recent[1], "C:\\cur"), "D:\\Photos\\Keep");
  EXPECT_EQ(StartFolderOfItem(recent[2], "C:\\cur"), "D:");
}

TEST(MoveMenu, RegisteredTreeBecomesCaptionsRolesAndSubmenus) {
  const std::vector<MoveMenuItem> menu = ExampleMenu();
  const MoveMenuItem& work = menu[6];
  struct Expected {
    const MoveMenuItem* item;
    const char* caption;
    int role;
    char accelerator;
    const char* startFolder;
  };
  const Expected table[] = {
      {&menu[3], "&A : D:\\Photos\\Keep", kRoleDestination, 'A', "D:\\Photos\\Keep"},
      {&menu[4], "&B : D:\\Photos\\Later", kRoleDestination, 'B', "D:\\Photos\\Later"},
      {&menu[5], "-", kRoleDestination, '\0', ""},
      {&work, "&W : [Work]", kRoleGroup, 'W', ""},
      {&work.children[0], "&1 : E:\\Work\\Scans", kRoleDestination, '1', "E:\\Work\\Scans"},
      {&work.children[1], "&  : E:\\Work\\Misc", kRoleDestination, ' ', "E:\\Work\\Misc"},
      {&work.children[2], "&R : [Reports]", kRoleGroup, 'R', ""},
      {&work.children[2].children[0], "&2 : E:\\Work\\Reports\\Done", kRoleDestination, '2',
       "E:\\Work\\Reports\\Done"},
      {&menu[7], "&Z : F:\\Archive", kRoleDestination, 'Z', "F:\\Archive"},
  };
  ASSERT_EQ(work.children.size(), 3u);
  ASSERT_EQ(work.children[2].children.size(), 1u);
  for (const Expected& e : table) {
    SCOPED_TRACE(e.caption);
    EXPECT_EQ(e.item->caption, e.caption);
    EXPECT_EQ(e.item->role, e.role);
    EXPECT_EQ(Accelerator(*e.item), e.accelerator);
    EXPECT_EQ(StartFolderOfItem(*e.item, "C:\\cur"), e.startFolder);
  }
  EXPECT_TRUE(IsSeparatorItem(menu[5]));
  EXPECT_FALSE(IsSeparatorItem(menu[3]));
}

TEST(MoveMenu, CurrentFolderItemStartsInTheCurrentFolder) {
  EXPECT_EQ(StartFolderOfItem(ExampleMenu()[0], "D:\\Now"), "D:\\Now");
}

TEST(MoveMenu, ChildlessGroupIsADestinationStartingAtItsBracketedName) {
  const std::vector<MoveMenuItem> menu = BuildMoveMenu({{"G : [Empty]", {}}}, {});
  ASSERT_EQ(menu.size(), 4u);
  EXPECT_EQ(menu[3].role, kRoleDestination);
  EXPECT_EQ(StartFolderOfItem(menu[3], "C:\\"), "[Empty]");
  EXPECT_TRUE(menu[1].children.empty());
}

TEST(MoveMenu, CaptionsFollowTheLabelLength) {
  EXPECT_EQ(MenuCaption("-"), "-");
  EXPECT_EQ(MenuCaption("x"), "x");
  EXPECT_EQ(MenuCaption("ab"), "&ab");
  EXPECT_EQ(MenuCaption(""), "");
  EXPECT_EQ(StartFolderFromCaption("&abcd"), "");
  EXPECT_EQ(StartFolderFromCaption("&A : x"), "x");
}

TEST(MoveMenu, HistoryNumbersRunOneToNineThenZeroAndLaterLinesKeepTheirPath) {
  DestinationHistory history;
  for (int i = 1; i <= 12; ++i) history.push_back("C:\\f" + std::to_string(i));
  const std::vector<MoveMenuItem> recent = BuildMoveMenu({}, history)[1].children;
  ASSERT_EQ(recent.size(), 12u);
  const char numbers[] = "1234567890";
  for (size_t i = 0; i < 10; ++i) {
    EXPECT_EQ(Accelerator(recent[i]), numbers[i]);
    EXPECT_EQ(StartFolderOfItem(recent[i], ""), history[i]);
  }
  EXPECT_EQ(recent[9].caption, "&0 : C:\\f10");
  for (size_t i = 10; i < 12; ++i) {
    EXPECT_EQ(recent[i].caption, history[i]);
    EXPECT_EQ(recent[i].role, kRoleHistory);
    EXPECT_EQ(StartFolderOfItem(recent[i], ""), history[i]);
  }
}

}  // namespace
}  // namespace bex
