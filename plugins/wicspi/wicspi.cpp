// The exports of wicspi.spi, a Susie image plug-in ("00IN"): JPEG, PNG,
// WebP, HEIC, AVIF, JPEG XL and camera raw files through decoders of their
// own, every other format the system's imaging codecs read through them.
#include <windows.h>

#include <new>

#include "wicspi/decoding_plan.h"
#include "wicspi/picture_bytes.h"
#include "wicspi/picture_decoder.h"
#include "wicspi/plugin_info.h"
#include "wicspi/susie_api.h"

using bex::wicspi::PictureInfo;
using bex::wicspi::ProgressCallback;

namespace bex::wicspi {
namespace {

// No exception may cross into the host.
template <typename Body>
int Guarded(Body body) noexcept {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    return kSpiNoMemory;
  } catch (...) {
    return kSpiInternalError;
  }
}

// buffer: a file name (code page 932, or UTF-16 for the wide entry points)
// or the host's memory.
// Offsets and sizes beyond 2 GiB are beyond what this plug-in reads anyway.
template <typename Char>
int LoadBytes(const Char* buffer, LONG_PTR length, unsigned flag, PictureBytes* bytes) {
  if (length != static_cast<LONG>(length)) return kSpiNoMemory;
  switch (flag & kSpiInputMask) {
    case kSpiInputFile:
      return bytes->LoadFile(buffer, static_cast<LONG>(length));
    case kSpiInputMemory:
      return bytes->UseMemory(buffer, static_cast<LONG>(length));
    default:
      return kSpiNotImplemented;
  }
}

// A build for comparisons (BEX_WIC_ONLY) sends every format to the system's
// codecs.
#ifdef BEX_WIC_ONLY
constexpr bool kWicOnly = true;
#else
constexpr bool kWicOnly = false;
#endif

// The format whose decoder reads the picture that starts with `head`.
PictureFormat DecodedFormatOf(const BYTE* head, DWORD size) {
  return kWicOnly ? PictureFormat::kOther : FormatOf(head, size);
}

std::unique_ptr<PictureDecoder> DecoderFor(const BYTE* head, DWORD size) {
  switch (DecodedFormatOf(head, size)) {
    case PictureFormat::kJpeg:
      return NewJpegDecoder();
    case PictureFormat::kPng:
      return NewPngDecoder();
    case PictureFormat::kWebp:
      return NewWebpDecoder();
    case PictureFormat::kHeif:
      return NewHeifDecoder();
    case PictureFormat::kJpegXl:
      return NewJpegXlDecoder();
    case PictureFormat::kCameraRaw:
      return NewCameraRawDecoder();
    case PictureFormat::kOther:
      break;
  }
  return NewWicDecoder();
}

bool IsKnownPicture(const BYTE* head, DWORD size) {
  return DecodedFormatOf(head, size) != PictureFormat::kOther || IsKnownToWic(head, size);
}

// The decoder of the picture, opened. TIFF structures are either: a raw file
// whose directories lie beyond the head looks like a plain TIFF, and a camera
// can write plain TIFFs too; what one decoder refuses goes to the other.
int OpenDecoder(const BYTE* data, DWORD size, std::unique_ptr<PictureDecoder>* decoder) {
  *decoder = DecoderFor(data, size);
  const int result = (*decoder)->Open(data, size);
  const PictureFormat format = DecodedFormatOf(data, size);
  if (result == kSpiOk || kWicOnly || !IsTiff(data, size) ||
      (format != PictureFormat::kCameraRaw && format != PictureFormat::kOther)) {
    return result;
  }
  *decoder = format == PictureFormat::kCameraRaw ? NewWicDecoder() : NewCameraRawDecoder();
  const int second = (*decoder)->Open(data, size);
  return second == kSpiOk ? second : result;
}

int ReadPictureInfo(const BYTE* data, DWORD size, PictureInfo* info) {
  std::unique_ptr<PictureDecoder> decoder;
  int result = OpenDecoder(data, size, &decoder);
  DibLayout layout;
  if (result == kSpiOk) result = PlanDibOf(*decoder, &layout);
  if (result != kSpiOk) return result;
  *info = PictureInfo{};
  info->width = static_cast<LONG>(layout.width);
  info->height = static_cast<LONG>(layout.height);
  info->bitsPerPixel = 24;
  return kSpiOk;
}

// The whole picture; for a preview a reduced one where the codec decodes that
// quickly; one reduced as far as it still covers its fit into a box; or the
// part of the picture at its top left that a box holds.
enum class Extent { kWhole, kPreview, kFit, kPart };

// Upright sides of the box a picture is shown fitted into.
struct FitBox {
  uint32_t width = 0;
  uint32_t height = 0;
};

// Reduces the opened picture as far as it still covers its fit into the box;
// kSpiNotImplemented when the codec has no such smaller picture.
int ReduceToFit(PictureDecoder& decoder, FitBox box) {
  const StoredPicture whole = decoder.picture();
  const bool swaps = SwapsAxes(whole.orientation);
  const uint32_t across = swaps ? box.height : box.width;
  const uint32_t down = swaps ? box.width : box.height;
  const unsigned reduction = FitReduction(whole.width, whole.height, across, down);
  if (reduction > 1) decoder.Reduce(reduction);
  const StoredPicture& reduced = decoder.picture();
  const bool smaller =
      uint64_t{reduced.width} * reduced.height < uint64_t{whole.width} * whole.height;
  return smaller &&
                 CoversFit(reduced.width, reduced.height, whole.width, whole.height, across, down)
             ? kSpiOk
             : kSpiNotImplemented;
}

// Crops the opened picture to the part of it at its top left that the box
// holds; kSpiNotImplemented when that is the whole picture or the codec
// cannot decode the part alone. Only an upright picture: the top left of
// another is elsewhere in its stored rows.
int CropToBox(PictureDecoder& decoder, FitBox box) {
  const StoredPicture whole = decoder.picture();
  const bool smaller = box.width < whole.width || box.height < whole.height;
  return whole.orientation == 1 && smaller && decoder.Crop(box.width, box.height)
             ? kSpiOk
             : kSpiNotImplemented;
}

int DecodePicture(const BYTE* data, DWORD size, Extent extent, FitBox box,
                  ProgressCallback progress, LONG_PTR progressData, HLOCAL* bitmapInfo,
                  HLOCAL* pixels) {
  std::unique_ptr<PictureDecoder> decoder;
  int result = OpenDecoder(data, size, &decoder);
  if (result == kSpiOk && extent == Extent::kPreview) {
    const StoredPicture& picture = decoder->picture();
    const unsigned reduction = PreviewReduction(picture.width, picture.height);
    if (reduction > 1) decoder->Reduce(reduction);
  }
  if (result == kSpiOk && extent == Extent::kFit) result = ReduceToFit(*decoder, box);
  if (result == kSpiOk && extent == Extent::kPart) result = CropToBox(*decoder, box);
  if (result != kSpiOk) return result;
  return HandOverDib(*decoder, progress, progressData, bitmapInfo, pixels);
}

template <typename Char>
int DecodeInto(const Char* buffer, LONG_PTR length, UINT flag, Extent extent, FitBox box,
               HLOCAL* bitmapInfo, HLOCAL* pixels, ProgressCallback progress,
               LONG_PTR progressData) {
  return Guarded([&]() -> int {
    if (!bitmapInfo || !pixels) return kSpiInternalError;
    *bitmapInfo = nullptr;
    *pixels = nullptr;
    PictureBytes bytes;
    const int loaded = LoadBytes(buffer, length, flag, &bytes);
    return loaded != kSpiOk ? loaded
                            : DecodePicture(bytes.data(), bytes.size(), extent, box, progress,
                                            progressData, bitmapInfo, pixels);
  });
}

// The picture reduced to fit a box, or its part that a box holds, from a
// file by its wide name; kSpiNotImplemented for an empty box.
int DecodeInBox(LPCWSTR buffer, LONG_PTR length, UINT flag, Extent extent, int boxWidth,
                int boxHeight, HLOCAL* bitmapInfo, HLOCAL* pixels) {
  if (boxWidth <= 0 || boxHeight <= 0) return kSpiNotImplemented;
  const FitBox box{static_cast<uint32_t>(boxWidth), static_cast<uint32_t>(boxHeight)};
  return DecodeInto(buffer, length, flag, extent, box, bitmapInfo, pixels, nullptr, 0);
}

// True for the file-handle form of IsSupported's second argument: handles are
// small numbers, addresses of a host's buffer never are.
bool IsFileHandle(DWORD_PTR handleOrAddress) { return (handleOrAddress & ~DWORD_PTR{0xFFFF}) == 0; }

// What _lopen returns when it fails, passed on by a careless host.
bool IsFailedOpen(DWORD_PTR handleOrAddress) {
  return static_cast<DWORD>(handleOrAddress) == DWORD(HFILE_ERROR);
}

template <typename Char>
int InfoOf(const Char* buffer, LONG_PTR length, UINT flag, PictureInfo* info) {
  return Guarded([&]() -> int {
    if (!info) return kSpiInternalError;
    PictureBytes bytes;
    const int loaded = LoadBytes(buffer, length, flag, &bytes);
    return loaded != kSpiOk ? loaded : ReadPictureInfo(bytes.data(), bytes.size(), info);
  });
}

}  // namespace
}  // namespace bex::wicspi

