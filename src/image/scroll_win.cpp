// The main window's scrollable client area: Image1 lies at its top-left
// corner, and automatic scroll bars appear where Image1 reaches beyond it.
#include <algorithm>

#include "app/main_form_win.h"
#include "image/image_area_win.h"

namespace bex {
namespace {

// Scroll-bar arrows move the view by this many pixels.
constexpr int kLineStep = 8;

bool BarVisible(HWND hwnd, LONG style) { return (GetWindowLongA(hwnd, GWL_STYLE) & style) != 0; }

}  // namespace

SIZE TBexForm1::ClientSize() const {
  RECT r;
  GetClientRect(hwnd_, &r);
  return {r.right, r.bottom};
}

// Outer size for a client size, keeping the frame and the scroll bars shown.
void TBexForm1::SetClientSize(int width, int height) {
  const RECT outer = OuterRect();
  const SIZE client = ClientSize();
  SetOuterSize(width + (outer.right - outer.left) - client.cx,
               height + (outer.bottom - outer.top) - client.cy);
}

void TBexForm1::SetOuterSize(int width, int height) {
  SetWindowPos(hwnd_, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TBexForm1::SetAutoScroll(bool on) {
  autoScroll_ = on;
  UpdateScrollBars();
}

void TBexForm1::UpdateScrollBars() {
  if (updatingBars_) return;
  updatingBars_ = true;
  const int sbWidth = GetSystemMetrics(SM_CXVSCROLL);
  const int sbHeight = GetSystemMetrics(SM_CYHSCROLL);
  SIZE full = ClientSize();
  if (BarVisible(hwnd_, WS_VSCROLL)) full.cx += sbWidth;
  if (BarVisible(hwnd_, WS_HSCROLL)) full.cy += sbHeight;
  const int iw = image1_->Width();
  const int ih = image1_->Height();
  bool needH = false;
  bool needV = false;
  if (autoScroll_) {
    // Each bar narrows the other direction: settle in two passes.
    for (int pass = 0; pass < 2; ++pass) {
      needH = iw > full.cx - (needV ? sbWidth : 0);
      needV = ih > full.cy - (needH ? sbHeight : 0);
    }
  }
  const int clientW = full.cx - (needV ? sbWidth : 0);
  const int clientH = full.cy - (needH ? sbHeight : 0);
  scrollX_ = needH ? std::clamp(scrollX_, 0, iw - clientW) : 0;
  scrollY_ = needV ? std::clamp(scrollY_, 0, ih - clientH) : 0;
  auto setBar = [this](int bar, bool need, int content, int page, int pos) {
    SCROLLINFO si = {};
    si.cbSize = sizeof(si);
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    si.nMax = need ? content - 1 : 0;
    si.nPage = need ? static_cast<UINT>(page) : 0;
    si.nPos = pos;
    SetScrollInfo(hwnd_, bar, &si, TRUE);
    ShowScrollBar(hwnd_, bar, need);
  };
  setBar(SB_HORZ, needH, iw, clientW, scrollX_);
  setBar(SB_VERT, needV, ih, clientH, scrollY_);
  image1_->MoveTo(-scrollX_, -scrollY_);
  updatingBars_ = false;
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
