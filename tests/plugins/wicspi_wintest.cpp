// Loads wicspi.spi like a Susie host does and decodes the pictures that
// make_fixtures.sh made: every format, the eight EXIF orientations, the memory
// forms of the calls, damaged input and the progress callback.
#include <windows.h>

#include <objbase.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "common/memory_win.h"
#include "common/wide_text.h"
#include "decoding/spi_host_win.h"
#include "support/wine_paths.h"

// After <cstdio>: jpeglib.h needs size_t and FILE declared before it.
#include <jpeglib.h>

namespace {

#pragma pack(push, 1)
struct PictureInfo {
  LONG left, top, width, height;
  WORD xDensity, yDensity;
  SHORT bitsPerPixel;
  HLOCAL textInfo;
};
#pragma pack(pop)

using ProgressCallback = int(WINAPI*)(int, int, LONG);
using GetPluginInfoFn = int(WINAPI*)(int, LPSTR, int);
using IsSupportedFn = int(WINAPI*)(LPCSTR, DWORD);
using GetPictureInfoFn = int(WINAPI*)(LPCSTR, LONG, UINT, PictureInfo*);
using GetPictureFn = int(WINAPI*)(LPCSTR, LONG, UINT, HLOCAL*, HLOCAL*, ProgressCallback, LONG);

constexpr UINT kFromFile = 0, kFromMemory = 1;

std::string Fixture(const std::string& name) {
  return bex::test::BuildDir() + "\\fixtures\\" + name;
}

std::vector<char> ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<char>(std::istreambuf_iterator<char>(in), {});
}

// A decoded picture copied out of the plug-in's blocks, which are then freed
// the way the viewer frees them.
struct Picture {
  int result = -100;
  BITMAPINFOHEADER header{};
  std::vector<uint8_t> bits;

  int width() const { return header.biWidth; }
  int height() const { return header.biHeight; }
  // Blue, green, red of the pixel at (x, y) counted from the top left.
  COLORREF At(int x, int y) const {
    const size_t stride = (size_t(width()) * 3 + 3) / 4 * 4;
    const uint8_t* p = &bits[(height() - 1 - y) * stride + x * 3];
    return RGB(p[2], p[1], p[0]);
  }
};

class Plugin {
 public:
  Plugin() : module_(LoadLibraryA((bex::test::BuildDir() + "\\plugins\\wicspi.spi").c_str())) {
    if (!module_) return;
    getPluginInfo = Resolve<GetPluginInfoFn>("GetPluginInfo");
    isSupported = Resolve<IsSupportedFn>("IsSupported");
    getPictureInfo = Resolve<GetPictureInfoFn>("GetPictureInfo");
    getPicture = Resolve<GetPictureFn>("GetPicture");
    getPreview = Resolve<GetPictureFn>("GetPreview");
  }
  ~Plugin() {
    if (module_) FreeLibrary(module_);
  }
  bool loaded() const {
    return getPluginInfo && isSupported && getPictureInfo && getPicture && getPreview;
  }

  // IsSupported with a handle from _lopen, as the viewer asks.
  int IsSupportedFile(const std::string& path) const {
    const HFILE file = _lopen(path.c_str(), OF_READ | OF_SHARE_DENY_NONE);
    if (file == HFILE_ERROR) return -1;
    const int answer = isSupported(path.c_str(), static_cast<DWORD>(file));
    _lclose(file);
    return answer;
  }

