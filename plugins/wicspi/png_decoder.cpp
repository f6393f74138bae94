// PNG through libspng (inflating with zlib), row by row; interlaced pictures
// are decoded whole, as their passes spread over every row. Colours come
// from the iCCP chunk, or without it and an sRGB chunk from gAMA and cHRM.
#include <windows.h>

#include <spng.h>

#include <vector>

#include "wicspi/exif_orientation.h"
#include "wicspi/picture_decoder.h"

namespace bex::wicspi {
namespace {

// Text and other ancillary chunks are read and cached by the library; no
// honest picture needs more than this for them.
constexpr size_t kChunkLimitBytes = 64u << 20;

int ResultOf(int error) { return error == SPNG_EMEM ? kSpiNoMemory : kSpiBrokenData; }

class PngDecoder : public PictureDecoder {
 public:
  PngDecoder() = default;
  ~PngDecoder() override {
    if (png_) spng_ctx_free(png_);
  }
  PngDecoder(const PngDecoder&) = delete;
  PngDecoder& operator=(const PngDecoder&) = delete;

  int Open(const BYTE* data, DWORD size) override {
    // The chunks' CRCs already guard the compressed data; the checksum of the
    // inflated rows would cost a pass over the whole picture, so it is
    // skipped as web browsers do.
    png_ = spng_ctx_new(SPNG_CTX_IGNORE_ADLER32);
    if (!png_) return kSpiNoMemory;
    spng_set_chunk_limits(png_, kChunkLimitBytes, kChunkLimitBytes);
    spng_set_png_buffer(png_, data, size);
    spng_ihdr header{};
    const int error = spng_get_ihdr(png_, &header);
    if (error) return ResultOf(error);
    picture_.width = header.width;
    picture_.height = header.height;
    picture_.orientation = ReadExifOrientation(data, size);
    interlaced_ = header.interlace_method != SPNG_INTERLACE_NONE;
    const bool alpha = header.color_type == SPNG_COLOR_TYPE_GRAYSCALE_ALPHA ||
                       header.color_type == SPNG_COLOR_TYPE_TRUECOLOR_ALPHA || HasTransparency();
    picture_.pixels = alpha ? PixelLayout::kRgba : PixelLayout::kRgb;
    format_ = alpha ? SPNG_FMT_RGBA8 : SPNG_FMT_RGB8;
    ReadColours();
    return kSpiOk;
  }

  int NextRows(uint32_t wanted, RowSpan* rows) override {
    const size_t rowBytes = size_t{picture_.width} * BytesPerPixel(picture_.pixels);
    if (!started_) {
      const int error = interlaced_ ? DecodeWhole(rowBytes)
                                    : spng_decode_image(png_, nullptr, 0, format_,
                                                        SPNG_DECODE_TRNS | SPNG_DECODE_PROGRESSIVE);
      if (error) return ResultOf(error);
      started_ = true;
    }
    if (interlaced_) {
      *rows = RowSpan{whole_.data() + nextRow_ * rowBytes, rowBytes, wanted};
    } else {
      whole_.resize(wanted * rowBytes);
      for (uint32_t i = 0; i < wanted; ++i) {
        const int error = spng_decode_row(png_, whole_.data() + i * rowBytes, rowBytes);
        if (error && error != SPNG_EOI) return ResultOf(error);
      }
      *rows = RowSpan{whole_.data(), rowBytes, wanted};
    }
    nextRow_ += wanted;
    return kSpiOk;
  }

 private:
  int DecodeWhole(size_t rowBytes) {
    whole_.resize(size_t{picture_.height} * rowBytes);
    return spng_decode_image(png_, whole_.data(), whole_.size(), format_, SPNG_DECODE_TRNS);
  }

  void ReadColours() {
    spng_iccp profile{};
    uint8_t intent = 0;
    if (spng_get_iccp(png_, &profile) == 0) {
      const auto* bytes = reinterpret_cast<const uint8_t*>(profile.profile);
      picture_.colours.icc.assign(bytes, bytes + profile.profile_len);
    } else if (spng_get_srgb(png_, &intent) != 0) {
      uint32_t gamma = 0;
      spng_chrm_int chromaticities{};
      const bool hasGamma = spng_get_gama_int(png_, &gamma) == 0;
      const bool hasChromaticities = spng_get_chrm_int(png_, &chromaticities) == 0;
      const spng_chrm_int& c = chromaticities;
      const uint32_t xy[8] = {c.white_point_x, c.white_point_y, c.red_x,  c.red_y,
                              c.green_x,       c.green_y,       c.blue_x, c.blue_y};
      picture_.colours.encoding =
          EncodingOfPngChunks(hasGamma ? std::optional<uint32_t>(gamma) : std::nullopt,
                              hasChromaticities ? xy : nullptr);
    }
  }

  bool HasTransparency() {
    spng_trns transparency{};
    return spng_get_trns(png_, &transparency) == 0;
  }

  spng_ctx* png_ = nullptr;
  int format_ = SPNG_FMT_RGB8;
  bool interlaced_ = false;
  bool started_ = false;
  size_t nextRow_ = 0;
  std::vector<uint8_t> whole_;  // the whole picture, or the last strip of rows
};

}  // namespace

std::unique_ptr<PictureDecoder> NewPngDecoder() { return std::make_unique<PngDecoder>(); }

}  // namespace bex::wicspi
