// Which decoder reads a picture, decided from its first bytes, and how far a
// preview may reduce it.
#pragma once

#include <cstddef>
#include <cstdint>

namespace bex::wicspi {

// The formats with a decoder of their own; every other one goes to the
// system's imaging codecs. kHeif covers HEIC and AVIF; kCameraRaw the raw
// files of cameras (DNG, CR2, CR3, NEF, ARW, RAF, ORF, RW2, PEF and the like).
enum class PictureFormat { kJpeg, kPng, kWebp, kHeif, kJpegXl, kCameraRaw, kOther };

// The format of the picture whose first `size` bytes (at least the first
// 2 KiB where the file has them) are `head`.
PictureFormat FormatOf(const uint8_t* head, size_t size);

// True when the head is that of a TIFF structure, as plain TIFFs and many
// camera raw files are.
bool IsTiff(const uint8_t* head, size_t size);

// A preview keeps at least this many pixels on its longer side.
constexpr uint32_t kPreviewLongerSide = 320;

// The divisor (1, 2, 4 or 8) of each side for a quick preview of a picture
// of the given stored size: as large as the result still has enough pixels
// for a thumbnail-sized view.
unsigned PreviewReduction(uint32_t width, uint32_t height);

// Whether a reduced picture of reducedWidth x reducedHeight, standing for a
// whole one of width x height, is at least as large as the whole one shrunk
// to fit into a box of boxWidth x boxHeight: shown there, it is only ever
// shrunk, never enlarged.
bool CoversFit(uint32_t reducedWidth, uint32_t reducedHeight, uint32_t width, uint32_t height,
               uint32_t boxWidth, uint32_t boxHeight);

// The largest divisor (1, 2, 4 or 8) of each side of a width x height picture
// whose result still covers its fit into the box.
unsigned FitReduction(uint32_t width, uint32_t height, uint32_t boxWidth, uint32_t boxHeight);

}  // namespace bex::wicspi
