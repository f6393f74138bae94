#include <cmath>
#include <cstdint>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "wicspi/dib_writer.h"

namespace bex::wicspi {
namespace {

// A stored picture of 3 x 2 pixels named by letters:
//   A B C
//   D E F
// Each pixel's blue, green and red are its letter, +1 and +2, so that a
// channel mix-up shows as a wrong letter.
constexpr uint32_t kStoredWidth = 3, kStoredHeight = 2;
const char kStored[] = "ABCDEF";

std::vector<uint8_t> StoredBgr() {
  std::vector<uint8_t> rows;
  for (char c : std::string(kStored))
    rows.insert(rows.end(), {uint8_t(c), uint8_t(c + 1), uint8_t(c + 2)});
  return rows;
}

// The upright picture as text, rows top to bottom separated by '/', read from
// a bottom-up DIB; '?' for a pixel whose channels do not belong together.
std::string ReadUpright(const DibLayout& layout, const std::vector<uint8_t>& dib) {
  std::string text;
  for (uint32_t v = 0; v < layout.height; ++v) {
    if (v) text += '/';
    const uint8_t* row = dib.data() + (layout.height - 1 - v) * layout.stride;
    for (uint32_t u = 0; u < layout.width; ++u) {
      const uint8_t* p = row + u * 3;
      text += (p[1] == p[0] + 1 && p[2] == p[0] + 2) ? char(p[0]) : '?';
    }
  }
  return text;
}

struct OrientationCase {
  int orientation;
  const char* upright;
};

// The stored picture turned upright by hand for each EXIF orientation.
const OrientationCase kCases[] = {
    {1, "ABC/DEF"},  {2, "CBA/FED"},  {3, "FED/CBA"},  {4, "DEF/ABC"},
    {5, "AD/BE/CF"}, {6, "DA/EB/FC"}, {7, "FC/EB/DA"}, {8, "CF/BE/AD"},
};

TEST(DibWriter, TurnsEveryOrientationUpright) {
  const std::vector<uint8_t> stored = StoredBgr();
  for (const OrientationCase& c : kCases) {
    const auto layout = PlanDib(kStoredWidth, kStoredHeight, c.orientation);
    ASSERT_TRUE(layout);
    std::vector<uint8_t> dib(layout->imageBytes, 0xCD);
    const DibWriter writer(*layout, kStoredWidth, kStoredHeight, c.orientation, dib.data());
    // One row per call, as strips of a decode arrive.
    for (uint32_t y = 0; y < kStoredHeight; ++y)
      writer.PutRows(PixelLayout::kBgr, &stored[y * 9], 9, y, 1);
    EXPECT_EQ(ReadUpright(*layout, dib), c.upright) << "orientation " << c.orientation;
  }
}

TEST(DibWriter, TakesBgraRowsWithTheirOwnStride) {
  std::vector<uint8_t> stored(2 * 16, 0);  // rows of 16 bytes: 3 pixels and padding
  for (int i = 0; i < 6; ++i) {
    uint8_t* p = &stored[(i / 3) * 16 + (i % 3) * 4];
    const uint8_t c = uint8_t(kStored[i]);
    p[0] = c, p[1] = c + 1, p[2] = c + 2, p[3] = 255;
  }
  for (const OrientationCase& c : kCases) {
    const auto layout = PlanDib(kStoredWidth, kStoredHeight, c.orientation);
    ASSERT_TRUE(layout);
    std::vector<uint8_t> dib(layout->imageBytes, 0xCD);
    DibWriter(*layout, kStoredWidth, kStoredHeight, c.orientation, dib.data())
        .PutRows(PixelLayout::kBgra, stored.data(), 16, 0, kStoredHeight);
    EXPECT_EQ(ReadUpright(*layout, dib), c.upright) << "orientation " << c.orientation;
  }
}

TEST(DibWriter, TakesPlanesOfRedGreenAndBlue) {
  // Planes with rows of 4 bytes (3 pixels and padding), each a plane apart.
  std::vector<uint8_t> planes(3 * 2 * 4, 0);
  for (int i = 0; i < 6; ++i) {
    const uint8_t c = uint8_t(kStored[i]);
    for (int channel = 0; channel < 3; ++channel)  // red is the letter + 2
      planes[channel * 8 + (i / 3) * 4 + i % 3] = uint8_t(c + 2 - channel);
  }
  const RgbPlanes rgb{{&planes[0], &planes[8], &planes[16]}, {4, 4, 4}};
  for (const OrientationCase& c : kCases) {
    const auto layout = PlanDib(kStoredWidth, kStoredHeight, c.orientation);
    ASSERT_TRUE(layout);
    std::vector<uint8_t> dib(layout->imageBytes, 0xCD);
    const DibWriter writer(*layout, kStoredWidth, kStoredHeight, c.orientation, dib.data());
    for (uint32_t y = 0; y < kStoredHeight; ++y) writer.PutPlanarRows(rgb, y, 1);
    EXPECT_EQ(ReadUpright(*layout, dib), c.upright) << "orientation " << c.orientation;
  }
}

TEST(DibWriter, CompositesTransparencyOntoBlack) {
  // One row of 256 pixels: blue = x, green = 255 - x, red = 255; every alpha.
  std::vector<uint8_t> row(256 * 4);
  for (int alpha = 0; alpha < 256; ++alpha) {
    for (int x = 0; x < 256; ++x) {
      row[x * 4] = uint8_t(x), row[x * 4 + 1] = uint8_t(255 - x), row[x * 4 + 2] = 255;
      row[x * 4 + 3] = uint8_t(alpha);
    }
    const auto layout = PlanDib(256, 1, 1);
    std::vector<uint8_t> dib(layout->imageBytes);
    DibWriter(*layout, 256, 1, 1, dib.data())
        .PutRows(PixelLayout::kBgra, row.data(), row.size(), 0, 1);
    for (int x = 0; x < 256; ++x) {
      const auto over = [&](int c) { return int(std::lround(c * alpha / 255.0)); };
      ASSERT_EQ(dib[x * 3], over(x)) << x << " alpha " << alpha;
      ASSERT_EQ(dib[x * 3 + 1], over(255 - x)) << x << " alpha " << alpha;
      ASSERT_EQ(dib[x * 3 + 2], over(255)) << x << " alpha " << alpha;
    }
  }
}

// One pixel of each stored layout and the blue, green, red it gives.
struct LayoutCase {
  PixelLayout layout;
  std::vector<uint8_t> stored;
  uint8_t bgr[3];
};

const LayoutCase kLayouts[] = {
    {PixelLayout::kBgr, {10, 20, 30}, {10, 20, 30}},
    {PixelLayout::kRgb, {10, 20, 30}, {30, 20, 10}},
    {PixelLayout::kBgra, {10, 20, 30, 255}, {10, 20, 30}},
    {PixelLayout::kRgba, {10, 20, 30, 255}, {30, 20, 10}},
    {PixelLayout::kRgba, {200, 100, 50, 0}, {0, 0, 0}},
    // Cyan, magenta, yellow, black ink: 0 is none.
    {PixelLayout::kCmyk, {0, 255, 255, 0}, {0, 0, 255}},
    {PixelLayout::kCmyk, {0, 0, 0, 0}, {255, 255, 255}},
    {PixelLayout::kCmyk, {0, 0, 255, 128}, {0, 127, 127}},
    // Inverted: 255 is no ink.
    {PixelLayout::kInvertedCmyk, {255, 0, 0, 255}, {0, 0, 255}},
    {PixelLayout::kInvertedCmyk, {255, 255, 0, 127}, {0, 127, 127}},
};

TEST(DibWriter, ConvertsEveryPixelLayoutToBgr) {
  for (const LayoutCase& c : kLayouts) {
    ASSERT_EQ(BytesPerPixel(c.layout), c.stored.size());
    const auto layout = PlanDib(1, 1, 1);
    std::vector<uint8_t> dib(layout->imageBytes, 0xCD);
    DibWriter(*layout, 1, 1, 1, dib.data())
        .PutRows(c.layout, c.stored.data(), c.stored.size(), 0, 1);
    EXPECT_EQ(std::vector<uint8_t>(dib.begin(), dib.begin() + 3),
              std::vector<uint8_t>(c.bgr, c.bgr + 3))
        << "layout " << int(c.layout) << " pixel " << int(c.stored[0]) << "," << int(c.stored[1]);
  }
}

TEST(DibWriter, ClearsOnlyTheRowPadding) {
  const auto layout = PlanDib(kStoredWidth, kStoredHeight, 1);  // 9 bytes used of 12
  ASSERT_TRUE(layout);
  std::vector<uint8_t> dib(layout->imageBytes, 0xCD);
  DibWriter(*layout, kStoredWidth, kStoredHeight, 1, dib.data()).ClearRowPadding();
  for (size_t i = 0; i < dib.size(); ++i) EXPECT_EQ(dib[i], i % 12 < 9 ? 0xCD : 0) << i;
}

TEST(PlanDib, SwapsTheSidesForTurnedOrientations) {
  for (int orientation = 1; orientation <= 8; ++orientation) {
    const auto layout = PlanDib(3, 2, orientation);
    ASSERT_TRUE(layout);
    const bool turned = orientation >= 5;
    EXPECT_EQ(layout->width, turned ? 2u : 3u);
    EXPECT_EQ(layout->height, turned ? 3u : 2u);
    EXPECT_EQ(layout->stride, turned ? 8u : 12u);
    EXPECT_EQ(layout->imageBytes, turned ? 24u : 24u);
  }
  EXPECT_EQ(PlanDib(3, 2, 0)->width, 3u);  // unknown values count as upright
}

// The limit is the viewer's: 8192 x 8192 pixels in any shape.
TEST(PlanDib, RefusesEmptyPicturesAndThoseTheViewerCannotHold) {
  EXPECT_FALSE(PlanDib(0, 10, 1));
  EXPECT_FALSE(PlanDib(10, 0, 1));
  const auto largest = PlanDib(8192, 8192, 6);
  ASSERT_TRUE(largest);
  EXPECT_EQ(largest->imageBytes, 8192u * 8192u * 3u);
  EXPECT_FALSE(PlanDib(8193, 8192, 1));
  EXPECT_FALSE(PlanDib(16384, 16384, 1));
  EXPECT_FALSE(PlanDib(65535, 65535, 1));
  EXPECT_FALSE(PlanDib(0xFFFFFFFFu, 0xFFFFFFFFu, 1));
  // A single column of the most pixels: four bytes a row with padding.
  EXPECT_EQ(PlanDib(1, 8192u * 8192u, 1)->imageBytes, size_t{4} * 8192u * 8192u);
  EXPECT_FALSE(PlanDib(1, 8192u * 8192u + 1, 1));
}

}  // namespace
}  // namespace bex::wicspi
