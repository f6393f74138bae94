// Mouse events over the main window and its image area: a left drag moves
// the window (with Shift at the press: scrolls the picture), a double click
// in the upper left or right third steps, the wheel steps, the right button
// opens the popup menu.
#include "app/main_form_win.h"
#include "image/mouse.h"

namespace bex {

void TBexForm1::ImageMouse(UINT msg, WPARAM keys, int x, int y) {
  switch (msg) {
    case WM_LBUTTONDOWN:
      Image1MouseDown((keys & MK_SHIFT) != 0, x, y);
      return;
    case WM_MOUSEMOVE:
      Image1MouseMove(x, y);
      return;
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED:  // a dialog took the mouse: the drag ends
      DragMode = 0;
      return;
    case WM_LBUTTONDBLCLK:
      Image1DblClick();
      Image1MouseDown((keys & MK_SHIFT) != 0, x, y);
      return;
    case WM_RBUTTONUP: {
      POINT at;
      GetCursorPos(&at);
      OpenPopupMenu(at.x, at.y);
      return;
    }
    default:
      return;
  }
}

void TBexForm1::Image1MouseDown(bool shift, int x, int y) {
  if (SkipNextPress) {
    SkipNextPress = false;
    return;
  }
  DragMode = shift ? 2 : 1;
  PressX = x;
  PressY = y;
}

void TBexForm1::Image1MouseMove(int x, int y) {
  if (DragMode == 0) return;
  const int dx = x - PressX;
  const int dy = y - PressY;
  if (DragMode == 1) {
    const RECT r = OuterRect();
    SetWindowPos(hwnd_, nullptr, r.left + dx, r.top + dy, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    return;
  }
  const SIZE client = ClientSize();
  ScrollTo(ScrollByDrag(ScrollX(), dx, ImageWidth(), client.cx, HasPicture), ScrollY());
  ScrollTo(ScrollX(), ScrollByDrag(ScrollY(), dy, ImageHeight(), client.cy, HasPicture));
}

void TBexForm1::Image1DblClick() {
  DragMode = 0;
  SkipNextPress = true;
  const RECT r = OuterRect();
  switch (DoubleClickZone(PressX, PressY, r.right - r.left, r.bottom - r.top)) {
    case DoubleClickAction::StepBackward:
      StepImage(false);
      return;
    case DoubleClickAction::StepForward:
      StepImage(true);
      return;
    case DoubleClickAction::None:
      return;
  }
}

// One step per full notch, partial rotations carried over.
void TBexForm1::MouseWheel(int delta) {
  for (int steps = wheel_.Add(delta); steps != 0; steps += steps > 0 ? -1 : 1) {
    StepImage(steps > 0);
  }
}

}  // namespace bex
