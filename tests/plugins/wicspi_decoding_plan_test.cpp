#include <gtest/gtest.h>
#include <string>
#include <vector>

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

TEST(DecodingPlan, KnowsHeifAvifAndJpegXlByTheirContainersAndCodestreams) {
  const std::string heic(
      "\0\0\0\x18"
      "ftypheic\0\0\0\0mif1heic",
      24);
  EXPECT_EQ(FormatOfText(heic), PictureFormat::kHeif);
  const std::string avif(
      "\0\0\0\x1C"
      "ftypavif\0\0\0\0avifmif1miaf",
      28);
  EXPECT_EQ(FormatOfText(avif), PictureFormat::kHeif);
  // A structural brand among the compatible ones is enough.
  EXPECT_EQ(FormatOfText(std::string("\0\0\0\x14"
                                     "ftypxxxx\0\0\0\0mif1",
                                     20)),
            PictureFormat::kHeif);
  EXPECT_EQ(FormatOfText(std::string("\0\0\0\x14"
                                     "ftypisom\0\0\0\0mp41",
                                     20)),
            PictureFormat::kOther);  // a video
  // A brand past the end of the ftyp box does not count.
  EXPECT_EQ(FormatOfText(std::string("\0\0\0\x10"
                                     "ftypisom\0\0\0\0heic",
                                     20)),
            PictureFormat::kOther);
  EXPECT_EQ(FormatOfText(std::string("\xFF\x0A\xFA", 3)), PictureFormat::kJpegXl);
  EXPECT_EQ(FormatOfText(std::string("\0\0\0\x0CJXL \r\n\x87\n", 12)), PictureFormat::kJpegXl);
}

// A little-endian TIFF whose first directory holds one entry.
std::string TiffWithEntry(uint16_t tag, uint16_t type, uint32_t count, const std::string& value) {
  std::string tiff("II*\0\x08\0\0\0\x01\0", 10);
  const auto put16 = [&](uint16_t v) { tiff += char(v & 0xFF), tiff += char(v >> 8); };
  const auto put32 = [&](uint32_t v) { put16(uint16_t(v)), put16(uint16_t(v >> 16)); };
  put16(tag), put16(type), put32(count);
  if (value.size() <= 4) {
    tiff += value + std::string(4 - value.size(), '\0');
    put32(0);
  } else {
    put32(26);  // right after the directory
    put32(0);
    tiff += value;
  }
  return tiff;
}

TEST(DecodingPlan, KnowsCameraRawFilesAmongTiffsAndOtherSignatures) {
  EXPECT_EQ(FormatOfText(TiffWithEntry(0xC612, 1, 4, std::string("\1\4\0\0", 4))),
            PictureFormat::kCameraRaw);  // DNG version
  EXPECT_EQ(FormatOfText(TiffWithEntry(0x010F, 2, 18, std::string("NIKON CORPORATION\0", 18))),
            PictureFormat::kCameraRaw);
  EXPECT_EQ(FormatOfText(TiffWithEntry(0x010F, 2, 6, std::string("Epson\0", 6))),
            PictureFormat::kOther);  // a scanner's TIFF
  EXPECT_EQ(FormatOfText(TiffWithEntry(0x0100, 3, 1, std::string("\x40\0", 2))),
            PictureFormat::kOther);  // a plain TIFF
  // The maker's name beyond the head: not known to be a raw file.
  std::string cut = TiffWithEntry(0x010F, 2, 18, std::string("NIKON CORPORATION\0", 18));
  cut.resize(28);
  EXPECT_EQ(FormatOfText(cut), PictureFormat::kOther);
  EXPECT_EQ(FormatOfText(std::string("II*\0\x10\0\0\0CR\x02\0", 12)), PictureFormat::kCameraRaw);
  EXPECT_EQ(FormatOfText("FUJIFILMCCD-RAW 0201"), PictureFormat::kCameraRaw);
  EXPECT_EQ(FormatOfText(std::string("IIRO\x08\0\0\0", 8)), PictureFormat::kCameraRaw);
  EXPECT_EQ(FormatOfText(std::string("IIU\0\x18\0\0\0", 8)), PictureFormat::kCameraRaw);
  EXPECT_EQ(FormatOfText(std::string("\0\0\0\x18"
                                     "ftypcrx \0\0\0\x01"
                                     "crx isom",
                                     24)),
            PictureFormat::kCameraRaw);
  // A head that ends in the directory offset (the sanitizer tells a read past
  // it), a directory offset past the head, and one that counts more entries
  // than the head holds.
  const std::vector<uint8_t> shortHead = {'I', 'I', '*', 0, 8, 0};
  EXPECT_EQ(FormatOf(shortHead.data(), shortHead.size()), PictureFormat::kOther);
  EXPECT_EQ(FormatOfText(std::string("II*\0\xFF\xFF\0\0", 8)), PictureFormat::kOther);
  EXPECT_EQ(FormatOfText(std::string("II*\0\x08\0\0\0\xFF\xFF", 10)), PictureFormat::kOther);
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

// A picture fitted into a window is decoded no smaller than it is shown.
TEST(FitReduction, DividesWhileTheResultStillCoversTheFit) {
  EXPECT_EQ(FitReduction(4000, 3000, 984, 761), 4u);   // 1000 x 750 for 984 x 738
  EXPECT_EQ(FitReduction(4000, 3000, 1001, 761), 2u);  // 1000 would be narrower
  EXPECT_EQ(FitReduction(3000, 4000, 984, 1001), 2u);  // upright: the height decides
  EXPECT_EQ(FitReduction(8000, 1000, 984, 761), 8u);
  EXPECT_EQ(FitReduction(800, 600, 984, 761), 1u);  // shown enlarged: never reduced
  EXPECT_TRUE(CoversFit(1000, 750, 4000, 3000, 984, 761));
  EXPECT_FALSE(CoversFit(500, 375, 4000, 3000, 984, 761));
  EXPECT_TRUE(CoversFit(320, 240, 4000, 3000, 320, 320));  // a thumbnail as large as the fit
}

}  // namespace
}  // namespace bex::wicspi
