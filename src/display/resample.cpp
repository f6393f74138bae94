#include "display/resample.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

namespace bex {
namespace {

// Weights of one axis are fixed point with this many bits; two axes' weights
// times a channel (255 << 24) plus rounding still fit 32 unsigned bits.
constexpr int kWeightBits = 12;
constexpr uint32_t kWeightOne = 1u << kWeightBits;
constexpr uint32_t kRounding = 1u << (2 * kWeightBits - 1);

// The source pixels that make up each destination pixel of one axis.
struct AxisTaps {
  std::vector<int> first;     // per destination pixel: first source index
  std::vector<size_t> begin;  // per destination pixel, plus one: into weight
  std::vector<uint16_t> weight;

  int Count(size_t i) const { return static_cast<int>(begin[i + 1] - begin[i]); }
  int SourceBegin() const { return first.front(); }
  int SourceEnd() const { return first.back() + Count(first.size() - 1); }
};

int NearestSource(int64_t displayIndex, int sourceSide, int displaySide) {
  return static_cast<int>(displayIndex * sourceSide / displaySide);
}

// Destination pixel i of a shrinking axis covers source span [i*S, (i+1)*S)
// in units of 1/D source pixel. The weights are rounded cumulatively, so they
// add up to exactly kWeightOne.
void AddAreaTaps(int64_t i, int64_t sourceSide, int64_t displaySide, AxisTaps& taps) {
  const int64_t spanBegin = i * sourceSide;
  const int64_t spanEnd = spanBegin + sourceSide;
  const int64_t firstSource = spanBegin / displaySide;
  const int64_t lastSource = (spanEnd - 1) / displaySide;
  taps.first.push_back(static_cast<int>(firstSource));
  int64_t covered = 0;
  uint32_t given = 0;
  for (int64_t j = firstSource; j <= lastSource; ++j) {
    covered += std::min((j + 1) * displaySide, spanEnd) - std::max(j * displaySide, spanBegin);
    const auto total = static_cast<uint32_t>((covered * kWeightOne + sourceSide / 2) / sourceSide);
    taps.weight.push_back(static_cast<uint16_t>(total - given));
    given = total;
  }
  taps.begin.push_back(taps.weight.size());
}

AxisTaps BuildTaps(int sourceSide, int displaySide, int start, int count) {
  AxisTaps taps;
  taps.first.reserve(count);
  taps.begin.reserve(count + 1);
  taps.begin.push_back(0);
  const bool shrinking = displaySide < sourceSide;
  for (int64_t i = start; i < int64_t{start} + count; ++i) {
    if (shrinking) {
      AddAreaTaps(i, sourceSide, displaySide, taps);
    } else {
      taps.first.push_back(NearestSource(i, sourceSide, displaySide));
      taps.weight.push_back(kWeightOne);
      taps.begin.push_back(taps.weight.size());
    }
  }
  return taps;
}

const uint32_t* Row(const PixelsView& v, int y) {
  return reinterpret_cast<const uint32_t*>(reinterpret_cast<const char*>(v.pixels) +
                                           v.strideBytes * y);
}

uint32_t* Row(const MutablePixelsView& v, int y) {
  return reinterpret_cast<uint32_t*>(reinterpret_cast<char*>(v.pixels) + v.strideBytes * y);
}

template <typename View>
bool ValidView(const View& v) {
  if (v.width < 0 || v.height < 0) return false;
  if (v.width == 0 || v.height == 0) return true;
  return v.pixels != nullptr && v.strideBytes >= int64_t{v.width} * 4;
}

bool ValidRegion(const DisplayRegion& r, const MutablePixelsView& dst) {
  return r.displayWidth > 0 && r.displayHeight > 0 && r.left >= 0 && r.top >= 0 &&
         int64_t{r.left} + dst.width <= r.displayWidth &&
         int64_t{r.top} + dst.height <= r.displayHeight;
}

void FillBlack(const MutablePixelsView& dst) {
  for (int y = 0; y < dst.height; ++y) std::fill_n(Row(dst, y), dst.width, 0u);
}

// Checks the arguments and settles the cases with nothing to scale: the
// result to return, or none when there is scaling to do.
std::optional<bool> TrivialResult(const PixelsView& src, const DisplayRegion& region,
                                  const MutablePixelsView& dst) {
  if (!ValidView(src) || !ValidView(dst)) return false;
  if (dst.width == 0 || dst.height == 0) return true;
  if (!ValidRegion(region, dst)) return false;
  if (src.width == 0 || src.height == 0) {
    FillBlack(dst);
    return true;
  }
  return std::nullopt;
}

// acc holds the four bytes of each source pixel in turn (blue, green, red
// and the unused one), a layout the compiler turns into vector code.
void AccumulateRow(const uint32_t* row, int count, uint16_t weight, uint32_t* acc) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(row);
  for (int k = 0; k < 4 * count; ++k) acc[k] += static_cast<uint32_t>(uint16_t{bytes[k]} * weight);
}

void ResolveRow(const AxisTaps& cols, const uint32_t* acc, int sourceBegin, uint32_t* out) {
  const uint16_t* weight = cols.weight.data();
  for (size_t x = 0; x < cols.first.size(); ++x) {
    const uint32_t* a = acc + 4 * (cols.first[x] - sourceBegin);
    uint32_t b = kRounding, g = kRounding, r = kRounding;
    for (int t = 0, n = cols.Count(x); t < n; ++t, a += 4) {
      const uint32_t w = *weight++;
      b += a[0] * w;
      g += a[1] * w;
      r += a[2] * w;
    }
    constexpr int shift = 2 * kWeightBits;
    out[x] = ((r >> shift) << 16) | ((g >> shift) << 8) | (b >> shift);
  }
}

}  // namespace

