// Scaling a 32-bit picture (pixels 0x00RRGGBB, top row first) for the screen:
// the image area shows the full-size picture at the zoom percentage, and the copy
// command can take the picture as displayed. Shrinking averages every source
// pixel a screen pixel covers, so a photo drawn small does not shimmer with
// dropped pixels; enlarging repeats pixels. Either may produce only a part of
// the displayed picture (what the window shows), without making the rest.
#pragma once

#include <cstddef>
#include <cstdint>

namespace bex {

struct PixelsView {
  const uint32_t* pixels = nullptr;
  int width = 0;
  int height = 0;
  ptrdiff_t strideBytes = 0;  // distance between rows, at least width * 4
};

struct MutablePixelsView {
  uint32_t* pixels = nullptr;
  int width = 0;
  int height = 0;
  ptrdiff_t strideBytes = 0;
};

// Which part of the displayed picture to make: the source is shown at
// displayWidth x displayHeight, and the destination receives the rectangle of
// the destination's size whose top-left corner is at (left, top) of it.
struct DisplayRegion {
  int displayWidth = 0;
  int displayHeight = 0;
  int left = 0;
  int top = 0;
};

// The region that is the whole displayed picture, of dst's size.
DisplayRegion WholePicture(const MutablePixelsView& dst);

// Each axis on its own: where the display is smaller than the source, every
// destination pixel is the area-weighted average of the source pixels it
// covers (fixed point, rounded); where it is not smaller, source pixels are
// repeated. A uniform picture stays exactly uniform.
//
// All three functions return false, leaving dst untouched, when a view or the
// region is inconsistent (negative or empty display sizes, a region outside
// the display, rows shorter than their width, missing pixels). An empty source
// gives a black destination.
bool ScaleSmooth(const PixelsView& src, const DisplayRegion& region, const MutablePixelsView& dst);

// Every destination pixel is the source pixel its top-left corner falls on.
bool ScaleNearest(const PixelsView& src, const DisplayRegion& region, const MutablePixelsView& dst);

// How the screen draws the picture: ScaleNearest when neither axis shrinks
// (crisp and quicker), ScaleSmooth otherwise.
bool ScaleForDisplay(const PixelsView& src, const DisplayRegion& region,
                     const MutablePixelsView& dst);

}  // namespace bex
