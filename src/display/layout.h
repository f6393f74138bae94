// Where the picture and the main window go when a picture is shown, zoomed or
// the window resized: the image area sits at the top-left corner of a scrollable
// client area, is the picture scaled by the zoom percentage, and the fit
// mode decides whether the window follows the picture (0), the picture follows
// the window (1), or neither (2, also any other value).
//
// All of it is pixel arithmetic without the window system: the Win32 layer
// measures the window, calls LayOutPicture, applies the outer size it returns
// (only in fit mode 0), sizes the image area, and shows the scroll bars it names.
#pragma once

#include <cstdint>

namespace bex {

// The largest side, in pixels, that the shown picture may have. Keeps every
// product of a picture side and the zoom percentage well inside 32 signed bits and the
// scroll ranges within what the window system handles.
constexpr int kMaxShownSide = 1 << 20;

// The highest zoom percentage at which a width x height picture still has both
// displayed sides within kMaxShownSide (INT32_MAX for an empty picture).
int MaxZoomFor(int width, int height);

// One side of the picture at zoom percent: side * zoom / 100, truncated, in 64
// bits so that no product overflows.
int64_t ScaledSide(int side, int zoomPercent);

// The window as the Win32 layer measures it.
struct WindowGeometry {
  int outerWidth = 0;  // current outer size of the main window
  int outerHeight = 0;
  int frameWidth = 0;  // outer minus client size while no scroll bar shows
  int frameHeight = 0;
  int vScrollWidth = 0;   // width of a vertical scroll bar
  int hScrollHeight = 0;  // height of a horizontal scroll bar
  int minOuterWidth = 0;  // smallest outer size the window system lets it take
  int minOuterHeight = 0;
};

// Which automatic scroll bars a scrollable client area shows for content at
// its top-left corner, and the client size that remains beside them.
struct ScrollBars {
  bool horizontal = false;
  bool vertical = false;
  int clientWidth = 0;
  int clientHeight = 0;
};

// A bar shows where the content reaches beyond the client area; a shown bar
// takes room from the other direction, which may then need its bar too.
// fullClient* is the client size with no bar shown.
ScrollBars ScrollBarsFor(int contentWidth, int contentHeight, int fullClientWidth,
                         int fullClientHeight, int vScrollWidth, int hScrollHeight);

struct LayoutInput {
  int pictureWidth = 0;  // full-size picture held by the image area
  int pictureHeight = 0;
  int zoomPercent = 100;
  int fitMode = 0;
  WindowGeometry window;
  int desktopWidth = 0;  // the virtual desktop caps the outer size in fit mode 0
  int desktopHeight = 0;
};

struct LayoutResult {
  // The zoom percentage the picture is shown at, to store back and put in the
  // title: fitted in mode 1, and in any mode brought into 0 ... MaxZoomFor.
  int zoomPercent = 100;
  bool zoomLimited = false;  // the asked zoom was outside 0 ... MaxZoomFor
  int imageWidth = 0;        // the image area's size, at client position (0, 0)
  int imageHeight = 0;
  bool windowResized = false;  // fit mode 0: the window takes the size below
  int outerWidth = 0;          // the window's outer size after the layout
  int outerHeight = 0;
  ScrollBars bars;  // scroll bars at that size; both scroll positions are 0
};

// The layout of one ShowPicture (the caller skips it while no picture was
// ever decoded). In fit mode 0 the window keeps its left and top and takes the
// picture's size, capped by the desktop, in the window system's own order:
// client width, width cap, client height, height cap, scroll bars on, then
// the client width once more (now beside a vertical bar if the height was
// capped) and the width cap again. Fit mode 1 fits the picture into the client
// area as it is without scroll bars (outer size minus frame): the fitted
// picture needs none. An empty picture keeps the zoom it has.
LayoutResult LayOutPicture(const LayoutInput& in);

// The scroll position nearest to pos that keeps the client area on the
// content: 0 ... max(0, content - client).
int ClampScroll(int pos, int content, int client);

// A scroll bar's range for SetScrollInfo: positions min ... max, page size.
struct ScrollRange {
  int min = 0;
  int max = 0;
  int page = 0;
};
ScrollRange ScrollRangeFor(int content, int client);

// One axis of the part of the displayed picture that lies in the client area,
// where the picture of side pictureSide starts at pictureStart (minus the
// scroll position): the window showing that part starts at windowStart and
// is windowSide long (0 when nothing shows), and its first pixel is pixel
// firstShown of the displayed picture. The picture can be far wider than a
// window may be (2^20 against 32767 pixels); the part in view never is.
struct VisibleSpan {
  int windowStart = 0;
  int windowSide = 0;
  int firstShown = 0;
};
VisibleSpan VisibleSpanOf(int pictureStart, int pictureSide, int clientSide);

}  // namespace bex
