// bmp_reader_seeds FOLDER: writes small valid bitmaps of every header kind,
// bit depth and compression the reader knows, as a start for its fuzzer.
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "../tests/decoding/bmp_builder.h"

namespace {

using namespace bex::test;

constexpr int32_t kWidth = 7;
constexpr int32_t kHeight = 5;

std::vector<uint32_t> Palette(uint16_t bitCount) {
  std::vector<uint32_t> palette;
  for (uint32_t i = 0; i < (1u << bitCount); ++i) palette.push_back(i * 0x0A0503u & 0xFFFFFF);
  return palette;
}

std::vector<uint8_t> Pixels(uint16_t bitCount, bool topDown) {
  std::vector<std::vector<uint32_t>> rows(kHeight);
  const uint32_t valueMask = bitCount == 32 ? 0xFFFFFFFF : (1u << bitCount) - 1;
  for (uint32_t y = 0; y < kHeight; ++y) {
    for (uint32_t x = 0; x < kWidth; ++x) rows[y].push_back((x * 0x9E3779B1u + y) & valueMask);
  }
  return PackRows(rows, bitCount, topDown);
}

BmpFields Uncompressed(BmpHeader header, uint16_t bitCount, bool topDown) {
  BmpFields fields;
  fields.header = header;
  fields.width = kWidth;
  fields.height = topDown ? -kHeight : kHeight;
  fields.bitCount = bitCount;
  if (bitCount <= 8) fields.palette = Palette(bitCount);
  fields.pixels = Pixels(bitCount, topDown);
  return fields;
}

BmpFields Bitfields(BmpHeader header, uint16_t bitCount) {
  BmpFields fields = Uncompressed(header, bitCount, false);
  fields.compression = kBiBitfields;
  fields.masks = bitCount == 16 ? std::array<uint32_t, 3>{0xF800, 0x07E0, 0x001F}
                                : std::array<uint32_t, 3>{0x3FF00000, 0x000FFC00, 0x000003FF};
  return fields;
}

BmpFields RunLength(uint32_t compression, std::vector<uint8_t> stream) {
  BmpFields fields;
  fields.width = kWidth;
  fields.height = kHeight;
  fields.bitCount = compression == kBiRle8 ? 8 : 4;
  fields.compression = compression;
  fields.palette = Palette(fields.bitCount);
  fields.pixels = std::move(stream);
  return fields;
}

std::vector<std::pair<std::string, BmpFields>> Seeds() {
  std::vector<std::pair<std::string, BmpFields>> seeds;
  for (uint16_t bits : {1, 4, 8, 24}) {
    seeds.emplace_back("core" + std::to_string(bits), Uncompressed(BmpHeader::kCore, bits, false));
  }
  for (uint16_t bits : {1, 4, 8, 16, 24, 32}) {
    seeds.emplace_back("info" + std::to_string(bits), Uncompressed(BmpHeader::kInfo, bits, false));
  }
  seeds.emplace_back("v5topdown24", Uncompressed(BmpHeader::kV5, 24, true));
  seeds.emplace_back("v4topdown8", Uncompressed(BmpHeader::kV4, 8, true));
  BmpFields shortPalette = Uncompressed(BmpHeader::kInfo, 8, false);
  shortPalette.palette.resize(3);
  shortPalette.colorsUsed = 3;
  seeds.emplace_back("shortpalette8", shortPalette);
  seeds.emplace_back("bitfields16", Bitfields(BmpHeader::kInfo, 16));
  seeds.emplace_back("bitfields32", Bitfields(BmpHeader::kInfo, 32));
  seeds.emplace_back("v3bitfields16", Bitfields(BmpHeader::kV3, 16));
  seeds.emplace_back("v4bitfields32", Bitfields(BmpHeader::kV4, 32));
  seeds.emplace_back("rle8", RunLength(kBiRle8, {3, 1, 0, 3, 2, 3, 4, 0, 0, 0, 0, 2, 2, 1,
                                                 9, 5, 0, 0, 0, 4, 6, 7, 8, 9, 0, 0, 0, 1}));
  seeds.emplace_back("rle4", RunLength(kBiRle4, {5, 0x12, 0, 0, 0, 5, 0x34, 0x56, 0x70, 0, 0, 0,
                                                 0, 2,    3, 1, 0, 3, 0xAB, 0xC0, 0,    0, 0, 1}));
  return seeds;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: bmp_reader_seeds FOLDER\n");
    return 2;
  }
  for (const auto& [name, fields] : Seeds()) {
    const std::vector<uint8_t> file = BuildBmp(fields);
    std::ofstream out(std::string(argv[1]) + "/" + name + ".bmp", std::ios::binary);
    out.write(reinterpret_cast<const char*>(file.data()),
              static_cast<std::streamsize>(file.size()));
    if (!out) {
      std::fprintf(stderr, "bmp_reader_seeds: cannot write into %s\n", argv[1]);
      return 1;
    }
  }
  return 0;
}
