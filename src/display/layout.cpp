#include "display/layout.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace bex {
namespace {

constexpr int64_t kIntMax = std::numeric_limits<int>::max();
constexpr int64_t kIntMin = std::numeric_limits<int>::min();

int ClampToInt(int64_t v) { return static_cast<int>(std::clamp(v, kIntMin, kIntMax)); }

int NonNegative(int64_t v) { return ClampToInt(std::max<int64_t>(v, 0)); }

// The main window while fit mode 0 sizes it. It mirrors how the window system
// answers: setting the client width sets the outer width to that plus the frame
// and any vertical bar then shown; the outer size never goes below the
// window's minimum; scroll bars exist only while automatic scrolling is on.
class SimulatedWindow {
 public:
  SimulatedWindow(const WindowGeometry& g, int contentWidth, int contentHeight)
      : g_(g),
        outerWidth_(g.outerWidth),
        outerHeight_(g.outerHeight),
        contentWidth_(contentWidth),
        contentHeight_(contentHeight) {}

  void SetAutoScroll(bool on) { autoScroll_ = on; }

  void SetClientWidth(int width) {
    const int64_t bar = Bars().vertical ? g_.vScrollWidth : 0;
    SetOuterWidth(int64_t{g_.frameWidth} + bar + width);
  }
  void SetClientHeight(int height) {
    const int64_t bar = Bars().horizontal ? g_.hScrollHeight : 0;
    SetOuterHeight(int64_t{g_.frameHeight} + bar + height);
  }
  void CapWidth(int limit) {
    if (outerWidth_ > limit) SetOuterWidth(limit);
  }
  void CapHeight(int limit) {
    if (outerHeight_ > limit) SetOuterHeight(limit);
  }

  ScrollBars Bars() const {
    const int fullWidth = NonNegative(int64_t{outerWidth_} - g_.frameWidth);
    const int fullHeight = NonNegative(int64_t{outerHeight_} - g_.frameHeight);
    if (!autoScroll_) return ScrollBars{false, false, fullWidth, fullHeight};
    return ScrollBarsFor(contentWidth_, contentHeight_, fullWidth, fullHeight, g_.vScrollWidth,
                         g_.hScrollHeight);
  }
  int OuterWidth() const { return outerWidth_; }
  int OuterHeight() const { return outerHeight_; }

 private:
  void SetOuterWidth(int64_t w) {
    outerWidth_ = ClampToInt(std::max<int64_t>(w, g_.minOuterWidth));
  }
  void SetOuterHeight(int64_t h) {
    outerHeight_ = ClampToInt(std::max<int64_t>(h, g_.minOuterHeight));
  }

  const WindowGeometry& g_;
  int outerWidth_;
  int outerHeight_;
  int contentWidth_;
  int contentHeight_;
  bool autoScroll_ = true;
};

void WindowFollowsPicture(const LayoutInput& in, LayoutResult& out) {
  SimulatedWindow window(in.window, out.imageWidth, out.imageHeight);
  window.SetAutoScroll(false);
  window.SetClientWidth(out.imageWidth);
  window.CapWidth(in.desktopWidth);
  window.SetClientHeight(out.imageHeight);
  window.CapHeight(in.desktopHeight);
  window.SetAutoScroll(true);
  // The height cap may have brought a vertical bar: widen the window past it.
  window.SetClientWidth(out.imageWidth);
  window.CapWidth(in.desktopWidth);
  out.windowResized = true;
  out.outerWidth = window.OuterWidth();
  out.outerHeight = window.OuterHeight();
  out.bars = window.Bars();
}

// The zoom at which the picture fits the client area (without scroll bars,
// which a fitted picture never needs) by its tighter side; a tie goes to the
// height. Comparing CW / W with CH / H through exact cross products.
int64_t FittedZoom(int width, int height, int clientWidth, int clientHeight) {
  if (int64_t{clientWidth} * height >= int64_t{clientHeight} * width) {
    return int64_t{clientHeight} * 100 / height;
  }
  return int64_t{clientWidth} * 100 / width;
}

}  // namespace

