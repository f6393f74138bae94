// Feeds arbitrary bytes to the bitmap reader. Whatever ParseBmp accepts is
// decoded into a picture of exactly the size it reports, so that the
// sanitizers catch any read past the file or write past the picture.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "decoding/bmp_reader.h"

namespace {

// Run-length data can describe the largest picture in a few bytes; filling
// such pictures would spend the run on memory traffic instead of finding
// faults, so accepted headers above this size are only checked.
constexpr uint64_t kDecodedPixelLimit = uint64_t{1} << 16;

void Require(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  bex::BmpInfo info;
  if (!bex::ParseBmp(data, size, &info)) return 0;
  Require(info.width > 0 && info.height > 0);
  const uint64_t pixelCount = static_cast<uint64_t>(info.width) * info.height;
  Require(pixelCount <= bex::kMaxPicturePixels);
  Require(info.pixelOffset < size);
  if (pixelCount > kDecodedPixelLimit) return 0;
  std::vector<uint32_t> pixels(static_cast<size_t>(pixelCount));
  const bool decoded =
      bex::DecodeBmp(data, size, info, pixels.data(), static_cast<ptrdiff_t>(info.width) * 4);
  // Only run-length data can still be refused once the header is accepted.
  Require(decoded || info.compression == 1 || info.compression == 2);
  for (uint32_t pixel : pixels) Require(pixel <= 0x00FFFFFF || !decoded);
  return 0;
}
