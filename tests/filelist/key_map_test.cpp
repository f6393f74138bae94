#include "filelist/key_map.h"

#include <gtest/gtest.h>
#include <vector>

#include "filelist/commands.h"
#include "filelist/virtual_keys.h"

namespace bex {
namespace {

KeyAction ActionFor(int key, bool shift, bool ctrl) {
  return KeyActionFor(key, shift, ctrl).Action;
}

struct ModifierCase {
  bool Shift;
  bool Ctrl;
  KeyAction Expected;
};

void ExpectActions(int key, const std::vector<ModifierCase>& cases) {
  for (const ModifierCase& c : cases) {
    EXPECT_EQ(ActionFor(key, c.Shift, c.Ctrl), c.Expected)
        << "key " << key << " shift " << c.Shift << " ctrl " << c.Ctrl;
  }
}

TEST(KeyActionForTest, ShiftReversesSpaceAndBackSpaceAndCtrlChangesNothing) {
  using A = KeyAction;
  ExpectActions(kVkSpace, {{false, false, A::kStepForward},
                           {true, false, A::kStepBackward},
                           {false, true, A::kStepForward},
                           {true, true, A::kStepBackward}});
  ExpectActions(kVkBack, {{false, false, A::kStepBackward},
                          {true, false, A::kStepForward},
                          {false, true, A::kStepBackward},
                          {true, true, A::kStepForward}});
}

TEST(KeyActionForTest, ArrowsTestCtrlBeforeShift) {
  using A = KeyAction;
  ExpectActions(kVkLeft, {{false, false, A::kMoveWindowLeft},
                          {true, false, A::kScrollLeft},
                          {false, true, A::kWindowToLeftEdge},
                          {true, true, A::kWindowToLeftEdge}});
  ExpectActions(kVkUp, {{false, false, A::kMoveWindowUp},
                        {true, false, A::kScrollUp},
                        {true, true, A::kWindowToTopEdge}});
  ExpectActions(kVkRight, {{false, false, A::kMoveWindowRight},
                           {true, false, A::kScrollRight},
                           {true, true, A::kWindowToRightEdge}});
  ExpectActions(kVkDown, {{false, false, A::kMoveWindowDown},
                          {true, false, A::kScrollDown},
                          {true, true, A::kWindowToBottomEdge}});
}

TEST(KeyActionForTest, LetterKeysActWithAnyModifiers) {
  using A = KeyAction;
  const std::vector<std::pair<int, A>> letters{
      {'B', A::kWindowToBottomEdge}, {'K', A::kToggleSingleInstance}, {'L', A::kWindowToLeftEdge},
      {'M', A::kOpenCommandMenu},    {'T', A::kWindowToTopEdge},      {kVkReturn, A::kCloseWindow},
      {kVkEscape, A::kCloseWindow}};
  for (const auto& [key, action] : letters) {
    ExpectActions(key, {{false, false, action}, {true, false, action}, {true, true, action}});
  }
}

TEST(KeyActionForTest, RightEdgeUnlessShiftAloneRefreshes) {
  ExpectActions('R', {{false, false, KeyAction::kWindowToRightEdge},
                      {false, true, KeyAction::kWindowToRightEdge},
                      {true, true, KeyAction::kWindowToRightEdge}});
  EXPECT_EQ(CommandForShortcut('R', kShiftKey), Command::RefreshList);
  EXPECT_FALSE(CommandForShortcut('R', kShiftKey | kCtrlKey));
}

TEST(KeyActionForTest, CtrlShiftCCentresTheWindow) {
  EXPECT_FALSE(CommandForShortcut('C', kShiftKey | kCtrlKey));
  EXPECT_EQ(ActionFor('C', true, true), KeyAction::kCentreWindow);
  EXPECT_EQ(ActionFor('C', false, false), KeyAction::kCentreWindow);
}

TEST(KeyActionForTest, ShiftWithAnUnboundDigitDoesNothing) {
  for (int digit : {'1', '6', '7', '8', '9'}) {
    EXPECT_FALSE(CommandForShortcut(digit, kShiftKey));
    EXPECT_EQ(ActionFor(digit, true, false), KeyAction::kNone);
  }
}

TEST(KeyActionForTest, ZoomKeysPassShiftAndTheKeypadDigit) {
  const KeyCommand up = KeyActionFor('Z', true, false);
  EXPECT_EQ(up.Action, KeyAction::kZoomStepUp);
  EXPECT_TRUE(up.Shift);
  const KeyCommand down = KeyActionFor('X', false, false);
  EXPECT_EQ(down.Action, KeyAction::kZoomStepDown);
  EXPECT_FALSE(down.Shift);
  for (int digit = 0; digit <= 9; ++digit) {
    const KeyCommand pad = KeyActionFor(kVkNumpad0 + digit, true, false);
    EXPECT_EQ(pad.Action, KeyAction::kZoomByPad);
    EXPECT_EQ(pad.Digit, digit);
    EXPECT_TRUE(pad.Shift);
  }
}

TEST(KeyActionForTest, OtherKeysDoNothing) {
  for (int key :
       std::vector<int>{16, 17, 18, 'A', 'F', 'J', kVkNumpad9 + 1, kVkNumpad0 - 1, kVkF1}) {
    EXPECT_EQ(ActionFor(key, false, false), KeyAction::kNone) << key;
  }
}

const DesktopSize kDesktop{1920, 1080};

std::vector<int> RepeatedLefts(KeyAction action, WindowBounds window, int presses) {
  std::vector<int> lefts;
  for (int i = 0; i < presses; ++i) {
    window.Left = MovedWindowOrigin(action, window, kDesktop).Left;
    lefts.push_back(window.Left);
  }
  return lefts;
}

std::vector<int> RepeatedTops(KeyAction action, WindowBounds window, int presses) {
  std::vector<int> tops;
  for (int i = 0; i < presses; ++i) {
    window.Top = MovedWindowOrigin(action, window, kDesktop).Top;
    tops.push_back(window.Top);
  }
  return tops;
}

TEST(MovedWindowOriginTest, PlainArrowsStopOneStepBeyondTheEdge) {
  EXPECT_EQ(RepeatedLefts(KeyAction::kMoveWindowLeft, {0, 0, 207, 141}, 6),
            (std::vector<int>{-50, -100, -150, -200, -250, -250}));
  EXPECT_EQ(RepeatedTops(KeyAction::kMoveWindowUp, {0, 0, 207, 141}, 4),
            (std::vector<int>{-50, -100, -150, -150}));
  EXPECT_EQ(RepeatedLefts(KeyAction::kMoveWindowRight, {1800, 0, 207, 141}, 4),
            (std::vector<int>{1850, 1900, 1920, 1920}));
  EXPECT_EQ(RepeatedTops(KeyAction::kMoveWindowDown, {0, 990, 207, 141}, 3),
            (std::vector<int>{1040, 1080, 1080}));
}

TEST(MovedWindowOriginTest, EdgeKeysBringTheWindowBack) {
  const WindowBounds window{-250, 2000, 207, 141};
  auto moved = [&](KeyAction action) {
    const WindowOrigin o = MovedWindowOrigin(action, window, kDesktop);
    return std::make_pair(o.Left, o.Top);
  };
  EXPECT_EQ(moved(KeyAction::kWindowToLeftEdge), std::make_pair(0, 2000));
  EXPECT_EQ(moved(KeyAction::kWindowToTopEdge), std::make_pair(-250, 0));
  EXPECT_EQ(moved(KeyAction::kWindowToRightEdge), std::make_pair(1713, 2000));
  EXPECT_EQ(moved(KeyAction::kWindowToBottomEdge), std::make_pair(-250, 939));
  EXPECT_EQ(moved(KeyAction::kCentreWindow), std::make_pair(856, 469));
  EXPECT_EQ(moved(KeyAction::kScrollLeft), std::make_pair(-250, 2000));
}

TEST(MovedWindowOriginTest, CentringAWindowLargerThanTheDesktopTruncatesTowardZero) {
  const WindowOrigin o = MovedWindowOrigin(KeyAction::kCentreWindow, {0, 0, 2001, 1081}, kDesktop);
  EXPECT_EQ(o.Left, -40);
  EXPECT_EQ(o.Top, 0);
}

TEST(PopupMenuPointTest, OneTenthIntoTheWindow) {
  const WindowOrigin p = PopupMenuPoint({10, 20, 207, 141});
  EXPECT_EQ(p.Left, 30);
  EXPECT_EQ(p.Top, 34);
}

std::vector<int> RepeatedX(KeyAction action, ScrollView view, int presses) {
  std::vector<int> xs;
  for (int i = 0; i < presses; ++i) {
    view.X = ScrolledPosition(action, view, true).X;
    xs.push_back(view.X);
  }
  return xs;
}

TEST(ScrolledPositionTest, ScrollsInStepsUpToThePicturesEnds) {
  const ScrollView view{120, 0, 300, 200, 500, 400};
  EXPECT_EQ(RepeatedX(KeyAction::kScrollLeft, view, 4), (std::vector<int>{70, 20, 0, 0}));
  EXPECT_EQ(RepeatedX(KeyAction::kScrollRight, view, 3), (std::vector<int>{170, 200, 200}));
  const ScrollView down{0, 150, 300, 200, 500, 400};
  EXPECT_EQ(ScrolledPosition(KeyAction::kScrollDown, down, true).Y, 200);
  EXPECT_EQ(ScrolledPosition(KeyAction::kScrollUp, down, true).Y, 100);
}

TEST(ScrolledPositionTest, NothingWithoutAPictureOrWhenItFits) {
  const ScrollView view{120, 80, 300, 200, 500, 400};
  for (KeyAction action : {KeyAction::kScrollLeft, KeyAction::kScrollUp, KeyAction::kScrollRight,
                           KeyAction::kScrollDown}) {
    const ScrollPosition p = ScrolledPosition(action, view, false);
    EXPECT_EQ(p.X, 120);
    EXPECT_EQ(p.Y, 80);
  }
  const ScrollView fits{0, 0, 300, 200, 300, 150};
  EXPECT_EQ(ScrolledPosition(KeyAction::kScrollRight, fits, true).X, 0);
  EXPECT_EQ(ScrolledPosition(KeyAction::kScrollDown, fits, true).Y, 0);
}

}  // namespace
}  // namespace bex
