// The arithmetic of the mouse on the main window: where a double click steps,
// how far a Shift drag scrolls the picture, and how wheel rotation turns into
// steps through the folder. The Win32 layer feeds it the pointer coordinates
// and applies the answers.
#pragma once

#include <cstdint>

namespace bex {

enum class DoubleClickAction { None, StepBackward, StepForward };

// The zone of a double click whose first press was at (pressX, pressY), in the
// coordinates of the object pressed (picture or client area), against the
// window's outer size: the left third of the width steps backward, the right
// third forward, each only in the upper two thirds of the height.
DoubleClickAction DoubleClickZone(int pressX, int pressY, int outerWidth, int outerHeight);

// One axis of a Shift drag: the new scroll position after the pointer moved by
// delta since the press. Moving toward the start (delta < 0) scrolls on only
// while the picture reaches beyond the client's far edge and stops at
// pictureSide - clientSide; moving toward the end scrolls back only while the
// position is above 0 and stops at 0. Without a picture nothing scrolls.
int ScrollByDrag(int pos, int delta, int pictureSide, int clientSide, bool hasPicture);

// Wheel rotation in the platform's units (120 per notch, finer wheels send
// parts of it). Each full 120 is one step; the rest carries over to the next
// message, adding to it whichever way it turns.
class WheelAccumulator {
 public:
  static constexpr int kNotch = 120;

  // Adds one message's delta (positive: turned away from the user). Returns
  // the steps to take now: positive forward (the wheel turned toward the
  // user), negative backward, 0 none.
  int Add(int delta);

 private:
  int64_t pending_ = 0;
};

}  // namespace bex
