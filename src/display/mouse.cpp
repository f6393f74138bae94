#include "display/mouse.h"

#include <cstdint>

namespace bex {

DoubleClickAction DoubleClickZone(int pressX, int pressY, int outerWidth, int outerHeight) {
  if (int64_t{pressY} >= int64_t{outerHeight} * 2 / 3) return DoubleClickAction::None;
  if (pressX < outerWidth / 3) return DoubleClickAction::StepBackward;
  if (pressX > int64_t{outerWidth} * 2 / 3) return DoubleClickAction::StepForward;
  return DoubleClickAction::None;
}

int ScrollByDrag(int pos, int delta, int pictureSide, int clientSide, bool hasPicture) {
  if (!hasPicture) return pos;
  const int64_t p = pos;
  const int64_t d = delta;
  if (d < 0) {
    const int64_t end = int64_t{pictureSide} - clientSide;
    if (end <= p) return pos;
    return static_cast<int>(p - d < end ? p - d : end);
  }
  if (d > 0 && p > 0) return static_cast<int>(d < p ? p - d : 0);
  return pos;
}

int WheelAccumulator::Add(int delta) {
  pending_ += delta;
  const int64_t notches = pending_ / kNotch;  // toward zero: the rest keeps its sign
  pending_ -= notches * kNotch;
  return static_cast<int>(-notches);
}

}  // namespace bex
