// HEIC and AVIF through libheif, with libde265 for HEVC and dav1d for AV1:
// the primary picture with its rotation and mirroring applied, grids of
// tiles put together, deeper samples reduced to 8 bits, colours from the
// colr box (an ICC profile, or CICP codes); for a preview the embedded
// thumbnail when it is large enough. An opaque 8-bit picture goes from
// libheif's planes straight into the DIB.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <libheif/heif.h>
#include <thread>

#include "wicspi/decoding_plan.h"
#include "wicspi/exif_orientation.h"
#include "wicspi/picture_decoder.h"

namespace bex::wicspi {
namespace {

// Starting a second thread takes about half a millisecond under Wine: it
// pays only for pictures of a megapixel or more.
constexpr uint64_t kTwoThreadPixels = 1000000;

int ResultOf(const heif_error& error) {
  return error.code == heif_error_Memory_allocation_error ? kSpiNoMemory : kSpiBrokenData;
}

class HeifDecoder : public WholePictureDecoder {
 public:
  HeifDecoder() = default;
  ~HeifDecoder() override {
    heif_image_release(image_);
    heif_image_handle_release(thumbnail_);
    heif_image_handle_release(primary_);
    if (context_) heif_context_free(context_);
  }
  HeifDecoder(const HeifDecoder&) = delete;
  HeifDecoder& operator=(const HeifDecoder&) = delete;

  int Open(const BYTE* data, DWORD size) override {
    context_ = heif_context_alloc();
    if (!context_) return kSpiNoMemory;
    // The tiles of a grid, as phones store their photos, decode side by
    // side. libheif starts a thread for each tile (whose libde265 decoder
    // starts a worker thread of its own) and, with as many running as it
    // may, waits for the oldest: twice as many as cores keep every core busy
    // while one waits.
    heif_context_set_max_decoding_threads(
        context_, 2 * int(std::max(1u, std::thread::hardware_concurrency())));
    heif_error error = heif_context_read_from_memory_without_copy(context_, data, size, nullptr);
    if (error.code == heif_error_Ok) {
      error = heif_context_get_primary_image_handle(context_, &primary_);
    }
    if (error.code != heif_error_Ok) return ResultOf(error);
    Describe(primary_);
    return kSpiOk;
  }

  void Reduce(unsigned /*reduction*/) override {
    const int count = heif_image_handle_get_number_of_thumbnails(primary_);
    if (count <= 0) return;
    heif_item_id id = 0;
    heif_image_handle_get_list_of_thumbnail_IDs(primary_, &id, 1);
    heif_image_handle* thumbnail = nullptr;
    if (heif_image_handle_get_thumbnail(primary_, id, &thumbnail).code != heif_error_Ok) return;
    const int longer =
        std::max(heif_image_handle_get_width(thumbnail), heif_image_handle_get_height(thumbnail));
    if (longer < int{kPreviewLongerSide}) {
      heif_image_handle_release(thumbnail);
      return;
    }
    thumbnail_ = thumbnail;
    Describe(thumbnail_);
  }

 private:
  // The size as decoded: after rotation, with the alpha the picture has.
  void Describe(heif_image_handle* handle) {
    picture_.width = static_cast<uint32_t>(std::max(0, heif_image_handle_get_width(handle)));
    picture_.height = static_cast<uint32_t>(std::max(0, heif_image_handle_get_height(handle)));
    picture_.pixels =
        heif_image_handle_has_alpha_channel(handle) ? PixelLayout::kRgba : PixelLayout::kRgb;
    picture_.colours = ColoursOf(handle);
  }