  // IsSupported with the address of the file's first 2 KiB, zero-padded.
  int IsSupportedHead(const std::string& path) const {
    std::vector<char> head = ReadAll(path);
    head.resize(2048);
    return isSupported(path.c_str(), static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(head.data())));
  }

  Picture Decode(const std::string& path, UINT form = kFromFile, GetPictureFn call = nullptr,
                 ProgressCallback progress = nullptr, LONG data = 0) const {
    const std::vector<char> bytes = form == kFromMemory ? ReadAll(path) : std::vector<char>();
    const char* buffer = form == kFromMemory ? bytes.data() : path.c_str();
    const LONG length = form == kFromMemory ? LONG(bytes.size()) : 0;
    return DecodeFrom(buffer, length, form, call ? call : getPicture, progress, data);
  }

  Picture DecodeFrom(const char* buffer, LONG length, UINT form, GetPictureFn call,
                     ProgressCallback progress = nullptr, LONG data = 0) const {
    Picture picture;
    HLOCAL info = reinterpret_cast<HLOCAL>(1), pixels = reinterpret_cast<HLOCAL>(1);
    picture.result = call(buffer, length, form, &info, &pixels, progress, data);
    if (picture.result != 0) {
      EXPECT_EQ(info, nullptr);
      EXPECT_EQ(pixels, nullptr);
      return picture;
    }
    const auto* header = static_cast<const BITMAPINFOHEADER*>(GlobalLock(info));
    const auto* bits = static_cast<const uint8_t*>(GlobalLock(pixels));
    EXPECT_TRUE(header && bits);
    if (header && bits) {
      picture.header = *header;
      const size_t stride = (size_t(header->biWidth) * 3 + 3) / 4 * 4;
      const size_t size = stride * size_t(std::abs(header->biHeight));
      EXPECT_GE(GlobalSize(pixels), size);
      picture.bits.assign(bits, bits + size);
    }
    GlobalUnlock(pixels);
    GlobalUnlock(info);
    EXPECT_EQ(GlobalFree(pixels), nullptr);
    EXPECT_EQ(GlobalFree(info), nullptr);
    return picture;
  }

  int Info(const std::string& path, PictureInfo* info, UINT form = kFromFile) const {
    if (form == kFromFile) return getPictureInfo(path.c_str(), 0, kFromFile, info);
    const std::vector<char> bytes = ReadAll(path);
    return getPictureInfo(bytes.data(), LONG(bytes.size()), kFromMemory, info);
  }

  GetPluginInfoFn getPluginInfo = nullptr;
  IsSupportedFn isSupported = nullptr;
  GetPictureInfoFn getPictureInfo = nullptr;
  GetPictureFn getPicture = nullptr;
  GetPictureFn getPreview = nullptr;

 private:
  template <typename Fn>
  Fn Resolve(const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module_, name)));
  }

  HMODULE module_;
};

class WicSpi : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(plugin.loaded()) << "wicspi.spi or one of its exports is missing";
  }
  Plugin plugin;
};

// Colour names of the quadrant pictures.
constexpr COLORREF kRed = RGB(255, 0, 0), kLime = RGB(0, 255, 0), kBlue = RGB(0, 0, 255),
                   kWhite = RGB(255, 255, 255), kBlack = RGB(0, 0, 0);
// Mixed colours, for CMYK pictures: each needs black ink as well as colour.
constexpr COLORREF kOrange = RGB(255, 128, 0), kTeal = RGB(0, 128, 128),
                   kDarkGrey = RGB(64, 64, 64), kPink = RGB(200, 100, 150);

std::string Hex(COLORREF c) {
  char text[16];
  wsprintfA(text, "#%02X%02X%02X", GetRValue(c), GetGValue(c), GetBValue(c));
  return text;
}

bool Near(COLORREF a, COLORREF b, int tolerance) {
  return std::abs(GetRValue(a) - GetRValue(b)) <= tolerance &&
         std::abs(GetGValue(a) - GetGValue(b)) <= tolerance &&
         std::abs(GetBValue(a) - GetBValue(b)) <= tolerance;
}

// Checks the colours at the centres of the four quadrants: top left, top
// right, bottom left, bottom right.
void ExpectQuadrants(const Picture& p, const COLORREF (&expected)[4], int tolerance,
                     const std::string& what) {
  ASSERT_EQ(p.result, 0) << what;
  EXPECT_EQ(p.header.biBitCount, 24) << what;
  EXPECT_EQ(p.header.biCompression, DWORD(BI_RGB)) << what;
  ASSERT_GT(p.height(), 0) << what << ": a bottom-up DIB has a positive height";
  const int xs[] = {p.width() / 4, p.width() * 3 / 4};
  const int ys[] = {p.height() / 4, p.height() * 3 / 4};
  for (int q = 0; q < 4; ++q) {
    const COLORREF got = p.At(xs[q % 2], ys[q / 2]);
    EXPECT_TRUE(Near(got, expected[q], tolerance))
        << what << " quadrant " << q << ": " << Hex(got) << " instead of " << Hex(expected[q]);
  }
}

TEST_F(WicSpi, AnswersTheInterfaceVersion) {
  char text[16] = {};
  EXPECT_EQ(plugin.getPluginInfo(0, text, sizeof text), 4);
  EXPECT_STREQ(text, "00IN");
}

struct FormatCase {
  const char* file;
  int width, height;
  COLORREF quadrants[4];
  int tolerance;
};

