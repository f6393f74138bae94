#include "display/resample.h"

#include <gtest/gtest.h>
#include <vector>

namespace bex {
namespace {

// A picture whose rows may be longer than its width (padding pixels).
struct Picture {
  Picture(int w, int h, uint32_t fill = 0, int rowPixels = 0)
      : width(w), height(h), rowLength(rowPixels ? rowPixels : w), pixels(rowLength * h, fill) {}

  uint32_t& At(int x, int y) { return pixels[y * rowLength + x]; }
  PixelsView View() const { return {pixels.data(), width, height, ptrdiff_t{rowLength} * 4}; }
  MutablePixelsView Mutable() { return {pixels.data(), width, height, ptrdiff_t{rowLength} * 4}; }
  std::vector<uint32_t> Visible() const {
    std::vector<uint32_t> out;
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) out.push_back(pixels[y * rowLength + x]);
    }
    return out;
  }

  int width, height, rowLength;
  std::vector<uint32_t> pixels;
};

uint32_t Rgb(uint32_t r, uint32_t g, uint32_t b) { return (r << 16) | (g << 8) | b; }

// Deterministic, varied content.
Picture Noise(int w, int h) {
  Picture p(w, h);
  uint32_t state = 12345;
  for (uint32_t& px : p.pixels) {
    state = state * 1103515245 + 12345;
    px = (state >> 8) & 0xFFFFFF;
  }
  return p;
}

std::vector<uint32_t> Smooth(const Picture& src, int w, int h) {
  Picture dst(w, h, 0xDEADBEEF);
  EXPECT_TRUE(ScaleSmooth(src.View(), WholePicture(dst.Mutable()), dst.Mutable()));
  return dst.Visible();
}

TEST(ScaleSmooth, UniformStaysUniform) {
  const uint32_t colour = Rgb(0x12, 0xFE, 0x01);
  const Picture src(997, 601, colour);
  for (auto [w, h] : {std::pair{1, 1}, {3, 2}, {331, 600}, {996, 1}, {997, 601}, {1500, 300}}) {
    const auto out = Smooth(src, w, h);
    EXPECT_EQ(out, std::vector<uint32_t>(out.size(), colour)) << w << "x" << h;
  }
}

TEST(ScaleSmooth, CheckerAveragesToGrey) {
  Picture src(2, 2);
  src.At(0, 0) = src.At(1, 1) = 0xFFFFFF;
  EXPECT_EQ(Smooth(src, 1, 1), std::vector<uint32_t>{0x808080});  // 127.5 rounds up

  Picture big(64, 48);
  for (int y = 0; y < 48; ++y) {
    for (int x = 0; x < 64; ++x) big.At(x, y) = (x + y) % 2 ? 0xFFFFFF : 0;
  }
  const auto out = Smooth(big, 16, 12);
  EXPECT_EQ(out, std::vector<uint32_t>(out.size(), 0x808080));
}

TEST(ScaleSmooth, WeighsPartlyCoveredPixels) {
  // 3 -> 2: the first output covers 2/3 of pixel 0 and 1/3 of pixel 1.
  Picture src(3, 1);
  src.At(0, 0) = Rgb(0, 90, 0);
  src.At(1, 0) = Rgb(30, 0, 255);
  src.At(2, 0) = Rgb(60, 255, 255);
  EXPECT_EQ(Smooth(src, 2, 1), (std::vector<uint32_t>{Rgb(10, 60, 85), Rgb(50, 170, 255)}));
}

TEST(ScaleSmooth, IntegerFactorGivesBlockMeans) {
  Picture src(4, 4);
  const uint32_t blocks[2][2] = {{10, 200}, {0, 255}};
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 4; ++x) {
      const uint32_t base = blocks[y / 2][x / 2];
      src.At(x, y) = Rgb(base, base, (x + y) % 2 ? 3 : 0);
    }
  }
  src.At(3, 3) = Rgb(251, 255, 3);  // block mean of red: (255 * 3 + 251) / 4 = 254
  EXPECT_EQ(Smooth(src, 2, 2), (std::vector<uint32_t>{Rgb(10, 10, 2), Rgb(200, 200, 2),
                                                      Rgb(0, 0, 2), Rgb(254, 255, 2)}));
}

TEST(ScaleSmooth, OnePixelOutputIsTheMean) {
  Picture row(256, 1);
  for (int x = 0; x < 256; ++x) row.At(x, 0) = Rgb(0, 0, x);
  EXPECT_EQ(Smooth(row, 1, 1), std::vector<uint32_t>{Rgb(0, 0, 128)});  // 127.5

  Picture column(1, 3);
  column.At(0, 0) = Rgb(3, 0, 0);
  column.At(0, 2) = Rgb(3, 0, 0);
  EXPECT_EQ(Smooth(column, 1, 1), std::vector<uint32_t>{Rgb(2, 0, 0)});
}

TEST(ScaleSmooth, EnlargedAxisRepeatsShrunkAxisAverages) {
  Picture src(4, 2);
  for (int x = 0; x < 4; ++x) {
    src.At(x, 0) = Rgb(0, 0, 40 * x);
    src.At(x, 1) = Rgb(200, 0, 0);
  }
  const uint32_t top0 = Rgb(0, 0, 20), top1 = Rgb(0, 0, 100), bottom = Rgb(200, 0, 0);
  EXPECT_EQ(Smooth(src, 2, 4),
            (std::vector<uint32_t>{top0, top1, top0, top1, bottom, bottom, bottom, bottom}));
}

