#include "display/mouse_win.h"

namespace bex {

void MouseGestures::OnMouse(UINT msg, WPARAM keys, int x, int y) {
  switch (msg) {
    case WM_LBUTTONDOWN:
      Press((keys & MK_SHIFT) != 0, x, y);
      return;
    case WM_MOUSEMOVE:
      Move(x, y);
      return;
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED:  // a dialog took the mouse: the drag ends
      drag_ = Drag::kNone;
      return;
    case WM_LBUTTONDBLCLK:
      DoubleClick();
      Press((keys & MK_SHIFT) != 0, x, y);
      return;
    case WM_RBUTTONUP: {
      POINT at;
      GetCursorPos(&at);
      actions_.openCommandMenu(at.x, at.y);
      return;
    }
    default:
      return;
  }
}

void MouseGestures::Press(bool shift, int x, int y) {
  if (skipNextPress_) {
    skipNextPress_ = false;
    return;
  }
  drag_ = shift ? Drag::kScrollPicture : Drag::kMoveWindow;
  pressX_ = x;
  pressY_ = y;
}

void MouseGestures::Move(int x, int y) {
  if (drag_ == Drag::kNone) return;
  const int dx = x - pressX_;
  const int dy = y - pressY_;
  if (drag_ == Drag::kMoveWindow) {
    RECT r;
    GetWindowRect(window_, &r);
    SetWindowPos(window_, nullptr, r.left + dx, r.top + dy, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    return;
  }
  const SIZE client = view_.ClientSize();
  const bool hasPicture = view_.HasPicture();
  view_.ScrollTo(ScrollByDrag(view_.ScrollX(), dx, view_.DisplayedWidth(), client.cx, hasPicture),
                 view_.ScrollY());
  view_.ScrollTo(view_.ScrollX(),
                 ScrollByDrag(view_.ScrollY(), dy, view_.DisplayedHeight(), client.cy, hasPicture));
}

void MouseGestures::DoubleClick() {
  drag_ = Drag::kNone;
  skipNextPress_ = true;
  RECT r;
  GetWindowRect(window_, &r);
  switch (DoubleClickZone(pressX_, pressY_, r.right - r.left, r.bottom - r.top)) {
    case DoubleClickAction::StepBackward:
      actions_.step(false);
      return;
    case DoubleClickAction::StepForward:
      actions_.step(true);
      return;
    case DoubleClickAction::None:
      return;
  }
}

void MouseGestures::OnWheel(int delta) {
  for (int steps = wheel_.Add(delta); steps != 0; steps += steps > 0 ? -1 : 1) {
    actions_.step(steps > 0);
  }
}

}  // namespace bex