const FormatCase kFormats[] = {
    {"quad.jpg", 64, 32, {kRed, kLime, kBlue, kWhite}, 12},
    {"photo.dat", 64, 32, {kRed, kLime, kBlue, kWhite}, 12},
    {"cmyk.jpg", 64, 32, {kRed, kLime, kBlue, kWhite}, 24},
    {"quad.png", 64, 32, {kRed, kLime, kBlue, kWhite}, 0},
    {"quad16.png", 64, 32, {kRed, kLime, kBlue, kWhite}, 0},
    {"palette.png", 64, 32, {kRed, kLime, kBlue, kWhite}, 0},
    {"grey.png", 64, 32, {RGB(0, 0, 0), RGB(85, 85, 85), RGB(170, 170, 170), kWhite}, 0},
    // Half-transparent lime and transparent blue over black.
    {"alpha.png", 64, 32, {kRed, RGB(0, 128, 0), kBlack, kWhite}, 1},
    {"animated.gif", 64, 32, {kRed, kLime, kBlue, kWhite}, 0},
    {"quad.tif", 64, 32, {kRed, kLime, kBlue, kWhite}, 0},
    {"quad.ico", 32, 32, {kRed, kLime, kBlue, kWhite}, 0},
    {"progressive.jpg", 64, 32, {kRed, kLime, kBlue, kWhite}, 12},
    {"arithmetic.jpg", 64, 32, {kRed, kLime, kBlue, kWhite}, 12},
    {"grey.jpg", 64, 32, {RGB(0, 0, 0), RGB(85, 85, 85), RGB(170, 170, 170), kWhite}, 4},
    {"ycck.jpg", 64, 32, {kOrange, kTeal, kDarkGrey, kPink}, 12},
    {"interlaced.png", 64, 32, {kRed, kLime, kBlue, kWhite}, 0},
    {"palette-clear.png", 64, 32, {kRed, kLime, kBlack, kWhite}, 0},
    {"grey-clear.png", 64, 32, {kBlack, kBlack, RGB(170, 170, 170), kWhite}, 0},
    {"lossy.webp", 64, 32, {kRed, kLime, kBlue, kWhite}, 16},
    {"large.webp", 1025, 1001, {kRed, kLime, kBlue, kWhite}, 16},  // two threads, padded rows
    {"lossless.webp", 64, 32, {kRed, kLime, kBlue, kWhite}, 0},
    {"alpha.webp", 64, 32, {kRed, RGB(0, 128, 0), kBlack, kWhite}, 1},
    {"animated.webp", 64, 32, {kRed, kLime, kBlue, kWhite}, 0},  // its first frame
    {"quad.heic", 64, 32, {kRed, kLime, kBlue, kWhite}, 16},
    {"large.heic", 1025, 1001, {kRed, kLime, kBlue, kWhite}, 16},  // two threads, padded rows
    // A quarter turn left by the container's rotation, then mirrored.
    {"turned.heic", 32, 64, {kLime, kWhite, kRed, kBlue}, 16},
    {"turned-mirrored.heic", 32, 64, {kWhite, kLime, kBlue, kRed}, 16},
    // Phones' grids of tiles, one per quadrant here, the last column and row
    // cut; turned a quarter right by the container, then mirrored.
    {"grid.heic", 720, 360, {kRed, kLime, kBlue, kWhite}, 16},
    {"turned-grid.heic", 360, 720, {kWhite, kLime, kBlue, kRed}, 16},
    {"quad.avif", 64, 32, {kRed, kLime, kBlue, kWhite}, 16},
    {"quad10.avif", 64, 32, {kRed, kLime, kBlue, kWhite}, 16},
    {"alpha.avif", 64, 32, {kRed, RGB(0, 128, 0), kBlack, kWhite}, 16},
    {"lossy.jxl", 64, 32, {kRed, kLime, kBlue, kWhite}, 24},
    {"lossless.jxl", 64, 32, {kRed, kLime, kBlue, kWhite}, 0},
    {"recompressed.jxl", 64, 32, {kRed, kLime, kBlue, kWhite}, 12},
    {"alpha.jxl", 64, 32, {kRed, RGB(0, 128, 0), kBlack, kWhite}, 1},
    {"animated.jxl", 64, 32, {kRed, kLime, kBlue, kWhite}, 0},  // its first frame
    {"quad.dng", 64, 32, {kRed, kLime, kBlue, kWhite}, 12},     // its preview
    // A raw file that its head does not tell from a plain TIFF.
    {"directories-last.dng", 64, 32, {kRed, kLime, kBlue, kWhite}, 12},
};

TEST_F(WicSpi, AcceptsEveryFormatByContent) {
  for (const FormatCase& c : kFormats) {
    EXPECT_NE(plugin.IsSupportedFile(Fixture(c.file)), 0) << c.file;
    EXPECT_NE(plugin.IsSupportedHead(Fixture(c.file)), 0) << c.file << " (head in memory)";
  }
}

