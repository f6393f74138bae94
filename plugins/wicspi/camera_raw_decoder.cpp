// Camera raw files through LibRaw: the camera's embedded preview, the quick
// way culling tools show them, turned upright by the raw file's orientation;
// where no preview is at least a quarter of the sensor's width, a
// development of the raw data at half size. Full development is left to
// raw converters.
#include <windows.h>

#include <algorithm>
#include <iterator>
#include <libraw/libraw.h>
#include <memory>

#include "wicspi/picture_decoder.h"

namespace bex::wicspi {
namespace {

// LibRaw's flip (bit 4: transpose, 2: turn rows over, 1: mirror) as an EXIF
// orientation.
int OrientationOfFlip(int flip) {
  constexpr int kOrientations[] = {1, 2, 4, 3, 5, 8, 6, 7};
  return flip >= 0 && flip < int(std::size(kOrientations)) ? kOrientations[flip] : 1;
}

int ResultOf(int error) {
  return error == LIBRAW_UNSUFFICIENT_MEMORY ? kSpiNoMemory : kSpiBrokenData;
}

class CameraRawDecoder : public PictureDecoder {
 public:
  CameraRawDecoder() = default;
  ~CameraRawDecoder() override {
    if (developed_) LibRaw::dcraw_clear_mem(developed_);
  }
  CameraRawDecoder(const CameraRawDecoder&) = delete;
  CameraRawDecoder& operator=(const CameraRawDecoder&) = delete;

  int Open(const BYTE* data, DWORD size) override {
    raw_ = std::make_unique<LibRaw>(LIBRAW_OPTIONS_NONE);
    int error = raw_->open_buffer(const_cast<BYTE*>(data), size);
    if (error != LIBRAW_SUCCESS) return ResultOf(error);
    if (OpenPreview() == kSpiOk) return kSpiOk;
    error = Develop();
    return error == LIBRAW_SUCCESS ? kSpiOk : ResultOf(error);
  }

  void Reduce(unsigned reduction) override {
    if (!preview_) return;
    preview_->Reduce(reduction);
    TakeSizeOfPreview();
  }

  int NextRows(uint32_t wanted, RowSpan* rows) override {
    if (preview_) return preview_->NextRows(wanted, rows);
    const size_t stride = size_t{developed_->width} * 3;
    *rows = RowSpan{developed_->data + nextRow_ * stride, stride, wanted};
    nextRow_ += wanted;
    return kSpiOk;
  }

 private:
  // The embedded JPEG preview, when it is large enough.
  int OpenPreview() {
    if (raw_->unpack_thumb() != LIBRAW_SUCCESS) return kSpiBrokenData;
    const libraw_thumbnail_t& thumbnail = raw_->imgdata.thumbnail;
    if (thumbnail.tformat != LIBRAW_THUMBNAIL_JPEG || !thumbnail.thumb) return kSpiBrokenData;
    preview_ = NewJpegDecoder();
    const int result =
        preview_->Open(reinterpret_cast<const BYTE*>(thumbnail.thumb), thumbnail.tlength);
    const libraw_image_sizes_t& sensor = raw_->imgdata.sizes;
    const uint32_t longer = std::max(preview_->picture().width, preview_->picture().height);
    if (result != kSpiOk || longer * 4 < std::max<uint32_t>(sensor.width, sensor.height)) {
      preview_.reset();
      return kSpiBrokenData;
    }
    TakeSizeOfPreview();
    return kSpiOk;
  }

  void TakeSizeOfPreview() {
    picture_ = preview_->picture();
    picture_.orientation = OrientationOfFlip(raw_->imgdata.sizes.flip);
  }

  // The raw data developed at half size with the camera's white balance;
  // LibRaw turns it upright.
  int Develop() {
    libraw_output_params_t& params = raw_->imgdata.params;
    params.half_size = 1;
    params.use_camera_wb = 1;
    params.output_bps = 8;
    int error = raw_->unpack();
    if (error == LIBRAW_SUCCESS) error = raw_->dcraw_process();
    if (error != LIBRAW_SUCCESS) return error;
    developed_ = raw_->dcraw_make_mem_image(&error);
    if (!developed_) return error;
    if (developed_->type != LIBRAW_IMAGE_BITMAP || developed_->colors != 3 ||
        developed_->bits != 8) {
      return LIBRAW_UNSPECIFIED_ERROR;
    }
    picture_.width = developed_->width;
    picture_.height = developed_->height;
    picture_.pixels = PixelLayout::kRgb;
    return LIBRAW_SUCCESS;
  }

  std::unique_ptr<LibRaw> raw_;
  std::unique_ptr<PictureDecoder> preview_;
  libraw_processed_image_t* developed_ = nullptr;
  size_t nextRow_ = 0;
};

}  // namespace

std::unique_ptr<PictureDecoder> NewCameraRawDecoder() {
  return std::make_unique<CameraRawDecoder>();
}

}  // namespace bex::wicspi
