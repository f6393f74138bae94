// How fast a large photo is drawn shrunk for the screen, beside a plain copy
// of the same pixels as the baseline.
#include <benchmark/benchmark.h>
#include <cstring>
#include <vector>

#include "display/resample.h"

namespace {

constexpr int kSrcW = 6000;
constexpr int kSrcH = 4000;

const std::vector<uint32_t>& Source() {
  static const std::vector<uint32_t> pixels = [] {
    std::vector<uint32_t> p(size_t{kSrcW} * kSrcH);
    uint32_t state = 1;
    for (uint32_t& px : p) {
      state = state * 1664525 + 1013904223;
      px = state >> 8;
    }
    return p;
  }();
  return pixels;
}

bex::PixelsView SourceView() { return {Source().data(), kSrcW, kSrcH, kSrcW * 4}; }

// Throughput counted in bytes of the full-size picture, as for the copy.
void SetSourceBytes(benchmark::State& state) {
  state.SetBytesProcessed(int64_t(state.iterations()) * kSrcW * kSrcH * 4);
}

void BM_MemcpySource(benchmark::State& state) {
  std::vector<uint32_t> copy(Source().size());
  for (auto _ : state) {
    std::memcpy(copy.data(), Source().data(), copy.size() * 4);
    benchmark::DoNotOptimize(copy.data());
  }
  SetSourceBytes(state);
}
BENCHMARK(BM_MemcpySource)->Unit(benchmark::kMillisecond);

// Arguments: destination width and height.
template <decltype(&bex::ScaleSmooth) Scale>
void BM_Scale(benchmark::State& state) {
  const int w = static_cast<int>(state.range(0));
  const int h = static_cast<int>(state.range(1));
  std::vector<uint32_t> out(size_t(w) * h);
  const bex::MutablePixelsView dst{out.data(), w, h, ptrdiff_t{w} * 4};
  for (auto _ : state) {
    if (!Scale(SourceView(), bex::WholePicture(dst), dst)) state.SkipWithError("refused");
    benchmark::DoNotOptimize(out.data());
  }
  SetSourceBytes(state);
}
BENCHMARK_TEMPLATE(BM_Scale, bex::ScaleSmooth)
    ->Args({1200, 800})
    ->Args({3000, 2000})
    ->Args({300, 200})
    ->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_Scale, bex::ScaleNearest)->Args({1200, 800})->Unit(benchmark::kMillisecond);

// A window's worth of the picture enlarged to 300 %.
void BM_NearestWindowAt300(benchmark::State& state) {
  std::vector<uint32_t> out(size_t{1600} * 1000);
  const bex::MutablePixelsView dst{out.data(), 1600, 1000, 1600 * 4};
  const bex::DisplayRegion region{kSrcW * 3, kSrcH * 3, 7000, 5000};
  for (auto _ : state) {
    if (!bex::ScaleNearest(SourceView(), region, dst)) state.SkipWithError("refused");
    benchmark::DoNotOptimize(out.data());
  }
}
BENCHMARK(BM_NearestWindowAt300)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
