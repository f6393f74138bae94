#include "wicspi/decoding_plan.h"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace bex::wicspi {
namespace {

constexpr unsigned kLargestReduction = 8;

bool StartsWith(const uint8_t* head, size_t size, size_t at, const char* signature, size_t length) {
  return size >= at + length && std::memcmp(head + at, signature, length) == 0;
}

template <size_t N>
bool Has(const uint8_t* head, size_t size, size_t at, const char (&signature)[N]) {
  return StartsWith(head, size, at, signature, N - 1);
}

// The brands of an ISO base media file (its leading "ftyp" box): the major
// one and the compatible ones, four characters each.
bool HasBrand(const uint8_t* head, size_t size, const char* const* brands, size_t brandCount) {
  if (!Has(head, size, 4, "ftyp") || size < 16) return false;
  const size_t boxSize = size_t{head[0]} << 24 | head[1] << 16 | head[2] << 8 | head[3];
  const size_t end = std::min(boxSize, size);
  for (size_t at = 8; at + 4 <= end; at += at == 8 ? 8 : 4) {  // skips the minor version
    for (size_t b = 0; b < brandCount; ++b) {
      if (std::memcmp(head + at, brands[b], 4) == 0) return true;
    }
  }
  return false;
}

// HEIF still pictures coded in HEVC or AV1, and the structural brands that
// either may carry.
constexpr const char* kHeifBrands[] = {"heic", "heix", "heim", "heis", "hevc",
                                       "hevx", "mif1", "msf1", "avif", "avis"};
constexpr const char* kCanonRawBrands[] = {"crx "};

// Reads TIFF numbers in the file's byte order.
struct TiffReader {
  const uint8_t* data;
  size_t size;
  bool littleEndian;

  uint32_t Number(size_t at, size_t bytes) const {
    uint32_t value = 0;
    for (size_t i = 0; i < bytes; ++i) {
      const uint8_t byte = data[at + (littleEndian ? bytes - 1 - i : i)];
      value = value << 8 | byte;
    }
    return value;
  }
};

// Makers whose cameras write their raw files as TIFF structures named by
// their maker (NEF, ARW, PEF, SRW and others).
constexpr const char* kRawMakers[] = {"NIKON", "SONY",    "PENTAX",        "RICOH",
                                      "Canon", "SAMSUNG", "Hasselblad",    "Phase One",
                                      "LEICA", "Leaf",    "EASTMAN KODAK", "KODAK"};

// True for a TIFF whose first directory, as far as the head holds it, has a
// DNG version or names a maker of raw-writing cameras.
bool IsRawTiff(const uint8_t* head, size_t size) {
  if (!IsTiff(head, size) || size < 8) return false;
  const bool little = Has(head, size, 0, "II*\0");
  if (Has(head, size, 8, "CR\x02")) return true;  // Canon's CR2
  const TiffReader tiff{head, size, little};
  constexpr uint16_t kMakeTag = 0x010F, kDngVersionTag = 0xC612;
  const uint32_t directory = tiff.Number(4, 4);
  if (directory < 8 || size < size_t{directory} + 2) return false;
  const uint32_t entries = tiff.Number(directory, 2);
  for (uint32_t i = 0; i < entries; ++i) {
    const size_t entry = directory + 2 + size_t{i} * 12;
    if (entry + 12 > size) break;
    const uint32_t tag = tiff.Number(entry, 2);
    if (tag == kDngVersionTag) return true;
    if (tag != kMakeTag) continue;
    const uint32_t count = tiff.Number(entry + 4, 4);
    const size_t text = count <= 4 ? entry + 8 : tiff.Number(entry + 8, 4);
    if (text >= size) return false;
    const size_t length = std::min<size_t>(count, size - text);
    for (const char* maker : kRawMakers) {
      const size_t makerLength = std::strlen(maker);
      if (length >= makerLength && std::memcmp(head + text, maker, makerLength) == 0) return true;
    }
    return false;
  }
  return false;
}

bool IsCameraRaw(const uint8_t* head, size_t size) {
  return Has(head, size, 0, "FUJIFILMCCD-RAW") ||                           // RAF
         Has(head, size, 0, "IIRO") || Has(head, size, 0, "IIRS") ||        // ORF
         Has(head, size, 0, "MMOR") || Has(head, size, 0, "IIU\0") ||       // RW2
         HasBrand(head, size, kCanonRawBrands, std::size(kCanonRawBrands))  // CR3
         || IsRawTiff(head, size);
}

}  // namespace

bool IsTiff(const uint8_t* head, size_t size) {
  return head && (Has(head, size, 0, "II*\0") || Has(head, size, 0, "MM\0*"));
}

PictureFormat FormatOf(const uint8_t* head, size_t size) {
  if (!head) return PictureFormat::kOther;
  if (Has(head, size, 0, "\xFF\xD8\xFF")) return PictureFormat::kJpeg;
  if (Has(head, size, 0, "\x89PNG\r\n\x1A\n")) return PictureFormat::kPng;
  if (Has(head, size, 0, "RIFF") && Has(head, size, 8, "WEBP")) return PictureFormat::kWebp;
  // A bare codestream or the ISO base media container.
  if (Has(head, size, 0, "\xFF\x0A") || Has(head, size, 0, "\0\0\0\x0CJXL \r\n\x87\n")) {
    return PictureFormat::kJpegXl;
  }
  if (IsCameraRaw(head, size)) return PictureFormat::kCameraRaw;
  if (HasBrand(head, size, kHeifBrands, std::size(kHeifBrands))) return PictureFormat::kHeif;
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

// Shrunk to fit, the whole picture takes the scale min(boxWidth / width,
// boxHeight / height): the reduced one must have each side at least its
// side times that, here in whole numbers.
bool CoversFit(uint32_t reducedWidth, uint32_t reducedHeight, uint32_t width, uint32_t height,
               uint32_t boxWidth, uint32_t boxHeight) {
  const uint64_t fitted = std::min(uint64_t{boxWidth} * height, uint64_t{boxHeight} * width);
  return uint64_t{reducedWidth} * height >= fitted && uint64_t{reducedHeight} * width >= fitted;
}

unsigned FitReduction(uint32_t width, uint32_t height, uint32_t boxWidth, uint32_t boxHeight) {
  unsigned reduction = 1;
  while (reduction < kLargestReduction) {
    const unsigned next = reduction * 2;
    if (!CoversFit((width + next - 1) / next, (height + next - 1) / next, width, height, boxWidth,
                   boxHeight)) {
      break;
    }
    reduction = next;
  }
  return reduction;
}

}  // namespace bex::wicspi
