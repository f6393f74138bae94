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
#include "common/module_function_win.h"
#include "common/start_trace_win.h"
#include "common/wide_text.h"
#include "decoding/bmp_reader.h"
#include "shared/alpha_over_black.h"

namespace bex {

namespace {

constexpr char kBitmapRejected[] = "ビットマップイメージが不正です";

// Bitmap files beyond this are not read: the file's bytes and the picture
// must both fit in a 32-bit process, and no valid bitmap within
// kMaxPicturePixels comes near it.
constexpr uint64_t kMaxBitmapFileBytes = 1536ull << 20;
constexpr DWORD kReadChunkBytes = 16u << 20;

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

// The plain encodings of 16, 24 and 32 bits are read by the built-in reader:
// no device context is needed, whose first use in a process connects it to
// the display (a good 100 ms under Wine, on the first picture's path). The
// others, and a DIB larger than the picture, go through the system.
bool ReadPlainPixels(const BITMAPINFOHEADER& header, const HandedBlock& pixels, Bitmap& bitmap) {
  BmpInfo plain;
  const bool topDown = header.biHeight < 0;
  return header.biCompression == BI_RGB && header.biWidth == bitmap.Width() &&
         std::abs(int64_t{header.biHeight}) == bitmap.Height() &&
         PlainPixelsInfo(bitmap.Width(), bitmap.Height(), topDown, header.biBitCount, &plain) &&
         DecodeBmp(pixels.Data(), pixels.Size(), plain, bitmap.Bits(), bitmap.Stride());
}

// The module's DIB written into bitmap, made at the picture's size; null
// without a bitmap or when the system cannot convert the DIB.
std::shared_ptr<Bitmap> ConvertToBitmap(std::shared_ptr<Bitmap> bitmap, const HandedBlock& info,
                                        const HandedBlock& pixels) {
  if (!bitmap) return nullptr;
  const auto* bitmapInfo = reinterpret_cast<const BITMAPINFO*>(info.Data());
  if (ReadPlainPixels(bitmapInfo->bmiHeader, pixels, *bitmap)) return bitmap;
  // The picture's size is the one GetPictureInfo gave; the module's header
  // describes at least that many scan lines.
  HDC screen = GetDC(nullptr);
  const int converted = SetDIBits(screen, bitmap->Handle(), 0, static_cast<UINT>(bitmap->Height()),
                                  pixels.Data(), bitmapInfo, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  return converted ? bitmap : nullptr;
}

// New memory costs a page fault at the first write to each of its pages.
// The whole picture's bitmap is made as soon as its module has described it,
// and a thread writes to its pages while the module decodes, so that the
// conversion afterwards only copies. The thread stops when the module has
// answered: the pages it has not reached are written by the conversion, and
// a module that fails is not kept waiting for the memory of a picture that
// does not come.
class ReadiedBitmap {
 public:
  explicit ReadiedBitmap(std::shared_ptr<Bitmap> bitmap) : bitmap_(std::move(bitmap)) {
    if (bitmap_) thread_ = CreateThread(nullptr, 0, WritePages, this, 0, nullptr);
  }
  ~ReadiedBitmap() { StopWriting(); }
  ReadiedBitmap(const ReadiedBitmap&) = delete;
  ReadiedBitmap& operator=(const ReadiedBitmap&) = delete;

  // The bitmap, no longer written to; null when none could be made.
  std::shared_ptr<Bitmap> Take() {
    StopWriting();
    return std::move(bitmap_);
  }

 private:
  // The smallest page Windows uses. The pixels written are written again by
  // the conversion.
  static constexpr size_t kPageBytes = 4096;

  static DWORD WINAPI WritePages(void* param) {
    auto* readied = static_cast<ReadiedBitmap*>(param);
    const Bitmap& bitmap = *readied->bitmap_;
    auto* bytes = reinterpret_cast<volatile uint8_t*>(bitmap.Bits());
    const size_t size = static_cast<size_t>(bitmap.Stride()) * bitmap.Height();
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

  std::shared_ptr<Bitmap> bitmap_;
  std::atomic<bool> stop_{false};
  HANDLE thread_ = nullptr;
};

struct FileBytes {
  std::unique_ptr<uint8_t[]> data;
  size_t size = 0;
};

// The whole file, or nothing when it does not open, is too large to hold in
// memory or does not read.
std::optional<FileBytes> ReadWholeFile(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  std::unique_ptr<void, BOOL(WINAPI*)(HANDLE)> closer(file, CloseHandle);
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file, &size) || static_cast<uint64_t>(size.QuadPart) > kMaxBitmapFileBytes) {
    return std::nullopt;
  }
  FileBytes bytes;
  bytes.data.reset(new (std::nothrow) uint8_t[static_cast<size_t>(size.QuadPart)]);
  if (!bytes.data) return std::nullopt;
  // A file that shrinks while it is read yields what it still holds.
  while (bytes.size < static_cast<size_t>(size.QuadPart)) {
    const DWORD wanted = static_cast<DWORD>(
        std::min<size_t>(kReadChunkBytes, static_cast<size_t>(size.QuadPart) - bytes.size));
    DWORD read = 0;
    if (!ReadFile(file, bytes.data.get() + bytes.size, wanted, &read, nullptr)) return std::nullopt;
    if (read == 0) break;
    bytes.size += read;
  }
  return bytes;
}

// Null when the file cannot be read or the picture does not fit in memory;
// throws for a file that is no valid bitmap.
std::shared_ptr<Bitmap> ReadBitmapFile(const std::wstring& path) {
  const std::optional<FileBytes> file = ReadWholeFile(path);
  if (!file) return nullptr;
  BmpInfo info;
  if (!ParseBmp(file->data.get(), file->size, &info)) throw BexError(kBitmapRejected);
  std::shared_ptr<Bitmap> bitmap = Bitmap::Create(info.width, info.height);
  if (!bitmap) return nullptr;
  if (!DecodeBmp(file->data.get(), file->size, info, bitmap->Bits(), bitmap->Stride())) {
    throw BexError(kBitmapRejected);
  }
  return bitmap;
}

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

std::shared_ptr<Bitmap> Decode(const PluginModule& plugin, const std::wstring& path,
                               MakeBitmap make, SIZE* described, FitBox fit) {
  const bool reduced = fit.Given();
  if (reduced && !(plugin.TakesWideNames() && plugin.GetPictureToFitW)) return nullptr;
  SpiPictureInfo picture = {};
  HLOCAL infoHandle = nullptr;
  HLOCAL pixelHandle = nullptr;
  // The whole picture's bitmap, made once the module has described it; a
  // reduced picture's size is known only when the module hands it over.
  std::optional<ReadiedBitmap> whole;
  const auto ask = [&](auto getInfo, auto getPicture, auto source, LONG_PTR length, unsigned flag) {
    if (getInfo(source, length, flag, &picture) != 0) return false;
    NoteStartMoment("described");
    if (picture.textInfo) GlobalFree(picture.textInfo);
    if (described) *described = {picture.width, picture.height};
    if (!IsPlausibleSize(picture.width, picture.height)) return false;
    if (!reduced) whole.emplace(make(picture.width, picture.height));
    const bool handed =
        getPicture(source, length, flag, &infoHandle, &pixelHandle, nullptr, 0) == 0;
    NoteStartMoment("handed");
    return handed;
  };
  const auto getPictureToFit = [&](LPCWSTR source, LONG_PTR length, unsigned flag, HLOCAL* info,
                                   HLOCAL* pixels, FARPROC, LONG_PTR) {
    return plugin.GetPictureToFitW(source, length, flag, static_cast<int>(fit.width),
                                   static_cast<int>(fit.height), info, pixels);
  };
  bool answered = false;
  std::optional<FileBytes> bytes;
  if (reduced) {
    answered = ask(plugin.GetPictureInfoW, getPictureToFit, path.c_str(), 0, kFileInput);
  } else if (plugin.TakesWideNames()) {
    answered = ask(plugin.GetPictureInfoW, plugin.GetPictureW, path.c_str(), 0, kFileInput);
  } else if (const auto name = ExactCp932(path)) {
    answered = ask(plugin.GetPictureInfo, plugin.GetPicture, name->c_str(), 0, kFileInput);
  } else if ((bytes = ReadWholeFile(path)) && bytes->size <= kMaxMemoryInputBytes) {
    answered =
        ask(plugin.GetPictureInfo, plugin.GetPicture, reinterpret_cast<LPCSTR>(bytes->data.get()),
            static_cast<LONG_PTR>(bytes->size), kMemoryInput);
  }
  if (!answered) return nullptr;
  // Declared in this order so that the pixel block is freed first.
  const HandedBlock info(infoHandle);
  const HandedBlock pixels(pixelHandle);
  SIZE size = {picture.width, picture.height};
  if (reduced) {
    const std::optional<SIZE> handed = HandedSize(info);
    if (!handed || handed->cx > size.cx || handed->cy > size.cy) return nullptr;
    size = *handed;
  }
  if (!BlocksAreConsistent(info, pixels, size.cx, size.cy)) return nullptr;
  CompositeAlphaOverBlack(info, pixels);
  std::shared_ptr<Bitmap> bitmap =
      ConvertToBitmap(whole ? whole->Take() : make(size.cx, size.cy), info, pixels);
  NoteStartMoment("converted");
  return bitmap;
}

}  // namespace spi

// The folder's files that may be modules, in the search's order, in UTF-8.
static std::vector<std::string> FolderFileNames(const std::wstring& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(JoinPath(folder, L"*.SP?").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
      names.push_back(WideToUtf8(found.cFileName));
    }
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return names;
}

// The names of files of one kind.
static std::vector<std::string> NamesOfKind(const std::vector<ModuleFile>& files, ModuleKind kind) {
  std::vector<std::string> names;
  for (const ModuleFile& file : files) {
    if (file.kind == kind) names.push_back(file.name);
  }
  return names;
}

bool ReadWithoutPlugins(const std::wstring& name) {
  return UpperExtension(name) == kBitmapExtension;
}

void DecoderSlot::LoadPlugins(const std::string& folder) {
  folder_ = folder;
  if (LoadModules(folder) == FolderLoad::kLoaded) pendingFolder_.reset();
}

void DecoderSlot::LoadPluginsWhenNeeded(const std::string& folder) {
  folder_ = folder;
  pendingFolder_ = folder;
}

// A helper that failed or was given up before it answered leaves the folder
// to the next file; a folder without usable modules is not asked again.
void DecoderSlot::LoadPendingPlugins() {
  if (!pendingFolder_) return;
  if (LoadModules(*pendingFolder_) != FolderLoad::kNotAnswered) pendingFolder_.reset();
}

// Asks a helper for the modules of its kind; false when it failed or was
// given up before it answered.
bool DecoderSlot::LoadModulesOfKind(const std::string& folder, ModuleKind kind,
                                    const std::vector<std::string>& names,
                                    std::vector<std::string>* usable) {
  if (names.empty()) return true;
  PluginHelper& helper = HelperOf(kind);
  *usable = helper.LoadFolder(folder, names);
  return helper.ProcessId() != 0;
}

// Each kind of module goes to the helper of its kind, the 64-bit ones
// first: one that is not usable counts as absent, so that a 32-bit build of
// it beside it serves instead. Only the kinds the folder has start a helper.
// The helpers resolve the folder against their own current directory, so it
// goes to them full, in UTF-8. When neither kind has a usable module the
// lists stay as they were; else a kind without one ends its helper.
DecoderSlot::FolderLoad DecoderSlot::LoadModules(const std::string& folder) {
  const std::wstring full = FullPathOrAsGiven(FromCp932(folder));
  const std::string fullUtf8 = WideToUtf8(full);
  std::vector<std::string> names = FolderFileNames(full);
  const bool runs64Bit = Runs64BitPrograms();
  std::array<std::vector<std::string>, kModuleKinds> usable;
  const std::vector<std::string> named64 =
      NamesOfKind(ModulesToLoad(names, runs64Bit), ModuleKind::k64Bit);
  bool answered = LoadModulesOfKind(fullUtf8, ModuleKind::k64Bit, named64, &usable[1]);
  for (const std::string& name : named64) {
    if (std::find(usable[1].begin(), usable[1].end(), name) == usable[1].end()) {
      names.erase(std::find(names.begin(), names.end(), name));
    }
  }
  const std::vector<ModuleFile> files = ModulesToLoad(names, runs64Bit);
  answered &= LoadModulesOfKind(fullUtf8, ModuleKind::k32Bit,
                                NamesOfKind(files, ModuleKind::k32Bit), &usable[0]);
  if (usable[0].empty() && usable[1].empty()) {
    return answered ? FolderLoad::kNoneUsable : FolderLoad::kNotAnswered;
  }
  chosen_.reset();  // it belongs to the list that is released now
  plugins_.clear();
  std::array<uint32_t, kModuleKinds> indices = {};
  for (const ModuleFile& file : files) {
    const auto kind = static_cast<int>(file.kind);
    const std::vector<std::string>& loaded = usable[kind];
    if (indices[kind] < loaded.size() && loaded[indices[kind]] == file.name) {
      plugins_.push_back({file.name, file.kind, indices[kind]++});
    }
  }
  for (int kind = 0; kind < kModuleKinds; ++kind) {
    if (usable[kind].empty()) helpers_[kind].Unload();
  }
  return FolderLoad::kLoaded;
}

void DecoderSlot::TakePluginsOf(const DecoderSlot& loaded) {
  folder_ = loaded.folder_;
  if (loaded.plugins_.empty()) return;
  pendingFolder_.reset();
  chosen_.reset();
  plugins_ = loaded.plugins_;
  for (int kind = 0; kind < kModuleKinds; ++kind) {
    helpers_[kind].LoadFolderOnStart(loaded.helpers_[kind].Folder(),
                                     loaded.helpers_[kind].Modules());
  }
}

bool DecoderSlot::PrepareFile(const std::wstring& name) {
  return PrepareFile(name, FullPathOrAsGiven(name));
}

bool DecoderSlot::PrepareFile(const std::wstring& name, const std::wstring& fullPath) {
  extension_ = UpperExtension(name);
  preparedName_ = name;
  fullPreparedName_ = fullPath;
  // Taken before anything reads the file: a change made while it is decoded
  // shows as a change at the next check.
  const FileLook look = VersionOf(fullPath);
  preparedVersion_.reset();
  if (look.found == FileLook::Found::kVersion) preparedVersion_ = look.version;
  refusedAsTooLarge_ = false;
  return SelectPlugin();
}

// The helpers open the file for their modules and answer none when it does
// not open. The list is asked in runs of modules of one kind, each run by
// its helper.
bool DecoderSlot::SelectPlugin() {
  if (IsBitmapFile()) return true;
  LoadPendingPlugins();
  for (size_t first = 0, end = 0; first < plugins_.size(); first = end) {
    const ModuleKind kind = plugins_[first].kind;
    while (end < plugins_.size() && plugins_[end].kind == kind) ++end;
    const std::optional<uint32_t> module = HelperOf(kind).Ask(
        fullPreparedName_, plugins_[first].index, static_cast<uint32_t>(end - first));
    if (!module) continue;
    for (size_t i = first; i < end; ++i) {
      if (plugins_[i].index == *module) {
        chosen_ = i;
        return true;
      }
    }
    return false;
  }
  return false;
}

void DecoderSlot::CancelCalls() {
  for (PluginHelper& helper : helpers_) helper.Cancel();
}

void DecoderSlot::AllowCalls() {
  for (PluginHelper& helper : helpers_) helper.AllowCalls();
}

// The slot's name and picture change together, so that whoever shows the
// slot never shows one file's picture under another file's name.
bool DecoderSlot::DecodePicture() {
  BitmapRef decoded;
  refusedAsTooLarge_ = false;
  if (IsBitmapFile()) {
    decoded = ReadBitmapFile(fullPreparedName_);
  } else if (chosen_) {
    const Plugin& chosen = plugins_[*chosen_];
    decoded = HelperOf(chosen.kind).Decode(chosen.index, fullPreparedName_, &refusedAsTooLarge_);
  }
  if (!decoded) return false;
  picture_ = std::move(decoded);
  fileName_ = preparedName_;
  filePath_ = fullPreparedName_;
  version_ = preparedVersion_;
  return true;
}

BitmapRef DecoderSlot::DecodeToFit(FitBox box, SIZE* whole) {
  if (IsBitmapFile() || !chosen_) return nullptr;
  const Plugin& chosen = plugins_[*chosen_];
  return HelperOf(chosen.kind).DecodeToFit(chosen.index, fullPreparedName_, box, whole);
}

bool DecoderSlot::FileChanged() const { return OutOfDate(version_, VersionOf(filePath_)); }

}  // namespace bex
