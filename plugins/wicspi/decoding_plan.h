// Which decoder reads a picture, decided from its first bytes, and how far a
// preview may reduce it.
#pragma once

#include <cstddef>
#include <cstdint>

namespace bex::wicspi {

// The formats with a decoder of their own; every other one goes to the
// system's imaging codecs.
enum class PictureFormat { kJpeg, kPng, kWebp, kOther };

PictureFormat FormatOf(const uint8_t* head, size_t size);

// The divisor (1, 2, 4 or 8) of each side for a quick preview of a picture
// of the given stored size: as large as the result still has enough pixels
// for a thumbnail-sized view.
unsigned PreviewReduction(uint32_t width, uint32_t height);

}  // namespace bex::wicspi
