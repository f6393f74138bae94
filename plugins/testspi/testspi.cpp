// Susie plug-ins for the tests of the plug-in host, all from this one source.
// They read a format of their own: a text line
//   BEXTEST1 <width> <height> <variant>\n
// followed by width * height RGB byte triples, top row first.
// BEX_SPI_MODULE names the module being built:
//   tst1     decodes the pixels as stored, bottom-up rows of 24 bits;
//   tst2     reads the same files but inverts every colour and hands over
//            top-down rows, so a test sees which module decoded;
//   nopic    lacks GetPicture (BEX_SPI_WITHOUT_GETPICTURE) and claims every file;
//   failpic  its GetPicture always fails;
//   bogus    falsifies its answers as the file's variant word says;
//   trace    decodes like tst1 and appends "IsSupported <name>" and
//            "GetPicture <name>" lines to the file named by the environment
//            variable BEX_SPI_TRACE.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <vector>

#include "image/spi_host_win.h"

using bex::SpiPictureInfo;

#define BEX_DECLARE_EXPORT(name, params) extern "C" __declspec(dllexport) int WINAPI name params;
BEX_SPI_EXPORTS(BEX_DECLARE_EXPORT)
#undef BEX_DECLARE_EXPORT

namespace {

constexpr bool ModuleIs(std::string_view name) { return name == BEX_SPI_MODULE; }
constexpr bool kInverted = ModuleIs("tst2");
constexpr bool kClaimsEverything = ModuleIs("nopic");
constexpr bool kFailsGetPicture = ModuleIs("failpic");
constexpr bool kFalsifies = ModuleIs("bogus");
constexpr bool kTraces = ModuleIs("trace");

// Results of the plug-in interface.
constexpr int kSuccess = 0;
constexpr int kNotImplemented = -1;
constexpr int kUnknownFormat = 2;
constexpr int kOutOfMemory = 4;

constexpr char kMagic[] = "BEXTEST1";
constexpr size_t kMagicLength = sizeof kMagic - 1;

struct TestPicture {
  int width = 0;
  int height = 0;
  char variant[32] = {};
  std::vector<unsigned char> rgb;  // top row first
};

// Reads the header line and, when wanted, the pixels. False for any other
// file or a short one.
bool ReadTestPicture(LPCSTR fileName, long offset, bool withPixels, TestPicture* picture) {
  FILE* file = std::fopen(fileName, "rb");
  if (!file) return false;
  char line[80] = {};
  const bool ok = std::fseek(file, offset, SEEK_SET) == 0 && std::fgets(line, sizeof line, file) &&
                  std::sscanf(line, "BEXTEST1 %d %d %31s", &picture->width, &picture->height,
                              picture->variant) == 3 &&
                  picture->width > 0 && picture->height > 0 && picture->width <= 4096 &&
                  picture->height <= 4096;
  if (ok && withPixels) {
    picture->rgb.resize(static_cast<size_t>(picture->width) * picture->height * 3);
    const size_t read = std::fread(picture->rgb.data(), 1, picture->rgb.size(), file);
    std::fclose(file);
    return read == picture->rgb.size();
  }
  std::fclose(file);
  return ok;
}

void Trace(const char* call, LPCSTR fileName) {
  char log[MAX_PATH];
  const DWORD length = kTraces ? GetEnvironmentVariableA("BEX_SPI_TRACE", log, sizeof log) : 0;
  if (length == 0 || length >= sizeof log) return;
  if (FILE* file = std::fopen(log, "ab")) {
    std::fprintf(file, "%s %s\n", call, fileName);
    std::fclose(file);
  }
}

// What GetPicture hands over: the header, and how large each block is made.
struct Blocks {
  BITMAPINFOHEADER header = {};
  size_t infoBytes = sizeof(BITMAPINFOHEADER);
  size_t pixelBytes = 0;
  bool nullInfo = false;
  bool nullPixels = false;
  UINT flags = GMEM_MOVEABLE | GMEM_ZEROINIT;
};

size_t Stride(int width, int bitCount) {
  return (static_cast<size_t>(width) * bitCount + 31) / 32 * 4;
}

struct Falsification {
  const char* variant;
  void (*record)(SpiPictureInfo& record);
  void (*blocks)(Blocks& blocks);
};

void NoRecordChange(SpiPictureInfo&) {}
void NoBlockChange(Blocks&) {}

// Each variant word of the bogus module and what it falsifies; the last ones
// are sound answers in forms the host must accept.
const Falsification kFalsifications[] = {
    {"width0", [](SpiPictureInfo& r) { r.width = 0; }, NoBlockChange},
    {"widthneg", [](SpiPictureInfo& r) { r.width = -r.width; }, NoBlockChange},
    {"heightneg", [](SpiPictureInfo& r) { r.height = -r.height; }, NoBlockChange},
    {"huge", [](SpiPictureInfo& r) { r.width = r.height = 100000; }, NoBlockChange},
    {"noinfo", NoRecordChange, [](Blocks& b) { b.nullInfo = true; }},
    {"nopixels", NoRecordChange, [](Blocks& b) { b.nullPixels = true; }},
    {"smallinfo", NoRecordChange, [](Blocks& b) { b.infoBytes = 20; }},
    {"smallpixels", NoRecordChange, [](Blocks& b) { b.pixelBytes -= 1; }},
    {"bitcount13", NoRecordChange, [](Blocks& b) { b.header.biBitCount = 13; }},
    {"headersize", NoRecordChange, [](Blocks& b) { b.header.biSize = 1000; }},
    {"hugeheader", NoRecordChange,
     [](Blocks& b) { b.header.biWidth = b.header.biHeight = 1000000; }},
    {"rle8short", NoRecordChange,
     [](Blocks& b) {
       b.header.biBitCount = 8;
       b.header.biCompression = BI_RLE8;
       b.header.biSizeImage = 4096;
       b.infoBytes += 256 * sizeof(RGBQUAD);
       b.pixelBytes = 1;
     }},
    {"shorttable", NoRecordChange,
     [](Blocks& b) {
       b.header.biBitCount = 8;
       b.infoBytes += 2 * sizeof(RGBQUAD);
     }},
    {"nomasks", NoRecordChange,
     [](Blocks& b) {
       b.header.biBitCount = 32;
       b.header.biCompression = BI_BITFIELDS;
       b.pixelBytes = Stride(b.header.biWidth, 32) * std::abs(b.header.biHeight);
     }},
    {"topdown", NoRecordChange, [](Blocks& b) { b.header.biHeight = -b.header.biHeight; }},
    {"fixed", NoRecordChange, [](Blocks& b) { b.flags = GMEM_FIXED | GMEM_ZEROINIT; }},
    {"textinfo", [](SpiPictureInfo& r) { r.textInfo = LocalAlloc(LMEM_MOVEABLE, 64); },
     NoBlockChange},
};

const Falsification* FalsificationOf(const TestPicture& picture) {
  if (!kFalsifies) return nullptr;
  for (const Falsification& f : kFalsifications) {
    if (std::strcmp(f.variant, picture.variant) == 0) return &f;
  }
  return nullptr;
}

Blocks SoundBlocks(const TestPicture& picture) {
  Blocks blocks;
  BITMAPINFOHEADER& h = blocks.header;
  h.biSize = sizeof h;
  h.biWidth = picture.width;
  h.biHeight = kInverted ? -picture.height : picture.height;
  h.biPlanes = 1;
  h.biBitCount = 24;
  h.biCompression = BI_RGB;
  blocks.pixelBytes = Stride(picture.width, 24) * picture.height;
  return blocks;
}

// Rows of 24-bit BGR pixels in the order the header says.
void WritePixels(const TestPicture& picture, const BITMAPINFOHEADER& header, unsigned char* out) {
  const size_t stride = Stride(picture.width, 24);
  const unsigned char flip = kInverted ? 0xFF : 0x00;
  for (int row = 0; row < picture.height; ++row) {
    const int stored = header.biHeight < 0 ? row : picture.height - 1 - row;
    unsigned char* dest = out + stride * stored;
    const unsigned char* src = picture.rgb.data() + static_cast<size_t>(row) * picture.width * 3;
    for (int x = 0; x < picture.width; ++x) {
      dest[3 * x + 0] = src[3 * x + 2] ^ flip;
      dest[3 * x + 1] = src[3 * x + 1] ^ flip;
      dest[3 * x + 2] = src[3 * x + 0] ^ flip;
    }
  }
}

HLOCAL NewBlock(UINT flags, size_t bytes, const void* content, size_t contentBytes) {
  HLOCAL block = GlobalAlloc(flags, bytes);
  if (!block) return nullptr;
  if (content) std::memcpy(GlobalLock(block), content, contentBytes < bytes ? contentBytes : bytes);
  GlobalUnlock(block);
  return block;
}

bool IsSoundLayout(const Blocks& blocks, const TestPicture& picture) {
  return blocks.header.biBitCount == 24 && blocks.header.biCompression == BI_RGB &&
         blocks.pixelBytes >= Stride(picture.width, 24) * picture.height;
}

// Unused in the module without GetPicture.
[[maybe_unused]] int HandOver(const TestPicture& picture, HLOCAL* info, HLOCAL* pixels) {
  Blocks blocks = SoundBlocks(picture);
  if (const Falsification* f = FalsificationOf(picture)) f->blocks(blocks);
  HLOCAL pixelBlock = blocks.nullPixels ? nullptr : GlobalAlloc(blocks.flags, blocks.pixelBytes);
  HLOCAL infoBlock = blocks.nullInfo ? nullptr
                                     : NewBlock(blocks.flags, blocks.infoBytes, &blocks.header,
                                                sizeof blocks.header);
  if ((!pixelBlock && !blocks.nullPixels) || (!infoBlock && !blocks.nullInfo)) {
    if (pixelBlock) GlobalFree(pixelBlock);
    if (infoBlock) GlobalFree(infoBlock);
    return kOutOfMemory;
  }
  if (pixelBlock && IsSoundLayout(blocks, picture)) {
    WritePixels(picture, blocks.header, static_cast<unsigned char*>(GlobalLock(pixelBlock)));
    GlobalUnlock(pixelBlock);
  }
  *info = infoBlock;
  *pixels = pixelBlock;
  return kSuccess;
}

bool HeadIsTestPicture(const char* head) { return std::strncmp(head, kMagic, kMagicLength) == 0; }

// The host passes a file handle (high word zero) or the first 2 KiB of the file.
bool StartsLikeTestPicture(DWORD_PTR fileOrHead) {
  if (fileOrHead & ~DWORD_PTR{0xFFFF})
    return HeadIsTestPicture(reinterpret_cast<const char*>(fileOrHead));
  char head[kMagicLength] = {};
  DWORD read = 0;
  return ReadFile(reinterpret_cast<HANDLE>(fileOrHead), head, sizeof head, &read, nullptr) &&
         read == sizeof head && HeadIsTestPicture(head);
}

}  // namespace

