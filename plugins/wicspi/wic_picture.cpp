#include "wicspi/wic_picture.h"

#include <wincodec.h>

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>
#include <wrl/client.h>

#include "wicspi/dib_writer.h"
#include "wicspi/exif_orientation.h"

namespace bex::wicspi {
namespace {

using Microsoft::WRL::ComPtr;

// Rows are fetched from the codec in strips of about this size: small enough
// to stay in cache, large enough to keep the calls few.
constexpr size_t kStripBytes = 1 << 20;

// COM for the duration of one call. The host's thread may already be in a
// single-threaded apartment (then this only counts up and down again) or in
// the multithreaded one (then WIC, which is free-threaded, works there too);
// nothing outlives the call, so a host that ends COM on its thread between
// calls leaves no stale object behind.
class ComScope {
 public:
  ComScope() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  ~ComScope() {
    if (SUCCEEDED(result_)) CoUninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;
  bool usable() const { return SUCCEEDED(result_) || result_ == RPC_E_CHANGED_MODE; }

 private:
  HRESULT result_;
};

int ResultOf(HRESULT hr) {
  switch (hr) {
    case E_OUTOFMEMORY:
      return kSpiNoMemory;
    case WINCODEC_ERR_COMPONENTNOTFOUND:
    case WINCODEC_ERR_UNKNOWNIMAGEFORMAT:
      return kSpiUnknownFormat;
    default:
      return kSpiBrokenData;
  }
}

ComPtr<IWICImagingFactory> CreateFactory() {
  ComPtr<IWICImagingFactory> factory;
  CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&factory));
  return factory;
}

// A read-only stream over bytes that outlive it.
ComPtr<IWICStream> StreamOver(IWICImagingFactory* factory, const BYTE* data, DWORD size) {
  ComPtr<IWICStream> stream;
  if (FAILED(factory->CreateStream(&stream)) ||
      FAILED(stream->InitializeFromMemory(const_cast<BYTE*>(data), size))) {
    return nullptr;
  }
  return stream;
}

// True when the signature of some codec of the system matches the stream.
bool MatchesSomeCodec(IWICImagingFactory* factory, IStream* stream) {
  ComPtr<IEnumUnknown> decoders;
  if (FAILED(factory->CreateComponentEnumerator(WICDecoder, WICComponentEnumerateDefault,
                                                &decoders))) {
    return false;
  }
  ComPtr<IUnknown> item;
  while (decoders->Next(1, item.ReleaseAndGetAddressOf(), nullptr) == S_OK) {
    ComPtr<IWICBitmapDecoderInfo> decoder;
    BOOL matches = FALSE;
    if (SUCCEEDED(item.As(&decoder)) && SUCCEEDED(decoder->MatchesPattern(stream, &matches)) &&
        matches) {
      return true;
    }
  }
  return false;
}

// The first frame of a picture, with the layout of its upright DIB.
struct FirstFrame {
  ComScope com;
  ComPtr<IWICImagingFactory> factory;
  ComPtr<IWICBitmapFrameDecode> frame;
  UINT width = 0;
  UINT height = 0;
  int orientation = kUpright;
  DibLayout layout;

  int Open(const BYTE* data, DWORD size) {
    if (!com.usable()) return kSpiInternalError;
    factory = CreateFactory();
    if (!factory) return kSpiInternalError;
    const ComPtr<IWICStream> stream = StreamOver(factory.Get(), data, size);
    if (!stream) return kSpiNoMemory;
    ComPtr<IWICBitmapDecoder> decoder;
    HRESULT hr = factory->CreateDecoderFromStream(stream.Get(), nullptr,
                                                  WICDecodeMetadataCacheOnDemand, &decoder);
    if (FAILED(hr)) {
      // No codec took data that some codec's signature claims: it is damaged.
      const bool claimed = hr != E_OUTOFMEMORY && MatchesSomeCodec(factory.Get(), stream.Get());
      return claimed ? kSpiBrokenData : ResultOf(hr);
    }
    hr = decoder->GetFrame(0, &frame);
    if (SUCCEEDED(hr)) hr = frame->GetSize(&width, &height);
    if (FAILED(hr)) return ResultOf(hr);
    orientation = ReadExifOrientation(data, size);
    const std::optional<DibLayout> planned = PlanDib(width, height, orientation);
    if (!planned) return width && height ? kSpiNoMemory : kSpiBrokenData;
    layout = *planned;
    return kSpiOk;
  }
};

ComPtr<IWICBitmapSource> ConvertedTo(IWICImagingFactory* factory, IWICBitmapFrameDecode* frame,
                                     const WICPixelFormatGUID& wanted) {
  ComPtr<IWICFormatConverter> converter;
  if (FAILED(factory->CreateFormatConverter(&converter)) ||
      FAILED(converter->Initialize(frame, wanted, WICBitmapDitherTypeNone, nullptr, 0.0,
                                   WICBitmapPaletteTypeCustom))) {
    return nullptr;
  }
  return converter;
}

// The frame's pixels: as decoded when they are 24-bit BGR already (the usual
// JPEG and PNG photo), otherwise converted to 32-bit BGRA with straight alpha,
// the one target that WIC reaches from every format (its converters accept
// 24-bit BGR as a target for grey, palette and 16-bit formats, and then fail
// when the pixels are copied).
struct PixelSource {
  ComPtr<IWICBitmapSource> source;
  bool withAlpha = false;

