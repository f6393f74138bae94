#include "display/layout.h"

#include <climits>
#include <gtest/gtest.h>

namespace bex {
namespace {

// A window with a 16 x 39 frame, 17-pixel scroll bars, on a 1920 x 1080 desktop.
constexpr int kFrameW = 16;
constexpr int kFrameH = 39;
constexpr int kBar = 17;

LayoutInput Input(int w, int h, int zoom, int fitMode, int clientW = 400, int clientH = 300) {
  LayoutInput in;
  in.pictureWidth = w;
  in.pictureHeight = h;
  in.zoomPercent = zoom;
  in.fitMode = fitMode;
  in.window.outerWidth = clientW + kFrameW;
  in.window.outerHeight = clientH + kFrameH;
  in.window.frameWidth = kFrameW;
  in.window.frameHeight = kFrameH;
  in.window.vScrollWidth = kBar;
  in.window.hScrollHeight = kBar;
  in.desktopWidth = 1920;
  in.desktopHeight = 1080;
  return in;
}

void ExpectBars(const ScrollBars& bars, bool horizontal, bool vertical, int clientW, int clientH) {
  EXPECT_EQ(bars.horizontal, horizontal);
  EXPECT_EQ(bars.vertical, vertical);
  EXPECT_EQ(bars.clientWidth, clientW);
  EXPECT_EQ(bars.clientHeight, clientH);
}

TEST(PictureFollowsWindow, FitsByTheTighterSide) {
  LayoutResult r = LayOutPicture(Input(1000, 500, 100, 1, 400, 400));
  EXPECT_EQ(r.zoomPercent, 40);
  EXPECT_EQ(r.imageWidth, 400);
  EXPECT_EQ(r.imageHeight, 200);
  EXPECT_FALSE(r.windowResized);
  EXPECT_EQ(r.outerWidth, 400 + kFrameW);
  ExpectBars(r.bars, false, false, 400, 400);

  r = LayOutPicture(Input(300, 300, 100, 1, 400, 200));
  EXPECT_EQ(r.zoomPercent, 66);
  EXPECT_EQ(r.imageWidth, 198);
  EXPECT_EQ(r.imageHeight, 198);
  EXPECT_FALSE(r.zoomLimited);
}

TEST(PictureFollowsWindow, IgnoresTheAskedZoomAndEnlargesSmallPictures) {
  const LayoutResult r = LayOutPicture(Input(1, 1, 10, 1, 400, 300));
  EXPECT_EQ(r.zoomPercent, 30000);
  EXPECT_EQ(r.imageWidth, 300);
  EXPECT_EQ(r.imageHeight, 300);
}

TEST(PictureFollowsWindow, EmptyPictureKeepsTheZoom) {
  const LayoutResult r = LayOutPicture(Input(0, 500, 70, 1));
  EXPECT_EQ(r.zoomPercent, 70);
  EXPECT_EQ(r.imageWidth, 0);
  EXPECT_EQ(r.imageHeight, 350);
}

TEST(PictureFollowsWindow, WindowSmallerThanItsFrameGivesZeroZoom) {
  LayoutInput in = Input(100, 100, 100, 1);
  in.window.outerWidth = 5;
  const LayoutResult r = LayOutPicture(in);
  EXPECT_EQ(r.zoomPercent, 0);
  EXPECT_EQ(r.imageWidth, 0);
}

TEST(WindowFollowsPicture, SmallPictureSetsTheClientSize) {
  const LayoutResult r = LayOutPicture(Input(200, 100, 150, 0));
  EXPECT_EQ(r.zoomPercent, 150);
  EXPECT_EQ(r.imageWidth, 300);
  EXPECT_EQ(r.imageHeight, 150);
  EXPECT_TRUE(r.windowResized);
  EXPECT_EQ(r.outerWidth, 300 + kFrameW);
  EXPECT_EQ(r.outerHeight, 150 + kFrameH);
  ExpectBars(r.bars, false, false, 300, 150);
}

TEST(WindowFollowsPicture, ShrinksTheWindowToo) {
  LayoutInput in = Input(50, 40, 100, 0, 1500, 900);
  const LayoutResult r = LayOutPicture(in);
  EXPECT_EQ(r.outerWidth, 50 + kFrameW);
  EXPECT_EQ(r.outerHeight, 40 + kFrameH);
}

TEST(WindowFollowsPicture, RespectsTheWindowsMinimumSize) {
  LayoutInput in = Input(10, 10, 100, 0);
  in.window.minOuterWidth = 136;
  in.window.minOuterHeight = 39;
  const LayoutResult r = LayOutPicture(in);
  EXPECT_EQ(r.outerWidth, 136);
  EXPECT_EQ(r.outerHeight, 10 + kFrameH);
  ExpectBars(r.bars, false, false, 120, 10);
}

TEST(WindowFollowsPicture, WidthCapLeavesBothBars) {
  // The height was fitted while no bar showed; the horizontal bar then takes
  // 17 pixels of it, so the vertical bar appears as well.
  const LayoutResult r = LayOutPicture(Input(3000, 500, 100, 0));
  EXPECT_EQ(r.outerWidth, 1920);
  EXPECT_EQ(r.outerHeight, 500 + kFrameH);
  ExpectBars(r.bars, true, true, 1920 - kFrameW - kBar, 500 - kBar);
}

TEST(WindowFollowsPicture, HeightCapWidensTheWindowByTheVerticalBar) {
  const LayoutResult r = LayOutPicture(Input(800, 2000, 100, 0));
  EXPECT_EQ(r.outerWidth, 800 + kFrameW + kBar);
  EXPECT_EQ(r.outerHeight, 1080);
  ExpectBars(r.bars, false, true, 800, 1080 - kFrameH);
}

TEST(WindowFollowsPicture, HeightCapThenWidthCapAgain) {
  // 1900 + frame fits the desktop, 1900 + frame + bar does not.
  const LayoutResult r = LayOutPicture(Input(1900, 2000, 100, 0));
  EXPECT_EQ(r.outerWidth, 1920);
  EXPECT_EQ(r.outerHeight, 1080);
  ExpectBars(r.bars, true, true, 1920 - kFrameW - kBar, 1080 - kFrameH - kBar);
}

TEST(WindowFollowsPicture, BothCaps) {
  const LayoutResult r = LayOutPicture(Input(1500, 1000, 300, 0));
  EXPECT_EQ(r.imageWidth, 4500);
  EXPECT_EQ(r.imageHeight, 3000);
  EXPECT_EQ(r.outerWidth, 1920);
  EXPECT_EQ(r.outerHeight, 1080);
  ExpectBars(r.bars, true, true, 1920 - kFrameW - kBar, 1080 - kFrameH - kBar);
}

TEST(FixedWindow, ScrollBarsWhereThePictureReachesBeyond) {
  LayoutResult r = LayOutPicture(Input(1000, 200, 100, 2));
  EXPECT_FALSE(r.windowResized);
  EXPECT_EQ(r.outerWidth, 400 + kFrameW);
  EXPECT_EQ(r.outerHeight, 300 + kFrameH);
  ExpectBars(r.bars, true, false, 400, 300 - kBar);

  // Exactly as wide as the client, taller: the vertical bar narrows the
  // client, so the horizontal one follows.
  r = LayOutPicture(Input(400, 1000, 100, 2));
  ExpectBars(r.bars, true, true, 400 - kBar, 300 - kBar);

  r = LayOutPicture(Input(400, 300, 100, 2));
  ExpectBars(r.bars, false, false, 400, 300);
}

TEST(FixedWindow, UnknownFitModeActsLikeFixed) {
  const LayoutResult r = LayOutPicture(Input(1000, 500, 50, 7));
  EXPECT_EQ(r.zoomPercent, 50);
  EXPECT_EQ(r.imageWidth, 500);
  EXPECT_FALSE(r.windowResized);
  ExpectBars(r.bars, true, false, 400, 300 - kBar);
}

TEST(ZoomLimits, MaxZoomKeepsSidesWithinTheCap) {
  EXPECT_EQ(MaxZoomFor(0, 0), INT_MAX);
  EXPECT_EQ(MaxZoomFor(100000, 10), 1048);
  EXPECT_LE(ScaledSide(100000, 1048), kMaxShownSide);
  EXPECT_GT(ScaledSide(100000, 1049), kMaxShownSide);
  EXPECT_EQ(MaxZoomFor(1, 1), 104857699);
  EXPECT_EQ(ScaledSide(1, 104857699), kMaxShownSide);
}

TEST(ZoomLimits, TooLargeOrNegativeZoomIsBroughtIntoRange) {
  LayoutResult r = LayOutPicture(Input(100000, 10, 2000, 2));
  EXPECT_TRUE(r.zoomLimited);
  EXPECT_EQ(r.zoomPercent, 1048);
  EXPECT_EQ(r.imageWidth, 1048000);

  r = LayOutPicture(Input(46341, 46341, INT_MAX, 0));
  EXPECT_TRUE(r.zoomLimited);
  EXPECT_LE(r.imageWidth, kMaxShownSide);
  EXPECT_EQ(r.outerWidth, 1920);

  r = LayOutPicture(Input(100, 100, -5, 2));
  EXPECT_TRUE(r.zoomLimited);
  EXPECT_EQ(r.zoomPercent, 0);
  EXPECT_EQ(r.imageWidth, 0);

  r = LayOutPicture(Input(100, 100, 0, 0));
  EXPECT_FALSE(r.zoomLimited);
  EXPECT_EQ(r.outerWidth, kFrameW);
  EXPECT_EQ(r.outerHeight, kFrameH);
}

TEST(Scrolling, ClampKeepsTheClientOnTheContent) {
  // At 200 % a 600 x 400 picture is 1200 x 800 in a 400 x 300 client.
  EXPECT_EQ(ClampScroll(300, 1200, 400), 300);
  EXPECT_EQ(ClampScroll(900, 1200, 400), 800);
  EXPECT_EQ(ClampScroll(-3, 1200, 400), 0);
  EXPECT_EQ(ClampScroll(50, 300, 400), 0);
  EXPECT_EQ(ClampScroll(INT_MAX, INT_MAX, INT_MIN), INT_MAX);
}

TEST(Scrolling, RangeEndsWhereTheClampDoes) {
  const ScrollRange range = ScrollRangeFor(1200, 400);
  EXPECT_EQ(range.min, 0);
  EXPECT_EQ(range.max - range.page + 1, ClampScroll(INT_MAX, 1200, 400));
  EXPECT_EQ(ScrollRangeFor(0, 400).max, 0);
}

// The window over the picture never exceeds the client area, however large
// the zoomed picture and however far it is scrolled.
TEST(VisibleSpan, IsThePartOfThePictureInTheClientArea) {
  const struct {
    int start, side, client;
    VisibleSpan span;
  } cases[] = {
      {0, 300, 1000, {0, 300, 0}},                 // the whole small picture
      {0, 60000, 1260, {0, 1260, 0}},              // the start of a wide one
      {-58740, 60000, 1260, {0, 1260, 58740}},     // scrolled to its end
      {-40000, 60000, 1260, {0, 1260, 40000}},     // past 32767
      {-59500, 60000, 1260, {0, 500, 59500}},      // its last 500 pixels
      {-1048576, 1048576, 1260, {0, 0, 1048576}},  // scrolled out of view
      {20, 100, 50, {20, 30, 0}},                  // starting inside the client
      {0, 100, 0, {0, 0, 0}},                      // no client area (minimised)
  };
  for (const auto& c : cases) {
    const VisibleSpan s = VisibleSpanOf(c.start, c.side, c.client);
    EXPECT_EQ(s.windowStart, c.span.windowStart) << c.start << " " << c.side;
    EXPECT_EQ(s.windowSide, c.span.windowSide) << c.start << " " << c.side;
    EXPECT_EQ(s.firstShown, c.span.firstShown) << c.start << " " << c.side;
  }
}

}  // namespace
}  // namespace bex
