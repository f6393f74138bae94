#include "wicspi/srgb_conversion.h"

#include <emmintrin.h>
#include <lcms2.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <mutex>
#include <vector>

namespace bex::wicspi {
namespace {

// Owners of the library's handles.
struct ProfileCloser {
  void operator()(void* profile) const { cmsCloseProfile(profile); }
};
using Profile = std::unique_ptr<void, ProfileCloser>;
struct TransformDeleter {
  void operator()(void* transform) const { cmsDeleteTransform(transform); }
};
using Transform = std::unique_ptr<void, TransformDeleter>;

// Profiles beyond this size are refused unread; the largest printer
// profiles stay well below it.
constexpr size_t kLargestProfileBytes = 16u << 20;

bool HasAlpha(PixelLayout layout) {
  return layout == PixelLayout::kBgra || layout == PixelLayout::kRgba;
}

bool IsRgb(PixelLayout layout) {
  return layout != PixelLayout::kCmyk && layout != PixelLayout::kInvertedCmyk;
}

cmsUInt32Number LcmsFormatOf(PixelLayout layout) {
  switch (layout) {
    case PixelLayout::kBgr:
      return TYPE_BGR_8;
    case PixelLayout::kRgb:
      return TYPE_RGB_8;
    case PixelLayout::kBgra:
      return TYPE_BGRA_8;
    case PixelLayout::kRgba:
      return TYPE_RGBA_8;
    case PixelLayout::kCmyk:
      return TYPE_CMYK_8;
    case PixelLayout::kInvertedCmyk:  // 255 for no ink
      return TYPE_CMYK_8_REV;
  }
  return TYPE_BGR_8;
}

PixelLayout OutputOf(PixelLayout layout) {
  return HasAlpha(layout) ? PixelLayout::kBgra : PixelLayout::kBgr;
}

cmsToneCurve* CurveOf(const ColourEncoding& encoding) {
  if (encoding.transfer == TransferCurve::kGamma) return cmsBuildGamma(nullptr, encoding.gamma);
  // IEC 61966-2-1: Y = ((X + 0.055) / 1.055) ^ 2.4 above 0.04045, X / 12.92 below.
  const cmsFloat64Number srgb[5] = {2.4, 1 / 1.055, 0.055 / 1.055, 1 / 12.92, 0.04045};
  return cmsBuildParametricToneCurve(nullptr, 4, srgb);
}

Profile ProfileOf(const ColourEncoding& encoding) {
  const auto xyY = [](const Chromaticity& c) { return cmsCIExyY{c.x, c.y, 1}; };
  const cmsCIExyY white = xyY(encoding.white);
  const cmsCIExyYTRIPLE primaries{xyY(encoding.red), xyY(encoding.green), xyY(encoding.blue)};
  cmsToneCurve* curve = CurveOf(encoding);
  if (!curve) return nullptr;
  cmsToneCurve* const curves[3] = {curve, curve, curve};
  Profile profile(cmsCreateRGBProfile(&white, &primaries, curves));
  cmsFreeToneCurve(curve);
  return profile;
}

Profile SourceProfileOf(const PictureColours& colours) {
  if (colours.icc.empty()) return ProfileOf(*colours.encoding);
  if (colours.icc.size() > kLargestProfileBytes) return nullptr;
  return Profile(
      cmsOpenProfileFromMem(colours.icc.data(), static_cast<cmsUInt32Number>(colours.icc.size())));
}

// Any profile through the library's own transform.
class LcmsConversion final : public SrgbConversion {
 public:
  LcmsConversion(Transform transform, PixelLayout output)
      : transform_(std::move(transform)), output_(output) {}
  PixelLayout output() const override { return output_; }
  void Convert(const uint8_t* in, size_t inStride, uint8_t* out, size_t outStride, uint32_t width,
               uint32_t count) const override {
    cmsDoTransformLineStride(transform_.get(), in, out, width, count,
                             static_cast<cmsUInt32Number>(inStride),
                             static_cast<cmsUInt32Number>(outStride), 0, 0);
  }

