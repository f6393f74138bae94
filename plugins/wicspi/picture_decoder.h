// What every decoder of the plug-in offers: the stored size of a picture
// from its header, then its stored rows top to bottom; and the two memory
// blocks of the upright DIB that the host receives from them.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>

#include "wicspi/dib_writer.h"
#include "wicspi/picture_colours.h"
#include "wicspi/susie_api.h"

namespace bex::wicspi {

// The picture as its decoder hands it out.
struct StoredPicture {
  uint32_t width = 0;
  uint32_t height = 0;
  int orientation = 1;  // EXIF orientation, 1 for upright
  PixelLayout pixels = PixelLayout::kBgr;
  // The colours the file declares; known after Open, or for formats whose
  // codec tells them with the pixels, after the first NextRows.
  PictureColours colours;
};

// Decoded rows: `count` rows from `first` on, `stride` bytes apart; they stay
// valid until the next call of the decoder.
struct RowSpan {
  const uint8_t* first = nullptr;
  size_t stride = 0;
  uint32_t count = 0;
};

class PictureDecoder {
 public:
  virtual ~PictureDecoder() = default;

  // Reads the header of the picture in `data` (which outlives the decoder).
  // Returns an SpiResult.
  virtual int Open(const BYTE* data, DWORD size) = 0;

  // Asks for a smaller picture where the codec has one quickly: each side
  // divided by `reduction` (2, 4 or 8), or an embedded thumbnail of at least
  // kPreviewLongerSide pixels; picture() then tells what NextRows delivers.
  virtual void Reduce(unsigned /*reduction*/) {}

  // Asks for the top-left width x height of the stored picture alone (no
  // more than it has), where the codec decodes that much quicker than the
  // whole; false where it cannot, and picture() tells what NextRows delivers.
  virtual bool Crop(uint32_t /*width*/, uint32_t /*height*/) { return false; }

  // The picture that NextRows delivers; valid after a successful Open.
  const StoredPicture& picture() const { return picture_; }

  // Decodes the next rows, at least one and at most `wanted`. Returns an
  // SpiResult.
  virtual int NextRows(uint32_t wanted, RowSpan* rows) = 0;

  // Where the codec can write the whole picture straight into the DIB as the
  // host receives it (upright 24-bit BGR, bottom-up, `stride` bytes a row,
  // `bytes` in all), decodes it there and returns an SpiResult; otherwise
  // returns kSpiNotImplemented and the rows come from NextRows.
  virtual int DecodeIntoDib(uint8_t* /*dib*/, size_t /*stride*/, size_t /*bytes*/) {
    return kSpiNotImplemented;
  }

 protected:
  StoredPicture picture_;
};

// A decoder whose codec decodes the picture whole: at the first call of
// NextRows, then it hands the rows out in turn.
class WholePictureDecoder : public PictureDecoder {
 public:
  int NextRows(uint32_t wanted, RowSpan* rows) final {
    if (!first_) {
      const int result = DecodeWhole(&first_, &stride_);
      if (result != kSpiOk) return result;
    }
    *rows = RowSpan{first_ + size_t{next_} * stride_, stride_, wanted};
    next_ += wanted;
    return kSpiOk;
  }

 protected:
  // Decodes the picture; its rows start at *first, *stride bytes apart, and
  // stay as long as the decoder. Returns an SpiResult.
  virtual int DecodeWhole(const uint8_t** first, size_t* stride) = 0;

 private:
  const uint8_t* first_ = nullptr;
  size_t stride_ = 0;
  uint32_t next_ = 0;
};

// The decoders, one per format.
std::unique_ptr<PictureDecoder> NewJpegDecoder();
std::unique_ptr<PictureDecoder> NewPngDecoder();
std::unique_ptr<PictureDecoder> NewWebpDecoder();
std::unique_ptr<PictureDecoder> NewHeifDecoder();
std::unique_ptr<PictureDecoder> NewJpegXlDecoder();
std::unique_ptr<PictureDecoder> NewCameraRawDecoder();
std::unique_ptr<PictureDecoder> NewWicDecoder();

// True when a codec of the system recognizes the head of a file (its
// signature; nothing beyond the given bytes is read).
bool IsKnownToWic(const BYTE* head, DWORD size);

// The layout of the upright DIB of the opened picture; returns an SpiResult
// (kSpiNoMemory for a picture too large to hand out).
int PlanDibOf(const PictureDecoder& decoder, DibLayout* layout);

// Decodes the opened picture, upright, in sRGB, transparency over black, into two
// moveable local memory blocks that the caller owns from then on: the
// BITMAPINFO and the pixel rows. `progress` may be null. Returns an
// SpiResult; on failure no block is left allocated.
int HandOverDib(PictureDecoder& decoder, ProgressCallback progress, LONG_PTR progressData,
                HLOCAL* bitmapInfo, HLOCAL* pixels);

}  // namespace bex::wicspi
