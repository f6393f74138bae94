// Sorting a folder listing of a million files by each key, as a rebuild of
// the file list does after the folder has been enumerated.
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "filelist/file_list.h"

namespace {

constexpr size_t kEntries = 1000000;

// Camera names ("IMG_01234.JPG", with " (2)" copies once the counter wraps)
// mixed with a quarter of arbitrary names, in the platform's unsorted order.
std::string RandomName(std::mt19937& random, size_t i) {
  static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_-";
  if (i % 4 == 3) {
    std::string name(8 + random() % 16, ' ');
    for (char& c : name) c = kLetters[random() % (sizeof kLetters - 1)];
    return name + ".jpg";
  }
  char name[40];
  const size_t counter = i % 100000;
  const size_t copy = i / 100000;
  if (copy == 0) {
    std::snprintf(name, sizeof name, "IMG_%05zu.JPG", counter);
  } else {
    std::snprintf(name, sizeof name, "IMG_%05zu (%zu).JPG", counter, copy + 1);
  }
  return name;
}

const std::vector<bex::FileEntry>& Listing() {
  static const std::vector<bex::FileEntry> listing = [] {
    std::mt19937 random(20240601);
    std::vector<bex::FileEntry> entries;
    entries.reserve(kEntries);
    for (size_t i = 0; i < kEntries; ++i) {
      // Dates 2000-2024, packed as MS-DOS local time; sizes 10 kB to 20 MB.
      const uint32_t year = 20 + random() % 25;
      const uint32_t date = (year << 9) | ((1 + random() % 12) << 5) | (1 + random() % 28);
      const uint32_t time = ((random() % 24) << 11) | ((random() % 60) << 5) | (random() % 30);
      const std::string name = RandomName(random, i);
      entries.push_back(bex::FileEntry{std::wstring(name.begin(), name.end()),
                                       10000 + random() % 20000000, (date << 16) | time, name});
    }
    std::shuffle(entries.begin(), entries.end(), random);
    return entries;
  }();
  return listing;
}

void SortListing(benchmark::State& state, int sortKind) {
  const std::vector<bex::FileEntry>& listing = Listing();
  for (auto _ : state) {
    state.PauseTiming();
    std::vector<bex::FileEntry> list = listing;
    state.ResumeTiming();
    bex::SortFileList(list, sortKind, bex::kSortAscending, {});
    benchmark::DoNotOptimize(list.data());
    state.PauseTiming();
    list.clear();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * listing.size()));
}

void BM_SortByName(benchmark::State& state) { SortListing(state, bex::kSortByName); }
void BM_SortByDate(benchmark::State& state) { SortListing(state, bex::kSortByTime); }
void BM_SortBySize(benchmark::State& state) { SortListing(state, bex::kSortBySize); }

BENCHMARK(BM_SortByName)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortByDate)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortBySize)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