TEST_F(WicSpi, RefusesATextFileNamedJpg) {
  EXPECT_EQ(plugin.IsSupportedFile(Fixture("text.jpg")), 0);
  EXPECT_EQ(plugin.IsSupportedHead(Fixture("text.jpg")), 0);
  PictureInfo info{};
  EXPECT_EQ(plugin.Info(Fixture("text.jpg"), &info), 2);
  EXPECT_EQ(plugin.Decode(Fixture("text.jpg")).result, 2);
}

TEST_F(WicSpi, RefusesHandlesOfFailedOpens) {
  EXPECT_EQ(plugin.isSupported("x.jpg", DWORD(HFILE_ERROR)), 0);
  EXPECT_EQ(plugin.isSupported("x.jpg", 0), 0);
}

TEST_F(WicSpi, ReadsTheHeadFromTheHandlesPositionAndPutsItBack) {
  const std::string path = Fixture("after-1000-bytes.bin");
  const HFILE file = _lopen(path.c_str(), OF_READ | OF_SHARE_DENY_NONE);
  ASSERT_NE(file, HFILE_ERROR);
  EXPECT_EQ(plugin.isSupported(path.c_str(), DWORD(file)), 0) << "text at the start";
  EXPECT_EQ(_llseek(file, 0, FILE_CURRENT), 0);
  ASSERT_EQ(_llseek(file, 1000, FILE_BEGIN), 1000);
  EXPECT_NE(plugin.isSupported(path.c_str(), DWORD(file)), 0) << "a JPEG from byte 1000 on";
  EXPECT_EQ(_llseek(file, 0, FILE_CURRENT), 1000);
  _lclose(file);
}

TEST_F(WicSpi, ReportsSizeAndDepthInBothForms) {
  for (const FormatCase& c : kFormats) {
    for (UINT form : {kFromFile, kFromMemory}) {
      PictureInfo info;
      std::memset(&info, 0x5A, sizeof info);
      ASSERT_EQ(plugin.Info(Fixture(c.file), &info, form), 0) << c.file << " form " << form;
      EXPECT_EQ(info.left, 0);
      EXPECT_EQ(info.top, 0);
      EXPECT_EQ(info.width, c.width) << c.file;
      EXPECT_EQ(info.height, c.height) << c.file;
      EXPECT_EQ(info.bitsPerPixel, 24);
      EXPECT_EQ(info.textInfo, nullptr);
    }
  }
}

TEST_F(WicSpi, DecodesEveryFormatInBothForms) {
  for (const FormatCase& c : kFormats) {
    for (UINT form : {kFromFile, kFromMemory}) {
      const std::string what = std::string(c.file) + (form == kFromFile ? " (file)" : " (memory)");
      const Picture p = plugin.Decode(Fixture(c.file), form);
      ExpectQuadrants(p, c.quadrants, c.tolerance, what);
      EXPECT_EQ(p.width(), c.width) << what;
      EXPECT_EQ(p.height(), c.height) << what;
    }
  }
}

TEST_F(WicSpi, DecodesAPictureAtAnOffsetOfItsFile) {
  const std::string path = Fixture("after-1000-bytes.bin");
  PictureInfo info{};
  ASSERT_EQ(plugin.getPictureInfo(path.c_str(), 1000, kFromFile, &info), 0);
  EXPECT_EQ(info.width, 64);
  const Picture p = plugin.DecodeFrom(path.c_str(), 1000, kFromFile, plugin.getPicture);
  ExpectQuadrants(p, {kRed, kLime, kBlue, kWhite}, 12, "JPEG at offset 1000");
  EXPECT_EQ(plugin.getPictureInfo(path.c_str(), 0, kFromFile, &info), 2) << "text at offset 0";
}

TEST_F(WicSpi, PreviewIsTheWholePicture) {
  const Picture p = plugin.Decode(Fixture("quad.png"), kFromFile, plugin.getPreview);
  ExpectQuadrants(p, {kRed, kLime, kBlue, kWhite}, 0, "preview");
  EXPECT_EQ(p.width(), 64);
}

TEST_F(WicSpi, PreviewOfALargeJpegIsAQuarterOfEachSideAtMost) {
  const Picture p = plugin.Decode(Fixture("big.jpg"), kFromMemory, plugin.getPreview);
  ExpectQuadrants(p, {kRed, kLime, kBlue, kWhite}, 12, "preview of 2048 x 1024");
  EXPECT_LE(p.width(), 2048 / 4);
  EXPECT_LE(p.height(), 1024 / 4);
  EXPECT_EQ(p.width(), p.height() * 2) << "the picture's proportions";
}

