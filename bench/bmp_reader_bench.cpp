// Speed of the bitmap reader on 6000 x 4000 pictures, beside memcpy of the
// same file bytes: the reader should not be what makes opening a photo slow.
#include <benchmark/benchmark.h>
#include <cstring>
#include <map>
#include <vector>

#include "../tests/decoding/bmp_builder.h"
#include "decoding/bmp_reader.h"

namespace {

using bex::test::BmpFields;
using bex::test::BuildBmp;

constexpr int32_t kWidth = 6000;
constexpr int32_t kHeight = 4000;

enum class Kind { kBgr24, kXrgb32, kIndexed8, kRle8 };

// Cheap noise so that the pixels are not all alike.
uint32_t Noise(uint32_t x, uint32_t y) {
  uint32_t h = x * 0x9E3779B1u ^ y * 0x85EBCA77u;
  h ^= h >> 15;
  return h * 0x2C1B3C6Du >> 24;
}

// A photo-like byte: gradients plus a little noise.
uint8_t PhotoByte(uint32_t x, uint32_t y, uint32_t channel) {
  return static_cast<uint8_t>(x / 24 + y / 16 + channel * 80 + Noise(x, y + channel) / 16);
}

std::vector<uint8_t> DirectPixels(unsigned bytesPerPixel) {
  std::vector<uint8_t> data;
  data.reserve(size_t{kWidth} * kHeight * bytesPerPixel);
  for (uint32_t y = 0; y < kHeight; ++y) {
    for (uint32_t x = 0; x < kWidth; ++x) {
      for (uint32_t c = 0; c < bytesPerPixel; ++c) data.push_back(PhotoByte(x, y, c));
    }
  }
  return data;  // rows of 18000 and 24000 bytes need no padding
}

// Flat areas of a drawing with scattered odd pixels: runs broken up by
// absolute stretches, as run-length files usually hold.
uint8_t DrawingIndex(uint32_t x, uint32_t y) {
  if (Noise(x, y) < 12) return static_cast<uint8_t>(Noise(y, x));
  return static_cast<uint8_t>(x / 40 + y / 30);
}

void AppendRleRow(std::vector<uint8_t>& out, const std::vector<uint8_t>& row) {
  const size_t n = row.size();
  auto startsRun = [&](size_t i) {
    return i + 2 < n && row[i] == row[i + 1] && row[i] == row[i + 2];
  };
  for (size_t i = 0; i < n;) {
    size_t run = 1;
    while (i + run < n && run < 255 && row[i + run] == row[i]) ++run;
    if (run >= 3) {
      out.insert(out.end(), {static_cast<uint8_t>(run), row[i]});
      i += run;
      continue;
    }
    size_t literal = 0;
    while (i + literal < n && literal < 255 && !startsRun(i + literal)) ++literal;
    if (literal < 3) {
      for (size_t k = 0; k < literal; ++k) out.insert(out.end(), {1, row[i + k]});
    } else {
      out.insert(out.end(), {0, static_cast<uint8_t>(literal)});
      out.insert(out.end(), row.begin() + static_cast<ptrdiff_t>(i),
                 row.begin() + static_cast<ptrdiff_t>(i + literal));
      if (literal % 2 != 0) out.push_back(0);
    }
    i += literal;
  }
}

std::vector<uint8_t> IndexedPixels(bool runLength) {
  std::vector<uint8_t> data;
  std::vector<uint8_t> row(kWidth);
  for (uint32_t y = 0; y < kHeight; ++y) {
    for (uint32_t x = 0; x < kWidth; ++x)
      row[x] = runLength ? DrawingIndex(x, y) : PhotoByte(x, y, 0);
    if (!runLength) {
      data.insert(data.end(), row.begin(), row.end());
      continue;
    }
    AppendRleRow(data, row);
    data.insert(data.end(), {0, 0});
  }
  if (runLength) data.insert(data.end(), {0, 1});
  return data;
}

std::vector<uint8_t> MakeFile(Kind kind) {
  BmpFields fields;
  fields.width = kWidth;
  fields.height = kHeight;
  switch (kind) {
    case Kind::kBgr24:
      fields.bitCount = 24;
      fields.pixels = DirectPixels(3);
      break;
    case Kind::kXrgb32:
      fields.bitCount = 32;
      fields.pixels = DirectPixels(4);
      break;
    case Kind::kIndexed8:
    case Kind::kRle8:
      fields.bitCount = 8;
      fields.compression = kind == Kind::kRle8 ? bex::test::kBiRle8 : bex::test::kBiRgb;
      for (uint32_t i = 0; i < 256; ++i) fields.palette.push_back(i * 0x010101u);
      fields.pixels = IndexedPixels(kind == Kind::kRle8);
      break;
  }
  return BuildBmp(fields);
}

const std::vector<uint8_t>& File(Kind kind) {
  static std::map<Kind, std::vector<uint8_t>> files;
  auto it = files.find(kind);
  if (it == files.end()) it = files.emplace(kind, MakeFile(kind)).first;
  return it->second;
}

void BM_Decode(benchmark::State& state, Kind kind) {
  const std::vector<uint8_t>& file = File(kind);
  std::vector<uint32_t> pixels(size_t{kWidth} * kHeight, 1);
  for (auto _ : state) {
    bex::BmpInfo info;
    if (!bex::ParseBmp(file.data(), file.size(), &info) ||
        !bex::DecodeBmp(file.data(), file.size(), info, pixels.data(), ptrdiff_t{kWidth} * 4)) {
      state.SkipWithError("the reader refused the picture");
      return;
    }
    benchmark::DoNotOptimize(pixels.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(file.size()));
  // Pixels per second compare the formats with each other, whose files
  // differ in size for the same picture.
  state.counters["pixels"] = benchmark::Counter(
      static_cast<double>(state.iterations()) * kWidth * kHeight, benchmark::Counter::kIsRate);
}

// The baseline: copying the file's bytes once.
void BM_Memcpy(benchmark::State& state, Kind kind) {
  const std::vector<uint8_t>& file = File(kind);
  std::vector<uint8_t> copy(file.size(), 1);
  for (auto _ : state) {
    std::memcpy(copy.data(), file.data(), file.size());
    benchmark::DoNotOptimize(copy.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(file.size()));
}

#define BEX_BMP_BENCH(name, kind)                                          \
  BENCHMARK_CAPTURE(BM_Decode, name, kind)->Unit(benchmark::kMillisecond); \
  BENCHMARK_CAPTURE(BM_Memcpy, name, kind)->Unit(benchmark::kMillisecond)

BEX_BMP_BENCH(Bgr24, Kind::kBgr24);
BEX_BMP_BENCH(Xrgb32, Kind::kXrgb32);
BEX_BMP_BENCH(Indexed8, Kind::kIndexed8);
BEX_BMP_BENCH(Rle8, Kind::kRle8);

}  // namespace

BENCHMARK_MAIN();
