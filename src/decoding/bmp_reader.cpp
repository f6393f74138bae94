#include "decoding/bmp_reader.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace bex {
namespace {

constexpr uint32_t kFileHeaderSize = 14;
constexpr uint32_t kCoreHeaderSize = 12;
constexpr uint32_t kInfoHeaderSize = 40;
// From the 52-byte header on (V2, V3, V4, V5) the masks are part of it.
constexpr uint32_t kFirstHeaderWithMasks = 52;
constexpr uint32_t kMaskBytes = 12;

constexpr uint32_t kRgb = 0;
constexpr uint32_t kRle8 = 1;
constexpr uint32_t kRle4 = 2;
constexpr uint32_t kBitfields = 3;

// Masks that 16- and 32-bit BI_RGB pixels imply: 5-5-5 and 8-8-8.
constexpr std::array<uint32_t, 3> kRgb555Masks = {0x7C00, 0x03E0, 0x001F};
constexpr std::array<uint32_t, 3> kRgb888Masks = {0xFF0000, 0x00FF00, 0x0000FF};

uint16_t ReadU16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

uint32_t ReadU32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

bool IsKnownHeaderSize(uint32_t size) {
  static constexpr uint32_t kSizes[] = {kCoreHeaderSize, kInfoHeaderSize, 52, 56, 108, 124};
  return std::find(std::begin(kSizes), std::end(kSizes), size) != std::end(kSizes);
}

bool IsRle(uint32_t compression) { return compression == kRle8 || compression == kRle4; }

bool BitCountAllowed(uint32_t compression, uint16_t bitCount) {
  switch (compression) {
    case kRgb:
      return bitCount == 1 || bitCount == 4 || bitCount == 8 || bitCount == 16 || bitCount == 24 ||
             bitCount == 32;
    case kRle8:
      return bitCount == 8;
    case kRle4:
      return bitCount == 4;
    case kBitfields:
      return bitCount == 16 || bitCount == 32;
    default:
      return false;
  }
}

// Stored rows are padded to whole 32-bit words.
uint64_t RowBytes(uint64_t width, uint16_t bitCount) { return (width * bitCount + 31) / 32 * 4; }

unsigned TrailingZeros(uint32_t mask) {
  unsigned n = 0;
  while (mask != 0 && (mask & 1) == 0) {
    mask >>= 1;
    ++n;
  }
  return n;
}

unsigned SetBits(uint32_t mask) {
  unsigned n = 0;
  for (; mask != 0; mask &= mask - 1) ++n;
  return n;
}

// A colour mask must be one run of bits inside the pixel; an empty mask gives
// a channel that is always 0.
bool IsUsableMask(uint32_t mask, uint16_t bitCount) {
  if (bitCount < 32 && (mask >> bitCount) != 0) return false;
  const uint32_t run = mask >> TrailingZeros(mask);
  return (run & (run + 1)) == 0;
}

bool MasksUsable(const BmpInfo& info) {
  if (info.bitCount != 16 && info.bitCount != 32) return true;
  return IsUsableMask(info.redMask, info.bitCount) && IsUsableMask(info.greenMask, info.bitCount) &&
         IsUsableMask(info.blueMask, info.bitCount);
}

// Everything DecodeBmp relies on, checked against the file's size. Checked
// in this order so that no product below can overflow: the pixel count
// bounds width and height, and with them every row size.
bool LayoutFits(const BmpInfo& info, size_t size) {
  if (info.width <= 0 || info.height <= 0) return false;
  if (static_cast<uint64_t>(info.width) * static_cast<uint64_t>(info.height) > kMaxPicturePixels) {
    return false;
  }
  if (!BitCountAllowed(info.compression, info.bitCount)) return false;
  if (IsRle(info.compression) && info.topDown) return false;
  if (!MasksUsable(info)) return false;
  if (info.paletteEntrySize != 3 && info.paletteEntrySize != 4) return false;
  if (info.paletteCount > 256) return false;
  if (uint64_t{info.paletteOffset} + uint64_t{info.paletteCount} * info.paletteEntrySize > size) {
    return false;
  }
  if (info.pixelOffset >= size) return false;
  if (IsRle(info.compression)) return true;
  const uint64_t pixelBytes = RowBytes(static_cast<uint64_t>(info.width), info.bitCount) *
                              static_cast<uint64_t>(info.height);
  return pixelBytes <= size - info.pixelOffset;
}

void SetMasks(BmpInfo* info, const std::array<uint32_t, 3>& masks) {
  info->redMask = masks[0];
  info->greenMask = masks[1];
  info->blueMask = masks[2];
}

void SetMasks(BmpInfo* info, const uint8_t* p) {
  SetMasks(info, {ReadU32(p), ReadU32(p + 4), ReadU32(p + 8)});
}

// OS/2 1.x: 16-bit unsigned sides, always bottom-up, uncompressed, 1, 4, 8
// or 24 bits, and a colour table of 3-byte entries.
bool ReadCoreHeader(const uint8_t* header, BmpInfo* info) {
  info->width = ReadU16(header + 4);
  info->height = ReadU16(header + 6);
  info->bitCount = ReadU16(header + 10);
  info->compression = kRgb;
  info->paletteEntrySize = 3;
  info->paletteOffset = kFileHeaderSize + kCoreHeaderSize;
  if (info->bitCount == 16 || info->bitCount == 32) return false;
  if (info->bitCount <= 8) info->paletteCount = 1u << info->bitCount;
  return true;
}

// BITMAPINFOHEADER and its longer successors. False when a needed part lies
// beyond the file.
bool ReadInfoHeader(const uint8_t* data, size_t size, uint32_t headerSize, BmpInfo* info) {
  const uint8_t* header = data + kFileHeaderSize;
  const auto height = static_cast<int32_t>(ReadU32(header + 8));
  if (height == INT32_MIN) return false;
  info->width = static_cast<int32_t>(ReadU32(header + 4));
  info->topDown = height < 0;
  info->height = height < 0 ? -height : height;
  info->bitCount = ReadU16(header + 14);
  info->compression = ReadU32(header + 16);
  info->paletteEntrySize = 4;
  info->paletteOffset = kFileHeaderSize + headerSize;
  if (info->compression == kBitfields) {
    if (headerSize < kFirstHeaderWithMasks) {
      // The masks follow a 40-byte header as three DWORDs of their own.
      if (size - info->paletteOffset < kMaskBytes) return false;
      SetMasks(info, data + info->paletteOffset);
      info->paletteOffset += kMaskBytes;
    } else {
      SetMasks(info, header + kInfoHeaderSize);
    }
  } else if (info->bitCount == 16) {
    SetMasks(info, kRgb555Masks);
  } else if (info->bitCount == 32) {
    SetMasks(info, kRgb888Masks);
  }
  if (info->bitCount <= 8) {
    // A used-colours count above what the bit count can index is a lie; the
    // full table is meant.
    const uint32_t full = 1u << info->bitCount;
    const uint32_t used = ReadU32(header + 32);
    info->paletteCount = used == 0 || used > full ? full : used;
  }
  return true;
}

// The 0x00RRGGBB form of the colour table, black beyond its entries so that
// any index is safe to look up.
using Palette = std::array<uint32_t, 256>;

Palette LoadPalette(const uint8_t* data, const BmpInfo& info) {
  Palette palette{};
  const uint8_t* entry = data + info.paletteOffset;
  for (uint32_t i = 0; i < info.paletteCount; ++i, entry += info.paletteEntrySize) {
    palette[i] = entry[0] | entry[1] << 8 | static_cast<uint32_t>(entry[2]) << 16;
  }
  return palette;
}

// One colour channel of a masked pixel, widened to 8 bits: narrower fields
// repeat their bits downwards, as GDI widens them (the maximum gives 255);
// wider ones keep their top bits.
class Channel {
 public:
  explicit Channel(uint32_t mask) : mask_(mask), shift_(TrailingZeros(mask)), bits_(SetBits(mask)) {
    if (bits_ == 0 || bits_ >= 8) return;
    for (uint32_t v = 0; v < (1u << bits_); ++v) {
      const uint32_t top = v << (8 - bits_);
      uint32_t wide = 0;
      for (unsigned s = 0; s < 8; s += bits_) wide |= top >> s;
      widened_[v] = static_cast<uint8_t>(wide);
    }
  }
  uint32_t Extract(uint32_t pixel) const {
    const uint32_t v = (pixel & mask_) >> shift_;
    return bits_ >= 8 ? v >> (bits_ - 8) : widened_[v];
  }