// HEIF files carry thumbnails; one is a preview when it has 320 pixels on its
// longer side. A camera raw file whose preview is too small is developed.
TEST_F(WicSpi, PreviewsHeifByThumbnailsAndDevelopsRawWithoutOne) {
  const struct {
    const char* file;
    GetPictureFn Plugin::*call;
    int width, height;
  } cases[] = {
      {"thumbnail-400.heic", &Plugin::getPreview, 400, 200},
      {"thumbnail-400.heic", &Plugin::getPicture, 1024, 512},
      {"thumbnail-200.heic", &Plugin::getPreview, 1024, 512},
      {"grid.heic", &Plugin::getPreview, 400, 200},
      {"tiny-preview.dng", &Plugin::getPicture, 64, 32},  // half the raw picture
  };
  for (const auto& c : cases) {
    const Picture p = plugin.Decode(Fixture(c.file), kFromFile, plugin.*c.call);
    // Small lossy thumbnails, and a development's colours, roughly.
    ExpectQuadrants(p, {kRed, kLime, kBlue, kWhite}, 64, c.file);
    EXPECT_EQ(p.width(), c.width) << c.file;
    EXPECT_EQ(p.height(), c.height) << c.file;
  }
}

// The Adobe marker's colour transform: 0 for CMYK stored as it is, 2 for YCCK.
int AdobeTransform(const std::vector<char>& jpeg) {
  const std::string bytes(jpeg.begin(), jpeg.end());
  const size_t at = bytes.find("Adobe");
  return at == std::string::npos || at + 11 >= bytes.size() ? -1 : bytes[at + 11];
}

// The mixed quadrants as a JPEG of Adobe's inverted CMYK without the YCCK
// transform, which ImageMagick does not write.
std::vector<char> AdobeCmykJpeg() {
  const COLORREF colours[4] = {kOrange, kTeal, kDarkGrey, kPink};
  jpeg_compress_struct jpeg{};
  jpeg_error_mgr errors{};
  jpeg.err = jpeg_std_error(&errors);
  jpeg_create_compress(&jpeg);
  unsigned char* out = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&jpeg, &out, &size);
  jpeg.image_width = 64;
  jpeg.image_height = 32;
  jpeg.input_components = 4;
  jpeg.in_color_space = JCS_CMYK;
  jpeg_set_defaults(&jpeg);
  jpeg_set_colorspace(&jpeg, JCS_CMYK);
  jpeg_set_quality(&jpeg, 95, TRUE);
  jpeg_start_compress(&jpeg, TRUE);
  std::vector<JSAMPLE> row(64 * 4);
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 64; ++x) {
      // Inverted CMYK: 255 - ink; black ink takes what all three share.
      const COLORREF c = colours[(y / 16) * 2 + x / 32];
      const int r = GetRValue(c), g = GetGValue(c), b = GetBValue(c);
      const int light = std::max({r, g, b});
      JSAMPLE* p = &row[x * 4];
      p[0] = JSAMPLE(r * 255 / light), p[1] = JSAMPLE(g * 255 / light);
      p[2] = JSAMPLE(b * 255 / light), p[3] = JSAMPLE(light);
    }
    JSAMPROW rows[] = {row.data()};
    jpeg_write_scanlines(&jpeg, rows, 1);
  }
  jpeg_finish_compress(&jpeg);
  std::vector<char> bytes(out, out + size);
  jpeg_destroy_compress(&jpeg);
  std::free(out);
  return bytes;
}

TEST_F(WicSpi, DecodesAdobeCmykAndYcckJpegs) {
  std::vector<char> cmyk = AdobeCmykJpeg();
  ASSERT_EQ(AdobeTransform(cmyk), 0);
  const Picture p =
      plugin.DecodeFrom(cmyk.data(), LONG(cmyk.size()), kFromMemory, plugin.getPicture);
  ExpectQuadrants(p, {kOrange, kTeal, kDarkGrey, kPink}, 12, "Adobe CMYK");
  const std::vector<char> ycck = ReadAll(Fixture("ycck.jpg"));
  ASSERT_EQ(AdobeTransform(ycck), 2) << "ycck.jpg holds CMYK of another transform";
}

// Green and red sRGB patches stored in wider colours, which their files
// declare.
const char* const kDeclaredColours[] = {"adobe.jpg", "adobe.png", "p3.jpg", "p3-split.jpg",
                                        "p3.png",    "p3.webp",   "p3.jxl", "p3.avif"};

