// Converting decoded pixels from the colours their file declares to sRGB,
// the colours the viewer shows unmanaged, through Little CMS 2, with a quick
// path of our own for the usual RGB profiles (primaries and curves: Display
// P3, Adobe RGB and the like).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "wicspi/dib_writer.h"
#include "wicspi/picture_colours.h"

namespace bex::wicspi {

class SrgbConversion {
 public:
  virtual ~SrgbConversion() = default;

  // The layout of the converted pixels: kBgra where the source has alpha
  // (copied as it is), kBgr otherwise.
  virtual PixelLayout output() const = 0;

  // Converts `count` rows of `width` pixels, `inStride` and `outStride`
  // bytes apart; `in` and `out` may be the same rows when both layouts have
  // the same size. Safe to call from several threads at once.
  virtual void Convert(const uint8_t* in, size_t inStride, uint8_t* out, size_t outStride,
                       uint32_t width, uint32_t count) const = 0;
};

// The conversion of pixels stored in `layout` in the declared colours to
// sRGB. None when nothing is declared, when the colours are sRGB's (no
// value moves by more than one step), or when the profile is damaged or
// does not fit the pixels: those are shown as stored. Made once for each
// profile and layout, then taken from a cache.
std::shared_ptr<const SrgbConversion> ConversionToSrgb(const PictureColours& colours,
                                                       PixelLayout layout);

}  // namespace bex::wicspi
