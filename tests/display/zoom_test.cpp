#include "display/zoom.h"

#include <climits>
#include <gtest/gtest.h>

namespace bex {
namespace {

TEST(ZoomKeys, StepUpStopsAt500) {
  EXPECT_EQ(ZoomStepUp(100, false, true), 110);
  EXPECT_EQ(ZoomStepUp(495, false, true), 500);
  EXPECT_EQ(ZoomStepUp(500, false, true), std::nullopt);
  EXPECT_EQ(ZoomStepUp(500, true, true), std::nullopt);
  EXPECT_EQ(ZoomStepUp(900, false, true), std::nullopt);
  EXPECT_EQ(ZoomStepUp(INT_MAX, false, true), std::nullopt);
  EXPECT_EQ(ZoomStepUp(0, false, true), 10);  // after a typed 0
  EXPECT_EQ(ZoomStepUp(300, true, true), 100);
  EXPECT_EQ(ZoomStepUp(10, true, true), 100);
}

TEST(ZoomKeys, StepDownStopsAt10) {
  EXPECT_EQ(ZoomStepDown(900, false, true), 890);
  EXPECT_EQ(ZoomStepDown(15, false, true), 10);
  EXPECT_EQ(ZoomStepDown(10, false, true), std::nullopt);
  EXPECT_EQ(ZoomStepDown(10, true, true), std::nullopt);
  EXPECT_EQ(ZoomStepDown(INT_MIN, false, true), std::nullopt);
  EXPECT_EQ(ZoomStepDown(300, true, true), 10);
}

TEST(ZoomKeys, StepsNeedAPicture) {
  EXPECT_EQ(ZoomStepUp(100, false, false), std::nullopt);
  EXPECT_EQ(ZoomStepUp(100, true, false), std::nullopt);
  EXPECT_EQ(ZoomStepDown(100, false, false), std::nullopt);
  EXPECT_EQ(ZoomStepDown(100, true, false), std::nullopt);
}

TEST(ZoomKeys, Keypad) {
  using Action = PadZoom::Action;
  const struct {
    int digit;
    bool shift;
    Action action;
    int zoom;
  } cases[] = {
      {0, false, Action::Set, 100}, {1, false, Action::Set, 10}, {9, false, Action::Set, 90},
      {1, true, Action::Set, 100},  {9, true, Action::Set, 900}, {0, true, Action::AskTyped, 0},
      {10, false, Action::None, 0}, {-1, true, Action::None, 0},
  };
  for (const auto& c : cases) {
    const PadZoom pad = ZoomByPad(c.digit, c.shift);
    EXPECT_EQ(pad.action, c.action) << c.digit << (c.shift ? " with shift" : "");
    EXPECT_EQ(pad.zoomPercent, c.zoom) << c.digit;
  }
}

TEST(TypedZoom, WholeNumbersAreTaken) {
  EXPECT_EQ(ParseTypedZoom("150"), 150);
  EXPECT_EQ(ParseTypedZoom("0"), 0);
  EXPECT_EQ(ParseTypedZoom("  75"), 75);
  EXPECT_EQ(ParseTypedZoom("+20"), 20);
  EXPECT_EQ(ParseTypedZoom("-20"), -20);
  EXPECT_EQ(ParseTypedZoom("2147483647"), INT_MAX);
  EXPECT_EQ(ParseTypedZoom("$64"), 100);
}

TEST(TypedZoom, AnythingElseIsRefused) {
  for (const char* text :
       {"", " ", "1.5", ".", "abc", "15a", "15 ", "99999999999", "2147483648", "-", "$", "0x"}) {
    EXPECT_EQ(ParseTypedZoom(text), std::nullopt) << '"' << text << '"';
  }
}

TEST(TypedZoom, ErrorTextQuotesTheTextInCodePage932) {
  // "は" is 0x82 0xCD in code page 932.
  const std::string text = TypedZoomErrorText("1.5");
  EXPECT_EQ(text.substr(0, 6), "'1.5' ");
  EXPECT_EQ(text.substr(6, 2), "\x82\xCD");
  EXPECT_EQ(text, "'1.5' は整数ではありません");
}

TEST(ApplyZoom, FixedWindowStaysElseTheWindowFollows) {
  EXPECT_EQ(FitModeForApplyZoom(0), 0);
  EXPECT_EQ(FitModeForApplyZoom(1), 0);
  EXPECT_EQ(FitModeForApplyZoom(2), 2);
  EXPECT_EQ(FitModeForApplyZoom(5), 0);
}

}  // namespace
}  // namespace bex
