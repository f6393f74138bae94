#include "support/test_pictures.h"

#include <gtest/gtest.h>

#include "support/test_files.h"
#include "support/wine_paths.h"

namespace bex::test {

void WriteTestPicture(const std::string& path, int width, int height, Rgb colour) {
  std::string bytes =
      "BEXTEST1 " + std::to_string(width) + " " + std::to_string(height) + " plain\n";
  for (int i = 0; i < width * height; ++i) {
    bytes += static_cast<char>(colour.r);
    bytes += static_cast<char>(colour.g);
    bytes += static_cast<char>(colour.b);
  }
  WriteFileBytes(path, bytes);
}

// Red and green carry the low eight bits of x and y, blue their high nibbles.
Rgb CoordinateColour(int x, int y) {
  return {static_cast<uint8_t>(x & 0xFF), static_cast<uint8_t>(y & 0xFF),
          static_cast<uint8_t>((x >> 8 & 0x0F) | (y >> 8 & 0x0F) << 4)};
}

POINT CoordinateOf(COLORREF colour) {
  const int high = GetBValue(colour);
  return {GetRValue(colour) | (high & 0x0F) << 8, GetGValue(colour) | (high >> 4) << 8};
}

void WriteCoordinateBmp(const std::string& path, int width, int height) {
  WriteBmp(path, width, height, CoordinateColour);
}

COLORREF ColourRef(Rgb colour) { return RGB(colour.r, colour.g, colour.b); }

std::string ScratchFolderForTest() {
  std::string label = ::testing::UnitTest::GetInstance()->current_test_info()->name();
  for (char& c : label) {
    if (c == '/') c = '-';
  }
  return NewScratchFolder(label);
}

}  // namespace bex::test
