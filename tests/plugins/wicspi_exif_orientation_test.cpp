#include <cstdint>
#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

#include "wicspi/exif_orientation.h"

namespace bex::wicspi {
namespace {

using Bytes = std::vector<uint8_t>;

void Append(Bytes& out, std::initializer_list<int> bytes) {
  for (int b : bytes) out.push_back(static_cast<uint8_t>(b));
}

void AppendText(Bytes& out, const std::string& text) {
  out.insert(out.end(), text.begin(), text.end());
}

void Append16(Bytes& out, uint32_t v, bool little) {
  little ? Append(out, {int(v & 0xFF), int(v >> 8 & 0xFF)})
         : Append(out, {int(v >> 8 & 0xFF), int(v & 0xFF)});
}

void Append32(Bytes& out, uint32_t v, bool little) {
  little ? (Append16(out, v & 0xFFFF, true), Append16(out, v >> 16, true))
         : (Append16(out, v >> 16, false), Append16(out, v & 0xFFFF, false));
}

// A TIFF structure whose IFD 0 holds an image-width entry and then the
// orientation tag with the given type and value.
Bytes Tiff(bool little, uint16_t orientation, uint16_t type = 3) {
  Bytes t;
  AppendText(t, little ? "II" : "MM");
  Append16(t, 42, little);
  Append32(t, 8, little);
  Append16(t, 2, little);  // entries
  Append16(t, 0x0100, little);
  Append16(t, 3, little);
  Append32(t, 1, little);
  Append16(t, 640, little);
  Append16(t, 0, little);
  Append16(t, 0x0112, little);
  Append16(t, type, little);
  Append32(t, 1, little);
  Append16(t, orientation, little);
  Append16(t, 0, little);
  Append32(t, 0, little);  // no next IFD
  return t;
}

Bytes Segment(int marker, const Bytes& body) {
  Bytes s;
  Append(s, {0xFF, marker});
  const size_t length = body.size() + 2;
  Append(s, {int(length >> 8), int(length & 0xFF)});
  s.insert(s.end(), body.begin(), body.end());
  return s;
}

Bytes ExifBody(const Bytes& tiff) {
  Bytes body;
  AppendText(body, std::string("Exif\0\0", 6));
  body.insert(body.end(), tiff.begin(), tiff.end());
  return body;
}

// SOI, a JFIF APP0, the given segments, then the start of a scan.
Bytes Jpeg(const std::vector<Bytes>& segments) {
  Bytes j;
  Append(j, {0xFF, 0xD8});
  Bytes jfif;
  AppendText(jfif, std::string("JFIF\0\1\1\0\0\1\0\1\0\0", 14));
  const Bytes app0 = Segment(0xE0, jfif);
  j.insert(j.end(), app0.begin(), app0.end());
  for (const Bytes& s : segments) j.insert(j.end(), s.begin(), s.end());
  const Bytes sos = Segment(0xDA, Bytes(10, 0));
  j.insert(j.end(), sos.begin(), sos.end());
  return j;
}

int Read(const Bytes& b) { return ReadExifOrientation(b.data(), b.size()); }

TEST(ExifOrientation, ReadsEveryValueFromJpegInBothByteOrders) {
  for (bool little : {true, false}) {
    for (uint16_t value = 1; value <= 8; ++value) {
      EXPECT_EQ(Read(Jpeg({Segment(0xE1, ExifBody(Tiff(little, value)))})), value)
          << (little ? "II " : "MM ") << value;
    }
  }
}

TEST(ExifOrientation, ReadsTiffFiles) {
  EXPECT_EQ(Read(Tiff(true, 6)), 6);
  EXPECT_EQ(Read(Tiff(false, 8)), 8);
}

TEST(ExifOrientation, ReadsExifBlocksWithOrWithoutTheJpegSegmentsHeader) {
  for (uint16_t value = 1; value <= 8; ++value) {
    const Bytes tiff = Tiff(true, value);
    EXPECT_EQ(ReadExifOrientation(tiff.data(), tiff.size()), value);
    Bytes block;
    AppendText(block, std::string("Exif\0\0", 6));
    block.insert(block.end(), tiff.begin(), tiff.end());
    EXPECT_EQ(ReadExifOrientation(block.data(), block.size()), value);
  }
}

// A PNG file's signature and chunks (without valid CRCs, which are not read).
Bytes Png(const std::vector<std::pair<std::string, Bytes>>& chunks) {
  Bytes png;
  AppendText(png, "\x89PNG\r\n\x1A\n");
  for (const auto& [type, body] : chunks) {
    Append32(png, static_cast<uint32_t>(body.size()), false);
    AppendText(png, type);
    png.insert(png.end(), body.begin(), body.end());
    Append32(png, 0, false);
  }
  return png;
}

TEST(ExifOrientation, ReadsTheExifChunkOfPngBeforeOrAfterThePictureData) {
  const Bytes header(13, 1), data(40, 2);
  EXPECT_EQ(Read(Png({{"IHDR", header}, {"eXIf", Tiff(false, 6)}, {"IDAT", data}})), 6);
  EXPECT_EQ(Read(Png({{"IHDR", header}, {"IDAT", data}, {"eXIf", Tiff(true, 8)}})), 8);
  EXPECT_EQ(Read(Png({{"IHDR", header}, {"IDAT", data}, {"IEND", {}}, {"eXIf", Tiff(true, 8)}})), 1)
      << "nothing after the end";
  Bytes cut = Png({{"IHDR", header}, {"IDAT", data}, {"eXIf", Tiff(true, 8)}});
  cut.resize(cut.size() - 10);
  EXPECT_EQ(Read(cut), 1) << "a chunk longer than the file";
}

TEST(ExifOrientation, FindsExifAfterOtherApp1Segments) {
  Bytes xmp;
  AppendText(xmp, "http://ns.adobe.com/xap/1.0/");
  xmp.push_back(0);
  EXPECT_EQ(Read(Jpeg({Segment(0xE1, xmp), Segment(0xE1, ExifBody(Tiff(true, 3)))})), 3);
}

TEST(ExifOrientation, SkipsFillBytesBetweenSegments) {
  Bytes j = Jpeg({Segment(0xE1, ExifBody(Tiff(true, 5)))});
  j.insert(j.begin() + 2, {0xFF, 0xFF});
  EXPECT_EQ(Read(j), 5);
}

TEST(ExifOrientation, UprightWithoutATag) {
  EXPECT_EQ(Read(Jpeg({})), kUpright);
  // EXIF data after the start of the scan belongs to the compressed data.
  Bytes j = Jpeg({});
  const Bytes late = Segment(0xE1, ExifBody(Tiff(true, 6)));
  j.insert(j.end(), late.begin(), late.end());
  EXPECT_EQ(Read(j), kUpright);
  EXPECT_EQ(ReadExifOrientation(nullptr, 0), kUpright);
  EXPECT_EQ(Read(Bytes{'h', 'e', 'l', 'l', 'o'}), kUpright);
}

TEST(ExifOrientation, UprightForValuesOutOfRangeOrOfTheWrongType) {
  EXPECT_EQ(Read(Tiff(true, 0)), kUpright);
  EXPECT_EQ(Read(Tiff(true, 9)), kUpright);
  EXPECT_EQ(Read(Tiff(true, 6, /*type LONG*/ 4)), kUpright);
}

TEST(ExifOrientation, UprightForDamagedStructures) {
  const Bytes whole = Jpeg({Segment(0xE1, ExifBody(Tiff(true, 6)))});
  // Every cut of the file is read without going past its end.
  for (size_t cut = 0; cut < whole.size(); ++cut) {
    const Bytes head(whole.begin(), whole.begin() + cut);
    const int value = Read(head);
    EXPECT_TRUE(value == kUpright || value == 6) << cut;
  }
  Bytes farIfd = Tiff(true, 6);
  farIfd[4] = 0xF0;  // IFD offset beyond the end
  EXPECT_EQ(Read(farIfd), kUpright);
  Bytes manyEntries = Tiff(true, 6);
  manyEntries[8] = 0xFF;  // more entries than the data holds, the tag not first
  manyEntries[9] = 0xFF;
  manyEntries.resize(8 + 2 + 12);
  EXPECT_EQ(Read(manyEntries), kUpright);
  Bytes longSegment = whole;
  longSegment[2 + 18 + 2] = 0xFF;  // APP1 length beyond the end
  EXPECT_EQ(Read(longSegment), kUpright);
}

}  // namespace
}  // namespace bex::wicspi
