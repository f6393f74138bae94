// The picture the plug-in hands out: a bottom-up 24-bit device-independent
// bitmap, upright, with transparency composited onto black. Stored rows of the
// decoded picture are written into it strip by strip.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "shared/picture_limits.h"

namespace bex::wicspi {

// How a decoder stores its pixels: byte order and alpha as the codecs hand
// them out. Alpha is straight (not premultiplied). CMYK is stored with 0 for
// no ink; Adobe's inverted CMYK (as Adobe applications write it, and the
// colour conversion of a YCCK JPEG yields it) with 255 for no ink.
enum class PixelLayout { kBgr, kRgb, kBgra, kRgba, kCmyk, kInvertedCmyk };

// Bytes of one pixel in the layout.
size_t BytesPerPixel(PixelLayout layout);

// True for the orientations (5..8) that turn rows into columns.
bool SwapsAxes(int orientation);

// A picture's red, green and blue in planes of their own, one byte a sample,
// in that order; each plane's rows are its stride apart.
struct RgbPlanes {
  const uint8_t* first[3] = {};
  size_t stride[3] = {};
};

// Size of the upright DIB of a stored picture.
struct DibLayout {
  uint32_t width = 0;   // upright width in pixels
  uint32_t height = 0;  // upright height in pixels
  size_t stride = 0;    // bytes per row, a multiple of 4
  size_t imageBytes = 0;
};

// The layout for a stored picture of the given size and EXIF orientation
// (1..8; other values count as upright); none when the picture is empty or
// has more than kMaxPicturePixels pixels, the viewer's limit: a
// larger one is refused before anything is decoded.
std::optional<DibLayout> PlanDib(uint32_t storedWidth, uint32_t storedHeight, int orientation);

// Writes rows of the stored (top-down, as decoded) picture to their upright
// places in a bottom-up DIB.
class DibWriter {
 public:
  // `dib` holds layout.imageBytes bytes; the stored size is the one that was
  // given to PlanDib for `layout`.
  DibWriter(const DibLayout& layout, uint32_t storedWidth, uint32_t storedHeight, int orientation,
            uint8_t* dib);

  // Stored rows [firstRow, firstRow + rowCount) of pixels in `pixelLayout`,
  // `rowStride` bytes apart; transparency is composited onto black.
  void PutRows(PixelLayout pixelLayout, const uint8_t* rows, size_t rowStride, uint32_t firstRow,
               uint32_t rowCount) const;

  // Stored rows [firstRow, firstRow + rowCount) of the planes, which hold
  // the whole stored picture.
  void PutPlanarRows(const RgbPlanes& planes, uint32_t firstRow, uint32_t rowCount) const;

  // Where stored row `y` lies in the DIB as one run of BGR pixels, or null
  // when the orientation spreads it over a column or runs it backwards.
  uint8_t* UprightRow(uint32_t y) const;

  // Zeroes the bytes that pad each DIB row to a multiple of 4.
  void ClearRowPadding() const;

 private:
  uint8_t* PixelOf(uint32_t x, uint32_t y) const;
  template <typename Convert>
  void PutConverted(const uint8_t* rows, size_t rowStride, uint32_t firstRow,
                    uint32_t rowCount) const;

  DibLayout layout_;
  uint32_t storedWidth_;
  uint8_t* dib_;
  // Byte offsets in the DIB: of stored pixel (0, 0), and the steps for one
  // stored column and one stored row (negative when they run backwards).
  ptrdiff_t origin_ = 0;
  ptrdiff_t columnStep_ = 0;
  ptrdiff_t rowStep_ = 0;
};

}  // namespace bex::wicspi
