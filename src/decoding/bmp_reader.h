// The built-in reader of Windows bitmap files (".BMP"): OS/2 1.x core headers,
// BITMAPINFOHEADER, V4 and V5 headers; 1, 4, 8, 16, 24 and 32 bits per pixel;
// BI_RGB, BI_RLE4, BI_RLE8 and BI_BITFIELDS; bottom-up and top-down rows.
// It trusts no size field of the file and never reads past the data.
#pragma once

#include <cstddef>
#include <cstdint>

#include "shared/picture_limits.h"

namespace bex {

// What the header of a bitmap file says, once checked against the file.
struct BmpInfo {
  int32_t width = 0;         // pixels, > 0
  int32_t height = 0;        // pixels, > 0
  bool topDown = false;      // rows stored top row first
  uint16_t bitCount = 0;     // 1, 4, 8, 16, 24 or 32
  uint32_t compression = 0;  // 0 BI_RGB, 1 BI_RLE8, 2 BI_RLE4, 3 BI_BITFIELDS
  // 16 and 32 bits: the channels' bits in a pixel; for BI_RGB the fixed 5-5-5
  // and 8-8-8 masks. Each is one run of bits, or 0 for a channel always 0.
  uint32_t redMask = 0, greenMask = 0, blueMask = 0;
  uint32_t paletteOffset = 0;     // file offset of the colour table
  uint32_t paletteCount = 0;      // entries present before the pixel data
  uint32_t paletteEntrySize = 0;  // 3 (core header) or 4 bytes
  uint32_t pixelOffset = 0;       // file offset of the pixel data
};

// Reads and checks the file and information headers. False for anything
// malformed or beyond kMaxPicturePixels.
bool ParseBmp(const uint8_t* data, size_t size, BmpInfo* info);

// The info of uncompressed 16-, 24- or 32-bit pixels (BI_RGB) of
// width x height that begin a block of their own, as the pixels of a DIB
// handed over apart from its header; false for any other bit count.
bool PlainPixelsInfo(int32_t width, int32_t height, bool topDown, uint16_t bitCount, BmpInfo* info);

// Decodes the pixel data into a top-down picture of info.width x info.height
// 32-bit pixels 0x00RRGGBB (bytes B, G, R, 0), rows strideBytes apart. Pixels
// that RLE data skips are black; RLE data that ends without its end code keeps
// what it drew. False when the data is malformed or short, or when the stride
// is not a multiple of 4 at least width * 4.
bool DecodeBmp(const uint8_t* data, size_t size, const BmpInfo& info, uint32_t* pixels,
               ptrdiff_t strideBytes);

}  // namespace bex