 private:
  uint32_t mask_;
  unsigned shift_;
  unsigned bits_;
  std::array<uint8_t, 128> widened_{};
};

// What a row decoder needs besides the row: the colour table for indexed
// pixels, the channels for masked ones.
struct PixelFormat {
  explicit PixelFormat(const uint8_t* data, const BmpInfo& info)
      : palette(LoadPalette(data, info)),
        red(info.redMask),
        green(info.greenMask),
        blue(info.blueMask) {}
  uint32_t Compose(uint32_t pixel) const {
    return red.Extract(pixel) << 16 | green.Extract(pixel) << 8 | blue.Extract(pixel);
  }
  Palette palette;
  Channel red, green, blue;
};

using RowDecoder = void (*)(const uint8_t* src, uint32_t* dst, uint32_t width,
                            const PixelFormat& format);

// 1, 4 or 8 bits per pixel, the leftmost pixel in the high bits of a byte.
template <unsigned kBits>
void DecodeIndexedRow(const uint8_t* src, uint32_t* dst, uint32_t width,
                      const PixelFormat& format) {
  constexpr unsigned kPerByte = 8 / kBits;
  constexpr unsigned kIndexMask = (1u << kBits) - 1;
  for (size_t x = 0; x < width; ++x) {
    const unsigned shift = 8 - kBits - (x % kPerByte) * kBits;
    dst[x] = format.palette[(src[x / kPerByte] >> shift) & kIndexMask];
  }
}

// Pixel bytes are little-endian, as are all the machines this runs on; whole
// words are loaded with memcpy so that the compiler can vectorise the loops.
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "pixels load in machine byte order");

