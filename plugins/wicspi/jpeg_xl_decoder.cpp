// JPEG XL through libjxl: lossy, lossless and recompressed JPEG pictures,
// with alpha, the first frame of an animation; the orientation of the
// picture's header is applied like an EXIF orientation; the colours of the
// decoded pixels as the codec describes them (a profile of its own making
// where the file names them by codes). Decoded whole, on the processor's
// threads.
#include <windows.h>

#include <jxl/decode.h>
#include <jxl/thread_parallel_runner.h>
#include <vector>

#include "wicspi/picture_decoder.h"

namespace bex::wicspi {
namespace {

class JpegXlDecoder : public WholePictureDecoder {
 public:
  JpegXlDecoder() = default;
  ~JpegXlDecoder() override {
    if (decoder_) JxlDecoderDestroy(decoder_);
    if (threads_) JxlThreadParallelRunnerDestroy(threads_);
  }
  JpegXlDecoder(const JpegXlDecoder&) = delete;
  JpegXlDecoder& operator=(const JpegXlDecoder&) = delete;

  int Open(const BYTE* data, DWORD size) override {
    data_ = data;
    size_ = size;
    if (!Start(kPictureEvents)) return kSpiBrokenData;
    if (JxlDecoderProcessInput(decoder_) != JXL_DEC_BASIC_INFO) return kSpiBrokenData;
    JxlBasicInfo info;
    if (JxlDecoderGetBasicInfo(decoder_, &info) != JXL_DEC_SUCCESS) return kSpiBrokenData;
    picture_.width = info.xsize;
    picture_.height = info.ysize;
    picture_.orientation = static_cast<int>(info.orientation);
    picture_.pixels = info.alpha_bits > 0 ? PixelLayout::kRgba : PixelLayout::kRgb;
    return kSpiOk;
  }

 private:
  // A decoder over the whole input, on the threads when there are some yet.
  bool Start(int events) {
    if (decoder_) JxlDecoderDestroy(decoder_);
    decoder_ = JxlDecoderCreate(nullptr);
    if (!decoder_ || (threads_ && JxlDecoderSetParallelRunner(decoder_, JxlThreadParallelRunner,
                                                              threads_) != JXL_DEC_SUCCESS)) {
      return false;
    }
    // Rows come as stored; the DIB writer turns them upright.
    if (JxlDecoderSetKeepOrientation(decoder_, JXL_TRUE) != JXL_DEC_SUCCESS ||
        JxlDecoderSubscribeEvents(decoder_, events) != JXL_DEC_SUCCESS ||
        JxlDecoderSetInput(decoder_, data_, size_) != JXL_DEC_SUCCESS) {
      return false;
    }
    JxlDecoderCloseInput(decoder_);
    return true;
  }

  // The threads are only started for the pixels: the header alone is read
  // without them, and a decoder on them starts over.
  int DecodeWhole(const uint8_t** first, size_t* stride) override {
    threads_ =
        JxlThreadParallelRunnerCreate(nullptr, JxlThreadParallelRunnerDefaultNumWorkerThreads());
    if (!Start(kPictureEvents | JXL_DEC_COLOR_ENCODING)) return kSpiBrokenData;
    const JxlPixelFormat format{picture_.pixels == PixelLayout::kRgba ? 4u : 3u, JXL_TYPE_UINT8,
                                JXL_NATIVE_ENDIAN, 0};
    *stride = size_t{picture_.width} * BytesPerPixel(picture_.pixels);
    for (;;) {
      switch (JxlDecoderProcessInput(decoder_)) {
        case JXL_DEC_NEED_IMAGE_OUT_BUFFER:
          whole_.resize(*stride * picture_.height);
          if (JxlDecoderSetImageOutBuffer(decoder_, &format, whole_.data(), whole_.size()) !=
              JXL_DEC_SUCCESS) {
            return kSpiBrokenData;
          }
          break;
        case JXL_DEC_BASIC_INFO:  // read again by this decoder
          break;
        case JXL_DEC_COLOR_ENCODING:
          picture_.colours.icc = IccProfile();
          break;
        case JXL_DEC_FULL_IMAGE:  // the first frame: enough
          *first = whole_.data();
          return kSpiOk;
        default:  // an error, or the data ended before the picture did
          return kSpiBrokenData;
      }
    }
  }

  // The profile of the pixels as decoded (for lossy pictures the codec's
  // choice); empty when the codec has none to give.
  std::vector<uint8_t> IccProfile() const {
    size_t size = 0;
    std::vector<uint8_t> profile;
    if (JxlDecoderGetICCProfileSize(decoder_, nullptr, JXL_COLOR_PROFILE_TARGET_DATA, &size) ==
        JXL_DEC_SUCCESS) {
      profile.resize(size);
      if (JxlDecoderGetColorAsICCProfile(decoder_, nullptr, JXL_COLOR_PROFILE_TARGET_DATA,
                                         profile.data(), size) != JXL_DEC_SUCCESS) {
        profile.clear();
      }
    }
    return profile;
  }

  static constexpr int kPictureEvents = JXL_DEC_BASIC_INFO | JXL_DEC_FULL_IMAGE;

  const BYTE* data_ = nullptr;
  DWORD size_ = 0;
  JxlDecoder* decoder_ = nullptr;
  void* threads_ = nullptr;
  std::vector<uint8_t> whole_;
};

}  // namespace

std::unique_ptr<PictureDecoder> NewJpegXlDecoder() { return std::make_unique<JpegXlDecoder>(); }

}  // namespace bex::wicspi
