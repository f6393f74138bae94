// Mouse gestures over the main window and its image area: a left drag moves
// the window (with Shift at the press: scrolls the picture), a double click
// in the upper left or right third steps, the wheel steps, the right button
// opens the command menu.
#pragma once

#include <windows.h>

#include <functional>

#include "display/mouse.h"
#include "display/picture_view_win.h"

namespace bex {

class MouseGestures {
 public:
  struct Actions {
    std::function<void(bool forward)> step;
    std::function<void(int screenX, int screenY)> openCommandMenu;
  };

  MouseGestures(HWND window, PictureView& view, Actions actions)
      : window_(window), view_(view), actions_(std::move(actions)) {}

  // A mouse message of the window or the image area, with the point in the
  // receiving window's coordinates; WM_CAPTURECHANGED ends a drag.
  void OnMouse(UINT msg, WPARAM keys, int x, int y);
  // One step per full notch, partial rotations carried over.
  void OnWheel(int delta);

 private:
  enum class Drag { kNone, kMoveWindow, kScrollPicture };

  void Press(bool shift, int x, int y);
  void Move(int x, int y);
  void DoubleClick();

  HWND window_;
  PictureView& view_;
  Actions actions_;
  Drag drag_ = Drag::kNone;
  // A double click's second press only ends the first click's drag.
  bool skipNextPress_ = false;
  int pressX_ = 0;
  int pressY_ = 0;
  WheelAccumulator wheel_;
};

}  // namespace bex