TEST_F(WicSpi, ConvertsDeclaredColoursToSrgb) {
  constexpr COLORREF kGreen = RGB(40, 200, 40), kDarkRed = RGB(200, 40, 40);
  for (const char* file : kDeclaredColours) {
    ExpectQuadrants(plugin.Decode(Fixture(file)), {kGreen, kDarkRed, kGreen, kDarkRed}, 4, file);
  }
}

TEST_F(WicSpi, LeavesSrgbAndBrokenProfilesUnconverted) {
  const std::pair<const char*, const char*> kSamePixels[] = {
      {"srgb-tagged.jpg", "quad.jpg"},
      {"p3-truncated.jpg", "p3-bare.jpg"},
      {"p3-garbage.jpg", "p3-bare.jpg"},
  };
  for (const auto& [file, plain] : kSamePixels) {
    const Picture p = plugin.Decode(Fixture(file));
    ASSERT_EQ(p.result, 0) << file;
    EXPECT_TRUE(p.bits == plugin.Decode(Fixture(plain)).bits) << file << " differs from " << plain;
  }
}

// The stored quadrants red, lime / blue, white turned upright by hand.
struct OrientationCase {
  int value;
  COLORREF upright[4];
};

const OrientationCase kOrientations[] = {
    {1, {kRed, kLime, kBlue, kWhite}}, {2, {kLime, kRed, kWhite, kBlue}},
    {3, {kWhite, kBlue, kLime, kRed}}, {4, {kBlue, kWhite, kRed, kLime}},
    {5, {kRed, kBlue, kLime, kWhite}}, {6, {kBlue, kRed, kWhite, kLime}},
    {7, {kWhite, kLime, kBlue, kRed}}, {8, {kLime, kWhite, kRed, kBlue}},
};

TEST_F(WicSpi, TurnsJpegTiffJpegXlAndDngUprightByTheirOrientation) {
  for (const char* type : {"jpg", "tif", "jxl", "dng"}) {
    for (const OrientationCase& c : kOrientations) {
      const std::string file = "orient-" + std::to_string(c.value) + "." + type;
      const bool turned = c.value >= 5;
      PictureInfo info{};
      ASSERT_EQ(plugin.Info(Fixture(file), &info), 0) << file;
      EXPECT_EQ(info.width, turned ? 32 : 64) << file;
      EXPECT_EQ(info.height, turned ? 64 : 32) << file;
      const Picture p = plugin.Decode(Fixture(file), kFromMemory);
      ExpectQuadrants(p, c.upright, 12, file);
      EXPECT_EQ(p.width(), info.width) << file;
      EXPECT_EQ(p.height(), info.height) << file;
    }
  }
}

// Opened at 100 % in a window no larger than a box, an upright JPEG comes
// first as the part of it that the box holds, which the plug-in host puts
// in the top left of a black picture of the whole size. A box that holds the
// whole picture, or a turned picture, leaves it to the whole decode.
TEST_F(WicSpi, DecodesThePartOfAnUprightJpegThatABoxHolds) {
  const bex::PluginTable modules =
      bex::spi::LoadModules(bex::Utf8ToWide(bex::test::BuildDir() + "\\plugins"), {L"wicspi.spi"});
  ASSERT_EQ(modules.size(), 1u);
  const auto part = [&](const std::string& file, bex::FitBox box) {
    return bex::spi::Decode(*modules[0], bex::Utf8ToWide(Fixture(file)),
                            bex::PictureSection::Create, nullptr, box);
  };
  const std::unique_ptr<bex::PictureSection> p = part("big.jpg", {1500, 600, true});
  ASSERT_TRUE(p);
  EXPECT_EQ(p->Width(), 2048);
  EXPECT_EQ(p->Height(), 1024);
  const struct {
    int x, y;
    COLORREF colour;
  } points[] = {{10, 10, kRed},      {1490, 10, kLime},  {10, 590, kBlue},
                {1490, 590, kWhite}, {1510, 10, kBlack}, {10, 610, kBlack}};
  for (const auto& point : points) {
    const uint32_t pixel = p->Bits()[point.y * p->Width() + point.x];
    const COLORREF got = RGB(pixel >> 16, (pixel >> 8) & 0xFF, pixel & 0xFF);
    EXPECT_TRUE(Near(got, point.colour, 12)) << point.x << ", " << point.y << ": " << Hex(got);
  }
  EXPECT_EQ(part("big.jpg", {2048, 1024, true}), nullptr);
  EXPECT_NE(part("orient-1.jpg", {16, 16, true}), nullptr);
  EXPECT_EQ(part("orient-6.jpg", {16, 16, true}), nullptr);
}

