// The fourth byte of a plug-in's 32-bit pixels. The bitmap format reserves
// it, and most plug-ins leave it all 0 or all 255; some put an alpha channel
// there, and the picture then shows over black, as transparent pictures of
// the program's own plug-in do.
#pragma once

#include <cstddef>
#include <cstdint>

namespace bex {

// Straight-alpha colour over black, rounded: colour * alpha / 255.
inline uint8_t OverBlack(uint8_t colour, uint8_t alpha) {
  const unsigned product = unsigned{colour} * alpha + 128;
  return static_cast<uint8_t>((product + (product >> 8)) >> 8);
}

// True when the fourth bytes of the blue, green, red, fourth pixels are an
// alpha channel: some are neither 0 nor 255, or both 0 and 255 occur.
bool HoldsAlpha(const uint8_t* pixels, size_t pixelCount);

// Replaces each colour by its straight-alpha colour over black,
// colour * alpha / 255 rounded, and leaves the fourth byte as it was.
void CompositeOverBlack(uint8_t* pixels, size_t pixelCount);

}  // namespace bex
