// Susie plug-ins for the tests of the plug-in host, all from this one source.
// They read a format of their own: a text line
//   BEXTEST1 <width> <height> <variant>\n
// followed by width * height RGB byte triples, top row first.
// BEX_SPI_MODULE names the module being built:
//   tst1     decodes the pixels as stored, bottom-up rows of 24 bits;
//   tst2     reads the same files but inverts every colour and hands over
//            top-down rows, so a test sees which module decoded; it alone
//            claims a file of the variant "tst2-only" (the others read its
//            head and refuse it);
//   nopic    lacks GetPicture (BEX_SPI_WITHOUT_GETPICTURE) and claims every file;
//   failpic  its GetPicture always fails;
//   bogus    falsifies its answers as the file's variant word says;
//   trace    decodes like tst1 and appends "IsSupported <name>" and
//            "GetPicture <name>" lines to the file named by the environment
//            variable BEX_SPI_TRACE. When BEX_SPI_TRACE_WINDOW names a window
//            class, each GetPicture line follows a line "Shown <caption>
//            <RRGGBB>": what the window of that class of the calling process
//            (or of the viewer that started the plug-in helper) shows
//            when the decode starts (its caption and its client area's
//            top-left pixel), so a test sees what was on screen before,
//            and a line "Loaded <caption> <RRGGBB>" ("Loaded -" without
//            such a window) tells what it showed when a process loaded
//            the module;
//   needsdep decodes like tst1, but imports the test library spidep.dll by
//            name (BEX_SPI_NEEDS_LIBRARY) and asks it before every answer;
//   unruly   decodes like tst1, but misbehaves as the file's variant word
//            says: crash-ask, crash-info and crash-picture write to address 0
//            in IsSupported, GetPictureInfo and GetPicture; exit calls
//            ExitProcess in GetPicture; loop never returns from it; overflow
//            overflows the stack there; leak commits 200 MB in each
//            GetPicture and never frees them (leakfail then fails the call);
//            slow takes 5 s to decode, holding the file open. It traces
//            like trace, and adds "Finished <name>" when a decode is done;
//   wide     decodes like tst1 and traces like trace, but also exports the
//            wide entry points (BEX_SPI_WIDE_ENTRIES), whose calls are traced
//            as "IsSupportedW <name>", "GetPictureW <name>" and
//            "GetPictureToFitW <name>" in UTF-8; GetPictureToFitW hands the
//            picture over as it is, and a file of the variant "fitonly" it
//            decodes that way alone (GetPictureW fails).
// Every module reads memory input (flag bits 0-2 = 1): the file's bytes
// instead of its name; the trace then says "(memory)" for the name of
// GetPicture and gives the name IsSupported was told.
#include <windows.h>

#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "shared/spi_exports.h"

using bex::SpiPictureInfo;

#define BEX_DECLARE_EXPORT(name, params) extern "C" __declspec(dllexport) int WINAPI name params;
BEX_SPI_EXPORTS(BEX_DECLARE_EXPORT)
#undef BEX_DECLARE_EXPORT

#ifdef BEX_SPI_NEEDS_LIBRARY
extern "C" __declspec(dllimport) int TestLibraryAnswer();
#else
static int TestLibraryAnswer() { return 1; }
#endif

