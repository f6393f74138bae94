#include "decoding/bmp_reader.h"

#include <climits>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

#include "decoding/bmp_builder.h"

namespace bex::test {
namespace {

using Rows = std::vector<std::vector<uint32_t>>;

// The reader sees the file in a heap block of exactly its size, so that
// AddressSanitizer reports any read past the end.
class ExactBlock {
 public:
  explicit ExactBlock(const std::vector<uint8_t>& bytes, size_t size)
      : data_(new uint8_t[size == 0 ? 1 : size]), size_(size) {
    std::copy(bytes.begin(), bytes.begin() + static_cast<ptrdiff_t>(size), data_.get());
  }
  explicit ExactBlock(const std::vector<uint8_t>& bytes) : ExactBlock(bytes, bytes.size()) {}
  const uint8_t* data() const { return data_.get(); }
  size_t size() const { return size_; }

 private:
  std::unique_ptr<uint8_t[]> data_;
  size_t size_;
};

struct Decoded {
  bool parsed = false;
  bool decoded = false;
  BmpInfo info;
  Rows rows;  // top row first
};

Decoded Decode(const std::vector<uint8_t>& file, size_t size) {
  const ExactBlock block(file, size);
  Decoded result;
  result.parsed = ParseBmp(block.data(), block.size(), &result.info);
  if (!result.parsed) return result;
  const auto width = static_cast<size_t>(result.info.width);
  std::vector<uint32_t> pixels(width * static_cast<size_t>(result.info.height), 0xDEADBEEF);
  result.decoded = DecodeBmp(block.data(), block.size(), result.info, pixels.data(),
                             static_cast<ptrdiff_t>(width * 4));
  for (size_t y = 0; y < static_cast<size_t>(result.info.height); ++y) {
    result.rows.emplace_back(pixels.begin() + static_cast<ptrdiff_t>(y * width),
                             pixels.begin() + static_cast<ptrdiff_t>((y + 1) * width));
  }
  return result;
}

Decoded Decode(const std::vector<uint8_t>& file) { return Decode(file, file.size()); }

std::string HeaderName(BmpHeader header) {
  static const char* const kNames[] = {"Core", "Info", "V2", "V3", "V4", "V5"};
  return kNames[static_cast<int>(header)];
}

// Test names of the cases that carry a name.
template <class Case>
std::string NameOfCase(const testing::TestParamInfo<Case>& p) {
  return p.param.name;
}

// Distinct colours for the entries of a full colour table.
std::vector<uint32_t> TestPalette(uint32_t entries) {
  std::vector<uint32_t> palette;
  for (uint32_t i = 0; i < entries; ++i) palette.push_back((i + 1) * 0x9E3779B1u >> 8);
  return palette;
}

// ---- Indexed pixels: every depth, header kind and row order.

struct IndexedCase {
  uint16_t bitCount;
  BmpHeader header;
  bool topDown;
};

class IndexedPixels : public testing::TestWithParam<IndexedCase> {};

TEST_P(IndexedPixels, EveryPixelTakesItsPaletteColour) {
  const IndexedCase c = GetParam();
  const uint32_t entries = 1u << c.bitCount;
  // 11 pixels: rows end inside a byte and need padding at every depth.
  Rows indices(3, std::vector<uint32_t>(11));
  for (uint32_t y = 0; y < 3; ++y) {
    for (uint32_t x = 0; x < 11; ++x) indices[y][x] = (x * 5 + y * 3) % entries;
  }
  BmpFields fields;
  fields.header = c.header;
  fields.width = 11;
  fields.height = c.topDown ? -3 : 3;
  fields.bitCount = c.bitCount;
  fields.palette = TestPalette(entries);
  fields.pixels = PackRows(indices, c.bitCount, c.topDown);

  const Decoded d = Decode(BuildBmp(fields));
  ASSERT_TRUE(d.decoded);
  EXPECT_EQ(d.info.width, 11);
  EXPECT_EQ(d.info.height, 3);
  for (size_t y = 0; y < 3; ++y) {
    for (size_t x = 0; x < 11; ++x) {
      EXPECT_EQ(d.rows[y][x], fields.palette[indices[y][x]]) << "at " << x << "," << y;
    }
  }
}

std::vector<IndexedCase> AllIndexedCases() {
  std::vector<IndexedCase> cases;
  for (uint16_t bits : {1, 4, 8}) {
    for (BmpHeader header :
         {BmpHeader::kCore, BmpHeader::kInfo, BmpHeader::kV3, BmpHeader::kV4, BmpHeader::kV5}) {
      cases.push_back({bits, header, false});
      // OS/2 1.x sides are unsigned: no top-down rows.
      if (header != BmpHeader::kCore) cases.push_back({bits, header, true});
    }
  }
  return cases;
}

INSTANTIATE_TEST_SUITE_P(Depths, IndexedPixels, testing::ValuesIn(AllIndexedCases()),
                         [](const testing::TestParamInfo<IndexedCase>& p) {
                           return std::to_string(p.param.bitCount) + "Bit" +
                                  HeaderName(p.param.header) +
                                  (p.param.topDown ? "TopDown" : "BottomUp");
                         });

// ---- Pixels of 16, 24 and 32 bits: stored values and the colours they mean.

struct DirectCase {
  const char* name;
  uint16_t bitCount;
  uint32_t compression;
  std::array<uint32_t, 3> masks;
  std::vector<uint32_t> stored;    // 3 x 2 picture, top row first
  std::vector<uint32_t> expected;  // 0x00RRGGBB
};

// Masks of BI_RGB cases are written into the longer headers on purpose: the
// reader must ignore them there.
const std::array<uint32_t, 3> kMisleadingMasks = {0x001F, 0x03E0, 0x7C00};

const DirectCase kDirectCases[] = {
    {"Bgr24",
     24,
     kBiRgb,
     kMisleadingMasks,
     {0xFF0000, 0x00FF00, 0x0000FF, 0x123456, 0xFFFFFF, 0x000000},
     {0xFF0000, 0x00FF00, 0x0000FF, 0x123456, 0xFFFFFF, 0x000000}},
    {"Xrgb32ClearsFourthByte",
     32,
     kBiRgb,
     kMisleadingMasks,
     {0xAB123456, 0xFFFF0000, 0x0000FF00, 0x000000FF, 0xFFFFFFFF, 0},
     {0x123456, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0}},
    {"Rgb555",
     16,
     kBiRgb,
     kMisleadingMasks,
     {0x7C00, 0x03E0, 0x001F, 0x7FFF, 0x4210, 0x8000},
     {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0x848484, 0}},
    {"Bitfields565",
     16,
     kBiBitfields,
     {0xF800, 0x07E0, 0x001F},
     {0xF800, 0x07E0, 0x001F, 0xFFFF, 0x8410, 0x39A7},
     {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0x848284, 0x393439}},
    {"Bitfields16EmptyMasks",
     16,
     kBiBitfields,
     {0, 0x07E0, 0},
     {0xFFFF, 0x07E0, 0x001F, 0xF800, 0, 0x0020},
     {0x00FF00, 0x00FF00, 0, 0, 0, 0x000400}},
    {"Bitfields32Shifted",
     32,
     kBiBitfields,
     {0xFF000000, 0x00FF0000, 0x0000FF00},
     {0x12345678, 0xFF0000FF, 0x00FF0000, 0x0000FF00, 0xFFFFFFFF, 0x000000FF},
     {0x123456, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0}},
    {"Bitfields32TenBits",
     32,
     kBiBitfields,
     {0x3FF00000, 0x000FFC00, 0x000003FF},
     {0x3FF00000, 0x000FFC00, 0x000003FF, 0x20000000, 0x00080000, 0xC00001FF},
     {0xFF0000, 0x00FF00, 0x0000FF, 0x800000, 0x008000, 0x00007F}},
    {"Bitfields32Standard",
     32,
     kBiBitfields,
     {0xFF0000, 0x00FF00, 0x0000FF},
     {0x77123456, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0},
     {0x123456, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0}},
};

class DirectPixels : public testing::TestWithParam<std::tuple<DirectCase, BmpHeader, bool>> {};

TEST_P(DirectPixels, StoredValuesGiveTheirColours) {
  const auto& [c, header, topDown] = GetParam();
  const Rows stored = {{c.stored[0], c.stored[1], c.stored[2]},
                       {c.stored[3], c.stored[4], c.stored[5]}};
  BmpFields fields;
  fields.header = header;
  fields.width = 3;
  fields.height = topDown ? -2 : 2;
  fields.bitCount = c.bitCount;
  fields.compression = c.compression;
  fields.masks = c.masks;
  fields.pixels = PackRows(stored, c.bitCount, topDown);

  const Decoded d = Decode(BuildBmp(fields));
  ASSERT_TRUE(d.decoded);
  EXPECT_EQ(d.rows, (Rows{{c.expected[0], c.expected[1], c.expected[2]},
                          {c.expected[3], c.expected[4], c.expected[5]}}));
}

INSTANTIATE_TEST_SUITE_P(Formats, DirectPixels,
                         testing::Combine(testing::ValuesIn(kDirectCases),
                                          testing::Values(BmpHeader::kInfo, BmpHeader::kV3,
                                                          BmpHeader::kV4, BmpHeader::kV5),
                                          testing::Bool()),
                         [](const auto& p) {
                           return std::string(std::get<0>(p.param).name) +
                                  HeaderName(std::get<1>(p.param)) +
                                  (std::get<2>(p.param) ? "TopDown" : "BottomUp");
                         });

// Wide rows go through the reader's fast loops and their tails: every width
// from 1 to 13 with pixels that differ in every byte.
class RowWidths : public testing::TestWithParam<std::tuple<uint16_t, int32_t>> {};

TEST_P(RowWidths, EveryPixelArrivesWhole) {
  const auto [bitCount, width] = GetParam();
  Rows stored(2), expected(2);
  for (uint32_t y = 0; y < 2; ++y) {
    for (uint32_t x = 0; x < static_cast<uint32_t>(width); ++x) {
      const uint32_t colour = ((x + 1) * 0x3B1D07u + y * 0x808080u) & 0xFFFFFF;
      stored[y].push_back(colour | 0x5A000000);
      expected[y].push_back(colour);
    }
  }
  BmpFields fields;
  fields.width = width;
  fields.height = 2;
  fields.bitCount = bitCount;
  fields.pixels = PackRows(stored, bitCount, false);
  const Decoded d = Decode(BuildBmp(fields));
  ASSERT_TRUE(d.decoded);
  EXPECT_EQ(d.rows, expected);
}

INSTANTIATE_TEST_SUITE_P(Widths, RowWidths,
                         testing::Combine(testing::Values(uint16_t{24}, uint16_t{32}),
                                          testing::Range(1, 14)));

TEST(BmpReader, CoreHeaderReads24BitPixels) {
  BmpFields fields;
  fields.header = BmpHeader::kCore;
  fields.width = 2;
  fields.height = 2;
  fields.pixels = PackRows({{0x112233, 0x445566}, {0x778899, 0xAABBCC}}, 24, false);
  const Decoded d = Decode(BuildBmp(fields));
  ASSERT_TRUE(d.decoded);
  EXPECT_EQ(d.rows, (Rows{{0x112233, 0x445566}, {0x778899, 0xAABBCC}}));
}

// Pixels handed over without a file around them, as plug-ins do.
TEST(BmpReader, PlainPixelsOfTheirOwnDecode) {
  const std::vector<uint8_t> rows =
      PackRows({{0x112233, 0x445566}, {0x778899, 0xAABBCC}}, 24, false);
  BmpInfo info;
  ASSERT_TRUE(PlainPixelsInfo(2, 2, false, 24, &info));
  std::vector<uint32_t> pixels(4);
  ASSERT_TRUE(DecodeBmp(rows.data(), rows.size(), info, pixels.data(), 8));
  EXPECT_EQ(pixels, (std::vector<uint32_t>{0x112233, 0x445566, 0x778899, 0xAABBCC}));
  EXPECT_FALSE(DecodeBmp(rows.data(), rows.size() - 1, info, pixels.data(), 8));
  EXPECT_FALSE(PlainPixelsInfo(2, 2, false, 8, &info)) << "a palette lies elsewhere";
}

// ---- Short colour tables.

TEST(BmpReader, IndicesBeyondAShortPaletteAreBlack) {
  BmpFields fields;
  fields.width = 4;
  fields.bitCount = 8;
  fields.palette = {0x102030, 0x405060};
  fields.colorsUsed = 2;
  fields.pixels = PackRow({0, 1, 2, 255}, 8);
  const Decoded d = Decode(BuildBmp(fields));
  ASSERT_TRUE(d.decoded);
  EXPECT_EQ(d.info.paletteCount, 2u);
  EXPECT_EQ(d.rows[0], (std::vector<uint32_t>{0x102030, 0x405060, 0, 0}));
}

TEST(BmpReader, CorePaletteEndsWhereThePixelsBegin) {
  BmpFields fields;
  fields.header = BmpHeader::kCore;
  fields.width = 3;
  fields.bitCount = 8;
  fields.palette = {0x102030, 0x405060};
  fields.pixels = PackRow({1, 0, 2}, 8);
  const Decoded d = Decode(BuildBmp(fields));
  ASSERT_TRUE(d.decoded);
  EXPECT_EQ(d.info.paletteCount, 2u);
  EXPECT_EQ(d.rows[0], (std::vector<uint32_t>{0x405060, 0x102030, 0}));
}

TEST(BmpReader, UsedColoursBeyondTheBitCountMeanTheFullTable) {
  BmpFields fields;
  fields.width = 2;
  fields.bitCount = 1;
  fields.palette = {0x0000FF, 0xFF0000};
  fields.colorsUsed = 0x7FFFFFFF;
  fields.pixels = PackRow({1, 0}, 1);
  const Decoded d = Decode(BuildBmp(fields));
  ASSERT_TRUE(d.decoded);
  EXPECT_EQ(d.rows[0], (std::vector<uint32_t>{0xFF0000, 0x0000FF}));
}

// ---- Size fields that the reader must not believe.

TEST(BmpReader, FileAndImageSizeFieldsAreNotTrusted) {
  BmpFields fields;
  fields.width = 2;
  fields.pixels = PackRow({0x010203, 0x040506}, 24);
  auto file = BuildBmp(fields);
  PutU32(file, kFileSizeField, 0xFFFFFFFF);
  PutU32(file, kSizeImageField, 0xFFFFFFFF);
  const Decoded d = Decode(file);
  ASSERT_TRUE(d.decoded);
  EXPECT_EQ(d.rows[0], (std::vector<uint32_t>{0x010203, 0x040506}));
}

TEST(BmpReader, DecodeChecksTheInfoAgainstTheDataItIsGiven) {
  BmpFields fields;
  fields.width = 2;
  fields.height = 2;
  fields.pixels = PackRows({{1, 2}, {3, 4}}, 24, false);
  const auto file = BuildBmp(fields);
  BmpInfo info;
  ASSERT_TRUE(ParseBmp(file.data(), file.size(), &info));
  const ExactBlock shorter(file, file.size() - 1);
  std::vector<uint32_t> pixels(4);
  EXPECT_FALSE(DecodeBmp(shorter.data(), shorter.size(), info, pixels.data(), 8));
}

// ---- The caller's stride.

TEST(BmpReader, RowsGoStrideBytesApartAndPaddingIsUntouched) {
  BmpFields fields;
  fields.width = 2;
  fields.height = 2;
  fields.pixels = PackRows({{1, 2}, {3, 4}}, 24, false);
  const auto file = BuildBmp(fields);
  BmpInfo info;
  ASSERT_TRUE(ParseBmp(file.data(), file.size(), &info));
  std::vector<uint32_t> pixels(8, 0xDEADBEEF);
  ASSERT_TRUE(DecodeBmp(file.data(), file.size(), info, pixels.data(), 16));
  EXPECT_EQ(pixels,
            (std::vector<uint32_t>{1, 2, 0xDEADBEEF, 0xDEADBEEF, 3, 4, 0xDEADBEEF, 0xDEADBEEF}));
  EXPECT_FALSE(DecodeBmp(file.data(), file.size(), info, pixels.data(), 4));
  EXPECT_FALSE(DecodeBmp(file.data(), file.size(), info, pixels.data(), 10));
}

// ---- Run-length data.

struct RleCase {
  const char* name;
  uint16_t bitCount;
  uint32_t compression;
  std::vector<uint8_t> stream;
  Rows expected;  // indices, top row first; -1 for a skipped (black) pixel
};

constexpr uint32_t kSkipped = 0xFFFFFFFF;

const RleCase kRleCases[] = {
    {"Rle8",
     8,
     kBiRle8,
     {
         3, 1,              // run of three 1s
         0, 3, 2, 3, 4, 0,  // absolute 2 3 4, padded to a word
         0, 0,              // end of line
         0, 2, 2, 1,        // delta: two right, one up
         2, 5,              // run of two 5s
         0, 0,              // end of line
         0, 4, 6, 7, 8, 9,  // absolute 6 7 8 9
         0, 1,              // end of bitmap
     },
     {
         {6, 7, 8, 9, kSkipped, kSkipped},
         {kSkipped, kSkipped, 5, 5, kSkipped, kSkipped},
         {kSkipped, kSkipped, kSkipped, kSkipped, kSkipped, kSkipped},
         {1, 1, 1, 2, 3, 4},
     }},
    {"Rle4",
     4,
     kBiRle4,
     {
         5, 0x12,                       // run alternating 1 2 1 2 1
         0, 0,                          // end of line
         0, 5,    0x34, 0x56, 0x70, 0,  // absolute 3 4 5 6 7, padded
         0, 0,                          // end of line
         0, 2,    3,    0,              // delta: three right
         0, 3,    0xAB, 0xC0,           // absolute A B C
         0, 0,                          // end of line
         0, 1,                          // end of bitmap
     },
     {
         {kSkipped, kSkipped, kSkipped, kSkipped, kSkipped, kSkipped},
         {kSkipped, kSkipped, kSkipped, 10, 11, 12},
         {3, 4, 5, 6, 7, kSkipped},
         {1, 2, 1, 2, 1, kSkipped},
     }},
    {"Rle8EndingWithoutEndCodeKeepsWhatItDrew",
     8,
     kBiRle8,
     {6, 1, 0, 0, 2, 3},
     {
         {kSkipped, kSkipped, kSkipped, kSkipped, kSkipped, kSkipped},
         {kSkipped, kSkipped, kSkipped, kSkipped, kSkipped, kSkipped},
         {3, 3, kSkipped, kSkipped, kSkipped, kSkipped},
         {1, 1, 1, 1, 1, 1},
     }},
    {"Rle8CutInsideAnAbsoluteRun",
     8,
     kBiRle8,
     {2, 1, 0, 4, 2, 3},
     {
         {kSkipped, kSkipped, kSkipped, kSkipped, kSkipped, kSkipped},
         {kSkipped, kSkipped, kSkipped, kSkipped, kSkipped, kSkipped},
         {kSkipped, kSkipped, kSkipped, kSkipped, kSkipped, kSkipped},
         {1, 1, kSkipped, kSkipped, kSkipped, kSkipped},
     }},
    {"Rle8RunsPastTheRowEndAreCut",
     8,
     kBiRle8,
     {8, 1, 0, 0, 4, 2, 0, 5, 3, 4, 5, 6, 7, 0, 0, 0, 0, 1},
     {
         {kSkipped, kSkipped, kSkipped, kSkipped, kSkipped, kSkipped},
         {kSkipped, kSkipped, kSkipped, kSkipped, kSkipped, kSkipped},
         {2, 2, 2, 2, 3, 4},
         {1, 1, 1, 1, 1, 1},
     }},
    {"Rle4RunsPastTheRowEndAreCut",
     4,
     kBiRle4,
     {7, 0x12, 0, 0, 0, 7, 0x34, 0x56, 0x78, 0x90, 0, 0, 0, 1},
     {
         {kSkipped, kSkipped, kSkipped, kSkipped, kSkipped, kSkipped},
         {kSkipped, kSkipped, kSkipped, kSkipped, kSkipped, kSkipped},
         {3, 4, 5, 6, 7, 8},
         {1, 2, 1, 2, 1, 2},
     }},
    {"Rle8TrailingEndsOfLineAreHarmless",
     8,
     kBiRle8,
     {6, 1, 0, 0, 6, 2, 0, 0, 6, 3, 0, 0, 6, 4, 0, 0, 0, 0, 0, 1},
     {{4, 4, 4, 4, 4, 4}, {3, 3, 3, 3, 3, 3}, {2, 2, 2, 2, 2, 2}, {1, 1, 1, 1, 1, 1}}},
};

class RlePixels : public testing::TestWithParam<RleCase> {};

TEST_P(RlePixels, RunsAbsoluteRunsAndMovesDrawTheirPixels) {
  const RleCase& c = GetParam();
  BmpFields fields;
  fields.width = 6;
  fields.height = 4;
  fields.bitCount = c.bitCount;
  fields.compression = c.compression;
  fields.palette = TestPalette(1u << c.bitCount);
  fields.pixels = c.stream;
  const Decoded d = Decode(BuildBmp(fields));
  ASSERT_TRUE(d.decoded);
  for (size_t y = 0; y < 4; ++y) {
    for (size_t x = 0; x < 6; ++x) {
      const uint32_t index = c.expected[y][x];
      EXPECT_EQ(d.rows[y][x], index == kSkipped ? 0 : fields.palette[index])
          << "at " << x << "," << y;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Streams, RlePixels, testing::ValuesIn(kRleCases), NameOfCase<RleCase>);

// Run-length data that leaves the picture is refused by DecodeBmp.
struct RleOverrun {
  const char* name;
  std::vector<uint8_t> stream;  // RLE8 into 6 x 2
};

const RleOverrun kRleOverruns[] = {
    {"DeltaPastTheRightEdge", {0, 2, 7, 0, 0, 1}},
    {"DeltaRightAfterACutRun", {8, 1, 0, 2, 1, 0, 0, 1}},
    {"DeltaAboveTheTop", {0, 2, 0, 3, 0, 1}},
    {"RunAboveTheTopRow", {0, 0, 0, 0, 1, 1, 0, 1}},
    {"RunAfterDeltaToTheTop", {0, 2, 0, 2, 1, 1, 0, 1}},
};

class RleOverruns : public testing::TestWithParam<RleOverrun> {};

TEST_P(RleOverruns, AreMalformed) {
  BmpFields fields;
  fields.width = 6;
  fields.height = 2;
  fields.bitCount = 8;
  fields.compression = kBiRle8;
  fields.palette = TestPalette(256);
  fields.pixels = GetParam().stream;
  const Decoded d = Decode(BuildBmp(fields));
  ASSERT_TRUE(d.parsed);
  EXPECT_FALSE(d.decoded);
}

INSTANTIATE_TEST_SUITE_P(Streams, RleOverruns, testing::ValuesIn(kRleOverruns),
                         NameOfCase<RleOverrun>);

// ---- Malformed headers: ParseBmp refuses them.

BmpFields Valid8Bit() {
  BmpFields fields;
  fields.width = 3;
  fields.height = 2;
  fields.bitCount = 8;
  fields.palette = TestPalette(4);
  fields.pixels = PackRows({{0, 1, 2}, {3, 2, 1}}, 8, false);
  return fields;
}

BmpFields ValidRle8(int32_t width, int32_t height) {
  BmpFields fields;
  fields.width = width;
  fields.height = height;
  fields.bitCount = 8;
  fields.compression = kBiRle8;
  fields.palette = TestPalette(2);
  fields.pixels = {0, 1};
  return fields;
}

std::vector<uint8_t> WithU32(std::vector<uint8_t> file, size_t offset, uint32_t value) {
  PutU32(file, offset, value);
  return file;
}

std::vector<uint8_t> WithU16(std::vector<uint8_t> file, size_t offset, uint16_t value) {
  PutU16(file, offset, value);
  return file;
}

std::vector<uint8_t> Built(BmpFields fields, const std::function<void(BmpFields&)>& change) {
  change(fields);
  return BuildBmp(fields);
}

struct Malformed {
  const char* name;
  std::vector<uint8_t> file;
};

std::vector<Malformed> MalformedFiles() {
  const auto valid = BuildBmp(Valid8Bit());
  const auto rle = BuildBmp(ValidRle8(4, 4));
  BmpFields bitfields;
  bitfields.width = 1;
  bitfields.bitCount = 16;
  bitfields.compression = kBiBitfields;
  bitfields.masks = {0xF800, 0x07E0, 0x001F};
  bitfields.pixels = {0, 0, 0, 0};
  const auto masked = BuildBmp(bitfields);
  return {
      {"Empty", {}},
      {"BadSignature", WithU16(valid, 0, 0x4142)},
      {"UnknownHeaderSize", WithU32(valid, kHeaderSizeField, 64)},
      {"HeaderSizeZero", WithU32(valid, kHeaderSizeField, 0)},
      {"HeaderLongerThanTheFile", WithU32(valid, kHeaderSizeField, 124)},
      {"ZeroWidth", WithU32(valid, kWidthField, 0)},
      {"NegativeWidth", WithU32(valid, kWidthField, static_cast<uint32_t>(-3))},
      {"ZeroHeight", WithU32(valid, kHeightField, 0)},
      {"SmallestHeight", WithU32(valid, kHeightField, static_cast<uint32_t>(INT32_MIN))},
      {"CoreZeroWidth", Built(Valid8Bit(),
                              [](BmpFields& s) {
                                s.header = BmpHeader::kCore;
                                s.width = 0;
                              })},
      {"Core16Bit", Built(Valid8Bit(),
                          [](BmpFields& s) {
                            s.header = BmpHeader::kCore;
                            s.bitCount = 16;
                            s.palette.clear();
                            s.pixels = PackRows({{1, 2, 3}, {4, 5, 6}}, 16, false);
                          })},
      {"MorePixelsThanAllowed", BuildBmp(ValidRle8(8192, 8193))},
      {"HugeWidth", BuildBmp(ValidRle8(INT32_MAX, 1))},
      {"HugeSidesWhoseRowSizeOverflows", Built(Valid8Bit(),
                                               [](BmpFields& s) {
                                                 s.width = INT32_MAX;
                                                 s.height = INT32_MAX;
                                                 s.bitCount = 32;
                                                 s.palette.clear();
                                               })},
      {"CompressionJpeg", WithU32(valid, kCompressionField, 4)},
      {"CompressionPng", WithU32(valid, kCompressionField, 5)},
      {"CompressionAlphaBitfields", WithU32(masked, kCompressionField, 6)},
      {"CompressionUnknown", WithU32(valid, kCompressionField, 0x12345678)},
      {"Rle8WithFourBits", WithU16(rle, kBitCountField, 4)},
      {"Rle4WithEightBits", WithU32(rle, kCompressionField, kBiRle4)},
      {"BitfieldsWith24Bits", WithU16(masked, kBitCountField, 24)},
      {"BitfieldsWithEightBits", WithU16(masked, kBitCountField, 8)},
      {"TwoBitPixels", WithU16(valid, kBitCountField, 2)},
      {"ZeroBitPixels", WithU16(valid, kBitCountField, 0)},
      {"SixtyFourBitPixels", WithU16(valid, kBitCountField, 64)},
      {"TopDownRle", WithU32(rle, kHeightField, static_cast<uint32_t>(-4))},
      {"PixelOffsetBeyondTheFile", WithU32(valid, kPixelOffsetField, 0x7FFFFFF0)},
      {"PixelOffsetAtTheFileEnd",
       WithU32(rle, kPixelOffsetField, static_cast<uint32_t>(rle.size()))},
      {"PixelOffsetInsideTheHeader", WithU32(valid, kPixelOffsetField, 20)},
      {"PixelOffsetLeavingTooFewRows", WithU32(valid, kPixelOffsetField, 14 + 40 + 16 + 4)},
      {"PixelDataOneByteShort", std::vector<uint8_t>(valid.begin(), valid.end() - 1)},
      {"TallerThanTheData", WithU32(valid, kHeightField, 3)},
      {"MasksBeyondTheFile", std::vector<uint8_t>(masked.begin(), masked.begin() + 60)},
      {"NonContiguousMask", WithU32(masked, 54, 0xF00F)},
      {"MaskWiderThanThePixel", WithU32(masked, 54, 0x1F800)},
  };
}

class MalformedHeaders : public testing::TestWithParam<Malformed> {};

TEST_P(MalformedHeaders, AreRefused) {
  const Malformed& m = GetParam();
  const ExactBlock block(m.file);
  BmpInfo info;
  info.width = 77;
  EXPECT_FALSE(ParseBmp(block.data(), block.size(), &info));
  EXPECT_EQ(info.width, 77) << "a refused file must leave the info alone";
}

INSTANTIATE_TEST_SUITE_P(Files, MalformedHeaders, testing::ValuesIn(MalformedFiles()),
                         NameOfCase<Malformed>);

TEST(BmpReader, TheLargestAllowedPictureIsAccepted) {
  const auto file = BuildBmp(ValidRle8(8192, 8192));
  BmpInfo info;
  ASSERT_TRUE(ParseBmp(file.data(), file.size(), &info));
  EXPECT_EQ(static_cast<uint64_t>(info.width) * static_cast<uint64_t>(info.height),
            kMaxPicturePixels);
}

// ---- Truncation at every length.

std::vector<std::pair<std::string, std::vector<uint8_t>>> UncompressedFiles() {
  BmpFields core4 = Valid8Bit();
  core4.header = BmpHeader::kCore;
  core4.bitCount = 4;
  core4.palette = TestPalette(16);
  core4.pixels = PackRows({{0, 1, 2}, {3, 2, 1}}, 4, false);
  BmpFields v5 = Valid8Bit();
  v5.header = BmpHeader::kV5;
  v5.bitCount = 24;
  v5.palette.clear();
  v5.pixels = PackRows({{1, 2, 3}, {4, 5, 6}}, 24, false);
  BmpFields masked = Valid8Bit();
  masked.bitCount = 16;
  masked.compression = kBiBitfields;
  masked.masks = {0xF800, 0x07E0, 0x001F};
  masked.palette.clear();
  masked.pixels = PackRows({{1, 2, 3}, {4, 5, 6}}, 16, false);
  return {{"Core4Bit", BuildBmp(core4)},
          {"Info8Bit", BuildBmp(Valid8Bit())},
          {"V5With24Bits", BuildBmp(v5)},
          {"Bitfields565", BuildBmp(masked)}};
}

TEST(BmpReader, EveryTruncationOfUncompressedFilesIsRefused) {
  for (const auto& [name, file] : UncompressedFiles()) {
    ASSERT_TRUE(Decode(file).decoded) << name;
    for (size_t length = 0; length < file.size(); ++length) {
      EXPECT_FALSE(Decode(file, length).parsed) << name << " cut to " << length;
    }
  }
}

TEST(BmpReader, TruncatedRunLengthDataKeepsWhatItHolds) {
  const RleCase& c = kRleCases[0];
  BmpFields fields;
  fields.width = 6;
  fields.height = 4;
  fields.bitCount = 8;
  fields.compression = kBiRle8;
  fields.palette = TestPalette(256);
  fields.pixels = c.stream;
  const auto file = BuildBmp(fields);
  const size_t pixelOffset = file.size() - c.stream.size();
  for (size_t length = 0; length < file.size(); ++length) {
    const Decoded d = Decode(file, length);
    EXPECT_EQ(d.parsed, length > pixelOffset) << "cut to " << length;
    EXPECT_EQ(d.decoded, d.parsed) << "cut to " << length;
  }
  // Cut after the first run: three pixels of the bottom row, the rest black.
  const Decoded d = Decode(file, pixelOffset + 2);
  ASSERT_TRUE(d.decoded);
  EXPECT_EQ(d.rows[3], (std::vector<uint32_t>{fields.palette[1], fields.palette[1],
                                              fields.palette[1], 0, 0, 0}));
  EXPECT_EQ(d.rows[0], std::vector<uint32_t>(6, 0));
}

}  // namespace
}  // namespace bex::test
