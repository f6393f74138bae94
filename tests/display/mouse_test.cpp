#include "display/mouse.h"

#include <climits>
#include <gtest/gtest.h>

namespace bex {
namespace {

TEST(DoubleClick, ZonesOfA300By300Window) {
  using A = DoubleClickAction;
  const struct {
    int x, y;
    A action;
  } cases[] = {
      {0, 0, A::StepBackward},    {99, 199, A::StepBackward},  // 300 / 3 = 100, 600 / 3 = 200
      {100, 0, A::None},          {200, 100, A::None},        {201, 0, A::StepForward},
      {299, 199, A::StepForward}, {10, 200, A::None},         {290, 250, A::None},
      {-5, 10, A::StepBackward},  {400, 10, A::StepForward},  // scrolled picture coordinates
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DoubleClickZone(c.x, c.y, 300, 300), c.action) << c.x << "," << c.y;
  }
}

TEST(DoubleClick, ThirdsTruncate) {
  // 301 / 3 = 100 and 602 / 3 = 200.
  EXPECT_EQ(DoubleClickZone(99, 0, 301, 301), DoubleClickAction::StepBackward);
  EXPECT_EQ(DoubleClickZone(100, 0, 301, 301), DoubleClickAction::None);
  EXPECT_EQ(DoubleClickZone(201, 199, 301, 301), DoubleClickAction::StepForward);
  EXPECT_EQ(DoubleClickZone(201, 200, 301, 301), DoubleClickAction::None);
  EXPECT_EQ(DoubleClickZone(INT_MAX, 0, INT_MAX, INT_MAX), DoubleClickAction::StepForward);
}

TEST(DragScroll, PointerLeftScrollsTowardTheEnd) {
  // Picture 1000 wide in a 400 client: positions 0 ... 600.
  EXPECT_EQ(ScrollByDrag(0, -50, 1000, 400, true), 50);
  EXPECT_EQ(ScrollByDrag(580, -50, 1000, 400, true), 600);
  EXPECT_EQ(ScrollByDrag(600, -50, 1000, 400, true), 600);
  EXPECT_EQ(ScrollByDrag(0, INT_MIN, 1000, 400, true), 600);
}

TEST(DragScroll, PointerRightScrollsBackToTheStart) {
  EXPECT_EQ(ScrollByDrag(300, 50, 1000, 400, true), 250);
  EXPECT_EQ(ScrollByDrag(30, 50, 1000, 400, true), 0);
  EXPECT_EQ(ScrollByDrag(50, 50, 1000, 400, true), 0);
  EXPECT_EQ(ScrollByDrag(0, 50, 1000, 400, true), 0);
  EXPECT_EQ(ScrollByDrag(300, INT_MAX, 1000, 400, true), 0);
}

TEST(DragScroll, NothingWhenThePictureFitsOrIsMissingOrThePointerStays) {
  EXPECT_EQ(ScrollByDrag(0, -50, 400, 400, true), 0);
  EXPECT_EQ(ScrollByDrag(0, -50, 300, 400, true), 0);
  EXPECT_EQ(ScrollByDrag(100, -50, 1000, 400, false), 100);
  EXPECT_EQ(ScrollByDrag(100, 50, 1000, 400, false), 100);
  EXPECT_EQ(ScrollByDrag(100, 0, 1000, 400, true), 100);
}

TEST(Wheel, FullNotchesStep) {
  WheelAccumulator wheel;
  EXPECT_EQ(wheel.Add(-120), 1);  // toward the user: next file
  EXPECT_EQ(wheel.Add(120), -1);  // away: previous file
  EXPECT_EQ(wheel.Add(-360), 3);
  EXPECT_EQ(wheel.Add(240), -2);
}

TEST(Wheel, PartsCarryOver) {
  WheelAccumulator wheel;
  EXPECT_EQ(wheel.Add(-40), 0);
  EXPECT_EQ(wheel.Add(-40), 0);
  EXPECT_EQ(wheel.Add(-40), 1);
  EXPECT_EQ(wheel.Add(-40), 0);
  EXPECT_EQ(wheel.Add(-200), 2);  // 40 + 200 = 240
  EXPECT_EQ(wheel.Add(-100), 0);
  EXPECT_EQ(wheel.Add(-30), 1);  // 100 + 30 = 130, 10 carried
}

TEST(Wheel, OppositeTurnsCancel) {
  WheelAccumulator wheel;
  EXPECT_EQ(wheel.Add(40), 0);
  EXPECT_EQ(wheel.Add(-120), 0);  // -80 carried
  EXPECT_EQ(wheel.Add(-40), 1);
  EXPECT_EQ(wheel.Add(INT_MAX), -(INT_MAX / 120));
  EXPECT_EQ(wheel.Add(INT_MIN), INT_MAX / 120);  // 7 carried, then 7 - 2^31
}

}  // namespace
}  // namespace bex