namespace {

constexpr bool ModuleIs(std::string_view name) { return name == BEX_SPI_MODULE; }
constexpr bool kInverted = ModuleIs("tst2");
constexpr bool kClaimsEverything = ModuleIs("nopic");
constexpr bool kFailsGetPicture = ModuleIs("failpic");
constexpr bool kFalsifies = ModuleIs("bogus");
constexpr bool kUnruly = ModuleIs("unruly");
constexpr bool kTraces = ModuleIs("trace") || ModuleIs("wide") || kUnruly;

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

// The input kinds of the interface's calls (flag bits 0-2).
constexpr unsigned kFileInput = 0;
constexpr unsigned kMemoryInput = 1;

// Reads the header line and, when wanted, the pixels from the bytes of a
// file. False for any other file or a short one.
bool ParseTestPicture(std::string_view bytes, bool withPixels, TestPicture* picture) {
  const std::string line(bytes.substr(0, std::min<size_t>(bytes.find('\n'), 79)));
  const bool ok = bytes.find('\n') != std::string_view::npos &&
                  std::sscanf(line.c_str(), "BEXTEST1 %d %d %31s", &picture->width,
                              &picture->height, picture->variant) == 3 &&
                  picture->width > 0 && picture->height > 0 && picture->width <= 4096 &&
                  picture->height <= 4096;
  if (!ok || !withPixels) return ok;
  const std::string_view stored = bytes.substr(bytes.find('\n') + 1);
  picture->rgb.resize(static_cast<size_t>(picture->width) * picture->height * 3);
  if (stored.size() < picture->rgb.size()) return false;
  std::memcpy(picture->rgb.data(), stored.data(), picture->rgb.size());
  return true;
}

// The bytes of an open file from offset on.
std::string ContentOf(FILE* file, long offset) {
  std::string bytes;
  if (!file) return bytes;
  if (std::fseek(file, offset, SEEK_SET) == 0) {
    char chunk[4096];
    for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, file)) > 0;) bytes.append(chunk, n);
  }
  std::fclose(file);
  return bytes;
}

// buf is a file name with an offset (file input) or the file's bytes with
// their count (memory input).
bool ReadTestPicture(LPCSTR buf, LONG_PTR len, unsigned flag, bool withPixels,
                     TestPicture* picture) {
  if ((flag & 7) == kMemoryInput) {
    return len > 0 &&
           ParseTestPicture(std::string_view(buf, static_cast<size_t>(len)), withPixels, picture);
  }
  return (flag & 7) == kFileInput &&
         ParseTestPicture(ContentOf(std::fopen(buf, "rb"), len), withPixels, picture);
}

void Trace(const char* call, const char* text) {
  char log[MAX_PATH];
  const DWORD length = kTraces ? GetEnvironmentVariableA("BEX_SPI_TRACE", log, sizeof log) : 0;
  if (length == 0 || length >= sizeof log) return;
  if (FILE* file = std::fopen(log, "ab")) {
    std::fprintf(file, "%s %s\n", call, text);
    std::fclose(file);
  }
}

struct WindowSearch {
  const char* className;
  HWND found;
};

// The process that started this one: the viewer, when a plug-in helper runs
// the module.
DWORD ParentProcessId() {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return 0;
  PROCESSENTRY32 entry = {};
  entry.dwSize = sizeof entry;
  DWORD parent = 0;
  for (BOOL more = Process32First(snapshot, &entry); more && !parent;
       more = Process32Next(snapshot, &entry)) {
    if (entry.th32ProcessID == GetCurrentProcessId()) parent = entry.th32ParentProcessID;
  }
  CloseHandle(snapshot);
  return parent;
}

// A window of the calling process or of the viewer that started it.
BOOL CALLBACK MatchOwnWindow(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<WindowSearch*>(param);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  static const DWORD parent = ParentProcessId();
  if ((process != GetCurrentProcessId() && process != parent) ||
      std::strcmp(name, search->className) != 0) {
    return TRUE;
  }
  search->found = window;
  return FALSE;
}

