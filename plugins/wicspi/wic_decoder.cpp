// Decoding through the Windows Imaging Component, for every format without a
// decoder of its own; colours from the frame's first ICC profile.
#include <wincodec.h>

#include <algorithm>
#include <vector>
#include <wrl/client.h>

#include "shared/com_scope_win.h"
#include "wicspi/exif_orientation.h"
#include "wicspi/picture_decoder.h"

namespace bex::wicspi {
namespace {

using Microsoft::WRL::ComPtr;

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

ComPtr<IWICImagingFactory> CreateFactory(const ComScope& com) {
  ComPtr<IWICImagingFactory> factory;
  com.CreateInstance(CLSID_WICImagingFactory, factory.GetAddressOf());
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

// The first ICC profile among the frame's colour contexts; empty when it has
// none or the codec cannot tell.
std::vector<uint8_t> IccProfileOf(IWICImagingFactory* factory, IWICBitmapFrameDecode* frame) {
  UINT count = 0;
  if (FAILED(frame->GetColorContexts(0, nullptr, &count)) || count == 0) return {};
  std::vector<ComPtr<IWICColorContext>> contexts(count);
  std::vector<IWICColorContext*> pointers;
  for (ComPtr<IWICColorContext>& context : contexts) {
    if (FAILED(factory->CreateColorContext(&context))) return {};
    pointers.push_back(context.Get());
  }
  if (FAILED(frame->GetColorContexts(count, pointers.data(), &count))) return {};
  for (UINT i = 0; i < count && i < pointers.size(); ++i) {
    WICColorContextType type;
    UINT size = 0;
    if (FAILED(pointers[i]->GetType(&type)) || type != WICColorContextProfile ||
        FAILED(pointers[i]->GetProfileBytes(0, nullptr, &size)) || size == 0) {
      continue;
    }
    std::vector<uint8_t> profile(size);
    if (SUCCEEDED(pointers[i]->GetProfileBytes(size, profile.data(), &size))) {
      profile.resize(std::min<size_t>(size, profile.size()));
      return profile;
    }
  }
  return {};
}

// The first frame of a picture, read strip by strip.
class WicDecoder : public PictureDecoder {
 public:
  int Open(const BYTE* data, DWORD size) override {
    if (!com_.usable()) return kSpiInternalError;
    factory_ = CreateFactory(com_);
    if (!factory_) return kSpiInternalError;
    const ComPtr<IWICStream> stream = StreamOver(factory_.Get(), data, size);
    if (!stream) return kSpiNoMemory;
    ComPtr<IWICBitmapDecoder> decoder;
    HRESULT hr = factory_->CreateDecoderFromStream(stream.Get(), nullptr,
                                                   WICDecodeMetadataCacheOnDemand, &decoder);
    if (FAILED(hr)) {
      // No codec took data that some codec's signature claims: it is damaged.
      const bool claimed = hr != E_OUTOFMEMORY && MatchesSomeCodec(factory_.Get(), stream.Get());
      return claimed ? kSpiBrokenData : ResultOf(hr);
    }
    UINT width = 0, height = 0;
    hr = decoder->GetFrame(0, &frame_);
    if (SUCCEEDED(hr)) hr = frame_->GetSize(&width, &height);
    if (FAILED(hr)) return ResultOf(hr);
    picture_.width = width;
    picture_.height = height;
    picture_.orientation = ReadExifOrientation(data, size);
    picture_.colours.icc = IccProfileOf(factory_.Get(), frame_.Get());
    return ChooseSource() ? kSpiOk : kSpiUnknownFormat;
  }

  int NextRows(uint32_t wanted, RowSpan* rows) override {
    const size_t rowBytes = size_t{picture_.width} * BytesPerPixel(picture_.pixels);
    strip_.resize(wanted * rowBytes);
    const WICRect rect{0, static_cast<INT>(nextRow_), static_cast<INT>(picture_.width),
                       static_cast<INT>(wanted)};
    const HRESULT hr = source_->CopyPixels(&rect, static_cast<UINT>(rowBytes),
                                           static_cast<UINT>(strip_.size()), strip_.data());
    if (FAILED(hr)) return ResultOf(hr);
    *rows = RowSpan{strip_.data(), rowBytes, wanted};
    nextRow_ += wanted;
    return kSpiOk;
  }

 private:
  // The frame's pixels: as decoded when they are 24-bit BGR already (the
  // usual JPEG and PNG photo), otherwise converted to 32-bit BGRA with
  // straight alpha, the one target that WIC reaches from every format (its
  // converters accept 24-bit BGR as a target for grey, palette and 16-bit
  // formats, and then fail when the pixels are copied).
  bool ChooseSource() {
    WICPixelFormatGUID native;
    if (FAILED(frame_->GetPixelFormat(&native))) return false;
    if (IsEqualGUID(native, GUID_WICPixelFormat24bppBGR)) {
      source_ = frame_;
      return true;
    }
    picture_.pixels = PixelLayout::kBgra;
    source_ = ConvertedTo(factory_.Get(), frame_.Get(), GUID_WICPixelFormat32bppBGRA);
    return source_ != nullptr;
  }

  ComScope com_;
  ComPtr<IWICImagingFactory> factory_;
  ComPtr<IWICBitmapFrameDecode> frame_;
  ComPtr<IWICBitmapSource> source_;
  uint32_t nextRow_ = 0;
  std::vector<BYTE> strip_;
};

}  // namespace

bool IsKnownToWic(const BYTE* head, DWORD size) {
  const ComScope com;
  if (!com.usable() || size == 0) return false;
  const ComPtr<IWICImagingFactory> factory = CreateFactory(com);
  if (!factory) return false;
  const ComPtr<IWICStream> stream = StreamOver(factory.Get(), head, size);
  return stream && MatchesSomeCodec(factory.Get(), stream.Get());
}

std::unique_ptr<PictureDecoder> NewWicDecoder() { return std::make_unique<WicDecoder>(); }

}  // namespace bex::wicspi
