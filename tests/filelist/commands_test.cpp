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

TEST(CommandMenuTest, EveryCommandAppearsOnce) {
  std::multiset<Command> listed;
  for (const MenuItem& item : CommandMenuItems()) {
    if (item.Kind == MenuItemKind::kCommand) listed.insert(item.Cmd);
  }
  for (Command command : AllCommands()) {
    EXPECT_EQ(listed.count(command), 1u) << MenuItemFor(command).Name;
    EXPECT_EQ(MenuItemFor(command).Cmd, command);
  }
}

TEST(CommandMenuTest, ItemsAndSubmenusInDisplayOrder) {
  std::vector<std::string> top;
  std::vector<std::pair<std::string, std::string>> nested;  // submenu, item
  std::string submenu;
  for (const MenuItem& item : CommandMenuItems()) {
    if (item.Level == 0) {
      top.push_back(item.Name);
      submenu = item.Kind == MenuItemKind::kSubmenu ? item.Name : "";
    } else {
      ASSERT_FALSE(submenu.empty()) << item.Name << " follows no submenu";
      nested.emplace_back(submenu, item.Name);
    }
  }
  EXPECT_EQ(top, (std::vector<std::string>{
                     "OpenFile", "ZoomMenu", "NextPicture", "PreviousPicture", "StepSeparator",
                     "CopyFullSize", "CopyAsDisplayed", "OpenMoveMenu", "DeleteShownFile",
                     "UndoMoveOrDelete", "FilingSeparator", "ChooseSortOrder", "RefreshList",
                     "FitMenu", "OpenSettings", "OpenHelp", "ShowVersion", "Quit"}));
  const std::vector<std::pair<std::string, std::string>> expected{{"ZoomMenu", "Zoom100"},
                                                                  {"ZoomMenu", "Zoom90"},
                                                                  {"ZoomMenu", "Zoom80"},
                                                                  {"ZoomMenu", "Zoom70"},
                                                                  {"ZoomMenu", "Zoom60"},
                                                                  {"ZoomMenu", "Zoom50"},
                                                                  {"ZoomMenu", "Zoom40"},
                                                                  {"ZoomMenu", "Zoom30"},
                                                                  {"ZoomMenu", "Zoom20"},
                                                                  {"ZoomMenu", "Zoom10"},
                                                                  {"ZoomMenu", "Zoom200"},
                                                                  {"ZoomMenu", "Zoom300"},
                                                                  {"ZoomMenu", "Zoom400"},
                                                                  {"ZoomMenu", "Zoom500"},
                                                                  {"ZoomMenu", "ZoomTyped"},
                                                                  {"FitMenu", "FitWindowToPicture"},
                                                                  {"FitMenu", "FitPictureToWindow"},
                                                                  {"FitMenu", "FitNeither"}};
  EXPECT_EQ(nested, expected);
}

TEST(CommandMenuTest, TagsCarryZoomPercentAndFitMode) {
  const std::vector<std::pair<Command, int>> tags{{Command::Zoom100, 100},
                                                  {Command::Zoom90, 90},
                                                  {Command::Zoom10, 10},
                                                  {Command::Zoom200, 200},
                                                  {Command::Zoom500, 500},
                                                  {Command::ZoomTyped, 0},
                                                  {Command::FitWindowToPicture, 0},
                                                  {Command::FitPictureToWindow, 1},
                                                  {Command::FitNeither, 2}};
  for (const auto& [command, tag] : tags) EXPECT_EQ(MenuItemFor(command).Tag, tag);
}

TEST(CommandMenuTest, CaptionsAreCodePage932) {
  EXPECT_STREQ(MenuItemFor(Command::OpenMoveMenu).Caption, "&J: \xCC\xA7\xB2\xD9\x88\xDA\x93\xAE");
  EXPECT_STREQ(MenuItemFor(Command::NextPicture).Caption,
               "&N: \x8E\x9F\x82\xCC\x89\xE6\x91\x9C (Space)");
}