// The caption and top-left client pixel of the window named by
// BEX_SPI_TRACE_WINDOW, after the word call; "-" when there is no such
// window and call says so.
void TraceWindow(const char* call, bool withoutWindow) {
  char className[64];
  const DWORD length =
      kTraces ? GetEnvironmentVariableA("BEX_SPI_TRACE_WINDOW", className, sizeof className) : 0;
  if (length == 0 || length >= sizeof className) return;
  WindowSearch search{className, nullptr};
  EnumWindows(MatchOwnWindow, reinterpret_cast<LPARAM>(&search));
  if (!search.found) {
    if (withoutWindow) Trace(call, "-");
    return;
  }
  char caption[512] = {};
  GetWindowTextA(search.found, caption, sizeof caption);
  HDC dc = GetDC(search.found);
  const COLORREF pixel = GetPixel(dc, 0, 0);
  ReleaseDC(search.found, dc);
  char text[sizeof caption + 16];
  std::snprintf(text, sizeof text, "%s %02X%02X%02X", caption, GetRValue(pixel), GetGValue(pixel),
                GetBValue(pixel));
  Trace(call, text);
}

// How GetPicture stores the picture.
enum class Form { kBottomUp24, kTopDown24, kIndexed8, kRle8, kBitfields32, kRgb32 };

// What GetPicture hands over: the information block's content (header, then
// masks or colour table), the pixel block's content, and the sizes the
// blocks are made (content cut or zero-padded to them).
struct Blocks {
  BITMAPINFOHEADER header = {};
  std::vector<unsigned char> table;
  std::vector<unsigned char> pixels;
  size_t infoBytes = 0;
  size_t pixelBytes = 0;
  bool nullInfo = false;
  bool nullPixels = false;
  UINT flags = GMEM_MOVEABLE | GMEM_ZEROINIT;
};

void AppendU32(std::vector<unsigned char>& bytes, DWORD value) {
  for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<unsigned char>(value >> (8 * i)));
}

// 0x00RRGGBB of a pixel as this module sees it.
DWORD ColourAt(const TestPicture& picture, int x, int y) {
  const unsigned char* rgb = picture.rgb.data() + (static_cast<size_t>(y) * picture.width + x) * 3;
  const DWORD colour = DWORD{rgb[0]} << 16 | DWORD{rgb[1]} << 8 | rgb[2];
  return kInverted ? colour ^ 0xFFFFFF : colour;
}

// Index of the colour in the table of 8-bit forms, added when new.
unsigned char IndexOf(DWORD colour, std::vector<DWORD>& palette) {
  size_t i = 0;
  while (i < palette.size() && palette[i] != colour) ++i;
  if (i == palette.size()) palette.push_back(colour);
  return static_cast<unsigned char>(i);
}

void AppendPixel(Blocks& blocks, Form form, DWORD colour, std::vector<DWORD>& palette) {
  switch (form) {
    case Form::kBottomUp24:
    case Form::kTopDown24:
      for (int shift : {0, 8, 16})
        blocks.pixels.push_back(static_cast<unsigned char>(colour >> shift));
      break;
    case Form::kBitfields32:
    case Form::kRgb32:  // the fourth byte 0
      AppendU32(blocks.pixels, colour);
      break;
    case Form::kIndexed8:
      blocks.pixels.push_back(IndexOf(colour, palette));
      break;
    case Form::kRle8:  // runs of one pixel each
      blocks.pixels.push_back(1);
      blocks.pixels.push_back(IndexOf(colour, palette));
      break;
  }
}

void EndRow(Blocks& blocks, Form form, size_t rowStart) {
  if (form == Form::kRle8) {
    blocks.pixels.insert(blocks.pixels.end(), {0, 0});
    return;
  }
  while ((blocks.pixels.size() - rowStart) % 4) blocks.pixels.push_back(0);
}