DisplayRegion WholePicture(const MutablePixelsView& dst) {
  return DisplayRegion{dst.width, dst.height, 0, 0};
}

bool ScaleSmooth(const PixelsView& src, const DisplayRegion& region, const MutablePixelsView& dst) {
  if (const auto done = TrivialResult(src, region, dst)) return *done;
  const AxisTaps cols = BuildTaps(src.width, region.displayWidth, region.left, dst.width);
  const AxisTaps rows = BuildTaps(src.height, region.displayHeight, region.top, dst.height);
  const int sourceBegin = cols.SourceBegin();
  const int sourceCount = cols.SourceEnd() - sourceBegin;
  std::vector<uint32_t> acc(4 * static_cast<size_t>(sourceCount));
  const uint16_t* weight = rows.weight.data();
  for (int y = 0; y < dst.height; ++y) {
    std::fill(acc.begin(), acc.end(), 0u);
    for (int t = 0, n = rows.Count(y); t < n; ++t) {
      AccumulateRow(Row(src, rows.first[y] + t) + sourceBegin, sourceCount, *weight++, acc.data());
    }
    ResolveRow(cols, acc.data(), sourceBegin, Row(dst, y));
  }
  return true;
}

bool ScaleNearest(const PixelsView& src, const DisplayRegion& region,
                  const MutablePixelsView& dst) {
  if (const auto done = TrivialResult(src, region, dst)) return *done;
  std::vector<int> columns(dst.width);
  for (int x = 0; x < dst.width; ++x) {
    columns[x] = NearestSource(int64_t{region.left} + x, src.width, region.displayWidth);
  }
  int previousSource = -1;
  for (int y = 0; y < dst.height; ++y) {
    const int sy = NearestSource(int64_t{region.top} + y, src.height, region.displayHeight);
    uint32_t* out = Row(dst, y);
    if (sy == previousSource) {
      std::memcpy(out, Row(dst, y - 1), dst.width * sizeof(uint32_t));
      continue;
    }
    const uint32_t* in = Row(src, sy);
    for (int x = 0; x < dst.width; ++x) out[x] = in[columns[x]];
    previousSource = sy;
  }
  return true;
}

bool ScaleForDisplay(const PixelsView& src, const DisplayRegion& region,
                     const MutablePixelsView& dst) {
  const bool shrinking = region.displayWidth < src.width || region.displayHeight < src.height;
  return shrinking ? ScaleSmooth(src, region, dst) : ScaleNearest(src, region, dst);
}

}  // namespace bex