 private:
  Transform transform_;
  PixelLayout output_;
};

// Without the library's cache of the last pixel a transform may run on
// several threads at once; perceptual rendering for profiles that have
// tables for it, as photo viewers do.
std::unique_ptr<LcmsConversion> NewLcmsConversion(void* source, PixelLayout layout) {
  const Profile srgb(cmsCreate_sRGBProfile());
  if (!srgb) return nullptr;
  cmsUInt32Number flags = cmsFLAGS_NOCACHE;
  if (HasAlpha(layout)) flags |= cmsFLAGS_COPY_ALPHA;
  Transform transform(cmsCreateTransform(source, LcmsFormatOf(layout), srgb.get(),
                                         LcmsFormatOf(OutputOf(layout)), INTENT_PERCEPTUAL, flags));
  if (!transform) return nullptr;
  return std::make_unique<LcmsConversion>(std::move(transform), OutputOf(layout));
}

using Matrix = std::array<std::array<double, 3>, 3>;

// The matrix from linear RGB to XYZ (D50) of a matrix-and-curves profile.
bool ReadMatrix(void* profile, Matrix* m) {
  const cmsTagSignature tags[3] = {cmsSigRedColorantTag, cmsSigGreenColorantTag,
                                   cmsSigBlueColorantTag};
  for (int c = 0; c < 3; ++c) {
    const auto* xyz = static_cast<const cmsCIEXYZ*>(cmsReadTag(profile, tags[c]));
    if (!xyz) return false;
    (*m)[0][c] = xyz->X, (*m)[1][c] = xyz->Y, (*m)[2][c] = xyz->Z;
  }
  return true;
}

bool Invert(const Matrix& m, Matrix* inverse) {
  const double det = m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
                     m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
                     m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
  if (!(std::fabs(det) > 1e-9)) return false;
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 3; ++c) {
      // The cofactor of (c, r), from the rows and columns after each.
      const int r1 = (c + 1) % 3, r2 = (c + 2) % 3, c1 = (r + 1) % 3, c2 = (r + 2) % 3;
      (*inverse)[r][c] = (m[r1][c1] * m[r2][c2] - m[r1][c2] * m[r2][c1]) / det;
    }
  }
  return true;
}

Matrix Product(const Matrix& a, const Matrix& b) {
  Matrix p{};
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 3; ++c) {
      for (int k = 0; k < 3; ++k) p[r][c] += a[r][k] * b[k][c];
    }
  }
  return p;
}

double SrgbEncoded(double linear) {
  return linear <= 0.0031308 ? 12.92 * linear : 1.055 * std::pow(linear, 1 / 2.4) - 0.055;
}

// Where the layouts keep red and blue, and their pixels' sizes.
template <int kRed, int kBlue, int kBytes>
struct ChannelOrder {
  static constexpr int red = kRed, blue = kBlue, bytes = kBytes;
};
using BgrPixels = ChannelOrder<2, 0, 3>;
using RgbPixels = ChannelOrder<0, 2, 3>;
using BgraPixels = ChannelOrder<2, 0, 4>;
using RgbaPixels = ChannelOrder<0, 2, 4>;

// A profile of primaries and curves, converted without the library: each
// channel's stored value gives, through a table, its linear light already
// multiplied into the three sRGB channels (the sRGB matrix's inverse times
// the profile's); the sums go through the sRGB curve as a table of linear
// steps. Several times quicker than the library's own 8-bit path.
class MatrixShaperConversion final : public SrgbConversion {
 public:
  // Fails where the profile's curves or colorants cannot be read.
  static std::unique_ptr<MatrixShaperConversion> New(void* profile, PixelLayout layout) {
    const Profile srgb(cmsCreate_sRGBProfile());
    Matrix toXyz, srgbToXyz, fromXyz;
    if (!srgb || !ReadMatrix(profile, &toXyz) || !ReadMatrix(srgb.get(), &srgbToXyz) ||
        !Invert(srgbToXyz, &fromXyz)) {
      return nullptr;
    }
    const cmsTagSignature curveTags[3] = {cmsSigRedTRCTag, cmsSigGreenTRCTag, cmsSigBlueTRCTag};
    auto conversion = std::unique_ptr<MatrixShaperConversion>(new MatrixShaperConversion(layout));
    const Matrix m = Product(fromXyz, toXyz);
    // The sums must stay within 16 bits; only very wide profiles leave them.
    double largestSum = 0;
    for (int o = 0; o < 3; ++o) {
      largestSum =
          std::max(largestSum, std::fabs(m[o][0]) + std::fabs(m[o][1]) + std::fabs(m[o][2]));
    }
    if (largestSum * kLinearSteps > INT16_MAX) return nullptr;
    for (int c = 0; c < 3; ++c) {
      const auto* curve = static_cast<const cmsToneCurve*>(cmsReadTag(profile, curveTags[c]));
      if (!curve) return nullptr;
      for (int v = 0; v < 256; ++v) {
        const double linear = std::clamp<double>(
            cmsEvalToneCurveFloat(curve, static_cast<cmsFloat32Number>(v / 255.0)), 0, 1);
        for (int o = 0; o < 3; ++o) {
          conversion->lanes_[c][v][o] =
              static_cast<int16_t>(std::lround(m[o][c] * linear * kLinearSteps));
        }
        conversion->lanes_[c][v][3] = 0;
      }
    }
    for (int i = 0; i <= kLinearSteps; ++i) {
      conversion->encode_[i] =
          static_cast<uint8_t>(std::lround(SrgbEncoded(double(i) / kLinearSteps) * 255));
    }
    return conversion;
  }

