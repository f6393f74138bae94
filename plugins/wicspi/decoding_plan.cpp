#include "wicspi/decoding_plan.h"

#include <algorithm>
#include <cstring>

namespace bex::wicspi {
namespace {

// A preview keeps at least this many pixels on its longer side.
constexpr uint32_t kPreviewLongerSide = 320;
constexpr unsigned kLargestReduction = 8;

bool StartsWith(const uint8_t* head, size_t size, size_t at, const char* signature, size_t length) {
  return size >= at + length && std::memcmp(head + at, signature, length) == 0;
}

}  // namespace

PictureFormat FormatOf(const uint8_t* head, size_t size) {
  if (!head) return PictureFormat::kOther;
  if (StartsWith(head, size, 0, "\xFF\xD8\xFF", 3)) return PictureFormat::kJpeg;
  if (StartsWith(head, size, 0, "\x89PNG\r\n\x1A\n", 8)) return PictureFormat::kPng;
  if (StartsWith(head, size, 0, "RIFF", 4) && StartsWith(head, size, 8, "WEBP", 4)) {
    return PictureFormat::kWebp;
  }
  return PictureFormat::kOther;
}

unsigned PreviewReduction(uint32_t width, uint32_t height) {
  const uint32_t longer = std::max(width, height);
  unsigned reduction = 1;
  while (reduction < kLargestReduction && longer / (reduction * 2) >= kPreviewLongerSide) {
    reduction *= 2;
  }
  return reduction;
}

}  // namespace bex::wicspi
