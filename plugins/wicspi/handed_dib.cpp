// The DIB that the host receives, filled strip by strip from any decoder,
// converted to sRGB where the file declares other colours.
#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

#include "wicspi/picture_decoder.h"
#include "wicspi/srgb_conversion.h"

namespace bex::wicspi {
namespace {

// Rows are asked of the decoder in strips of about this size: small enough
// to stay in cache, large enough to keep the calls few.
constexpr size_t kStripBytes = 1 << 20;

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
bool StopRequested(ProgressCallback progress, uint32_t done, uint32_t total, LONG_PTR data) {
  return progress && progress(static_cast<int>(done), static_cast<int>(total), data) != 0;
}

// Strips of rows written into the DIB in sRGB: converted where the file
// declares other colours (through a strip of their own where the DIB's rows
// do not take them as they come); rows in sRGB or of undeclared colours are
// written as they are.
class SrgbStrips {
 public:
  explicit SrgbStrips(const StoredPicture& picture)
      : picture_(picture), conversion_(ConversionToSrgb(picture.colours, picture.pixels)) {}

  // Writes stored rows from `y` on into the DIB; upright opaque rows are
  // converted straight into it.
  void Put(const DibWriter& writer, const RowSpan& rows, uint32_t y) {
    if (conversion_ && conversion_->output() == PixelLayout::kBgr && writer.UprightRow(y)) {
      for (uint32_t r = 0; r < rows.count; ++r) {
        conversion_->Convert(rows.first + r * rows.stride, rows.stride, writer.UprightRow(y + r), 0,
                             picture_.width, 1);
      }
      return;
    }
    const RowSpan shown = Converted(rows);
    writer.PutRows(pixels(), shown.first, shown.stride, y, shown.count);
  }

 private:
  PixelLayout pixels() const { return conversion_ ? conversion_->output() : picture_.pixels; }

  RowSpan Converted(const RowSpan& rows) {
    if (!conversion_) return rows;
    const size_t stride = size_t{picture_.width} * BytesPerPixel(conversion_->output());
    converted_.resize(stride * rows.count);
    conversion_->Convert(rows.first, rows.stride, converted_.data(), stride, picture_.width,
                         rows.count);
    return RowSpan{converted_.data(), stride, rows.count};
  }

  const StoredPicture& picture_;
  std::shared_ptr<const SrgbConversion> conversion_;
  std::vector<uint8_t> converted_;
};

// Converts the upright 24-bit DIB that a codec wrote itself to sRGB, in place.
void ConvertDibToSrgb(const StoredPicture& picture, const DibLayout& layout, BYTE* dib) {
  const std::shared_ptr<const SrgbConversion> conversion =
      ConversionToSrgb(picture.colours, PixelLayout::kBgr);
  if (conversion) {
    conversion->Convert(dib, layout.stride, dib, layout.stride, layout.width, layout.height);
  }
}

// Has the decoder write into the locked DIB itself, or copies its rows strip
// by strip.
int CopyRows(PictureDecoder& decoder, const DibLayout& layout, BYTE* dib, ProgressCallback progress,
             LONG_PTR progressData) {
  const StoredPicture& picture = decoder.picture();
  const DibWriter writer(layout, picture.width, picture.height, picture.orientation, dib);
  writer.ClearRowPadding();
  if (StopRequested(progress, 0, picture.height, progressData)) return kSpiAborted;
  const int direct = decoder.DecodeIntoDib(dib, layout.stride, layout.imageBytes);
  if (direct != kSpiNotImplemented) {
    if (direct != kSpiOk) return direct;
    ConvertDibToSrgb(picture, layout, dib);
    return StopRequested(progress, picture.height, picture.height, progressData) ? kSpiAborted
                                                                                 : kSpiOk;
  }
  const size_t rowBytes = size_t{picture.width} * BytesPerPixel(picture.pixels);
  const uint32_t stripRows =
      static_cast<uint32_t>(std::clamp<size_t>(kStripBytes / rowBytes, 1, picture.height));
  std::optional<SrgbStrips> srgb;
  for (uint32_t y = 0; y < picture.height;) {
    RowSpan rows;
    const int result = decoder.NextRows(std::min(stripRows, picture.height - y), &rows);
    if (result != kSpiOk) return result;
    if (rows.count == 0 || rows.count > picture.height - y) return kSpiInternalError;
    // Some codecs tell the colours only once they decode.
    if (!srgb) srgb.emplace(picture);
    srgb->Put(writer, rows, y);
    y += rows.count;
    if (StopRequested(progress, y, picture.height, progressData)) return kSpiAborted;
  }
  return kSpiOk;
}

}  // namespace

int PlanDibOf(const PictureDecoder& decoder, DibLayout* layout) {
  const StoredPicture& picture = decoder.picture();
  const std::optional<DibLayout> planned =
      PlanDib(picture.width, picture.height, picture.orientation);
  if (!planned) return picture.width && picture.height ? kSpiNoMemory : kSpiBrokenData;
  *layout = *planned;
  return kSpiOk;
}

int HandOverDib(PictureDecoder& decoder, ProgressCallback progress, LONG_PTR progressData,
                HLOCAL* bitmapInfo, HLOCAL* pixels) {
  DibLayout layout;
  int result = PlanDibOf(decoder, &layout);
  if (result != kSpiOk) return result;
  LocalBlock infoBlock(sizeof(BITMAPINFO));
  LocalBlock pixelBlock(layout.imageBytes);
  if (!infoBlock.get() || !pixelBlock.get()) return kSpiNoMemory;
  {
    const LockedBytes header(infoBlock.get());
    const LockedBytes dib(pixelBlock.get());
    if (!header.get() || !dib.get()) return kSpiMemoryError;
    FillBitmapInfo(layout, reinterpret_cast<BITMAPINFO*>(header.get()));
    result = CopyRows(decoder, layout, dib.get(), progress, progressData);
  }
  if (result != kSpiOk) return result;
  *bitmapInfo = infoBlock.Release();
  *pixels = pixelBlock.Release();
  return kSpiOk;
}

}  // namespace bex::wicspi
