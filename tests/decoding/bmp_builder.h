// Writes Windows bitmap files byte by byte for the reader's tests, the fuzz
// seeds and the benchmark, so that every header field can be set or falsified.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace bex::test {

enum class BmpHeader { kCore, kInfo, kV2, kV3, kV4, kV5 };

inline uint32_t HeaderSize(BmpHeader header) {
  static constexpr uint32_t kSizes[] = {12, 40, 52, 56, 108, 124};
  return kSizes[static_cast<int>(header)];
}

constexpr uint32_t kBiRgb = 0, kBiRle8 = 1, kBiRle4 = 2, kBiBitfields = 3;

// File offsets of the fields that tests falsify (file header, and the
// information header of 40 bytes or more).
constexpr size_t kFileSizeField = 2;
constexpr size_t kPixelOffsetField = 10;
constexpr size_t kHeaderSizeField = 14;
constexpr size_t kWidthField = 18;
constexpr size_t kHeightField = 22;
constexpr size_t kBitCountField = 28;
constexpr size_t kCompressionField = 30;
constexpr size_t kSizeImageField = 34;
constexpr size_t kColorsUsedField = 46;

struct BmpFields {
  BmpHeader header = BmpHeader::kInfo;
  int32_t width = 1;
  int32_t height = 1;  // negative: rows stored top row first
  uint16_t bitCount = 24;
  uint32_t compression = kBiRgb;
  std::vector<uint32_t> palette;  // 0x00RRGGBB, all written
  uint32_t colorsUsed = 0;
  // Written into headers of 52 bytes or more, and after a 40-byte header
  // when the compression is BI_BITFIELDS.
  std::array<uint32_t, 3> masks{};
  std::vector<uint8_t> pixels;  // the stored rows or the run-length data
};

inline void PutU16(std::vector<uint8_t>& file, size_t offset, uint32_t value) {
  file[offset] = static_cast<uint8_t>(value);
  file[offset + 1] = static_cast<uint8_t>(value >> 8);
}

inline void PutU32(std::vector<uint8_t>& file, size_t offset, uint32_t value) {
  PutU16(file, offset, value & 0xFFFF);
  PutU16(file, offset + 2, value >> 16);
}

inline void AppendU32(std::vector<uint8_t>& file, uint32_t value) {
  file.resize(file.size() + 4);
  PutU32(file, file.size() - 4, value);
}

// The whole file; bfSize, bfOffBits and biSizeImage are the true ones.
inline std::vector<uint8_t> BuildBmp(const BmpFields& fields) {
  const uint32_t headerSize = HeaderSize(fields.header);
  const bool core = fields.header == BmpHeader::kCore;
  std::vector<uint8_t> file(14 + headerSize, 0);
  file[0] = 'B';
  file[1] = 'M';
  PutU32(file, kHeaderSizeField, headerSize);
  if (core) {
    PutU16(file, 18, static_cast<uint32_t>(fields.width));
    PutU16(file, 20, static_cast<uint32_t>(fields.height));
    PutU16(file, 22, 1);
    PutU16(file, 24, fields.bitCount);
  } else {
    PutU32(file, kWidthField, static_cast<uint32_t>(fields.width));
    PutU32(file, kHeightField, static_cast<uint32_t>(fields.height));
    PutU16(file, 26, 1);
    PutU16(file, kBitCountField, fields.bitCount);
    PutU32(file, kCompressionField, fields.compression);
    PutU32(file, kSizeImageField, static_cast<uint32_t>(fields.pixels.size()));
    PutU32(file, kColorsUsedField, fields.colorsUsed);
    for (size_t i = 0; i < fields.masks.size() && headerSize >= 52; ++i) {
      PutU32(file, 54 + 4 * i, fields.masks[i]);
    }
    if (headerSize == 40 && fields.compression == kBiBitfields) {
      for (uint32_t mask : fields.masks) AppendU32(file, mask);
    }
  }
  for (uint32_t colour : fields.palette) {
    file.push_back(static_cast<uint8_t>(colour));
    file.push_back(static_cast<uint8_t>(colour >> 8));
    file.push_back(static_cast<uint8_t>(colour >> 16));
    if (!core) file.push_back(0);
  }
  PutU32(file, kPixelOffsetField, static_cast<uint32_t>(file.size()));
  file.insert(file.end(), fields.pixels.begin(), fields.pixels.end());
  PutU32(file, kFileSizeField, static_cast<uint32_t>(file.size()));
  return file;
}

// One stored row: pixels of fewer than 8 bits packed leftmost in the high
// bits, wider ones little-endian; padded to a multiple of 4 bytes.
inline std::vector<uint8_t> PackRow(const std::vector<uint32_t>& values, uint16_t bitCount) {
  std::vector<uint8_t> row(((values.size() * bitCount + 31) / 32) * 4, 0);
  for (size_t x = 0; x < values.size(); ++x) {
    if (bitCount < 8) {
      const size_t bit = x * bitCount;
      row[bit / 8] |= static_cast<uint8_t>(values[x] << (8 - bitCount - bit % 8));
    } else {
      for (unsigned b = 0; b < bitCount / 8u; ++b) {
        row[x * (bitCount / 8) + b] = static_cast<uint8_t>(values[x] >> (8 * b));
      }
    }
  }
  return row;
}

// The stored rows of a picture given top row first.
inline std::vector<uint8_t> PackRows(const std::vector<std::vector<uint32_t>>& rows,
                                     uint16_t bitCount, bool topDown) {
  std::vector<uint8_t> data;
  for (size_t i = 0; i < rows.size(); ++i) {
    const auto row = PackRow(rows[topDown ? i : rows.size() - 1 - i], bitCount);
    data.insert(data.end(), row.begin(), row.end());
  }
  return data;
}

}  // namespace bex::test