Blocks Encode(const TestPicture& picture, Form form) {
  Blocks blocks;
  BITMAPINFOHEADER& h = blocks.header;
  static constexpr WORD kBitCounts[] = {24, 24, 8, 8, 32, 32};
  static constexpr DWORD kCompressions[] = {BI_RGB, BI_RGB, BI_RGB, BI_RLE8, BI_BITFIELDS, BI_RGB};
  h.biSize = sizeof h;
  h.biWidth = picture.width;
  h.biHeight = form == Form::kTopDown24 ? -picture.height : picture.height;
  h.biPlanes = 1;
  h.biBitCount = kBitCounts[static_cast<int>(form)];
  h.biCompression = kCompressions[static_cast<int>(form)];
  std::vector<DWORD> palette;
  for (int stored = 0; stored < picture.height; ++stored) {
    const int y = h.biHeight < 0 ? stored : picture.height - 1 - stored;
    const size_t rowStart = blocks.pixels.size();
    for (int x = 0; x < picture.width; ++x)
      AppendPixel(blocks, form, ColourAt(picture, x, y), palette);
    EndRow(blocks, form, rowStart);
  }
  if (form == Form::kRle8) {
    blocks.pixels.insert(blocks.pixels.end(), {0, 1});
    h.biSizeImage = static_cast<DWORD>(blocks.pixels.size());
  }
  if (form == Form::kBitfields32) {
    for (DWORD mask : {0xFF0000u, 0x00FF00u, 0x0000FFu}) AppendU32(blocks.table, mask);
  }
  if (form == Form::kIndexed8 || form == Form::kRle8) {
    h.biClrUsed = static_cast<DWORD>(palette.size());
    for (DWORD colour : palette) AppendU32(blocks.table, colour);
  }
  blocks.infoBytes = sizeof h + blocks.table.size();
  blocks.pixelBytes = blocks.pixels.size();
  return blocks;
}

// Sets the fourth byte of every 32-bit pixel, in order, to the values of
// `pattern` in turn.
template <size_t N>
void SetFourthBytes(Blocks& blocks, const unsigned char (&pattern)[N]) {
  for (size_t i = 3, n = 0; i < blocks.pixels.size(); i += 4, ++n) {
    blocks.pixels[i] = pattern[n % N];
  }
}

// The fourth bytes of the alpha variants, pixel by pixel from the bottom row.
constexpr unsigned char kAllOpaque[] = {255};
constexpr unsigned char kGradedAlpha[] = {255, 128, 0, 64};
constexpr unsigned char kClearAndOpaque[] = {255, 0};

struct Falsification {
  const char* variant;
  Form form;
  void (*record)(SpiPictureInfo& record);
  void (*blocks)(Blocks& blocks);
};

void NoRecordChange(SpiPictureInfo&) {}
void NoBlockChange(Blocks&) {}

