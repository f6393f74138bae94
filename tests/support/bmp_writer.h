// Writes simple 24-bit Windows bitmaps for test fixtures, so that tests need
// no outside tools or picture files.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace bex::test {

struct Rgb {
  uint8_t r = 0, g = 0, b = 0;
  bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
};

// The four quarters of a picture, split at half its width and height
// (truncated): the right and bottom quarters take the odd pixel.
struct Quadrants {
  Rgb topLeft, topRight, bottomLeft, bottomRight;
};

// A bottom-up BI_RGB bitmap of width × height pixels whose pixel (x, y),
// counted from the top left, has the colour colourAt(x, y).
std::string BmpBytes(int width, int height, const std::function<Rgb(int x, int y)>& colourAt);

// Writes such a bitmap to path; throws std::runtime_error on failure.
void WriteBmp(const std::string& path, int width, int height,
              const std::function<Rgb(int x, int y)>& colourAt);
void WriteSolidBmp(const std::string& path, int width, int height, Rgb colour);
void WriteQuadrantBmp(const std::string& path, int width, int height, const Quadrants& colours);

}  // namespace bex::test