TEST(ScaleSmooth, IgnoresTheUnusedByteAndRowPadding) {
  Picture src(2, 2, 0xFF000000 | Rgb(100, 100, 100), 5);
  src.At(4, 0) = 0xFFFFFF;  // padding pixel, never read
  EXPECT_EQ(Smooth(src, 1, 1), std::vector<uint32_t>{Rgb(100, 100, 100)});
}

// Scaling a part must give exactly that part of the whole.
void ExpectRegionMatchesWhole(decltype(&ScaleSmooth) scale, int srcW, int srcH, int dispW,
                              int dispH) {
  const Picture src = Noise(srcW, srcH);
  Picture whole(dispW, dispH);
  ASSERT_TRUE(scale(src.View(), WholePicture(whole.Mutable()), whole.Mutable()));
  const int left = dispW / 3, top = dispH / 4;
  Picture part(dispW / 2, dispH / 2, 0, dispW / 2 + 3);
  ASSERT_TRUE(scale(src.View(), {dispW, dispH, left, top}, part.Mutable()));
  for (int y = 0; y < part.height; ++y) {
    for (int x = 0; x < part.width; ++x) {
      ASSERT_EQ(part.At(x, y), whole.At(left + x, top + y)) << x << "," << y;
    }
  }
}

TEST(ScaleRegion, PartEqualsTheWhole) {
  ExpectRegionMatchesWhole(&ScaleSmooth, 97, 61, 23, 17);
  ExpectRegionMatchesWhole(&ScaleSmooth, 40, 30, 90, 20);
  ExpectRegionMatchesWhole(&ScaleNearest, 40, 30, 130, 95);
  ExpectRegionMatchesWhole(&ScaleNearest, 97, 61, 23, 17);
  ExpectRegionMatchesWhole(&ScaleForDisplay, 97, 61, 23, 17);
}

TEST(ScaleNearest, RepeatsPixels) {
  Picture src(2, 2);
  src.At(0, 0) = 1;
  src.At(1, 0) = 2;
  src.At(0, 1) = 3;
  src.At(1, 1) = 4;
  Picture dst(5, 4);
  ASSERT_TRUE(ScaleNearest(src.View(), WholePicture(dst.Mutable()), dst.Mutable()));
  // Column x shows source x * 2 / 5: 0 0 0 1 1.
  EXPECT_EQ(dst.Visible(), (std::vector<uint32_t>{1, 1, 1, 2, 2, 1, 1, 1, 2, 2,  //
                                                  3, 3, 3, 4, 4, 3, 3, 3, 4, 4}));
}

TEST(ScaleForDisplay, ShrinksSmoothlyAndEnlargesCrisply) {
  Picture src(2, 1);
  src.At(1, 0) = Rgb(0, 0, 200);
  Picture one(1, 1);
  ASSERT_TRUE(ScaleForDisplay(src.View(), WholePicture(one.Mutable()), one.Mutable()));
  EXPECT_EQ(one.At(0, 0), Rgb(0, 0, 100));
  Picture three(3, 1);
  ASSERT_TRUE(ScaleForDisplay(src.View(), WholePicture(three.Mutable()), three.Mutable()));
  EXPECT_EQ(three.Visible(), (std::vector<uint32_t>{0, 0, Rgb(0, 0, 200)}));
}

TEST(ScaleArguments, InconsistentOnesAreRefusedWithoutWriting) {
  const Picture src = Noise(8, 8);
  Picture dst(4, 4, 7);
  const MutablePixelsView out = dst.Mutable();
  const struct {
    PixelsView in;
    DisplayRegion region;
    MutablePixelsView out;
  } cases[] = {
      {src.View(), {4, 4, 1, 0}, out},                           // region past the right
      {src.View(), {4, 4, 0, -1}, out},                          // above the top
      {src.View(), {0, 4, 0, 0}, out},                           // empty display
      {src.View(), {-4, -4, 0, 0}, out},                         // negative display
      {{src.pixels.data(), 8, 8, 31}, {4, 4, 0, 0}, out},        // short source rows
      {{nullptr, 8, 8, 32}, {4, 4, 0, 0}, out},                  // no source pixels
      {{src.pixels.data(), -8, 8, 32}, {4, 4, 0, 0}, out},       // negative source
      {src.View(), {4, 4, 0, 0}, {dst.pixels.data(), 4, 4, 8}},  // short destination rows
  };
  for (const auto& c : cases) {
    for (auto scale : {&ScaleSmooth, &ScaleNearest, &ScaleForDisplay}) {
      EXPECT_FALSE(scale(c.in, c.region, c.out));
    }
  }
  EXPECT_EQ(dst.Visible(), std::vector<uint32_t>(16, 7));
}

TEST(ScaleArguments, EmptySourceGivesBlackEmptyDestinationNothing) {
  Picture dst(3, 2, 7);
  for (auto scale : {&ScaleSmooth, &ScaleNearest}) {
    EXPECT_TRUE(scale({nullptr, 0, 5, 0}, {3, 2, 0, 0}, dst.Mutable()));
    EXPECT_EQ(dst.Visible(), std::vector<uint32_t>(6, 0));
    EXPECT_TRUE(scale(Noise(4, 4).View(), {}, {nullptr, 0, 0, 0}));
  }
}

}  // namespace
}  // namespace bex