TEST_F(WicSpi, TurnsWebpAndPngUprightByTheirExifChunks) {
  for (const char* type : {"webp", "png"}) {
    for (const OrientationCase& c : kOrientations) {
      const std::string file = "orient-" + std::to_string(c.value) + "." + type;
      const Picture p = plugin.Decode(Fixture(file));
      ExpectQuadrants(p, c.upright, 12, file);
      EXPECT_EQ(p.width(), c.value >= 5 ? 32 : 64) << file;
    }
  }
}

TEST_F(WicSpi, ReturnsErrorCodesForDamagedFiles) {
  for (const char* file :
       {"cut-in-header.jpg", "cut-in-data.png", "bad-crc.png", "zero-height.jpg"}) {
    for (UINT form : {kFromFile, kFromMemory}) {
      EXPECT_EQ(plugin.Decode(Fixture(file), form).result, 3) << file;
    }
  }
  PictureInfo info{};
  EXPECT_EQ(plugin.Info(Fixture("cut-in-header.jpg"), &info), 3);
}

TEST_F(WicSpi, ShowsWhatACutOffJpegHolds) {
  std::vector<char> bytes = ReadAll(Fixture("big.jpg"));
  bytes.resize(bytes.size() * 3 / 4);
  const Picture p =
      plugin.DecodeFrom(bytes.data(), LONG(bytes.size()), kFromMemory, plugin.getPicture);
  ASSERT_EQ(p.result, 0);
  EXPECT_EQ(p.width(), 2048);
  EXPECT_TRUE(Near(p.At(512, 256), kRed, 12)) << Hex(p.At(512, 256));
  EXPECT_TRUE(Near(p.At(1536, 256), kLime, 12)) << Hex(p.At(1536, 256));
}

// A damaged picture decodes as far as it goes or is refused as unknown, broken
// or (its size scrambled) too large.
bool IsAnswerToDamage(int result) { return result == 0 || (result >= 2 && result <= 4); }

TEST_F(WicSpi, SurvivesCutAndScrambledPicturesOfEveryOwnDecoder) {
  const uint64_t before = bex::CommittedPrivateBytes();
  for (const char* file :
       {"quad.jpg", "progressive.jpg", "arithmetic.jpg", "ycck.jpg", "quad.png", "interlaced.png",
        "quad16.png", "palette.png", "lossy.webp", "alpha.webp", "animated.webp", "quad.heic",
        "quad.avif", "alpha.avif", "lossy.jxl", "recompressed.jxl", "animated.jxl", "quad.dng"}) {
    const std::vector<char> whole = ReadAll(Fixture(file));
    for (size_t step = 1; step <= 16; ++step) {
      std::vector<char> cut(whole.begin(), whole.begin() + whole.size() * step / 17);
      const int result =
          plugin.DecodeFrom(cut.data(), LONG(cut.size()), kFromMemory, plugin.getPicture).result;
      EXPECT_TRUE(IsAnswerToDamage(result)) << file << " cut " << step << ": " << result;
      std::vector<char> scrambled = whole;
      for (size_t i = step * 7; i < scrambled.size(); i += 23 + step) scrambled[i] ^= char(0x5A);
      const int scrambledResult =
          plugin
              .DecodeFrom(scrambled.data(), LONG(scrambled.size()), kFromMemory, plugin.getPicture)
              .result;
      EXPECT_TRUE(IsAnswerToDamage(scrambledResult))
          << file << " scrambled " << step << ": " << scrambledResult;
    }
  }
  EXPECT_LT(bex::CommittedPrivateBytes(), before + (8 << 20)) << "blocks left behind";
}

// The limit is the viewer's: a picture it could not hold is refused by the
// first question, before any pixel is decoded.
TEST_F(WicSpi, RefusesPicturesBeyondTheViewersLimitForWantOfMemory) {
  for (const char* file : {"huge.bmp", "over-limit.bmp"}) {
    PictureInfo info{};
    EXPECT_EQ(plugin.Info(Fixture(file), &info), 4) << file;
    EXPECT_EQ(plugin.Decode(Fixture(file)).result, 4) << file;
  }
}

TEST_F(WicSpi, ReportsUnreadableInput) {
  PictureInfo info{};
  EXPECT_EQ(plugin.Info(Fixture("no-such-file.jpg"), &info), 6);
  EXPECT_EQ(plugin.Decode(Fixture("no-such-file.jpg")).result, 6);
  const std::string path = Fixture("quad.jpg");
  EXPECT_EQ(plugin.getPictureInfo(path.c_str(), 1 << 20, kFromFile, &info), 6)
      << "offset past the end";
  EXPECT_EQ(plugin.getPictureInfo(path.c_str(), 0, kFromMemory, &info), 2) << "empty memory";
}