  static PictureColours ColoursOf(heif_image_handle* handle) {
    PictureColours colours;
    colours.icc.resize(heif_image_handle_get_raw_color_profile_size(handle));
    if (!colours.icc.empty() &&
        heif_image_handle_get_raw_color_profile(handle, colours.icc.data()).code == heif_error_Ok) {
      return colours;
    }
    colours.icc.clear();
    heif_color_profile_nclx* codes = nullptr;
    if (heif_image_handle_get_nclx_color_profile(handle, &codes).code == heif_error_Ok && codes) {
      colours.encoding = EncodingOfCicp(codes->color_primaries, codes->transfer_characteristics);
    }
    heif_nclx_color_profile_free(codes);
    return colours;
  }

  int DecodeWhole(const uint8_t** first, size_t* stride) override {
    const heif_chroma chroma = picture_.pixels == PixelLayout::kRgba ? heif_chroma_interleaved_RGBA
                                                                     : heif_chroma_interleaved_RGB;
    const int result = Decode(chroma, heif_channel_interleaved);
    if (result != kSpiOk) return result;
    int planeStride = 0;
    *first = heif_image_get_plane_readonly(image_, heif_channel_interleaved, &planeStride);
    if (!*first || planeStride <= 0) return kSpiBrokenData;
    *stride = static_cast<size_t>(planeStride);
    return kSpiOk;
  }

  // An opaque 8-bit picture comes as libheif's planes of red, green and
  // blue (where a grid's tiles are put together), which are written straight
  // into the DIB, a large picture's on two threads: no interleaved copy
  // between them.
  int DecodeIntoDib(uint8_t* dib, size_t stride, size_t bytes) override {
    if (picture_.pixels != PixelLayout::kRgb ||
        heif_image_handle_get_luma_bits_per_pixel(shown()) != 8) {
      return kSpiNotImplemented;
    }
    const int result = Decode(heif_chroma_444, heif_channel_R);
    if (result != kSpiOk) return result;
    RgbPlanes planes;
    const heif_channel channels[] = {heif_channel_R, heif_channel_G, heif_channel_B};
    for (int c = 0; c < 3; ++c) {
      int planeStride = 0;
      planes.first[c] = heif_image_get_plane_readonly(image_, channels[c], &planeStride);
      if (!planes.first[c] || planeStride < int(picture_.width)) return kSpiBrokenData;
      planes.stride[c] = static_cast<size_t>(planeStride);
    }
    const DibWriter writer(DibLayout{picture_.width, picture_.height, stride, bytes},
                           picture_.width, picture_.height, kUpright, dib);
    if (uint64_t{picture_.width} * picture_.height < kTwoThreadPixels) {
      writer.PutPlanarRows(planes, 0, picture_.height);
      return kSpiOk;
    }
    const uint32_t half = picture_.height / 2;
    std::thread lowerHalf([&] { writer.PutPlanarRows(planes, half, picture_.height - half); });
    writer.PutPlanarRows(planes, 0, half);
    lowerHalf.join();
    return kSpiOk;
  }

  heif_image_handle* shown() const { return thumbnail_ ? thumbnail_ : primary_; }

  // Decodes the shown picture in RGB as `chroma`; `channel` must have the
  // size announced, which the DIB was made for.
  int Decode(heif_chroma chroma, heif_channel channel) {
    heif_decoding_options* options = heif_decoding_options_alloc();
    if (!options) return kSpiNoMemory;
    options->convert_hdr_to_8bit = 1;
    const heif_error error =
        heif_decode_image(shown(), &image_, heif_colorspace_RGB, chroma, options);
    heif_decoding_options_free(options);
    if (error.code != heif_error_Ok) return ResultOf(error);
    if (heif_image_get_width(image_, channel) != int(picture_.width) ||
        heif_image_get_height(image_, channel) != int(picture_.height)) {
      return kSpiBrokenData;
    }
    return kSpiOk;
  }

  heif_context* context_ = nullptr;
  heif_image_handle* primary_ = nullptr;
  heif_image_handle* thumbnail_ = nullptr;
  heif_image* image_ = nullptr;
};

}  // namespace

std::unique_ptr<PictureDecoder> NewHeifDecoder() { return std::make_unique<HeifDecoder>(); }

}  // namespace bex::wicspi
