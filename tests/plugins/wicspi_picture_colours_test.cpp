#include <gtest/gtest.h>

#include "wicspi/picture_colours.h"

namespace bex::wicspi {
namespace {

struct CicpCase {
  int primaries, transfer;
  bool converted;
  double greenX;  // of the converted encoding
  TransferCurve curve;
  double gamma;
};

TEST(PictureColours, NamesCicpCodesThatDifferFromSrgb) {
  const CicpCase cases[] = {
      {1, 13, false, 0, TransferCurve::kSrgb, 1},      // sRGB
      {2, 2, false, 0, TransferCurve::kSrgb, 1},       // unspecified: taken as sRGB
      {1, 1, false, 0, TransferCurve::kSrgb, 1},       // BT.709 shown as sRGB
      {12, 13, true, 0.265, TransferCurve::kSrgb, 1},  // Display P3
      {9, 14, true, 0.170, TransferCurve::kSrgb, 1},   // BT.2020, SDR
      {1, 4, true, 0.300, TransferCurve::kGamma, 2.2},
      {1, 8, true, 0.300, TransferCurve::kGamma, 1},  // linear
      {9, 16, false, 0, TransferCurve::kSrgb, 1},     // PQ: left alone
      {99, 13, false, 0, TransferCurve::kSrgb, 1},    // unknown primaries
  };
  for (const CicpCase& c : cases) {
    const auto e = EncodingOfCicp(c.primaries, c.transfer);
    ASSERT_EQ(e.has_value(), c.converted) << c.primaries << "/" << c.transfer;
    if (!e) continue;
    EXPECT_DOUBLE_EQ(e->green.x, c.greenX);
    EXPECT_EQ(e->transfer, c.curve);
    EXPECT_DOUBLE_EQ(e->gamma, c.gamma);
  }
}

TEST(PictureColours, ReadsPngGammaAndChromaticities) {
  const uint32_t srgb[8] = {31270, 32900, 64000, 33000, 30000, 60000, 15000, 6000};
  const uint32_t p3[8] = {31270, 32900, 68000, 32000, 26500, 69000, 15000, 6000};
  EXPECT_FALSE(EncodingOfPngChunks(std::nullopt, nullptr));
  EXPECT_FALSE(EncodingOfPngChunks(45455, srgb)) << "as image editors write sRGB";
  EXPECT_FALSE(EncodingOfPngChunks(45000, nullptr)) << "near enough 1/2.2";
  EXPECT_FALSE(EncodingOfPngChunks(0, nullptr)) << "nonsense";
  const auto linear = EncodingOfPngChunks(100000, nullptr);
  ASSERT_TRUE(linear);
  EXPECT_EQ(linear->transfer, TransferCurve::kGamma);
  EXPECT_DOUBLE_EQ(linear->gamma, 1.0);
  const auto wide = EncodingOfPngChunks(std::nullopt, p3);
  ASSERT_TRUE(wide);
  EXPECT_EQ(wide->transfer, TransferCurve::kSrgb);
  EXPECT_DOUBLE_EQ(wide->red.x, 0.68);
  EXPECT_DOUBLE_EQ(wide->white.y, 0.329);
}

}  // namespace
}  // namespace bex::wicspi