int WINAPI GetPluginInfo(int infoNo, LPSTR buf, int bufLen) {
  static const char* const kInfo[] = {"00IN", "Bex test plug-in", "*.tst", "Bex test pictures"};
  if (infoNo < 0 || infoNo >= 4 || bufLen <= 0) return 0;
  lstrcpynA(buf, kInfo[infoNo], bufLen);
  return lstrlenA(buf);
}

int WINAPI IsSupported(LPCSTR fileName, DWORD_PTR fileHandle) {
  Trace("IsSupported", fileName);
  return kClaimsEverything || StartsLikeTestPicture(fileHandle) ? 1 : 0;
}

int WINAPI GetPictureInfo(LPCSTR buf, long len, unsigned flag, SpiPictureInfo* info) {
  if ((flag & 7) != 0) return kNotImplemented;
  TestPicture picture;
  if (!ReadTestPicture(buf, len, false, &picture)) return kUnknownFormat;
  *info = SpiPictureInfo{};
  info->width = picture.width;
  info->height = picture.height;
  info->colorDepth = 24;
  if (const Falsification* f = FalsificationOf(picture)) f->record(*info);
  return kSuccess;
}

#ifndef BEX_SPI_WITHOUT_GETPICTURE
int WINAPI GetPicture(LPCSTR buf, long len, unsigned flag, HLOCAL* bitmapInfo, HLOCAL* bits,
                      FARPROC, long) {
  Trace("GetPicture", buf);
  if (kFailsGetPicture) return kOutOfMemory;
  if ((flag & 7) != 0) return kNotImplemented;
  TestPicture picture;
  if (!ReadTestPicture(buf, len, true, &picture)) return kUnknownFormat;
  return HandOver(picture, bitmapInfo, bits);
}
#endif
