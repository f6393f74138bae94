#include "wicspi/dib_writer.h"

#include <cstring>
#include <type_traits>

#include "shared/alpha_over_black.h"

namespace bex::wicspi {
namespace {

constexpr ptrdiff_t kDibPixelBytes = 3;

// Where stored pixel (x, y) appears upright, for each EXIF orientation; in
// rotated terms: 2 mirrors, 3 turns by 180 degrees, 4 flips, 5 transposes,
// 6 turns clockwise, 7 transverses, 8 turns counter-clockwise.
struct UprightPoint {
  int64_t u;
  int64_t v;
};

UprightPoint Upright(int orientation, int64_t x, int64_t y, int64_t w, int64_t h) {
  switch (orientation) {
    case 2:
      return {w - 1 - x, y};
    case 3:
      return {w - 1 - x, h - 1 - y};
    case 4:
      return {x, h - 1 - y};
    case 5:
      return {y, x};
    case 6:
      return {h - 1 - y, x};
    case 7:
      return {h - 1 - y, w - 1 - x};
    case 8:
      return {y, w - 1 - x};
    default:
      return {x, y};
  }
}

// Colour with c (cyan, magenta or yellow) and k (black) ink, 0 for none.
inline uint8_t Unink(uint8_t c, uint8_t k) { return OverBlack(255 - c, 255 - k); }

// One converter per pixel layout: bytes of a source pixel, and how it
// becomes blue, green and red.
struct FromBgr {
  static constexpr size_t kBytes = 3;
  static void Put(const uint8_t* s, uint8_t* t) { t[0] = s[0], t[1] = s[1], t[2] = s[2]; }
};
struct FromRgb {
  static constexpr size_t kBytes = 3;
  static void Put(const uint8_t* s, uint8_t* t) { t[0] = s[2], t[1] = s[1], t[2] = s[0]; }
};
struct FromBgra {
  static constexpr size_t kBytes = 4;
  static void Put(const uint8_t* s, uint8_t* t) {
    t[0] = OverBlack(s[0], s[3]), t[1] = OverBlack(s[1], s[3]), t[2] = OverBlack(s[2], s[3]);
  }
};
struct FromRgba {
  static constexpr size_t kBytes = 4;
  static void Put(const uint8_t* s, uint8_t* t) {
    t[0] = OverBlack(s[2], s[3]), t[1] = OverBlack(s[1], s[3]), t[2] = OverBlack(s[0], s[3]);
  }
};
struct FromCmyk {
  static constexpr size_t kBytes = 4;
  static void Put(const uint8_t* s, uint8_t* t) {
    t[0] = Unink(s[2], s[3]), t[1] = Unink(s[1], s[3]), t[2] = Unink(s[0], s[3]);
  }
};
// Inverted cyan, magenta and yellow are red, green and blue, and inverted
// black works like an alpha that darkens them.
using FromInvertedCmyk = FromRgba;

}  // namespace

size_t BytesPerPixel(PixelLayout layout) {
  return layout == PixelLayout::kBgr || layout == PixelLayout::kRgb ? 3 : 4;
}

bool SwapsAxes(int orientation) { return orientation >= 5 && orientation <= 8; }

std::optional<DibLayout> PlanDib(uint32_t storedWidth, uint32_t storedHeight, int orientation) {
  if (storedWidth == 0 || storedHeight == 0) return std::nullopt;
  if (uint64_t{storedWidth} * storedHeight > kMaxPicturePixels) return std::nullopt;
  DibLayout layout;
  layout.width = SwapsAxes(orientation) ? storedHeight : storedWidth;
  layout.height = SwapsAxes(orientation) ? storedWidth : storedHeight;
  const uint64_t stride = (uint64_t{layout.width} * kDibPixelBytes + 3) / 4 * 4;
  layout.stride = static_cast<size_t>(stride);
  layout.imageBytes = static_cast<size_t>(stride * layout.height);
  return layout;
}

DibWriter::DibWriter(const DibLayout& layout, uint32_t storedWidth, uint32_t storedHeight,
                     int orientation, uint8_t* dib)
    : layout_(layout), storedWidth_(storedWidth), dib_(dib) {
  // The mapping is affine, so three points give every offset.
  const auto offset = [&](int64_t x, int64_t y) {
    const UprightPoint p = Upright(orientation, x, y, storedWidth, storedHeight);
    const int64_t dibRow = int64_t{layout.height} - 1 - p.v;  // bottom-up
    return static_cast<ptrdiff_t>(dibRow * static_cast<int64_t>(layout.stride) +
                                  p.u * kDibPixelBytes);
  };
  origin_ = offset(0, 0);
  columnStep_ = offset(1, 0) - origin_;
  rowStep_ = offset(0, 1) - origin_;
}

uint8_t* DibWriter::PixelOf(uint32_t x, uint32_t y) const {
  return dib_ + origin_ + columnStep_ * ptrdiff_t(x) + rowStep_ * ptrdiff_t(y);
}

template <typename Convert>
void DibWriter::PutConverted(const uint8_t* rows, size_t rowStride, uint32_t firstRow,
                             uint32_t rowCount) const {
  for (uint32_t r = 0; r < rowCount; ++r) {
    const uint8_t* source = rows + r * rowStride;
    uint8_t* target = PixelOf(0, firstRow + r);
    if (columnStep_ != kDibPixelBytes) {
      for (uint32_t x = 0; x < storedWidth_; ++x, source += Convert::kBytes, target += columnStep_)
        Convert::Put(source, target);
    } else if constexpr (std::is_same_v<Convert, FromBgr>) {
      std::memcpy(target, source, size_t{storedWidth_} * kDibPixelBytes);
    } else {  // upright rows: a constant step lets the compiler unroll
      for (uint32_t x = 0; x < storedWidth_; ++x, source += Convert::kBytes, target += 3)
        Convert::Put(source, target);
    }
  }
}

void DibWriter::PutRows(PixelLayout pixelLayout, const uint8_t* rows, size_t rowStride,
                        uint32_t firstRow, uint32_t rowCount) const {
  switch (pixelLayout) {
    case PixelLayout::kBgr:
      return PutConverted<FromBgr>(rows, rowStride, firstRow, rowCount);
    case PixelLayout::kRgb:
      return PutConverted<FromRgb>(rows, rowStride, firstRow, rowCount);
    case PixelLayout::kBgra:
      return PutConverted<FromBgra>(rows, rowStride, firstRow, rowCount);
    case PixelLayout::kRgba:
      return PutConverted<FromRgba>(rows, rowStride, firstRow, rowCount);
    case PixelLayout::kCmyk:
      return PutConverted<FromCmyk>(rows, rowStride, firstRow, rowCount);
    case PixelLayout::kInvertedCmyk:
      return PutConverted<FromInvertedCmyk>(rows, rowStride, firstRow, rowCount);
  }
}

void DibWriter::PutPlanarRows(const RgbPlanes& planes, uint32_t firstRow, uint32_t rowCount) const {
  for (uint32_t y = firstRow; y < firstRow + rowCount; ++y) {
    const uint8_t* red = planes.first[0] + y * planes.stride[0];
    const uint8_t* green = planes.first[1] + y * planes.stride[1];
    const uint8_t* blue = planes.first[2] + y * planes.stride[2];
    uint8_t* target = PixelOf(0, y);
    if (columnStep_ == kDibPixelBytes) {  // upright rows: a constant step vectorises
      for (uint32_t x = 0; x < storedWidth_; ++x, target += kDibPixelBytes)
        target[0] = blue[x], target[1] = green[x], target[2] = red[x];
    } else {
      for (uint32_t x = 0; x < storedWidth_; ++x, target += columnStep_)
        target[0] = blue[x], target[1] = green[x], target[2] = red[x];
    }
  }
}

uint8_t* DibWriter::UprightRow(uint32_t y) const {
  return columnStep_ == kDibPixelBytes ? PixelOf(0, y) : nullptr;
}

void DibWriter::ClearRowPadding() const {
  const size_t used = size_t{layout_.width} * kDibPixelBytes;
  if (used == layout_.stride) return;
  for (uint32_t row = 0; row < layout_.height; ++row) {
    std::memset(dib_ + row * layout_.stride + used, 0, layout_.stride - used);
  }
}

}  // namespace bex::wicspi