  PixelLayout output() const override { return OutputOf(layout_); }

  void Convert(const uint8_t* in, size_t inStride, uint8_t* out, size_t outStride, uint32_t width,
               uint32_t count) const override {
    for (uint32_t row = 0; row < count; ++row, in += inStride, out += outStride) {
      switch (layout_) {
        case PixelLayout::kBgr:
          ConvertRow<BgrPixels>(in, out, width);
          break;
        case PixelLayout::kRgb:
          ConvertRow<RgbPixels>(in, out, width);
          break;
        case PixelLayout::kBgra:
          ConvertRow<BgraPixels>(in, out, width);
          break;
        default:
          ConvertRow<RgbaPixels>(in, out, width);
          break;
      }
    }
  }

 private:
  // Linear light in the tables and the curve's table: 1.0 is kLinearSteps.
  static constexpr int kLinearSteps = 1 << 14;

  explicit MatrixShaperConversion(PixelLayout layout) : layout_(layout) {}

  // The three sRGB channels (red, green, blue, 0) of two pixels, in linear
  // steps not yet clamped.
  template <typename Order>
  __m128i Linear(const uint8_t* p, const uint8_t* q) const {
    const auto entries = [&](int channel, int at) {
      const auto entry = [&](const uint8_t* pixel) {
        return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(lanes_[channel][pixel[at]]));
      };
      return _mm_unpacklo_epi64(entry(p), entry(q));
    };
    return _mm_add_epi16(_mm_add_epi16(entries(0, Order::red), entries(1, 1)),
                         entries(2, Order::blue));
  }

  template <int kLane, typename Order>
  void Put(__m128i steps, const uint8_t* source, uint8_t* target) const {
    constexpr int kOutBytes = Order::bytes;
    target[0] = encode_[_mm_extract_epi16(steps, kLane + 2)];
    target[1] = encode_[_mm_extract_epi16(steps, kLane + 1)];
    target[2] = encode_[_mm_extract_epi16(steps, kLane)];
    if constexpr (kOutBytes == 4) target[3] = source[3];
  }

  // Two pixels at a time: their sums added and clamped together.
  template <typename Order>
  void ConvertRow(const uint8_t* in, uint8_t* out, uint32_t width) const {
    constexpr int kBytes = Order::bytes;
    const __m128i zero = _mm_setzero_si128();
    const __m128i top = _mm_set1_epi16(kLinearSteps);
    const auto clamped = [&](__m128i steps) {
      return _mm_min_epi16(_mm_max_epi16(steps, zero), top);
    };
    uint32_t x = 0;
    for (; x + 2 <= width; x += 2, in += 2 * kBytes, out += 2 * kBytes) {
      const __m128i steps = clamped(Linear<Order>(in, in + kBytes));
      Put<0, Order>(steps, in, out);
      Put<4, Order>(steps, in + kBytes, out + kBytes);
    }
    if (x < width) Put<0, Order>(clamped(Linear<Order>(in, in)), in, out);
  }

  PixelLayout layout_;
  int16_t lanes_[3][256][4];  // [stored channel][value][sRGB channel]
  uint8_t encode_[kLinearSteps + 1];
};

// A grid of stored values over the whole cube, in `layout` (opaque).
std::vector<uint8_t> SampleGrid(PixelLayout layout, uint32_t* count) {
  constexpr int kStep = 17;  // 16 values a channel, 0 and 255 among them
  const size_t bytes = BytesPerPixel(layout);
  std::vector<uint8_t> grid;
  for (int a = 0; a <= 255; a += kStep) {
    for (int b = 0; b <= 255; b += kStep) {
      for (int c = 0; c <= 255; c += kStep) {
        grid.insert(grid.end(), {uint8_t(a), uint8_t(b), uint8_t(c)});
        if (bytes == 4) grid.push_back(255);
      }
    }
  }
  *count = static_cast<uint32_t>(grid.size() / bytes);
  return grid;
}

// The grid's pixels converted, in the conversion's output layout.
std::vector<uint8_t> Converted(const SrgbConversion& conversion, const std::vector<uint8_t>& grid,
                               uint32_t count) {
  std::vector<uint8_t> out(size_t{count} * BytesPerPixel(conversion.output()));
  conversion.Convert(grid.data(), grid.size(), out.data(), out.size(), count, 1);
  return out;
}