  bool Choose(IWICImagingFactory* factory, IWICBitmapFrameDecode* frame) {
    WICPixelFormatGUID native;
    if (FAILED(frame->GetPixelFormat(&native))) return false;
    if (IsEqualGUID(native, GUID_WICPixelFormat24bppBGR)) {
      source = frame;
      return true;
    }
    withAlpha = true;
    source = ConvertedTo(factory, frame, GUID_WICPixelFormat32bppBGRA);
    return source != nullptr;
  }
};

// A moveable local memory block, freed unless handed over.
class LocalBlock {
 public:
  explicit LocalBlock(size_t bytes) : handle_(LocalAlloc(LMEM_MOVEABLE, bytes)) {}
  ~LocalBlock() {
    if (handle_) LocalFree(handle_);
  }
  LocalBlock(const LocalBlock&) = delete;
  LocalBlock& operator=(const LocalBlock&) = delete;
  HLOCAL get() const { return handle_; }
  HLOCAL Release() { return std::exchange(handle_, nullptr); }

 private:
  HLOCAL handle_;
};

// Keeps a local block locked while its bytes are written.
class LockedBytes {
 public:
  explicit LockedBytes(HLOCAL block)
      : block_(block), bytes_(static_cast<BYTE*>(LocalLock(block))) {}
  ~LockedBytes() {
    if (bytes_) LocalUnlock(block_);
  }
  LockedBytes(const LockedBytes&) = delete;
  LockedBytes& operator=(const LockedBytes&) = delete;
  BYTE* get() const { return bytes_; }

 private:
  HLOCAL block_;
  BYTE* bytes_;
};

void FillBitmapInfo(const DibLayout& layout, BITMAPINFO* info) {
  *info = BITMAPINFO{};
  BITMAPINFOHEADER* header = &info->bmiHeader;
  header->biSize = sizeof(BITMAPINFOHEADER);
  header->biWidth = static_cast<LONG>(layout.width);
  header->biHeight = static_cast<LONG>(layout.height);  // positive: bottom-up
  header->biPlanes = 1;
  header->biBitCount = 24;
  header->biCompression = BI_RGB;
  header->biSizeImage = static_cast<DWORD>(layout.imageBytes);
}

// Asks the host's callback whether to go on; true when it wants to stop.
bool StopRequested(ProgressCallback progress, UINT done, UINT total, LONG data) {
  return progress && progress(static_cast<int>(done), static_cast<int>(total), data) != 0;
}

// Copies the frame strip by strip into the locked DIB.
int CopyRows(const FirstFrame& picture, const PixelSource& pixels, BYTE* dib,
             ProgressCallback progress, LONG progressData) {
  const DibWriter writer(picture.layout, picture.width, picture.height, picture.orientation, dib);
  writer.ClearRowPadding();
  const size_t rowBytes = size_t{picture.width} * (pixels.withAlpha ? 4 : 3);
  const UINT stripRows =
      static_cast<UINT>(std::clamp<size_t>(kStripBytes / rowBytes, 1, picture.height));
  std::vector<BYTE> strip(stripRows * rowBytes);
  if (StopRequested(progress, 0, picture.height, progressData)) return kSpiAborted;
  for (UINT y = 0; y < picture.height; y += stripRows) {
    const UINT rows = std::min(stripRows, picture.height - y);
    const WICRect rect{0, static_cast<INT>(y), static_cast<INT>(picture.width),
                       static_cast<INT>(rows)};
    const HRESULT hr = pixels.source->CopyPixels(&rect, static_cast<UINT>(rowBytes),
                                                 static_cast<UINT>(rows * rowBytes), strip.data());
    if (FAILED(hr)) return ResultOf(hr);
    if (pixels.withAlpha) {
      writer.PutBgraRows(strip.data(), rowBytes, y, rows);
    } else {
      writer.PutBgrRows(strip.data(), rowBytes, y, rows);
    }
    if (StopRequested(progress, y + rows, picture.height, progressData)) return kSpiAborted;
  }
  return kSpiOk;
}

}  // namespace

bool IsKnownPicture(const BYTE* head, DWORD size) {
  const ComScope com;
  if (!com.usable() || size == 0) return false;
  const ComPtr<IWICImagingFactory> factory = CreateFactory();
  if (!factory) return false;
  const ComPtr<IWICStream> stream = StreamOver(factory.Get(), head, size);
  return stream && MatchesSomeCodec(factory.Get(), stream.Get());
}

int ReadPictureInfo(const BYTE* data, DWORD size, PictureInfo* info) {
  FirstFrame picture;
  const int result = picture.Open(data, size);
  if (result != kSpiOk) return result;
  *info = PictureInfo{};
  info->width = static_cast<LONG>(picture.layout.width);
  info->height = static_cast<LONG>(picture.layout.height);
  info->bitsPerPixel = 24;
  return kSpiOk;
}

int DecodePicture(const BYTE* data, DWORD size, ProgressCallback progress, LONG progressData,
                  HLOCAL* bitmapInfo, HLOCAL* pixels) {
  FirstFrame picture;
  int result = picture.Open(data, size);
  if (result != kSpiOk) return result;
  PixelSource source;
  if (!source.Choose(picture.factory.Get(), picture.frame.Get())) return kSpiUnknownFormat;
  LocalBlock infoBlock(sizeof(BITMAPINFO));
  LocalBlock pixelBlock(picture.layout.imageBytes);
  if (!infoBlock.get() || !pixelBlock.get()) return kSpiNoMemory;
  {
    const LockedBytes header(infoBlock.get());
    const LockedBytes dib(pixelBlock.get());
    if (!header.get() || !dib.get()) return kSpiMemoryError;
    FillBitmapInfo(picture.layout, reinterpret_cast<BITMAPINFO*>(header.get()));
    result = CopyRows(picture, source, dib.get(), progress, progressData);
  }
  if (result != kSpiOk) return result;
  *bitmapInfo = infoBlock.Release();
  *pixels = pixelBlock.Release();
  return kSpiOk;
}

}  // namespace bex::wicspi
