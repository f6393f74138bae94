// The main window's scrollable client area: the image area lies at its
// top-left corner, and automatic scroll bars appear where the image area
// reaches beyond it.
#include "common/dpi_win.h"
#include "display/picture_view_win.h"

namespace bex {
namespace {

// Scroll-bar arrows move the view by this many pixels.
constexpr int kLineStep = 8;

}  // namespace

SIZE PictureView::ClientSize() const {
  RECT r;
  GetClientRect(window_, &r);
  return {r.right, r.bottom};
}

void PictureView::SetOuterSize(int width, int height) {
  SetWindowPos(window_, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// Frames and bars as the system draws them at the window's DPI.
WindowGeometry PictureView::Geometry() const {
  const int dpi = DpiOfWindow(window_);
  const DWORD style = GetWindowLongA(window_, GWL_STYLE) & ~(WS_HSCROLL | WS_VSCROLL);
  RECT frame = {0, 0, 0, 0};
  AdjustWindowRectForDpi(&frame, style, GetWindowLongA(window_, GWL_EXSTYLE), dpi);
  RECT outer;
  GetWindowRect(window_, &outer);
  WindowGeometry g;
  g.outerWidth = outer.right - outer.left;
  g.outerHeight = outer.bottom - outer.top;
  g.frameWidth = frame.right - frame.left;
  g.frameHeight = frame.bottom - frame.top;
  g.vScrollWidth = SystemMetricForDpi(SM_CXVSCROLL, dpi);
  g.hScrollHeight = SystemMetricForDpi(SM_CYHSCROLL, dpi);
  g.minOuterWidth = SystemMetricForDpi(SM_CXMIN, dpi);
  g.minOuterHeight = SystemMetricForDpi(SM_CYMIN, dpi);
  return g;
}

// The automatic scroll bars: shown where the image area reaches beyond the client
// area, with the view kept within the new range.
void PictureView::UpdateScrollBars() {
  if (updatingBars_) return;
  updatingBars_ = true;
  const WindowGeometry g = Geometry();
  const int iw = area_->Width();
  const int ih = area_->Height();
  const ScrollBars bars =
      ScrollBarsFor(iw, ih, g.outerWidth - g.frameWidth, g.outerHeight - g.frameHeight,
                    g.vScrollWidth, g.hScrollHeight);
  scrollX_ = ClampScroll(scrollX_, iw, bars.clientWidth);
  scrollY_ = ClampScroll(scrollY_, ih, bars.clientHeight);
  SetBar(SB_HORZ, bars.horizontal, ScrollRangeFor(iw, bars.clientWidth), scrollX_);
  SetBar(SB_VERT, bars.vertical, ScrollRangeFor(ih, bars.clientHeight), scrollY_);
  area_->MoveTo(-scrollX_, -scrollY_);
  updatingBars_ = false;
}

void PictureView::SetBar(int bar, bool shown, const ScrollRange& range, int pos) {
  SCROLLINFO si = {};
  si.cbSize = sizeof(si);
  si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  si.nMin = range.min;
  si.nMax = shown ? range.max : 0;
  si.nPage = shown ? static_cast<UINT>(range.page) : 0;
  si.nPos = pos;
  SetScrollInfo(window_, bar, &si, TRUE);
  ShowScrollBar(window_, bar, shown);
}

void PictureView::ScrollTo(int x, int y) {
  scrollX_ = x;
  scrollY_ = y;
  UpdateScrollBars();
}

void PictureView::OnScroll(int bar, WPARAM wParam) {
  SCROLLINFO si = {};
  si.cbSize = sizeof(si);
  si.fMask = SIF_ALL;
  GetScrollInfo(window_, bar, &si);
  int pos = si.nPos;
  switch (LOWORD(wParam)) {
    case SB_LINELEFT:
      pos -= kLineStep;
      break;
    case SB_LINERIGHT:
      pos += kLineStep;
      break;
    case SB_PAGELEFT:
      pos -= static_cast<int>(si.nPage);
      break;
    case SB_PAGERIGHT:
      pos += static_cast<int>(si.nPage);
      break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION:
      pos = si.nTrackPos;
      break;
    case SB_LEFT:
      pos = si.nMin;
      break;
    case SB_RIGHT:
      pos = si.nMax;
      break;
    default:
      return;
  }
  if (bar == SB_HORZ) {
    ScrollTo(pos, scrollY_);
  } else {
    ScrollTo(scrollX_, pos);
  }
}

// With the picture following the window, every change of the window's size
// lays the picture out again.
void PictureView::OnSize() {
  UpdateScrollBars();
  if (fitMode_ != kPictureFollowsWindow || inResize_) return;
  inResize_ = true;
  ShowPicture();
  inResize_ = false;
}

}  // namespace bex
