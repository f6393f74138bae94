#include "decoding/spi_host_win.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <utility>

#include "common/bex_error.h"
#include "common/code_page_win.h"
#include "common/cp932.h"
#include "common/files_win.h"
#include "common/start_trace_win.h"
#include "common/wide_text.h"
#include "decoding/bmp_reader.h"
#include "shared/alpha_over_black.h"
#include "shared/module_function_win.h"

namespace bex {

namespace {

// The file handle of the modules' question, as _lopen gave it: read access,
// no sharing denied.
HANDLE OpenForQuestion(const std::wstring& path) {
  return CreateFileW(path.c_str(), GENERIC_READ,
                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

// A module loads from its full path, and the libraries it imports are looked
// for in its own folder first; the current directory, which is the folder of
// the pictures being viewed, is out of the search (see the entry point).
// Without SEM_FAILCRITICALERRORS the system may show its own error box for a
// module that lacks a library it depends on.
HMODULE LoadModuleQuietly(const std::wstring& path) {
  const std::wstring full = FullPath(path);
  if (full.empty()) return nullptr;
  DWORD previous = 0;
  SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &previous);
  HMODULE module = LoadLibraryExW(full.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  SetThreadErrorMode(previous, nullptr);
  return module;
}

std::unique_ptr<PluginModule> LoadUsableModule(const std::wstring& folder,
                                               const std::wstring& name) {
  HMODULE module = LoadModuleQuietly(JoinPath(folder, name));
  if (!module) return nullptr;
  auto plugin = std::make_unique<PluginModule>(module, WideToUtf8(name));
  // A module that cannot answer both steps of a decode could only win the
  // choice and then fail the file that a later module would have read.
  if (!plugin->IsSupported || !plugin->GetPictureInfo || !plugin->GetPicture) return nullptr;
  return plugin;
}

// The input kinds of the interface (flag bits 0-2): a file name with an
// offset, or the file's bytes in memory with their count.
constexpr unsigned kFileInput = 0;
constexpr unsigned kMemoryInput = 1;
// IsSupported's memory input holds the file's first 2 KiB.
constexpr size_t kMemoryQuestionBytes = 2048;
// The count of memory input is a long.
constexpr size_t kMaxMemoryInputBytes = 0x7FFFFFFF;

// The name a module reading memory input is told, for modules that look at
// the extension: the bare name when code page 932 holds it, else only its
// extension, else nothing. Never a look-alike of another file's name.
std::string MemoryInputName(const std::wstring& path) {
  const std::wstring_view name = FileNamePart(path);
  if (auto exact = ExactCp932(name)) return *exact;
  const size_t dot = name.rfind(L'.');
  if (dot == std::wstring_view::npos) return std::string();
  return ExactCp932(name.substr(dot)).value_or(std::string());
}

bool IsPlausibleSize(int64_t width, int64_t height) {
  return width > 0 && height > 0 && static_cast<uint64_t>(width * height) <= kMaxPicturePixels;
}

// A memory block handed over by a module: locked while the host reads it,
// then unlocked and freed. A null handle or a failed lock leaves it empty.
class HandedBlock {
 public:
  explicit HandedBlock(HLOCAL handle)
      : handle_(handle),
        data_(handle ? static_cast<uint8_t*>(GlobalLock(handle)) : nullptr),
        size_(data_ ? GlobalSize(handle) : 0) {}
  ~HandedBlock() {
    if (data_) GlobalUnlock(handle_);
    if (handle_) GlobalFree(handle_);
  }
  HandedBlock(const HandedBlock&) = delete;
  HandedBlock& operator=(const HandedBlock&) = delete;

  const uint8_t* Data() const { return data_; }
  // The block is the host's now: it may change the picture in place.
  uint8_t* MutableData() const { return data_; }
  size_t Size() const { return size_; }

 private:
  HLOCAL handle_;
  uint8_t* data_;
  size_t size_;
};

bool IsKnownEncoding(const BITMAPINFOHEADER& header) {
  const WORD bits = header.biBitCount;
  switch (header.biCompression) {
    case BI_RGB:
      return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
    // Run-length data is stored bottom-up only.
    case BI_RLE8:
      return bits == 8 && header.biHeight > 0;
    case BI_RLE4:
      return bits == 4 && header.biHeight > 0;
    case BI_BITFIELDS:
      return bits == 16 || bits == 32;
    default:
      return false;
  }
}

// Bytes of header, colour masks and colour table that SetDIBits reads from
// the information block, or nothing for an impossible colour count.
std::optional<uint64_t> InfoBytesNeeded(const BITMAPINFOHEADER& header) {
  const uint32_t defaultColours = header.biBitCount <= 8 ? 1u << header.biBitCount : 0;
  const uint32_t colours = header.biClrUsed ? header.biClrUsed : defaultColours;
  if (colours > 256) return std::nullopt;
  const bool masksFollowHeader =
      header.biCompression == BI_BITFIELDS && header.biSize == sizeof(BITMAPINFOHEADER);
  return uint64_t{header.biSize} + (masksFollowHeader ? 3 * sizeof(DWORD) : 0) +
         uint64_t{colours} * sizeof(RGBQUAD);
}

// Bytes of pixel data that SetDIBits reads for the whole picture.
uint64_t PixelBytesNeeded(const BITMAPINFOHEADER& header) {
  if (header.biCompression == BI_RLE8 || header.biCompression == BI_RLE4) {
    return header.biSizeImage;
  }
  const uint64_t stride =
      (uint64_t{static_cast<uint32_t>(header.biWidth)} * header.biBitCount + 31) / 32 * 4;
  return stride * static_cast<uint64_t>(std::abs(int64_t{header.biHeight}));
}

bool IsKnownHeaderSize(DWORD size) {
  return size == sizeof(BITMAPINFOHEADER) || size == sizeof(BITMAPV4HEADER) ||
         size == sizeof(BITMAPV5HEADER);
}

// Whether the two blocks hold everything their header makes SetDIBits read,
// and the header's pixels cover the whole picture of width x height that
// GetPictureInfo announced (a picture is never shown in part).
bool BlocksAreConsistent(const HandedBlock& info, const HandedBlock& pixels, int width,
                         int height) {
  if (!info.Data() || !pixels.Data() || info.Size() < sizeof(BITMAPINFOHEADER)) return false;
  BITMAPINFOHEADER header;
  std::memcpy(&header, info.Data(), sizeof header);
  if (!IsKnownHeaderSize(header.biSize) || !IsKnownEncoding(header)) return false;
  if (!IsPlausibleSize(header.biWidth, std::abs(int64_t{header.biHeight}))) return false;
  if (header.biWidth < width || std::abs(int64_t{header.biHeight}) < height) return false;
  const std::optional<uint64_t> infoBytes = InfoBytesNeeded(header);
  if (!infoBytes || *infoBytes > info.Size()) return false;
  const uint64_t pixelBytes = PixelBytesNeeded(header);
  return pixelBytes > 0 && pixelBytes <= pixels.Size();
}

// The size the header of a handed-over picture gives, or none.
std::optional<SIZE> HandedSize(const HandedBlock& info) {
  if (!info.Data() || info.Size() < sizeof(BITMAPINFOHEADER)) return std::nullopt;
  BITMAPINFOHEADER header;
  std::memcpy(&header, info.Data(), sizeof header);
  const int64_t height = std::abs(int64_t{header.biHeight});
  if (!IsPlausibleSize(header.biWidth, height)) return std::nullopt;
  return SIZE{header.biWidth, static_cast<LONG>(height)};
}

// A 32-bit answer whose fourth bytes are an alpha channel shows over black;
// SetDIBits would drop the alpha and show the colours hidden under it.
void CompositeAlphaOverBlack(const HandedBlock& info, const HandedBlock& pixels) {
  BITMAPINFOHEADER header;
  std::memcpy(&header, info.Data(), sizeof header);
  if (header.biBitCount != 32 || header.biCompression != BI_RGB) return;
  const size_t pixelCount =
      static_cast<size_t>(header.biWidth) * static_cast<size_t>(std::abs(int64_t{header.biHeight}));
  if (HoldsAlpha(pixels.Data(), pixelCount)) CompositeOverBlack(pixels.MutableData(), pixelCount);
}

// The plain encodings of 16, 24 and 32 bits are read by the built-in reader,
// into the picture's top left: a part of the picture is smaller than it.
bool ReadPlainPixels(const BITMAPINFOHEADER& header, const HandedBlock& pixels,
                     PictureSection& picture) {
  BmpInfo plain;
  const int64_t height = std::abs(int64_t{header.biHeight});
  return header.biCompression == BI_RGB && header.biWidth <= picture.Width() &&
         height <= picture.Height() &&
         PlainPixelsInfo(header.biWidth, static_cast<int32_t>(height), header.biHeight < 0,
                         header.biBitCount, &plain) &&
         DecodeBmp(pixels.Data(), pixels.Size(), plain, picture.Bits(), picture.Stride());
}

// The system's conversion of a DIB into a 32-bit one, for the encodings that
// are not plain (palettes, run lengths, bit fields) and a DIB larger than the
// picture. Its libraries load the first time such a picture comes: a helper
// that never meets one starts without user32 and gdi32, and never connects to
// the display (which a device context does, a good 100 ms under Wine).
class SystemConversion {
 public:
  static const SystemConversion& Get() {
    static const SystemConversion functions;
    return functions;
  }

  // The DIB written into picture, cut to its size; the module's header
  // describes at least that many scan lines.
  bool Convert(const PictureSection& picture, const BITMAPINFO* info, const void* pixels) const {
    if (!createDibSection_ || !setDiBits_ || !deleteObject_ || !gdiFlush_ || !getDc_ ||
        !releaseDc_) {
      return false;
    }
    BITMAPINFO target = {};
    target.bmiHeader.biSize = sizeof target.bmiHeader;
    target.bmiHeader.biWidth = picture.Width();
    target.bmiHeader.biHeight = -picture.Height();  // top-down
    target.bmiHeader.biPlanes = 1;
    target.bmiHeader.biBitCount = 32;
    target.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP dib = createDibSection_(nullptr, &target, DIB_RGB_COLORS, &bits, picture.Section(), 0);
    if (!dib) return false;
    HDC screen = getDc_(nullptr);
    const int converted = setDiBits_(screen, dib, 0, static_cast<UINT>(picture.Height()), pixels,
                                     info, DIB_RGB_COLORS);
    releaseDc_(nullptr, screen);
    gdiFlush_();
    deleteObject_(dib);
    return converted != 0;
  }

 private:
  SystemConversion() = default;
  const decltype(&CreateDIBSection) createDibSection_ =
      LibraryFunction<decltype(&CreateDIBSection)>(L"gdi32.dll", "CreateDIBSection");
  const decltype(&SetDIBits) setDiBits_ =
      LibraryFunction<decltype(&SetDIBits)>(L"gdi32.dll", "SetDIBits");
  const decltype(&DeleteObject) deleteObject_ =
      LibraryFunction<decltype(&DeleteObject)>(L"gdi32.dll", "DeleteObject");
  const decltype(&GdiFlush) gdiFlush_ =
      LibraryFunction<decltype(&GdiFlush)>(L"gdi32.dll", "GdiFlush");
  const decltype(&GetDC) getDc_ = LibraryFunction<decltype(&GetDC)>(L"user32.dll", "GetDC");
  const decltype(&ReleaseDC) releaseDc_ =
      LibraryFunction<decltype(&ReleaseDC)>(L"user32.dll", "ReleaseDC");
};

// The module's DIB written into picture, made at the picture's size (a part
// of the picture into its top left); null without a picture or when the DIB
// cannot be converted.
std::unique_ptr<PictureSection> ConvertToPicture(std::unique_ptr<PictureSection> picture,
                                                 const HandedBlock& info,
                                                 const HandedBlock& pixels) {
  if (!picture) return nullptr;
  const auto* bitmapInfo = reinterpret_cast<const BITMAPINFO*>(info.Data());
  const BITMAPINFOHEADER& header = bitmapInfo->bmiHeader;
  const bool covers =
      header.biWidth >= picture->Width() && std::abs(int64_t{header.biHeight}) >= picture->Height();
  if (ReadPlainPixels(header, pixels, *picture) ||
      (covers && SystemConversion::Get().Convert(*picture, bitmapInfo, pixels.Data()))) {
    return picture;
  }
  return nullptr;
}

// New memory costs a page fault at the first write to each of its pages.
// The whole picture's section is made as soon as its module has described it,
// and a thread writes to its pages while the module decodes, so that the
// conversion afterwards only copies. The thread stops when the module has
// answered: the pages it has not reached are written by the conversion, and
// a module that fails is not kept waiting for the memory of a picture that
// does not come.
class ReadiedPicture {
 public:
  explicit ReadiedPicture(std::unique_ptr<PictureSection> picture) : picture_(std::move(picture)) {
    if (picture_) thread_ = CreateThread(nullptr, 0, WritePages, this, 0, nullptr);
  }
  ~ReadiedPicture() { StopWriting(); }
  ReadiedPicture(const ReadiedPicture&) = delete;
  ReadiedPicture& operator=(const ReadiedPicture&) = delete;

  // The picture, no longer written to; null when none could be made.
  std::unique_ptr<PictureSection> Take() {
    StopWriting();
    return std::move(picture_);
  }

 private:
  // The smallest page Windows uses. The pixels written are written again by
  // the conversion.
  static constexpr size_t kPageBytes = 4096;

  static DWORD WINAPI WritePages(void* param) {
    auto* readied = static_cast<ReadiedPicture*>(param);
    const PictureSection& picture = *readied->picture_;
    auto* bytes = reinterpret_cast<volatile uint8_t*>(picture.Bits());
    const size_t size = static_cast<size_t>(picture.Stride()) * picture.Height();
    for (size_t at = 0; at < size; at += kPageBytes) {
      if (readied->stop_.load(std::memory_order_relaxed)) return 0;
      bytes[at] = 0;
    }
    NoteStartMoment("readied");
    return 0;
  }

  void StopWriting() {
    if (!thread_) return;
    stop_ = true;
    WaitForSingleObject(thread_, INFINITE);
    CloseHandle(thread_);
    thread_ = nullptr;
  }

  std::unique_ptr<PictureSection> picture_;
  std::atomic<bool> stop_{false};
  HANDLE thread_ = nullptr;
};

}  // namespace

PluginModule::PluginModule(HMODULE loaded, std::string fileName)
    : module(loaded), name(std::move(fileName)) {
#define BEX_SPI_RESOLVE(name, params) name = ModuleFunction<Spi##name>(module, #name);
  BEX_SPI_EXPORTS(BEX_SPI_RESOLVE)
#undef BEX_SPI_RESOLVE
}

PluginModule::~PluginModule() {
  if (module) FreeLibrary(module);
}

namespace spi {

PluginTable LoadModules(const std::wstring& folder, const std::vector<std::wstring>& names) {
  PluginTable table;
  for (const std::wstring& name : names) {
    std::unique_ptr<PluginModule> plugin = LoadUsableModule(folder, name);
    if (plugin) table.push_back(std::move(plugin));
  }
  return table;
}

namespace {

// Whether plugin reads the open file: by the route it can take, its wide
// path, its code-page-932 path when that is the same file, else its head
// (memory input), so that no module is ever given a look-alike name of
// another file.
bool Reads(const PluginModule& plugin, const std::wstring& path, HANDLE file) {
  const auto handle = reinterpret_cast<DWORD_PTR>(file);
  if (plugin.TakesWideNames()) return plugin.IsSupportedW(path.c_str(), handle) != 0;
  if (const auto name = ExactCp932(path)) return plugin.IsSupported(name->c_str(), handle) != 0;
  // The interface's memory input: the first 2 KiB, zeros after a shorter file.
  std::array<char, kMemoryQuestionBytes> head = {};
  DWORD read = 0;
  if (!ReadFile(file, head.data(), static_cast<DWORD>(head.size()), &read, nullptr)) return false;
  return plugin.IsSupported(MemoryInputName(path).c_str(),
                            reinterpret_cast<DWORD_PTR>(head.data())) != 0;
}

}  // namespace

std::optional<size_t> FirstReader(const PluginTable& plugins, const std::wstring& path,
                                  size_t first, size_t count) {
  // A module must never be handed an invalid file handle.
  const HANDLE file = OpenForQuestion(path);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  std::unique_ptr<void, BOOL(WINAPI*)(HANDLE)> closer(file, CloseHandle);
  std::optional<size_t> reader;
  const size_t end = first + std::min(count, plugins.size() - std::min(first, plugins.size()));
  for (size_t i = first; i < end && !reader; ++i) {
    // A module that read the head may have left the handle anywhere.
    if (SetFilePointer(file, 0, nullptr, FILE_BEGIN) != 0) break;
    if (Reads(*plugins[i], path, file)) reader = i;
  }
  return reader;
}

std::unique_ptr<PictureSection> Decode(const PluginModule& plugin, const std::wstring& path,
                                       MakePicture make, SIZE* described, FitBox fit) {
  // A reduced picture or a part, before the whole one.
  const bool firstView = fit.Given();
  const SpiGetPictureToFitW firstViewExport =
      fit.part ? plugin.GetPicturePartW : plugin.GetPictureToFitW;
  if (firstView && !(plugin.TakesWideNames() && firstViewExport)) return nullptr;
  SpiPictureInfo picture = {};
  HLOCAL infoHandle = nullptr;
  HLOCAL pixelHandle = nullptr;
  // The whole picture's section, made once the module has described it; a
  // first view's size is known only when the module hands it over.
  std::optional<ReadiedPicture> whole;
  const auto ask = [&](auto getInfo, auto getPicture, auto source, LONG_PTR length, unsigned flag) {
    if (getInfo(source, length, flag, &picture) != 0) return false;
    NoteStartMoment("described");
    if (picture.textInfo) GlobalFree(picture.textInfo);
    if (described) *described = {picture.width, picture.height};
    if (!IsPlausibleSize(picture.width, picture.height)) return false;
    if (!firstView) whole.emplace(make(picture.width, picture.height));
    const bool handed =
        getPicture(source, length, flag, &infoHandle, &pixelHandle, nullptr, 0) == 0;
    NoteStartMoment("handed");
    return handed;
  };
  const auto getFirstView = [&](LPCWSTR source, LONG_PTR length, unsigned flag, HLOCAL* info,
                                HLOCAL* pixels, FARPROC, LONG_PTR) {
    return firstViewExport(source, length, flag, static_cast<int>(fit.width),
                           static_cast<int>(fit.height), info, pixels);
  };
  bool answered = false;
  std::optional<FileBytes> bytes;
  if (firstView) {
    answered = ask(plugin.GetPictureInfoW, getFirstView, path.c_str(), 0, kFileInput);
  } else if (plugin.TakesWideNames()) {
    answered = ask(plugin.GetPictureInfoW, plugin.GetPictureW, path.c_str(), 0, kFileInput);
  } else if (const auto name = ExactCp932(path)) {
    answered = ask(plugin.GetPictureInfo, plugin.GetPicture, name->c_str(), 0, kFileInput);
  } else if ((bytes = ReadWholeFile(path, kMaxMemoryInputBytes))) {
    answered =
        ask(plugin.GetPictureInfo, plugin.GetPicture, reinterpret_cast<LPCSTR>(bytes->data.get()),
            static_cast<LONG_PTR>(bytes->size), kMemoryInput);
  }
  if (!answered) return nullptr;
  // Declared in this order so that the pixel block is freed first.
  const HandedBlock info(infoHandle);
  const HandedBlock pixels(pixelHandle);
  SIZE size = {picture.width, picture.height};
  if (firstView) {
    const std::optional<SIZE> handed = HandedSize(info);
    if (!handed || handed->cx > size.cx || handed->cy > size.cy) return nullptr;
    size = *handed;
  }
  if (!BlocksAreConsistent(info, pixels, size.cx, size.cy)) return nullptr;
  CompositeAlphaOverBlack(info, pixels);
  // A part goes into the top left of a black picture of the whole size.
  const SIZE made = fit.part ? SIZE{picture.width, picture.height} : size;
  std::unique_ptr<PictureSection> converted =
      ConvertToPicture(whole ? whole->Take() : make(made.cx, made.cy), info, pixels);
  NoteStartMoment("converted");
  return converted;
}

}  // namespace spi

}  // namespace bex