template <unsigned kBytes>
uint32_t LoadLittleEndian(const uint8_t* p) {
  uint32_t v = 0;
  std::memcpy(&v, p, kBytes);
  return v;
}

uint64_t Load64(const uint8_t* p) {
  uint64_t v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

template <unsigned kBytes>
void DecodeMaskedRow(const uint8_t* src, uint32_t* dst, uint32_t width, const PixelFormat& format) {
  for (size_t x = 0; x < width; ++x) {
    dst[x] = format.Compose(LoadLittleEndian<kBytes>(src + x * kBytes));
  }
}

// Four pixels per step, as two pairs in one 16-byte vector: each pair comes
// from an 8-byte load whose low three bytes stay and whose next three move up
// into the high word. The second load reaches two bytes past the four pixels,
// so the vector loop stops while a further pixel follows; the rest go one by
// one. (Where the target has no vector unit the compiler splits the vector.)
void DecodeBgrRow(const uint8_t* src, uint32_t* dst, uint32_t width, const PixelFormat&) {
  using Pairs = uint64_t __attribute__((vector_size(16)));
  constexpr Pairs kLow = {0xFFFFFF, 0xFFFFFF};
  constexpr Pairs kHigh = {0xFFFFFF00000000, 0xFFFFFF00000000};
  size_t x = 0;
  for (; x + 5 <= width; x += 4, src += 12) {
    const Pairs v = {Load64(src), Load64(src + 6)};
    const Pairs pixels = (v & kLow) | ((v << 8) & kHigh);
    std::memcpy(dst + x, &pixels, sizeof pixels);
  }
  for (; x < width; ++x, src += 3) dst[x] = LoadLittleEndian<3>(src);
}

// 32-bit pixels with the usual masks: only the fourth byte is cleared.
void DecodeXrgbRow(const uint8_t* src, uint32_t* dst, uint32_t width, const PixelFormat&) {
  for (size_t x = 0; x < width; ++x) {
    dst[x] = LoadLittleEndian<4>(src + 4 * x) & 0x00FFFFFF;
  }
}

bool HasMasks(const BmpInfo& info, const std::array<uint32_t, 3>& masks) {
  return info.redMask == masks[0] && info.greenMask == masks[1] && info.blueMask == masks[2];
}

RowDecoder ChooseRowDecoder(const BmpInfo& info) {
  switch (info.bitCount) {
    case 1:
      return DecodeIndexedRow<1>;
    case 4:
      return DecodeIndexedRow<4>;
    case 8:
      return DecodeIndexedRow<8>;
    case 16:
      return DecodeMaskedRow<2>;
    case 24:
      return DecodeBgrRow;
    default:
      return HasMasks(info, kRgb888Masks) ? DecodeXrgbRow : DecodeMaskedRow<4>;
  }
}

// The caller's picture: top-down rows strideBytes apart.
class Picture {
 public:
  Picture(uint32_t* pixels, ptrdiff_t strideBytes) : pixels_(pixels), stride_(strideBytes) {}
  uint32_t* Row(uint32_t y) const {
    return reinterpret_cast<uint32_t*>(reinterpret_cast<uint8_t*>(pixels_) +
                                       static_cast<ptrdiff_t>(y) * stride_);
  }

 private:
  uint32_t* pixels_;
  ptrdiff_t stride_;
};

void DecodeUncompressed(const uint8_t* data, const BmpInfo& info, const Picture& picture) {
  const PixelFormat format(data, info);
  const RowDecoder decodeRow = ChooseRowDecoder(info);
  const auto width = static_cast<uint32_t>(info.width);
  const auto height = static_cast<uint32_t>(info.height);
  const auto rowBytes = static_cast<size_t>(RowBytes(width, info.bitCount));
  const uint8_t* src = data + info.pixelOffset;
  for (uint32_t r = 0; r < height; ++r, src += rowBytes) {
    decodeRow(src, picture.Row(info.topDown ? r : height - 1 - r), width, format);
  }
}

// Run-length data draws into a picture that starts black. Positions count
// from the bottom-left corner, as the stored rows do. Drawing above the top
// row and moves out of the picture are malformed; data that ends without an
// end-of-bitmap code keeps what it drew, the way most readers show a
// truncated file.
class RleDecoder {
 public:
  RleDecoder(const uint8_t* data, size_t size, const BmpInfo& info, const Picture& picture)
      : stream_(data + info.pixelOffset),
        length_(size - info.pixelOffset),
        fourBit_(info.compression == kRle4),
        width_(static_cast<uint32_t>(info.width)),
        height_(static_cast<uint32_t>(info.height)),
        format_(data, info),
        picture_(picture) {}

  bool Decode() {
    for (uint32_t y = 0; y < height_; ++y) std::fill_n(picture_.Row(y), width_, 0u);
    while (Left() >= 2) {
      const uint8_t count = stream_[pos_];
      const uint8_t code = stream_[pos_ + 1];
      pos_ += 2;
      if (count > 0) {
        if (!DrawRun(count, code)) return false;
        continue;
      }
      switch (code) {
        case kEndOfLine:
          x_ = 0;
          y_ = std::min(y_ + 1, height_);
          break;
        case kEndOfBitmap:
          return true;
        case kDelta:
          if (!Delta()) return false;
          break;
        default:
          if (!DrawAbsolute(code)) return false;
      }
    }
    return true;
  }

 private:
  static constexpr uint8_t kEndOfLine = 0, kEndOfBitmap = 1, kDelta = 2;

  size_t Left() const { return length_ - pos_; }

  // Pixels go on the current row. Runs that go on past its right edge are
  // cut there: some writers encode the row's padding as pixels.
  bool OnPicture() const { return y_ < height_; }
  uint32_t* Cursor() const { return picture_.Row(height_ - 1 - y_) + x_; }
  uint32_t Visible(uint32_t count) const { return std::min(count, width_ - x_); }

  // Repeats the index byte; in 4-bit data its two halves alternate.
  bool DrawRun(uint32_t count, uint8_t indices) {
    if (!OnPicture()) return false;
    const uint32_t first = format_.palette[fourBit_ ? indices >> 4 : indices];
    const uint32_t second = format_.palette[fourBit_ ? indices & 0x0F : indices];
    const uint32_t visible = Visible(count);
    uint32_t* dst = Cursor();
    std::fill_n(dst, visible, first);
    for (uint32_t i = 1; i < visible && second != first; i += 2) dst[i] = second;
    x_ += visible;
    return true;
  }

  // Indices given one by one, padded to a 16-bit boundary.
  bool DrawAbsolute(uint32_t count) {
    if (!OnPicture()) return false;
    const size_t bytes = fourBit_ ? (count + 1) / 2 : count;
    if (Left() < bytes) {
      pos_ = length_;
      return true;
    }
    const uint32_t visible = Visible(count);
    (fourBit_ ? DecodeIndexedRow<4> : DecodeIndexedRow<8>)(stream_ + pos_, Cursor(), visible,
                                                           format_);
    pos_ += std::min(bytes + bytes % 2, Left());
    x_ += visible;
    return true;
  }

  bool Delta() {
    if (Left() < 2) {
      pos_ = length_;
      return true;
    }
    const uint32_t dx = stream_[pos_];
    const uint32_t dy = stream_[pos_ + 1];
    pos_ += 2;
    if (dx > width_ - x_ || dy > height_ - y_) return false;
    x_ += dx;
    y_ += dy;
    return true;
  }

  const uint8_t* stream_;
  size_t length_;
  size_t pos_ = 0;
  bool fourBit_;
  uint32_t width_, height_;
  uint32_t x_ = 0, y_ = 0;
  PixelFormat format_;
  Picture picture_;
};

}  // namespace