// Each variant word of the bogus module and what it falsifies; the last ones
// are sound answers in forms the host must accept.
const Falsification kFalsifications[] = {
    {"width0", Form::kBottomUp24, [](SpiPictureInfo& r) { r.width = 0; }, NoBlockChange},
    {"widthneg", Form::kBottomUp24, [](SpiPictureInfo& r) { r.width = -r.width; }, NoBlockChange},
    {"heightneg", Form::kBottomUp24, [](SpiPictureInfo& r) { r.height = -r.height; },
     NoBlockChange},
    {"huge", Form::kBottomUp24, [](SpiPictureInfo& r) { r.width = r.height = 100000; },
     NoBlockChange},
    {"noinfo", Form::kBottomUp24, NoRecordChange, [](Blocks& b) { b.nullInfo = true; }},
    {"nopixels", Form::kBottomUp24, NoRecordChange, [](Blocks& b) { b.nullPixels = true; }},
    {"smallinfo", Form::kBottomUp24, NoRecordChange, [](Blocks& b) { b.infoBytes = 20; }},
    {"smallpixels", Form::kBottomUp24, NoRecordChange, [](Blocks& b) { b.pixelBytes -= 1; }},
    {"bitcount13", Form::kBottomUp24, NoRecordChange, [](Blocks& b) { b.header.biBitCount = 13; }},
    {"headersize", Form::kBottomUp24, NoRecordChange, [](Blocks& b) { b.header.biSize = 1000; }},
    {"hugeheader", Form::kBottomUp24, NoRecordChange,
     [](Blocks& b) { b.header.biWidth = b.header.biHeight = 1000000; }},
    {"shortheader", Form::kBottomUp24, NoRecordChange, [](Blocks& b) { b.header.biHeight /= 2; }},
    {"narrowheader", Form::kBottomUp24, NoRecordChange, [](Blocks& b) { b.header.biWidth -= 1; }},
    {"topdownrle", Form::kRle8, NoRecordChange,
     [](Blocks& b) { b.header.biHeight = -b.header.biHeight; }},
    {"rle8short", Form::kRle8, NoRecordChange, [](Blocks& b) { b.pixelBytes = 1; }},
    {"rle8nosize", Form::kRle8, NoRecordChange, [](Blocks& b) { b.header.biSizeImage = 0; }},
    {"shorttable", Form::kIndexed8, NoRecordChange, [](Blocks& b) { b.infoBytes -= 4; }},
    {"manycolours", Form::kIndexed8, NoRecordChange,
     [](Blocks& b) { b.header.biClrUsed = 100000; }},
    {"nomasks", Form::kBitfields32, NoRecordChange, [](Blocks& b) { b.infoBytes -= 12; }},
    {"topdown", Form::kTopDown24, NoRecordChange, NoBlockChange},
    {"indexed8", Form::kIndexed8, NoRecordChange, NoBlockChange},
    {"rle8", Form::kRle8, NoRecordChange, NoBlockChange},
    {"bitfields32", Form::kBitfields32, NoRecordChange, NoBlockChange},
    {"fixed", Form::kBottomUp24, NoRecordChange,
     [](Blocks& b) { b.flags = GMEM_FIXED | GMEM_ZEROINIT; }},
    {"fourth0", Form::kRgb32, NoRecordChange, NoBlockChange},
    {"fourth255", Form::kRgb32, NoRecordChange, [](Blocks& b) { SetFourthBytes(b, kAllOpaque); }},
    {"alpha", Form::kRgb32, NoRecordChange, [](Blocks& b) { SetFourthBytes(b, kGradedAlpha); }},
    {"alphaclear", Form::kRgb32, NoRecordChange,
     [](Blocks& b) { SetFourthBytes(b, kClearAndOpaque); }},
    {"textinfo", Form::kBottomUp24,
     [](SpiPictureInfo& r) { r.textInfo = LocalAlloc(LMEM_MOVEABLE, 64); }, NoBlockChange},
};

const Falsification* FalsificationOf(const TestPicture& picture) {
  if (!kFalsifies) return nullptr;
  for (const Falsification& f : kFalsifications) {
    if (std::strcmp(f.variant, picture.variant) == 0) return &f;
  }
  return nullptr;
}

// A block of the given size holding as much of the content as fits.
HLOCAL NewBlock(UINT flags, size_t bytes, const std::vector<unsigned char>& content) {
  HLOCAL block = GlobalAlloc(flags, bytes ? bytes : 1);
  if (!block) return nullptr;
  std::memcpy(GlobalLock(block), content.data(), content.size() < bytes ? content.size() : bytes);
  GlobalUnlock(block);
  return block;
}

// Unused in the module without GetPicture.
[[maybe_unused]] int HandOver(const TestPicture& picture, HLOCAL* info, HLOCAL* pixels) {
  const Falsification* falsification = FalsificationOf(picture);
  Blocks blocks = Encode(picture, falsification ? falsification->form
                                  : kInverted   ? Form::kTopDown24
                                                : Form::kBottomUp24);
  if (falsification) falsification->blocks(blocks);
  std::vector<unsigned char> infoContent(sizeof blocks.header);
  std::memcpy(infoContent.data(), &blocks.header, sizeof blocks.header);
  infoContent.insert(infoContent.end(), blocks.table.begin(), blocks.table.end());
  HLOCAL infoBlock =
      blocks.nullInfo ? nullptr : NewBlock(blocks.flags, blocks.infoBytes, infoContent);
  HLOCAL pixelBlock =
      blocks.nullPixels ? nullptr : NewBlock(blocks.flags, blocks.pixelBytes, blocks.pixels);
  if ((!infoBlock && !blocks.nullInfo) || (!pixelBlock && !blocks.nullPixels)) {
    if (infoBlock) GlobalFree(infoBlock);
    if (pixelBlock) GlobalFree(pixelBlock);
    return kOutOfMemory;
  }
  *info = infoBlock;
  *pixels = pixelBlock;
  return kSuccess;
}

