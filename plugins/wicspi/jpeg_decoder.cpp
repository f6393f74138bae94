// JPEG through libjpeg-turbo: SIMD colour conversion and inverse DCT, scaled
// decoding for previews, arithmetic coding, CMYK and YCCK, the ICC profile
// of APP2 segments.
#include <windows.h>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <vector>

// After <cstdio>: jpeglib.h needs size_t and FILE declared before it.
#include <jerror.h>
#include <jpeglib.h>

#include "wicspi/exif_orientation.h"
#include "wicspi/picture_decoder.h"

namespace bex::wicspi {
namespace {

// libjpeg reports a fatal error through error_exit, which must not return:
// it jumps back to the call of the decoder that started the library's work.
// Only plain data lives in the frames that the jump leaves.
struct ErrorJump {
  jpeg_error_mgr manager;
  std::jmp_buf target;
  int result = kSpiBrokenData;
};

[[noreturn]] void JumpOnError(j_common_ptr jpeg) {
  auto* jump = reinterpret_cast<ErrorJump*>(jpeg->err);
  jump->result = jpeg->err->msg_code == JERR_OUT_OF_MEMORY ? kSpiNoMemory : kSpiBrokenData;
  std::longjmp(jump->target, 1);
}

// Damaged data only warns: the decoder goes on and a cut-off picture shows
// what it holds, as common viewers do. Nothing is printed.
void Unreported(j_common_ptr) {}

class JpegDecoder : public PictureDecoder {
 public:
  JpegDecoder() {
    jpeg_.err = jpeg_std_error(&errors_.manager);
    errors_.manager.error_exit = JumpOnError;
    errors_.manager.output_message = Unreported;
  }
  ~JpegDecoder() override {
    if (created_) jpeg_destroy_decompress(&jpeg_);
  }
  JpegDecoder(const JpegDecoder&) = delete;
  JpegDecoder& operator=(const JpegDecoder&) = delete;

  int Open(const BYTE* data, DWORD size) override {
    if (setjmp(errors_.target)) return errors_.result;
    jpeg_create_decompress(&jpeg_);
    created_ = true;
    jpeg_mem_src(&jpeg_, data, size);
    jpeg_save_markers(&jpeg_, kIccMarker, 0xFFFF);
    jpeg_read_header(&jpeg_, TRUE);
    ChooseColours();
    picture_.colours.icc = IccProfile();
    jpeg_calc_output_dimensions(&jpeg_);
    picture_.width = jpeg_.output_width;
    picture_.height = jpeg_.output_height;
    picture_.orientation = ReadExifOrientation(data, size);
    return kSpiOk;
  }

  void Reduce(unsigned reduction) override {
    if (setjmp(errors_.target)) return;
    jpeg_.scale_num = 1;
    jpeg_.scale_denom = reduction;
    jpeg_calc_output_dimensions(&jpeg_);
    picture_.width = jpeg_.output_width;
    picture_.height = jpeg_.output_height;
  }

  // The rows below the part are never decoded; of the rows above its end,
  // the columns right of it are only entropy-decoded.
  bool Crop(uint32_t width, uint32_t height) override {
    picture_.width = std::min(width, picture_.width);
    picture_.height = std::min(height, picture_.height);
    return true;
  }

  int NextRows(uint32_t wanted, RowSpan* rows) override {
    const size_t rowBytes = size_t{picture_.width} * BytesPerPixel(picture_.pixels);
    strip_.resize(wanted * rowBytes);
    rowStarts_.resize(wanted);
    for (uint32_t i = 0; i < wanted; ++i) rowStarts_[i] = strip_.data() + i * rowBytes;
    if (setjmp(errors_.target)) return errors_.result;
    if (!started_) {
      jpeg_start_decompress(&jpeg_);
      started_ = true;
      // From the left edge, the part keeps its width exactly.
      JDIMENSION left = 0;
      JDIMENSION width = picture_.width;
      if (width < jpeg_.output_width) jpeg_crop_scanline(&jpeg_, &left, &width);
    }
    JDIMENSION done = 0;
    while (done < wanted && jpeg_.output_scanline < picture_.height) {
      const JDIMENSION read = jpeg_read_scanlines(&jpeg_, rowStarts_.data() + done, wanted - done);
      if (read == 0) break;
      done += read;
    }
    *rows = RowSpan{strip_.data(), rowBytes, done};
    return kSpiOk;
  }

 private:
  // Colour pictures come as the DIB's BGR, grey ones too (the library
  // repeats the grey); CMYK and YCCK as CMYK, inverted when an Adobe marker
  // says so, which YCCK always has.
  void ChooseColours() {
    const bool inks = jpeg_.jpeg_color_space == JCS_CMYK || jpeg_.jpeg_color_space == JCS_YCCK;
    jpeg_.out_color_space = inks ? JCS_CMYK : JCS_EXT_BGR;
    picture_.pixels = !inks                    ? PixelLayout::kBgr
                      : jpeg_.saw_Adobe_marker ? PixelLayout::kInvertedCmyk
                                               : PixelLayout::kCmyk;
  }

  // The profile that the APP2 segments hold, in one or split over several;
  // empty when there is none or its parts do not fit together.
  std::vector<uint8_t> IccProfile() {
    JOCTET* profile = nullptr;
    unsigned size = 0;
    if (!jpeg_read_icc_profile(&jpeg_, &profile, &size)) return {};
    std::vector<uint8_t> bytes(profile, profile + size);
    std::free(profile);
    return bytes;
  }

  static constexpr int kIccMarker = JPEG_APP0 + 2;

  jpeg_decompress_struct jpeg_{};
  ErrorJump errors_;
  bool created_ = false;
  bool started_ = false;
  std::vector<JSAMPLE> strip_;
  std::vector<JSAMPROW> rowStarts_;
};

}  // namespace

std::unique_ptr<PictureDecoder> NewJpegDecoder() { return std::make_unique<JpegDecoder>(); }

}  // namespace bex::wicspi