bool ParseBmp(const uint8_t* data, size_t size, BmpInfo* info) {
  if (data == nullptr || info == nullptr) return false;
  if (size < kFileHeaderSize + 4 || data[0] != 'B' || data[1] != 'M') return false;
  const uint32_t headerSize = ReadU32(data + kFileHeaderSize);
  if (!IsKnownHeaderSize(headerSize) || size - kFileHeaderSize < headerSize) return false;
  BmpInfo parsed;
  parsed.pixelOffset = ReadU32(data + 10);
  const bool headerRead = headerSize == kCoreHeaderSize
                              ? ReadCoreHeader(data + kFileHeaderSize, &parsed)
                              : ReadInfoHeader(data, size, headerSize, &parsed);
  if (!headerRead) return false;
  // The colour table ends where the pixels begin: writers that store fewer
  // entries than the bit count allows say so only through the pixel offset.
  if (parsed.pixelOffset < parsed.paletteOffset) return false;
  parsed.paletteCount = std::min(
      parsed.paletteCount, (parsed.pixelOffset - parsed.paletteOffset) / parsed.paletteEntrySize);
  if (!LayoutFits(parsed, size)) return false;
  *info = parsed;
  return true;
}

bool PlainPixelsInfo(int32_t width, int32_t height, bool topDown, uint16_t bitCount,
                     BmpInfo* info) {
  if (info == nullptr || (bitCount != 16 && bitCount != 24 && bitCount != 32)) return false;
  BmpInfo plain;
  plain.width = width;
  plain.height = height;
  plain.topDown = topDown;
  plain.bitCount = bitCount;
  plain.compression = kRgb;
  plain.paletteEntrySize = 4;
  if (bitCount == 16) SetMasks(&plain, kRgb555Masks);
  if (bitCount == 32) SetMasks(&plain, kRgb888Masks);
  *info = plain;
  return true;
}

bool DecodeBmp(const uint8_t* data, size_t size, const BmpInfo& info, uint32_t* pixels,
               ptrdiff_t strideBytes) {
  if (data == nullptr || pixels == nullptr || !LayoutFits(info, size)) return false;
  if (strideBytes % 4 != 0 || strideBytes < static_cast<ptrdiff_t>(info.width) * 4) return false;
  const Picture picture(pixels, strideBytes);
  if (IsRle(info.compression)) return RleDecoder(data, size, info, picture).Decode();
  DecodeUncompressed(data, info, picture);
  return true;
}

}  // namespace bex