struct ProgressLog {
  std::vector<std::pair<int, int>> calls;
  size_t stopAt = SIZE_MAX;  // call number that answers "stop"
  bool stopAtLastRow = false;
};

int WINAPI RecordProgress(int done, int total, LONG data) {
  auto* log = reinterpret_cast<ProgressLog*>(data);
  log->calls.emplace_back(done, total);
  return log->calls.size() > log->stopAt || (log->stopAtLastRow && done == total) ? 1 : 0;
}

TEST_F(WicSpi, ReportsProgressFromStartToEnd) {
  ProgressLog log;
  const Picture p = plugin.Decode(Fixture("quad.png"), kFromFile, nullptr, RecordProgress,
                                  LONG(reinterpret_cast<LONG_PTR>(&log)));
  ASSERT_EQ(p.result, 0);
  ASSERT_GE(log.calls.size(), 2u);
  EXPECT_EQ(log.calls.front(), std::make_pair(0, 32));
  EXPECT_EQ(log.calls.back(), std::make_pair(32, 32));
  for (size_t i = 1; i < log.calls.size(); ++i)
    EXPECT_GE(log.calls[i].first, log.calls[i - 1].first);
}

TEST_F(WicSpi, StopsWhenTheCallbackAsksTo) {
  for (size_t stopAt : {0u, 1u}) {
    ProgressLog log;
    log.stopAt = stopAt;
    const Picture p = plugin.Decode(Fixture("quad.jpg"), kFromMemory, nullptr, RecordProgress,
                                    LONG(reinterpret_cast<LONG_PTR>(&log)));
    EXPECT_EQ(p.result, 1) << "stop at call " << stopAt;
    EXPECT_EQ(log.calls.size(), stopAt + 1);
  }
}

// Decodes on a new thread whose COM state is `model` (or none) and tells
// whether that state is as it was afterwards.
bool DecodeKeepsComState(const Plugin& plugin, const DWORD* model) {
  bool kept = false;
  std::thread([&] {
    if (model && CoInitializeEx(nullptr, *model) != S_OK) return;
    if (plugin.Decode(Fixture("quad.png")).result != 0) return;
    // Initializing again tells: S_FALSE while the thread's own use goes on,
    // S_OK when none is left.
    const HRESULT again = CoInitializeEx(nullptr, model ? *model : DWORD{COINIT_APARTMENTTHREADED});
    kept = again == (model ? S_FALSE : S_OK);
    if (SUCCEEDED(again)) CoUninitialize();
    if (model) CoUninitialize();
  }).join();
  return kept;
}

TEST_F(WicSpi, LeavesTheCallersComAsItWas) {
  const DWORD singleThreaded = COINIT_APARTMENTTHREADED, multithreaded = COINIT_MULTITHREADED;
  EXPECT_TRUE(DecodeKeepsComState(plugin, nullptr)) << "thread without COM";
  EXPECT_TRUE(DecodeKeepsComState(plugin, &singleThreaded)) << "single-threaded apartment";
  EXPECT_TRUE(DecodeKeepsComState(plugin, &multithreaded)) << "multithreaded apartment";
}

TEST_F(WicSpi, FreesItsBlocksWhenStoppedOrRefused) {
  const std::string big = Fixture("big.png");
  ProgressLog log;
  const LONG data = LONG(reinterpret_cast<LONG_PTR>(&log));
  const auto stopAtTheEnd = [&] {
    log = ProgressLog{};
    log.stopAtLastRow = true;
    return plugin.Decode(big, kFromFile, nullptr, RecordProgress, data).result;
  };
  ASSERT_EQ(stopAtTheEnd(), 1);  // first use: the codecs' own caches settle
  ASSERT_EQ(log.calls.back(), std::make_pair(1024, 1024)) << "stopped before the last row";
  const uint64_t before = bex::CommittedPrivateBytes();
  constexpr int kRounds = 20;
  for (int i = 0; i < kRounds; ++i) {
    ASSERT_EQ(stopAtTheEnd(), 1);
    ASSERT_EQ(plugin.Decode(Fixture("cut-in-data.png")).result, 3);
  }
  // A leaked DIB would be 6 MiB a round.
  EXPECT_LT(bex::CommittedPrivateBytes(), before + 3 * 2048 * 1024 * 3);
}

}  // namespace
