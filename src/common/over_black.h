// Transparency shown over black: how the viewer shows the alpha of a
// plug-in's 32-bit pixels, and how the companion plug-in writes transparent
// pictures into its 24-bit bitmaps.
#pragma once

#include <cstdint>

namespace bex {

// Straight-alpha colour over black, rounded: colour * alpha / 255.
inline uint8_t OverBlack(uint8_t colour, uint8_t alpha) {
  const unsigned product = unsigned{colour} * alpha + 128;
  return static_cast<uint8_t>((product + (product >> 8)) >> 8);
}

}  // namespace bex
