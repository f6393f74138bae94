#include "shared/alpha_over_black.h"

#include <cmath>
#include <gtest/gtest.h>
#include <vector>

namespace bex {
namespace {

// Pixels of one colour with the given fourth bytes.
std::vector<uint8_t> WithFourthBytes(std::initializer_list<uint8_t> fourth) {
  std::vector<uint8_t> pixels;
  for (uint8_t a : fourth) pixels.insert(pixels.end(), {10, 128, 255, a});
  return pixels;
}

TEST(AlphaOverBlack, FourthBytesAllZeroOrAll255AreNoAlpha) {
  EXPECT_FALSE(HoldsAlpha(WithFourthBytes({0, 0, 0}).data(), 3));
  EXPECT_FALSE(HoldsAlpha(WithFourthBytes({255, 255, 255}).data(), 3));
  EXPECT_FALSE(HoldsAlpha(nullptr, 0));
}

TEST(AlphaOverBlack, OtherValuesOrAMixOfZeroAnd255AreAlpha) {
  EXPECT_TRUE(HoldsAlpha(WithFourthBytes({255, 255, 1}).data(), 3));
  EXPECT_TRUE(HoldsAlpha(WithFourthBytes({128, 128, 128}).data(), 3));
  EXPECT_TRUE(HoldsAlpha(WithFourthBytes({255, 0, 255}).data(), 3));
}

TEST(AlphaOverBlack, ScalesEveryColourByItsAlphaRounded) {
  for (int alpha = 0; alpha < 256; ++alpha) {
    std::vector<uint8_t> pixels = WithFourthBytes({uint8_t(alpha)});
    CompositeOverBlack(pixels.data(), 1);
    const auto over = [&](int c) { return int(std::lround(c * alpha / 255.0)); };
    ASSERT_EQ(pixels[0], over(10)) << alpha;
    ASSERT_EQ(pixels[1], over(128)) << alpha;
    ASSERT_EQ(pixels[2], over(255)) << alpha;
    ASSERT_EQ(pixels[3], alpha);
  }
}

}  // namespace
}  // namespace bex