int LargestDifference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
  int largest = 0;
  for (size_t i = 0; i < a.size(); ++i) largest = std::max(largest, std::abs(a[i] - b[i]));
  return largest;
}

// The grid's pixels as the converted layout (BGR or BGRA) holds them
// unconverted.
std::vector<uint8_t> Unconverted(PixelLayout layout, const std::vector<uint8_t>& grid,
                                 uint32_t count) {
  std::vector<uint8_t> out(size_t{count} * BytesPerPixel(OutputOf(layout)));
  const size_t inBytes = BytesPerPixel(layout), outBytes = BytesPerPixel(OutputOf(layout));
  const bool swapped = layout == PixelLayout::kRgb || layout == PixelLayout::kRgba;
  for (uint32_t i = 0; i < count; ++i) {
    const uint8_t* s = &grid[i * inBytes];
    uint8_t* t = &out[i * outBytes];
    std::memcpy(t, s, outBytes);
    if (swapped) std::swap(t[0], t[2]);
  }
  return out;
}

// Decides the conversion of one profile and layout: none for sRGB or a
// profile the library refuses; the quick path where it agrees with the
// library on the grid.
std::shared_ptr<const SrgbConversion> NewConversion(const PictureColours& colours,
                                                    PixelLayout layout) {
  const Profile source = SourceProfileOf(colours);
  if (!source) return nullptr;
  std::shared_ptr<const SrgbConversion> exact = NewLcmsConversion(source.get(), layout);
  if (!exact || !IsRgb(layout)) return exact;
  uint32_t count = 0;
  const std::vector<uint8_t> grid = SampleGrid(layout, &count);
  const std::vector<uint8_t> expected = Converted(*exact, grid, count);
  if (LargestDifference(expected, Unconverted(layout, grid, count)) <= 1) return nullptr;
  if (!cmsIsMatrixShaper(source.get())) return exact;
  std::shared_ptr<const SrgbConversion> quick = MatrixShaperConversion::New(source.get(), layout);
  constexpr int kRoundingTolerance = 2;
  return quick && LargestDifference(expected, Converted(*quick, grid, count)) <= kRoundingTolerance
             ? quick
             : exact;
}

// What identifies a conversion in the cache: the layout, then the profile's
// bytes or the encoding's.
std::vector<uint8_t> KeyOf(const PictureColours& colours, PixelLayout layout) {
  std::vector<uint8_t> key{static_cast<uint8_t>(layout), uint8_t{colours.icc.empty()}};
  if (!colours.icc.empty()) {
    key.insert(key.end(), colours.icc.begin(), colours.icc.end());
  } else {
    const ColourEncoding& e = *colours.encoding;
    const double values[] = {
        e.red.x,  e.red.y,   e.green.x, e.green.y, e.blue.x,
        e.blue.y, e.white.x, e.white.y, e.gamma,   double(static_cast<int>(e.transfer))};
    const auto* bytes = reinterpret_cast<const uint8_t*>(values);
    key.insert(key.end(), bytes, bytes + sizeof values);
  }
  return key;
}

// The conversions made last, the newest first; a folder of photos from one
// camera shares one.
class ConversionCache {
 public:
  std::shared_ptr<const SrgbConversion> Get(const PictureColours& colours, PixelLayout layout) {
    std::vector<uint8_t> key = KeyOf(colours, layout);
    const std::lock_guard<std::mutex> lock(mutex_);
    const auto found = std::find_if(entries_.begin(), entries_.end(),
                                    [&](const Entry& entry) { return entry.key == key; });
    if (found != entries_.end()) {
      std::rotate(entries_.begin(), found, found + 1);
      return entries_.front().conversion;
    }
    // Made under the lock: two threads never build the same one twice.
    std::shared_ptr<const SrgbConversion> conversion = NewConversion(colours, layout);
    if (entries_.size() == kEntries) entries_.pop_back();
    entries_.insert(entries_.begin(), Entry{std::move(key), conversion});
    return conversion;
  }

 private:
  static constexpr size_t kEntries = 8;
  struct Entry {
    std::vector<uint8_t> key;
    std::shared_ptr<const SrgbConversion> conversion;
  };
  std::mutex mutex_;
  std::vector<Entry> entries_;
};

}  // namespace

std::shared_ptr<const SrgbConversion> ConversionToSrgb(const PictureColours& colours,
                                                       PixelLayout layout) {
  if (!colours.declared()) return nullptr;
  static ConversionCache cache;
  return cache.Get(colours, layout);
}

}  // namespace bex::wicspi
