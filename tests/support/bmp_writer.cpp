#include "support/bmp_writer.h"

#include "support/test_files.h"

namespace bex::test {
namespace {

void PutLe(std::string& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

}  // namespace

std::string BmpBytes(int width, int height, const std::function<Rgb(int x, int y)>& colourAt) {
  constexpr uint32_t kFileHeaderSize = 14, kInfoHeaderSize = 40;
  const uint32_t stride = (static_cast<uint32_t>(width) * 3 + 3) & ~3u;
  const uint32_t imageSize = stride * static_cast<uint32_t>(height);
  std::string out;
  out.reserve(kFileHeaderSize + kInfoHeaderSize + imageSize);
  out += "BM";
  PutLe(out, kFileHeaderSize + kInfoHeaderSize + imageSize, 4);
  PutLe(out, 0, 4);
  PutLe(out, kFileHeaderSize + kInfoHeaderSize, 4);
  PutLe(out, kInfoHeaderSize, 4);
  PutLe(out, static_cast<uint32_t>(width), 4);
  PutLe(out, static_cast<uint32_t>(height), 4);
  PutLe(out, 1, 2);   // planes
  PutLe(out, 24, 2);  // bits per pixel
  PutLe(out, 0, 4);   // BI_RGB
  PutLe(out, imageSize, 4);
  PutLe(out, 2835, 4);  // 72 dpi
  PutLe(out, 2835, 4);
  PutLe(out, 0, 4);
  PutLe(out, 0, 4);
  for (int y = height - 1; y >= 0; --y) {
    const size_t rowStart = out.size();
    for (int x = 0; x < width; ++x) {
      const Rgb c = colourAt(x, y);
      out += static_cast<char>(c.b);
      out += static_cast<char>(c.g);
      out += static_cast<char>(c.r);
    }
    out.append(stride - (out.size() - rowStart), '\0');
  }
  return out;
}

void WriteBmp(const std::string& path, int width, int height,
              const std::function<Rgb(int x, int y)>& colourAt) {
  WriteFileBytes(path, BmpBytes(width, height, colourAt));
}

void WriteSolidBmp(const std::string& path, int width, int height, Rgb colour) {
  WriteBmp(path, width, height, [&](int, int) { return colour; });
}

void WriteQuadrantBmp(const std::string& path, int width, int height, const Quadrants& colours) {
  WriteBmp(path, width, height, [&](int x, int y) {
    const bool right = x >= width / 2, bottom = y >= height / 2;
    return bottom ? (right ? colours.bottomRight : colours.bottomLeft)
                  : (right ? colours.topRight : colours.topLeft);
  });
}

}  // namespace bex::test
