// bmp2pam in.bmp out.pam|out.ppm: decodes a Windows bitmap with the viewer's
// own reader and writes it as a PAM (RGB tuples) or, for a ".ppm" name, as a
// binary PPM. A file the reader refuses gives a message and exit status 1.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "decoding/bmp_reader.h"

namespace {

bool ReadWholeFile(const char* path, std::vector<uint8_t>* bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

bool EndsWith(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() &&
         text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

std::string Header(const std::string& path, int width, int height) {
  const std::string size = std::to_string(width) + " " + std::to_string(height);
  if (EndsWith(path, ".ppm")) return "P6\n" + size + "\n255\n";
  return "P7\nWIDTH " + std::to_string(width) + "\nHEIGHT " + std::to_string(height) +
         "\nDEPTH 3\nMAXVAL 255\nTUPLTYPE RGB\nENDHDR\n";
}

bool WriteImage(const std::string& path, const bex::BmpInfo& info,
                const std::vector<uint32_t>& pixels) {
  std::ofstream out(path, std::ios::binary);
  out << Header(path, info.width, info.height);
  std::vector<char> rgb;
  rgb.reserve(pixels.size() * 3);
  for (uint32_t p : pixels) {
    rgb.push_back(static_cast<char>(p >> 16));
    rgb.push_back(static_cast<char>(p >> 8));
    rgb.push_back(static_cast<char>(p));
  }
  out.write(rgb.data(), static_cast<std::streamsize>(rgb.size()));
  return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: bmp2pam in.bmp out.pam|out.ppm\n");
    return 2;
  }
  std::vector<uint8_t> file;
  if (!ReadWholeFile(argv[1], &file)) {
    std::fprintf(stderr, "bmp2pam: cannot read %s\n", argv[1]);
    return 1;
  }
  bex::BmpInfo info;
  std::vector<uint32_t> pixels;
  bool ok = bex::ParseBmp(file.data(), file.size(), &info);
  if (ok) {
    pixels.resize(static_cast<size_t>(info.width) * static_cast<size_t>(info.height));
    ok = bex::DecodeBmp(file.data(), file.size(), info, pixels.data(),
                        static_cast<ptrdiff_t>(info.width) * 4);
  }
  if (!ok) {
    std::fprintf(stderr, "bmp2pam: %s: not a valid Windows bitmap\n", argv[1]);
    return 1;
  }
  if (!WriteImage(argv[2], info, pixels)) {
    std::fprintf(stderr, "bmp2pam: cannot write %s\n", argv[2]);
    return 1;
  }
  return 0;
}
