#include "filelist/commands.h"

#include <gtest/gtest.h>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "filelist/virtual_keys.h"

namespace bex {
namespace {

std::vector<Command> AllCommands() {
  std::vector<Command> all;
  for (size_t i = 0; i < kCommandCount; ++i) all.push_back(static_cast<Command>(i));
  return all;
}

TEST(PopupMenu1Test, EveryCommandAppearsOnce) {
  std::multiset<Command> listed;
  for (const MenuItem& item : PopupMenu1Items()) {
    if (item.Kind == MenuItemKind::kCommand) listed.insert(item.Cmd);
  }
  for (Command command : AllCommands()) {
    EXPECT_EQ(listed.count(command), 1u) << MenuItemFor(command).Name;
    EXPECT_EQ(MenuItemFor(command).Cmd, command);
  }
}

TEST(PopupMenu1Test, ItemsAndSubmenusInDisplayOrder) {
  std::vector<std::string> top;
  std::vector<std::pair<std::string, std::string>> nested;  // submenu, item
  std::string submenu;
  for (const MenuItem& item : PopupMenu1Items()) {
    if (item.Level == 0) {
      top.push_back(item.Name);
      submenu = item.Kind == MenuItemKind::kSubmenu ? item.Name : "";
    } else {
      ASSERT_FALSE(submenu.empty()) << item.Name << " follows no submenu";
      nested.emplace_back(submenu, item.Name);
    }
  }
  EXPECT_EQ(top, (std::vector<std::string>{"FFileopen1", "ZZoom1", "KNSpace1", "KBBS1", "N5",
                                           "KCClipBord1", "K1", "J1", "KDel1", "N1", "SSort1",
                                           "RRefresh1", "N2", "W1", "HHelp1", "KVV1", "QQuit1"}));
  const std::vector<std::pair<std::string, std::string>> expected{
      {"ZZoom1", "N100"}, {"ZZoom1", "N090"}, {"ZZoom1", "N080"}, {"ZZoom1", "N070"},
      {"ZZoom1", "N060"}, {"ZZoom1", "N050"}, {"ZZoom1", "N040"}, {"ZZoom1", "N030"},
      {"ZZoom1", "N020"}, {"ZZoom1", "N010"}, {"ZZoom1", "N200"}, {"ZZoom1", "N300"},
      {"ZZoom1", "N400"}, {"ZZoom1", "N500"}, {"ZZoom1", "NZ"},   {"N2", "WinFromPic"},
      {"N2", "WinToPic"}, {"N2", "Win_Non"}};
  EXPECT_EQ(nested, expected);
}

TEST(PopupMenu1Test, TagsCarryZoomPercentAndFitMode) {
  const std::vector<std::pair<Command, int>> tags{
      {Command::N100, 100},     {Command::N090, 90},    {Command::N010, 10},
      {Command::N200, 200},     {Command::N500, 500},   {Command::NZ, 0},
      {Command::WinFromPic, 0}, {Command::WinToPic, 1}, {Command::Win_Non, 2}};
  for (const auto& [command, tag] : tags) EXPECT_EQ(MenuItemFor(command).Tag, tag);
}

TEST(PopupMenu1Test, CaptionsAreCodePage932) {
  EXPECT_STREQ(MenuItemFor(Command::J1).Caption, "&J: \xCC\xA7\xB2\xD9\x88\xDA\x93\xAE");
  EXPECT_STREQ(MenuItemFor(Command::KNSpace1).Caption,
               "&N: \x8E\x9F\x82\xCC\x89\xE6\x91\x9C (Space)");
}

TEST(CommandForShortcutTest, MatchesExactModifierSets) {
  const std::vector<std::pair<Shortcut, Command>> bound{
      {{'F', kNoModifier}, Command::FFileopen1}, {{'0', kNoModifier}, Command::N100},
      {{'1', kNoModifier}, Command::N010},       {{'2', kShiftKey}, Command::N200},
      {{'5', kShiftKey}, Command::N500},         {{'0', kShiftKey}, Command::NZ},
      {{'C', kShiftKey}, Command::KCClipBord1},  {{'C', kCtrlKey}, Command::K1},
      {{'J', kNoModifier}, Command::J1},         {{'D', kNoModifier}, Command::KDel1},
      {{'S', kNoModifier}, Command::SSort1},     {{'R', kShiftKey}, Command::RRefresh1},
      {{'W', kNoModifier}, Command::W1},         {{kVkF1, kNoModifier}, Command::HHelp1},
      {{'V', kNoModifier}, Command::KVV1},       {{'Q', kNoModifier}, Command::QQuit1}};
  for (const auto& [keys, command] : bound) {
    EXPECT_EQ(CommandForShortcut(keys.Key, keys.Modifiers), command) << ShortcutText(keys);
  }
  const std::vector<Shortcut> unbound{{'1', kShiftKey},        {'6', kShiftKey},
                                      {'9', kShiftKey},        {'C', kShiftKey | kCtrlKey},
                                      {'C', kNoModifier},      {'R', kNoModifier},
                                      {'R', kCtrlKey},         {'R', kShiftKey | kCtrlKey},
                                      {'F', kAltKey},          {'2', kShiftKey | kAltKey},
                                      {kVkSpace, kNoModifier}, {kVkBack, kNoModifier},
                                      {'M', kNoModifier},      {0, kNoModifier}};
  for (const Shortcut& keys : unbound) {
    EXPECT_FALSE(CommandForShortcut(keys.Key, keys.Modifiers)) << ShortcutText(keys);
  }
}

TEST(CommandForShortcutTest, NoTwoItemsShareAShortcut) {
  std::set<std::pair<int, unsigned>> seen;
  for (const MenuItem& item : PopupMenu1Items()) {
    if (item.Keys.Key == 0) continue;
    EXPECT_TRUE(seen.insert({item.Keys.Key, item.Keys.Modifiers}).second) << item.Name;
  }
}

TEST(ShortcutTextTest, NamesModifiersThenKey) {
  EXPECT_EQ(ShortcutText(MenuItemFor(Command::FFileopen1).Keys), "F");
  EXPECT_EQ(ShortcutText(MenuItemFor(Command::KCClipBord1).Keys), "Shift+C");
  EXPECT_EQ(ShortcutText(MenuItemFor(Command::K1).Keys), "Ctrl+C");
  EXPECT_EQ(ShortcutText(MenuItemFor(Command::HHelp1).Keys), "F1");
  EXPECT_EQ(ShortcutText(MenuItemFor(Command::N200).Keys), "Shift+2");
  EXPECT_EQ(ShortcutText(MenuItemFor(Command::KNSpace1).Keys), "");
  EXPECT_EQ(ShortcutText({'X', kShiftKey | kCtrlKey | kAltKey}), "Shift+Ctrl+Alt+X");
  EXPECT_EQ(ShortcutText({kVkF1 + 11, kNoModifier}), "F12");
}

TEST(MenuStateTest, MoveIsDisabledOnlyWhileTheShownFileIsRemoved) {
  for (bool removed : {false, true}) {
    const MenuState state = StateFor(removed, 0);
    for (Command command : AllCommands()) {
      const bool expected = command == Command::J1 ? !removed : true;
      EXPECT_EQ(state.IsEnabled(command), expected) << MenuItemFor(command).Name;
    }
  }
}

TEST(MenuStateTest, ExactlyTheFitItemOfTheModeIsTicked) {
  const std::vector<std::pair<int, std::set<Command>>> cases{{0, {Command::WinFromPic}},
                                                             {1, {Command::WinToPic}},
                                                             {2, {Command::Win_Non}},
                                                             {3, {}},
                                                             {-1, {}}};
  for (const auto& [mode, ticked] : cases) {
    const MenuState state = StateFor(false, mode);
    for (Command command : AllCommands()) {
      EXPECT_EQ(state.IsChecked(command), ticked.count(command) > 0)
          << "mode " << mode << " " << MenuItemFor(command).Name;
    }
  }
}

}  // namespace
}  // namespace bex
