#include <gtest/gtest.h>
#include <string>

#include "wicspi/decoding_plan.h"

namespace bex::wicspi {
namespace {

PictureFormat FormatOfText(const std::string& head) {
  return FormatOf(reinterpret_cast<const uint8_t*>(head.data()), head.size());
}

TEST(DecodingPlan, KnowsJpegPngAndWebpByTheirSignatures) {
  EXPECT_EQ(FormatOfText(std::string("\xFF\xD8\xFF\xE0", 4)), PictureFormat::kJpeg);
  EXPECT_EQ(FormatOfText(std::string("\x89PNG\r\n\x1A\n\0\0", 10)), PictureFormat::kPng);
  EXPECT_EQ(FormatOfText(std::string("RIFF\x10\0\0\0WEBPVP8 ", 16)), PictureFormat::kWebp);
}

TEST(DecodingPlan, SendsEverythingElseToTheSystem) {
  EXPECT_EQ(FormatOfText(std::string("RIFF\x10\0\0\0WAVEfmt ", 16)),
            PictureFormat::kOther);                                            // sound
  EXPECT_EQ(FormatOfText(std::string("\xFF\xD8", 2)), PictureFormat::kOther);  // too short
  EXPECT_EQ(FormatOfText("\x89PNG\r\n"), PictureFormat::kOther);
  EXPECT_EQ(FormatOfText("GIF89a"), PictureFormat::kOther);
  EXPECT_EQ(FormatOf(nullptr, 100), PictureFormat::kOther);
}

TEST(DecodingPlan, PreviewReducesLargePicturesUpToAnEighth) {
  EXPECT_EQ(PreviewReduction(6000, 4000), 8u);
  EXPECT_EQ(PreviewReduction(4000, 3000), 8u);
  EXPECT_EQ(PreviewReduction(2048, 1024), 4u);
  EXPECT_EQ(PreviewReduction(1024, 2048), 4u);  // the longer side counts
  EXPECT_EQ(PreviewReduction(640, 480), 2u);
  EXPECT_EQ(PreviewReduction(639, 480), 1u);  // half would be under 320
  EXPECT_EQ(PreviewReduction(64, 32), 1u);
  EXPECT_EQ(PreviewReduction(0, 0), 1u);
}

}  // namespace
}  // namespace bex::wicspi