bool HeadIsTestPicture(const char* head) { return std::strncmp(head, kMagic, kMagicLength) == 0; }

// The host passes a file handle (high word zero) or the first 2 KiB of the
// file. The head's first line, or nothing when it is no test picture.
std::string TestPictureHead(DWORD_PTR fileOrHead) {
  char head[80] = {};
  if (fileOrHead & ~DWORD_PTR{0xFFFF}) {
    std::strncpy(head, reinterpret_cast<const char*>(fileOrHead), sizeof head - 1);
  } else {
    DWORD read = 0;
    ReadFile(reinterpret_cast<HANDLE>(fileOrHead), head, sizeof head - 1, &read, nullptr);
  }
  if (!HeadIsTestPicture(head)) return {};
  return std::string(head, std::strcspn(head, "\n"));
}

// The unruly module's misdeeds, each done where its variant word names it.
void CrashHere() { *static_cast<volatile int*>(nullptr) = 1; }

// Deeper than any stack; volatile, so that the recursion is not seen through.
volatile int overflowDepth = 1 << 30;

int Overflow(int depth) {
  if (depth > overflowDepth) return 0;
  volatile char frame[4096];
  frame[0] = static_cast<char>(depth);
  return Overflow(depth + 1) + frame[0];
}

// Holds the file open, as a module that reads it slowly would.
void ReadSlowly(const char* fileName) {
  HANDLE file = CreateFileA(fileName, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  Sleep(5000);
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
}

void Misbehave(const char* variant, const char* call, const char* fileName = nullptr) {
  if (!kUnruly) return;
  const std::string word(variant);
  const std::string where(call);
  if (word == "crash-ask" && where == "IsSupported") CrashHere();
  if (word == "crash-info" && where == "GetPictureInfo") CrashHere();
  if (where != "GetPicture") return;
  if (word == "crash-picture") CrashHere();
  if (word == "exit") ExitProcess(3);
  if (word == "loop") {
    for (volatile unsigned spin = 0;; spin = spin + 1) {
    }
  }
  if (word == "overflow") Overflow(0);
  if (word == "leak" || word == "leakfail") {
    VirtualAlloc(nullptr, 200u << 20, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  }
  if (word == "slow" && fileName) ReadSlowly(fileName);
}

void MisbehaveOnHead(const std::string& head, const char* call) {
  char variant[32] = {};
  if (std::sscanf(head.c_str(), "BEXTEST1 %*d %*d %31s", variant) == 1) Misbehave(variant, call);
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
  if (!TestLibraryAnswer()) return 0;
  const std::string head = TestPictureHead(fileHandle);
  MisbehaveOnHead(head, "IsSupported");
  if (head.find(" tst2-only") != std::string::npos && !ModuleIs("tst2")) return 0;
  return kClaimsEverything || !head.empty() ? 1 : 0;
}

int WINAPI GetPictureInfo(LPCSTR buf, LONG_PTR len, unsigned flag, SpiPictureInfo* info) {
  TestPicture picture;
  if (!ReadTestPicture(buf, len, flag, false, &picture)) return kUnknownFormat;
  Misbehave(picture.variant, "GetPictureInfo");
  *info = SpiPictureInfo{};
  info->width = picture.width;
  info->height = picture.height;
  info->colorDepth = 24;
  if (const Falsification* f = FalsificationOf(picture)) f->record(*info);
  return kSuccess;
}

#ifndef BEX_SPI_WITHOUT_GETPICTURE
int WINAPI GetPicture(LPCSTR buf, LONG_PTR len, unsigned flag, HLOCAL* bitmapInfo, HLOCAL* bits,
                      FARPROC, LONG_PTR) {
  const bool inMemory = (flag & 7) == kMemoryInput;
  TraceWindow("Shown", false);
  Trace("GetPicture", inMemory ? "(memory)" : buf);
  if (kFailsGetPicture) return kOutOfMemory;
  TestPicture picture;
  if (!ReadTestPicture(buf, len, flag, true, &picture)) return kUnknownFormat;
  Misbehave(picture.variant, "GetPicture", inMemory ? nullptr : buf);
  if (kUnruly && std::strcmp(picture.variant, "leakfail") == 0) return kOutOfMemory;
  if (kUnruly) Trace("Finished", inMemory ? "(memory)" : buf);
  return HandOver(picture, bitmapInfo, bits);
}
#endif

#ifdef BEX_SPI_WIDE_ENTRIES
namespace {

std::string Utf8(LPCWSTR text) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  std::string bytes(size > 0 ? size : 1, '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, -1, bytes.data(), size, nullptr, nullptr);
  bytes.resize(std::strlen(bytes.c_str()));
  return bytes;
}

bool ReadTestPictureW(LPCWSTR buf, LONG_PTR len, unsigned flag, bool withPixels,
                      TestPicture* picture) {
  if ((flag & 7) != kFileInput) {
    return ReadTestPicture(reinterpret_cast<LPCSTR>(buf), len, flag, withPixels, picture);
  }
  return ParseTestPicture(ContentOf(_wfopen(buf, L"rb"), len), withPixels, picture);
}

}  // namespace

int WINAPI IsSupportedW(LPCWSTR fileName, DWORD_PTR fileHandle) {
  Trace("IsSupportedW", Utf8(fileName).c_str());
  return TestPictureHead(fileHandle).empty() ? 0 : 1;
}

int WINAPI GetPictureInfoW(LPCWSTR buf, LONG_PTR len, unsigned flag, SpiPictureInfo* info) {
  TestPicture picture;
  if (!ReadTestPictureW(buf, len, flag, false, &picture)) return kUnknownFormat;
  *info = SpiPictureInfo{};
  info->width = picture.width;
  info->height = picture.height;
  info->colorDepth = 24;
  return kSuccess;
}

int WINAPI GetPictureW(LPCWSTR buf, LONG_PTR len, unsigned flag, HLOCAL* bitmapInfo, HLOCAL* bits,
                       FARPROC, LONG_PTR) {
  Trace("GetPictureW", (flag & 7) == kMemoryInput ? "(memory)" : Utf8(buf).c_str());
  TestPicture picture;
  if (!ReadTestPictureW(buf, len, flag, true, &picture)) return kUnknownFormat;
  if (std::strcmp(picture.variant, "fitonly") == 0) return kOutOfMemory;
  return HandOver(picture, bitmapInfo, bits);
}

// A test picture is small enough to stand for its own reduced picture.
int WINAPI GetPictureToFitW(LPCWSTR buf, LONG_PTR len, unsigned flag, int, int, HLOCAL* bitmapInfo,
                            HLOCAL* bits) {
  Trace("GetPictureToFitW", Utf8(buf).c_str());
  TestPicture picture;
  if (!ReadTestPictureW(buf, len, flag, true, &picture)) return kUnknownFormat;
  return HandOver(picture, bitmapInfo, bits);
}

int WINAPI GetPreviewW(LPCWSTR, LONG_PTR, unsigned, HLOCAL*, HLOCAL*, FARPROC, LONG_PTR) {
  return kNotImplemented;
}
#endif

// A plug-in helper loads the modules as it comes up.
extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) TraceWindow("Loaded", true);
  return TRUE;
}
