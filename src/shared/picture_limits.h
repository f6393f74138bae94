// The largest picture the viewer holds, shared by the built-in bitmap reader,
// the plug-in host and the WIC plug-in, so that a picture one of them would
// take is never refused by another after its decoding.
#pragma once

#include <cstdint>

namespace bex {

// 64 Mi pixels (8192 x 8192). The viewer keeps a picture as a 32-bit bitmap,
// 256 MiB at this size, and a 32-bit process must hold it beside the plug-in's
// device-independent copy while it converts, the neighbours decoded ahead and
// the copy on screen; one picture of 16384 x 16384 alone would take 1 GiB.
constexpr uint64_t kMaxPicturePixels = 64ull * 1024 * 1024;

// The bytes of a picture of width x height kept as a 32-bit bitmap; 0 when a
// side is not positive or it would pass 2 GiB, more than a bitmap or a
// section of a 32-bit process holds.
constexpr uint64_t BitmapBytes(int width, int height) {
  if (width <= 0 || height <= 0) return 0;
  const uint64_t bytes = uint64_t{static_cast<uint32_t>(width)} * static_cast<uint32_t>(height) * 4;
  return bytes <= 0x7FFFFFFFull ? bytes : 0;
}

}  // namespace bex