extern "C" {

__declspec(dllexport) int WINAPI GetPluginInfo(int infoNumber, LPSTR buffer, int bufferLength) {
  return bex::wicspi::CopyPluginInfo(infoNumber, buffer, bufferLength);
}

// The name is not looked at: the head decides. The wide form takes the same.
__declspec(dllexport) int WINAPI IsSupported(LPCSTR /*fileName*/, DWORD_PTR handleOrAddress) {
  using namespace bex::wicspi;
  const int known = Guarded([&]() -> int {
    if (IsFailedOpen(handleOrAddress)) return 0;
    if (IsFileHandle(handleOrAddress)) {
      const std::vector<BYTE> head = ReadHead(reinterpret_cast<HANDLE>(handleOrAddress));
      return int{IsKnownPicture(head.data(), static_cast<DWORD>(head.size()))};
    }
    return int{IsKnownPicture(reinterpret_cast<const BYTE*>(handleOrAddress), kSpiHeadBytes)};
  });
  return known == 1 ? 1 : 0;
}

__declspec(dllexport) int WINAPI IsSupportedW(LPCWSTR /*fileName*/, DWORD_PTR handleOrAddress) {
  return IsSupported(nullptr, handleOrAddress);
}

__declspec(dllexport) int WINAPI
    GetPictureInfo(LPCSTR buffer, LONG_PTR length, UINT flag, PictureInfo* info) {
  return bex::wicspi::InfoOf(buffer, length, flag, info);
}

// The wide entry points take file names in UTF-16, so that every file name
// reaches the plug-in as it is.
__declspec(dllexport) int WINAPI
    GetPictureInfoW(LPCWSTR buffer, LONG_PTR length, UINT flag, PictureInfo* info) {
  return bex::wicspi::InfoOf(buffer, length, flag, info);
}

__declspec(dllexport) int WINAPI
    GetPicture(LPCSTR buffer, LONG_PTR length, UINT flag, HLOCAL* bitmapInfo, HLOCAL* pixels,
               ProgressCallback progress, LONG_PTR progressData) {
  using namespace bex::wicspi;
  return DecodeInto(buffer, length, flag, Extent::kWhole, {}, bitmapInfo, pixels, progress,
                    progressData);
}

__declspec(dllexport) int WINAPI
    GetPreview(LPCSTR buffer, LONG_PTR length, UINT flag, HLOCAL* bitmapInfo, HLOCAL* pixels,
               ProgressCallback progress, LONG_PTR progressData) {
  using namespace bex::wicspi;
  return DecodeInto(buffer, length, flag, Extent::kPreview, {}, bitmapInfo, pixels, progress,
                    progressData);
}

__declspec(dllexport) int WINAPI
    GetPictureW(LPCWSTR buffer, LONG_PTR length, UINT flag, HLOCAL* bitmapInfo, HLOCAL* pixels,
                ProgressCallback progress, LONG_PTR progressData) {
  using namespace bex::wicspi;
  return DecodeInto(buffer, length, flag, Extent::kWhole, {}, bitmapInfo, pixels, progress,
                    progressData);
}

__declspec(dllexport) int WINAPI
    GetPreviewW(LPCWSTR buffer, LONG_PTR length, UINT flag, HLOCAL* bitmapInfo, HLOCAL* pixels,
                ProgressCallback progress, LONG_PTR progressData) {
  using namespace bex::wicspi;
  return DecodeInto(buffer, length, flag, Extent::kPreview, {}, bitmapInfo, pixels, progress,
                    progressData);
}

// Not of the Susie interface: this plug-in's own, which the viewer asks before
// GetPictureW when the picture will be shown shrunk to fit a box of
// boxWidth x boxHeight (upright). The picture decoded as far reduced as it
// still is at least that fitted size, so that it can be shown at once and the
// whole one follow; kSpiNotImplemented (-1) when its codec has no quicker
// smaller picture.
__declspec(dllexport) int WINAPI
    GetPictureToFitW(LPCWSTR buffer, LONG_PTR length, UINT flag, int boxWidth, int boxHeight,
                     HLOCAL* bitmapInfo, HLOCAL* pixels) {
  using namespace bex::wicspi;
  return DecodeInBox(buffer, length, flag, Extent::kFit, boxWidth, boxHeight, bitmapInfo, pixels);
}

// Our plug-in's own as well, asked before GetPictureW when the picture will
// be shown at 100 % in a window no larger than boxWidth x boxHeight: the
// part of the picture at its top left that the box holds, decoded alone so
// that it can be shown at once and the whole one follow;
// kSpiNotImplemented (-1) when the part is the whole picture or its codec
// cannot decode the part alone.
__declspec(dllexport) int WINAPI
    GetPicturePartW(LPCWSTR buffer, LONG_PTR length, UINT flag, int boxWidth, int boxHeight,
                    HLOCAL* bitmapInfo, HLOCAL* pixels) {
  using namespace bex::wicspi;
  return DecodeInBox(buffer, length, flag, Extent::kPart, boxWidth, boxHeight, bitmapInfo, pixels);
}

}  // extern "C"
