// WebP through libwebp: lossy and lossless pictures, with or without alpha,
// and the first frame of an animation (its whole canvas), in the colours of
// the ICCP chunk where there is one. An upright opaque
// picture is decoded straight into the DIB; any other whole, then handed out
// row by row. Still pictures decode scaled down for a preview.
#include <windows.h>

#include <cstdint>
#include <vector>
#include <webp/decode.h>
#include <webp/demux.h>

#include "wicspi/exif_orientation.h"
#include "wicspi/picture_decoder.h"

namespace bex::wicspi {
namespace {

// libwebp's second thread (reconstruction, filtering and colour conversion
// beside the parsing) is started for each picture, about half a millisecond
// under Wine: below about a megapixel it costs more than it saves.
constexpr uint64_t kThreadedDecodePixels = 1000000;

class WebpDecoder : public WholePictureDecoder {
 public:
  WebpDecoder() = default;
  ~WebpDecoder() override {
    WebPAnimDecoderDelete(animation_);
    WebPDemuxDelete(container_);
  }
  WebpDecoder(const WebpDecoder&) = delete;
  WebpDecoder& operator=(const WebpDecoder&) = delete;

  int Open(const BYTE* data, DWORD size) override {
    bytes_ = WebPData{data, size};
    container_ = WebPDemux(&bytes_);
    if (!container_) return kSpiBrokenData;
    const uint32_t flags = WebPDemuxGetI(container_, WEBP_FF_FORMAT_FLAGS);
    animated_ = flags & ANIMATION_FLAG;
    WebPBitstreamFeatures features{};
    if (!animated_ && WebPGetFeatures(data, size, &features) != VP8_STATUS_OK) {
      return kSpiBrokenData;
    }
    picture_.width = WebPDemuxGetI(container_, WEBP_FF_CANVAS_WIDTH);
    picture_.height = WebPDemuxGetI(container_, WEBP_FF_CANVAS_HEIGHT);
    threaded_ = uint64_t{picture_.width} * picture_.height >= kThreadedDecodePixels;
    picture_.pixels = animated_ || features.has_alpha ? PixelLayout::kBgra : PixelLayout::kBgr;
    picture_.orientation = (flags & EXIF_FLAG) ? Orientation() : kUpright;
    if (flags & ICCP_FLAG) picture_.colours.icc = IccProfile();
    return kSpiOk;
  }

  // A still picture is scaled down by the library as it is decoded.
  void Reduce(unsigned reduction) override {
    if (animated_) return;
    picture_.width = (picture_.width + reduction - 1) / reduction;
    picture_.height = (picture_.height + reduction - 1) / reduction;
    scaled_ = true;
  }

  // An upright opaque still picture goes straight into the DIB, its rows
  // turned over by the library, a large one filtered on a second thread.
  int DecodeIntoDib(uint8_t* dib, size_t stride, size_t bytes) override {
    if (animated_ || picture_.pixels != PixelLayout::kBgr || picture_.orientation != kUpright) {
      return kSpiNotImplemented;
    }
    const VP8StatusCode status = DecodeStillInto(dib, stride, bytes, MODE_BGR, true);
    return status == VP8_STATUS_OK              ? kSpiOk
           : status == VP8_STATUS_OUT_OF_MEMORY ? kSpiNoMemory
                                                : kSpiBrokenData;
  }

 private:
  int DecodeWhole(const uint8_t** first, size_t* stride) override {
    *stride = size_t{picture_.width} * BytesPerPixel(picture_.pixels);
    *first = animated_ ? FirstFrame() : DecodeStill(*stride);
    return *first ? kSpiOk : kSpiBrokenData;
  }

  const uint8_t* DecodeStill(size_t rowBytes) {
    still_.resize(size_t{picture_.height} * rowBytes);
    const WEBP_CSP_MODE mode = picture_.pixels == PixelLayout::kBgra ? MODE_BGRA : MODE_BGR;
    return DecodeStillInto(still_.data(), rowBytes, still_.size(), mode, false) == VP8_STATUS_OK
               ? still_.data()
               : nullptr;
  }

  // The still picture into memory of the caller's, at the size of picture_.
  VP8StatusCode DecodeStillInto(uint8_t* out, size_t stride, size_t bytes, WEBP_CSP_MODE mode,
                                bool flip) {
    WebPDecoderConfig config;
    if (!WebPInitDecoderConfig(&config)) return VP8_STATUS_INVALID_PARAM;
    config.options.flip = flip;
    config.options.use_threads = threaded_;
    config.options.use_scaling = scaled_;
    config.options.scaled_width = static_cast<int>(picture_.width);
    config.options.scaled_height = static_cast<int>(picture_.height);
    config.output.colorspace = mode;
    config.output.is_external_memory = 1;
    config.output.u.RGBA.rgba = out;
    config.output.u.RGBA.stride = static_cast<int>(stride);
    config.output.u.RGBA.size = bytes;
    const VP8StatusCode status = WebPDecode(bytes_.bytes, bytes_.size, &config);
    WebPFreeDecBuffer(&config.output);
    return status;
  }

  // The canvas after the first frame, straight BGRA.
  const uint8_t* FirstFrame() {
    WebPAnimDecoderOptions options;
    if (!WebPAnimDecoderOptionsInit(&options)) return nullptr;
    options.color_mode = MODE_BGRA;
    options.use_threads = 0;
    animation_ = WebPAnimDecoderNew(&bytes_, &options);
    uint8_t* canvas = nullptr;
    int timestamp = 0;
    if (!animation_ || !WebPAnimDecoderGetNext(animation_, &canvas, &timestamp)) return nullptr;
    return canvas;
  }

  // The orientation of the EXIF chunk, a TIFF structure.
  int Orientation() {
    WebPChunkIterator chunk;
    if (!WebPDemuxGetChunk(container_, "EXIF", 1, &chunk)) return kUpright;
    const int orientation = ReadExifOrientation(chunk.chunk.bytes, chunk.chunk.size);
    WebPDemuxReleaseChunkIterator(&chunk);
    return orientation;
  }

  std::vector<uint8_t> IccProfile() {
    WebPChunkIterator chunk;
    if (!WebPDemuxGetChunk(container_, "ICCP", 1, &chunk)) return {};
    std::vector<uint8_t> profile(chunk.chunk.bytes, chunk.chunk.bytes + chunk.chunk.size);
    WebPDemuxReleaseChunkIterator(&chunk);
    return profile;
  }

  WebPData bytes_{};
  WebPDemuxer* container_ = nullptr;
  WebPAnimDecoder* animation_ = nullptr;
  bool animated_ = false;
  bool scaled_ = false;
  bool threaded_ = false;
  std::vector<uint8_t> still_;
};

}  // namespace

std::unique_ptr<PictureDecoder> NewWebpDecoder() { return std::make_unique<WebpDecoder>(); }

}  // namespace bex::wicspi
