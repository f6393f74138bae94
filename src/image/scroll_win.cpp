// The main window's scrollable client area: Image1 lies at its top-left
// corner, and automatic scroll bars appear where Image1 reaches beyond it.
#include "app/main_form_win.h"
#include "common/dpi_win.h"
#include "image/image_area_win.h"
#include "image/layout.h"

namespace bex {
namespace {

// Scroll-bar arrows move the view by this many pixels.
constexpr int kLineStep = 8;

}  // namespace

SIZE TBexForm1::ClientSize() const {
  RECT r;
  GetClientRect(hwnd_, &r);
  return {r.right, r.bottom};
}

void TBexForm1::SetOuterSize(int width, int height) {
  SetWindowPos(hwnd_, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int TBexForm1::ImageWidth() const { return image1_->Width(); }

int TBexForm1::ImageHeight() const { return image1_->Height(); }

// Frames and bars as the system draws them at the window's DPI.
WindowGeometry TBexForm1::Geometry() const {
  const int dpi = DpiOfWindow(hwnd_);
  const DWORD style = GetWindowLongA(hwnd_, GWL_STYLE) & ~(WS_HSCROLL | WS_VSCROLL);
  RECT frame = {0, 0, 0, 0};
  AdjustWindowRectForDpi(&frame, style, GetWindowLongA(hwnd_, GWL_EXSTYLE), dpi);
  const RECT outer = OuterRect();
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

// The automatic scroll bars: shown where Image1 reaches beyond the client
// area, with the view kept within the new range.
void TBexForm1::UpdateScrollBars() {
  if (updatingBars_) return;
  updatingBars_ = true;
  const WindowGeometry g = Geometry();
  const int iw = image1_->Width();
  const int ih = image1_->Height();
  const ScrollBars bars =
      ScrollBarsFor(iw, ih, g.outerWidth - g.frameWidth, g.outerHeight - g.frameHeight,
                    g.vScrollWidth, g.hScrollHeight);
  scrollX_ = ClampScroll(scrollX_, iw, bars.clientWidth);
  scrollY_ = ClampScroll(scrollY_, ih, bars.clientHeight);
  SetBar(SB_HORZ, bars.horizontal, ScrollRangeFor(iw, bars.clientWidth), scrollX_);
  SetBar(SB_VERT, bars.vertical, ScrollRangeFor(ih, bars.clientHeight), scrollY_);
  image1_->MoveTo(-scrollX_, -scrollY_);
  updatingBars_ = false;
}

void TBexForm1::SetBar(int bar, bool shown, const ScrollRange& range, int pos) {
  SCROLLINFO si = {};
  si.cbSize = sizeof(si);
  si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  si.nMin = range.min;
  si.nMax = shown ? range.max : 0;
  si.nPage = shown ? static_cast<UINT>(range.page) : 0;
  si.nPos = pos;
  SetScrollInfo(hwnd_, bar, &si, TRUE);
  ShowScrollBar(hwnd_, bar, shown);
}

void TBexForm1::ScrollTo(int x, int y) {
  scrollX_ = x;
  scrollY_ = y;
  UpdateScrollBars();
}

void TBexForm1::OnScroll(int bar, WPARAM wParam) {
  SCROLLINFO si = {};
  si.cbSize = sizeof(si);
  si.fMask = SIF_ALL;
  GetScrollInfo(hwnd_, bar, &si);
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

// FormResize: with the picture following the window, every change of the
// window's size lays the picture out again.
void TBexForm1::OnSize() {
  UpdateScrollBars();
  if (FitMode != 1 || inResize_) return;
  inResize_ = true;
  ShowPicture();
  inResize_ = false;
}

}  // namespace bex