TEST(CommandForShortcutTest, MatchesExactModifierSets) {
  const std::vector<std::pair<Shortcut, Command>> bound{
      {{'F', kNoModifier}, Command::OpenFile},
      {{'0', kNoModifier}, Command::Zoom100},
      {{'1', kNoModifier}, Command::Zoom10},
      {{'2', kShiftKey}, Command::Zoom200},
      {{'5', kShiftKey}, Command::Zoom500},
      {{'0', kShiftKey}, Command::ZoomTyped},
      {{'C', kShiftKey}, Command::CopyFullSize},
      {{'C', kCtrlKey}, Command::CopyAsDisplayed},
      {{'J', kNoModifier}, Command::OpenMoveMenu},
      {{'D', kNoModifier}, Command::DeleteShownFile},
      {{'U', kNoModifier}, Command::UndoMoveOrDelete},
      {{'S', kNoModifier}, Command::ChooseSortOrder},
      {{'R', kShiftKey}, Command::RefreshList},
      {{'W', kNoModifier}, Command::OpenSettings},
      {{kVkF1, kNoModifier}, Command::OpenHelp},
      {{'V', kNoModifier}, Command::ShowVersion},
      {{'Q', kNoModifier}, Command::Quit}};
  for (const auto& [keys, command] : bound) {
    EXPECT_EQ(CommandForShortcut(keys.Key, keys.Modifiers), command) << ShortcutText(keys);
  }
  const std::vector<Shortcut> unbound{{'1', kShiftKey},        {'6', kShiftKey},
                                      {'9', kShiftKey},        {'C', kShiftKey | kCtrlKey},
                                      {'C', kNoModifier},      {'R', kNoModifier},
                                      {'R', kCtrlKey},         {'R', kShiftKey | kCtrlKey},
                                      {'F', kAltKey},          {'2', kShiftKey | kAltKey},
                                      {kVkSpace, kNoModifier}, {kVkBack, kNoModifier},
                                      {'M', kNoModifier},      {'Z', kCtrlKey},
                                      {0, kNoModifier}};
  for (const Shortcut& keys : unbound) {
    EXPECT_FALSE(CommandForShortcut(keys.Key, keys.Modifiers)) << ShortcutText(keys);
  }
}

TEST(CommandForShortcutTest, NoTwoItemsShareAShortcut) {
  std::set<std::pair<int, unsigned>> seen;
  for (const MenuItem& item : CommandMenuItems()) {
    if (item.Keys.Key == 0) continue;
    EXPECT_TRUE(seen.insert({item.Keys.Key, item.Keys.Modifiers}).second) << item.Name;
  }
}

TEST(ShortcutTextTest, NamesModifiersThenKey) {
  EXPECT_EQ(ShortcutText(MenuItemFor(Command::OpenFile).Keys), "F");
  EXPECT_EQ(ShortcutText(MenuItemFor(Command::CopyFullSize).Keys), "Shift+C");
  EXPECT_EQ(ShortcutText(MenuItemFor(Command::CopyAsDisplayed).Keys), "Ctrl+C");
  EXPECT_EQ(ShortcutText(MenuItemFor(Command::OpenHelp).Keys), "F1");
  EXPECT_EQ(ShortcutText(MenuItemFor(Command::Zoom200).Keys), "Shift+2");
  EXPECT_EQ(ShortcutText(MenuItemFor(Command::NextPicture).Keys), "");
  EXPECT_EQ(ShortcutText({'X', kShiftKey | kCtrlKey | kAltKey}), "Shift+Ctrl+Alt+X");
  EXPECT_EQ(ShortcutText({kVkF1 + 11, kNoModifier}), "F12");
}

TEST(MenuStateTest, MoveIsDisabledWhileTheShownFileIsRemovedAndUndoWithNothingToUndo) {
  for (bool removed : {false, true}) {
    for (bool canUndo : {false, true}) {
      const MenuState state = StateFor({removed, 0, canUndo, ""});
      for (Command command : AllCommands()) {
        const bool expected = command == Command::OpenMoveMenu       ? !removed
                              : command == Command::UndoMoveOrDelete ? canUndo
                                                                     : true;
        EXPECT_EQ(state.IsEnabled(command), expected) << MenuItemFor(command).Name;
      }
    }
  }
}

TEST(MenuStateTest, TheUndoCaptionNamesWhatItWouldUndoAndEveryOtherCaptionIsTheTables) {
  const MenuState state = StateFor({false, 0, true, "a&b.jpg の移動"});
  EXPECT_EQ(state.Caption(Command::UndoMoveOrDelete), "&U: 元に戻す (a&&b.jpg の移動)");
  for (Command command : AllCommands()) {
    if (command == Command::UndoMoveOrDelete) continue;
    EXPECT_EQ(state.Caption(command), MenuItemFor(command).Caption);
  }
  EXPECT_EQ(StateFor({false, 0, true, ""}).Caption(Command::UndoMoveOrDelete), "&U: 元に戻す")
      << "a journal that does not read names nothing";
  EXPECT_EQ(StateFor({false, 0, false, "a.jpg の移動"}).Caption(Command::UndoMoveOrDelete),
            "&U: 元に戻す");
}

TEST(MenuStateTest, ExactlyTheFitItemOfTheModeIsTicked) {
  const std::vector<std::pair<int, std::set<Command>>> cases{{0, {Command::FitWindowToPicture}},
                                                             {1, {Command::FitPictureToWindow}},
                                                             {2, {Command::FitNeither}},
                                                             {3, {}},
                                                             {-1, {}}};
  for (const auto& [mode, ticked] : cases) {
    const MenuState state = StateFor({false, mode, false, ""});
    for (Command command : AllCommands()) {
      EXPECT_EQ(state.IsChecked(command), ticked.count(command) > 0)
          << "mode " << mode << " " << MenuItemFor(command).Name;
    }
  }
}

}  // namespace
}  // namespace bex