int MaxZoomFor(int width, int height) {
  const int64_t side = std::max({width, height, 0});
  if (side == 0) return static_cast<int>(kIntMax);
  // side * zoom / 100 <= kMaxShownSide  <=>  side * zoom < 100 * (kMaxShownSide + 1)
  return ClampToInt((100 * (int64_t{kMaxShownSide} + 1) - 1) / side);
}

int64_t ScaledSide(int side, int zoomPercent) { return int64_t{side} * zoomPercent / 100; }

ScrollBars ScrollBarsFor(int contentWidth, int contentHeight, int fullClientWidth,
                         int fullClientHeight, int vScrollWidth, int hScrollHeight) {
  const int64_t narrowWidth = int64_t{fullClientWidth} - vScrollWidth;
  const int64_t lowHeight = int64_t{fullClientHeight} - hScrollHeight;
  ScrollBars bars;
  bars.horizontal = contentWidth > fullClientWidth;
  bars.vertical = contentHeight > fullClientHeight;
  if (bars.horizontal && !bars.vertical) bars.vertical = contentHeight > lowHeight;
  if (bars.vertical && !bars.horizontal) bars.horizontal = contentWidth > narrowWidth;
  bars.clientWidth = NonNegative(bars.vertical ? narrowWidth : fullClientWidth);
  bars.clientHeight = NonNegative(bars.horizontal ? lowHeight : fullClientHeight);
  return bars;
}

LayoutResult LayOutPicture(const LayoutInput& in) {
  const int width = std::max(in.pictureWidth, 0);
  const int height = std::max(in.pictureHeight, 0);
  const WindowGeometry& g = in.window;
  const int fullClientWidth = NonNegative(int64_t{g.outerWidth} - g.frameWidth);
  const int fullClientHeight = NonNegative(int64_t{g.outerHeight} - g.frameHeight);

  int64_t zoom = in.zoomPercent;
  if (in.fitMode == 1 && width > 0 && height > 0) {
    zoom = FittedZoom(width, height, fullClientWidth, fullClientHeight);
  }
  LayoutResult out;
  out.zoomPercent = ClampToInt(std::clamp<int64_t>(zoom, 0, MaxZoomFor(width, height)));
  out.zoomLimited = out.zoomPercent != zoom;
  out.imageWidth = static_cast<int>(ScaledSide(width, out.zoomPercent));
  out.imageHeight = static_cast<int>(ScaledSide(height, out.zoomPercent));

  if (in.fitMode == 0) {
    WindowFollowsPicture(in, out);
    return out;
  }
  out.outerWidth = g.outerWidth;
  out.outerHeight = g.outerHeight;
  out.bars = ScrollBarsFor(out.imageWidth, out.imageHeight, fullClientWidth, fullClientHeight,
                           g.vScrollWidth, g.hScrollHeight);
  return out;
}

int ClampScroll(int pos, int content, int client) {
  const int64_t limit = std::max<int64_t>(int64_t{content} - client, 0);
  return ClampToInt(std::clamp<int64_t>(pos, 0, limit));
}

VisibleSpan VisibleSpanOf(int pictureStart, int pictureSide, int clientSide) {
  const int64_t start = std::max<int64_t>(pictureStart, 0);
  const int64_t end = std::min<int64_t>(int64_t{pictureStart} + pictureSide, clientSide);
  VisibleSpan span;
  span.windowStart = ClampToInt(start);
  span.windowSide = ClampToInt(std::max<int64_t>(end - start, 0));
  span.firstShown = ClampToInt(start - pictureStart);
  return span;
}

ScrollRange ScrollRangeFor(int content, int client) {
  ScrollRange range;
  range.max = std::max(content, 1) - 1;
  range.page = std::max(client, 0);
  return range;
}

}  // namespace bex
