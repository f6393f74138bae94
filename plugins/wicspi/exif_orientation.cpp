#include "wicspi/exif_orientation.h"

#include <cstring>

namespace bex::wicspi {
namespace {

constexpr uint16_t kOrientationTag = 0x0112;
constexpr uint16_t kShortType = 3;
constexpr size_t kIfdEntryBytes = 12;
constexpr char kExifHeader[] = "Exif\0";  // with its terminator: 6 bytes

bool StartsWithExifHeader(const uint8_t* data, size_t size) {
  return size >= sizeof kExifHeader && std::memcmp(data, kExifHeader, sizeof kExifHeader) == 0;
}

// A TIFF structure (the body of an EXIF segment, or a whole TIFF file) with
// bounds-checked reads in its own byte order.
class TiffView {
 public:
  TiffView(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  bool ReadHeader() {
    if (size_ < 8) return false;
    if (std::memcmp(data_, "II", 2) == 0) {
      littleEndian_ = true;
    } else if (std::memcmp(data_, "MM", 2) == 0) {
      littleEndian_ = false;
    } else {
      return false;
    }
    return U16(2) == 42;
  }

  int Orientation() const {
    const uint32_t ifd = U32(4);
    if (ifd > size_ || size_ - ifd < 2) return kUpright;
    const uint16_t count = U16(ifd);
    for (uint32_t i = 0; i < count; ++i) {
      const size_t entry = ifd + 2 + i * kIfdEntryBytes;
      if (entry > size_ || size_ - entry < kIfdEntryBytes) break;
      if (U16(entry) != kOrientationTag) continue;
      if (U16(entry + 2) != kShortType || U32(entry + 4) < 1) return kUpright;
      const uint16_t value = U16(entry + 8);
      return value >= 1 && value <= 8 ? value : kUpright;
    }
    return kUpright;
  }

 private:
  uint16_t U16(size_t at) const {
    const uint8_t* p = data_ + at;
    return littleEndian_ ? static_cast<uint16_t>(p[0] | p[1] << 8)
                         : static_cast<uint16_t>(p[0] << 8 | p[1]);
  }
  uint32_t U32(size_t at) const {
    const uint32_t a = U16(at);
    const uint32_t b = U16(at + 2);
    return littleEndian_ ? (a | b << 16) : (a << 16 | b);
  }

  const uint8_t* data_;
  size_t size_;
  bool littleEndian_ = true;
};

int OrientationOfTiff(const uint8_t* data, size_t size) {
  TiffView tiff(data, size);
  return tiff.ReadHeader() ? tiff.Orientation() : kUpright;
}

// A TIFF structure, after the header of a JPEG segment when there is one:
// PNG and WebP files hold the structure alone, some writers add the header.
int OrientationOfExifBlock(const uint8_t* data, size_t size) {
  if (StartsWithExifHeader(data, size)) {
    return OrientationOfTiff(data + sizeof kExifHeader, size - sizeof kExifHeader);
  }
  return OrientationOfTiff(data, size);
}

bool IsJpeg(const uint8_t* data, size_t size) {
  return size >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF;
}

// Markers without a length field: TEM and the restart markers.
bool IsStandaloneMarker(uint8_t marker) {
  return marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7);
}

// Walks the JPEG segments up to the start of the scan and reads the first
// APP1 segment that holds EXIF data ("Exif\0\0" then a TIFF structure).
int OrientationOfJpeg(const uint8_t* data, size_t size) {
  constexpr uint8_t kApp1 = 0xE1, kStartOfScan = 0xDA, kEndOfImage = 0xD9;
  size_t at = 2;
  while (at + 4 <= size) {
    if (data[at] != 0xFF) return kUpright;
    const uint8_t marker = data[at + 1];
    if (marker == 0xFF) {  // fill byte before a marker
      ++at;
      continue;
    }
    if (marker == kStartOfScan || marker == kEndOfImage) return kUpright;
    if (IsStandaloneMarker(marker)) {
      at += 2;
      continue;
    }
    const size_t length = static_cast<size_t>(data[at + 2] << 8 | data[at + 3]);
    if (length < 2 || length > size - at - 2) return kUpright;
    const uint8_t* body = data + at + 4;
    const size_t bodySize = length - 2;
    if (marker == kApp1 && StartsWithExifHeader(body, bodySize)) {
      return OrientationOfExifBlock(body, bodySize);
    }
    at += 2 + length;
  }
  return kUpright;
}

bool IsPng(const uint8_t* data, size_t size) {
  return size >= 8 && std::memcmp(data, "\x89PNG\r\n\x1A\n", 8) == 0;
}

uint32_t BigEndian32(const uint8_t* p) {
  return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3];
}

// Walks the chunks of a PNG file for its eXIf chunk, which writers put
// before or after the picture data.
int OrientationOfPng(const uint8_t* data, size_t size) {
  constexpr size_t kChunkFrameBytes = 12;  // length, type, CRC
  size_t at = 8;
  while (at + kChunkFrameBytes <= size) {
    const size_t length = BigEndian32(data + at);
    if (length > size - at - kChunkFrameBytes) return kUpright;
    const uint8_t* type = data + at + 4;
    if (std::memcmp(type, "eXIf", 4) == 0) return OrientationOfExifBlock(type + 4, length);
    if (std::memcmp(type, "IEND", 4) == 0) return kUpright;
    at += kChunkFrameBytes + length;
  }
  return kUpright;
}

}  // namespace

int ReadExifOrientation(const uint8_t* data, size_t size) {
  if (!data) return kUpright;
  if (IsJpeg(data, size)) return OrientationOfJpeg(data, size);
  if (IsPng(data, size)) return OrientationOfPng(data, size);
  return OrientationOfExifBlock(data, size);
}

}  // namespace bex::wicspi
