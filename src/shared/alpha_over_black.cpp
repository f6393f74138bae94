#include "shared/alpha_over_black.h"

namespace bex {
namespace {

constexpr size_t kPixelBytes = 4;
constexpr size_t kAlphaByte = 3;

}  // namespace

bool HoldsAlpha(const uint8_t* pixels, size_t pixelCount) {
  bool sawClear = false;
  bool sawOpaque = false;
  for (size_t i = 0; i < pixelCount; ++i) {
    const uint8_t alpha = pixels[i * kPixelBytes + kAlphaByte];
    if (alpha != 0 && alpha != 255) return true;
    (alpha == 0 ? sawClear : sawOpaque) = true;
  }
  return sawClear && sawOpaque;
}

void CompositeOverBlack(uint8_t* pixels, size_t pixelCount) {
  for (uint8_t* p = pixels; p != pixels + pixelCount * kPixelBytes; p += kPixelBytes) {
    const uint8_t alpha = p[kAlphaByte];
    p[0] = OverBlack(p[0], alpha);
    p[1] = OverBlack(p[1], alpha);
    p[2] = OverBlack(p[2], alpha);
  }
}

}  // namespace bex
