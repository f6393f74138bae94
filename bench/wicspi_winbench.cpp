// Times wicspi.spi's GetPicture on large photos (JPEG 4000 x 3000 and
// 6000 x 4000, PNG 6000 x 4000, and the 4000 x 3000 photo as WebP, HEIC,
// AVIF, JPEG XL, in a DNG's preview and as the same JPEG with a Display P3
// profile, converted to sRGB) beside the same plug-in built to
// decode everything through WIC (bench\wic-only\wicspi.spi, the plug-in as
// it was before its own decoders), a bare WIC decode of the same files to
// 32-bit pixels and, when given, a baseline build of the plug-in; each
// 4000 x 3000 photo also as a ratio to the JPEG. Then the peak memory of
// each, measured in a child process of its own, and the time of GetPreview.
//   wicspi_winbench.exe [folder of the bench-* photos] [runs] [baseline wicspi.spi]
// Without a folder it uses <build>\fixtures (tests/plugins/make_fixtures.sh
// <build>/fixtures --bench makes the photos).
#include <windows.h>

#include <psapi.h>
#include <wincodec.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>
#include <wrl/client.h>

#include "support/wine_paths.h"

namespace {

using Microsoft::WRL::ComPtr;
using GetPictureFn = int(WINAPI*)(LPCSTR, LONG, UINT, HLOCAL*, HLOCAL*, FARPROC, LONG);
using IsSupportedFn = int(WINAPI*)(LPCSTR, DWORD);

double Now() {
  LARGE_INTEGER count, frequency;
  QueryPerformanceCounter(&count);
  QueryPerformanceFrequency(&frequency);
  return double(count.QuadPart) / double(frequency.QuadPart);
}

// The plug-in, and the same sources built to decode everything through WIC.
const char* const kPluginPath = "\\plugins\\wicspi.spi";
const char* const kWicOnlyPath = "\\bench\\wic-only\\wicspi.spi";

std::string InBuild(const char* path) { return bex::test::BuildDir() + path; }

class Plugin {
 public:
  explicit Plugin(const std::string& path) {
    module_ = LoadLibraryA(path.c_str());
    if (module_) {
      getPicture_ = reinterpret_cast<GetPictureFn>(
          reinterpret_cast<void*>(GetProcAddress(module_, "GetPicture")));
      getPreview_ = reinterpret_cast<GetPictureFn>(
          reinterpret_cast<void*>(GetProcAddress(module_, "GetPreview")));
      isSupported_ = reinterpret_cast<IsSupportedFn>(
          reinterpret_cast<void*>(GetProcAddress(module_, "IsSupported")));
    }
  }
  ~Plugin() {
    if (module_) FreeLibrary(module_);
  }
  bool loaded() const { return getPicture_ && getPreview_ && isSupported_; }

  // One IsSupported with a handle from _lopen, as the viewer asks.
  bool Accepts(const std::string& path) const {
    const HFILE file = _lopen(path.c_str(), OF_READ | OF_SHARE_DENY_NONE);
    const bool accepted = file != HFILE_ERROR && isSupported_(path.c_str(), DWORD(file)) != 0;
    if (file != HFILE_ERROR) _lclose(file);
    return accepted;
  }

  // One GetPicture as the viewer calls it, blocks freed as the viewer does.
  bool Decode(const std::string& path) const { return Call(getPicture_, path); }
  bool Preview(const std::string& path) const { return Call(getPreview_, path); }

 private:
  static bool Call(GetPictureFn call, const std::string& path) {
    HLOCAL info = nullptr, pixels = nullptr;
    if (call(path.c_str(), 0, 0, &info, &pixels, nullptr, 0) != 0) return false;
    GlobalFree(pixels);
    GlobalFree(info);
    return true;
  }

  HMODULE module_ = nullptr;
  GetPictureFn getPicture_ = nullptr;
  GetPictureFn getPreview_ = nullptr;
  IsSupportedFn isSupported_ = nullptr;
};

// The same file decoded by WIC alone into 32-bit BGRA pixels.
bool BareDecode(const std::string& path) {
  ComPtr<IWICImagingFactory> factory;
  if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                              IID_PPV_ARGS(&factory)))) {
    return false;
  }
  std::wstring wide(path.begin(), path.end());
  ComPtr<IWICBitmapDecoder> decoder;
  ComPtr<IWICBitmapFrameDecode> frame;
  ComPtr<IWICFormatConverter> converter;
  UINT width = 0, height = 0;
  if (FAILED(factory->CreateDecoderFromFilename(wide.c_str(), nullptr, GENERIC_READ,
                                                WICDecodeMetadataCacheOnDemand, &decoder)) ||
      FAILED(decoder->GetFrame(0, &frame)) || FAILED(frame->GetSize(&width, &height)) ||
      FAILED(factory->CreateFormatConverter(&converter)) ||
      FAILED(converter->Initialize(frame.Get(), GUID_WICPixelFormat32bppBGRA,
                                   WICBitmapDitherTypeNone, nullptr, 0.0,
                                   WICBitmapPaletteTypeCustom))) {
    return false;
  }
  std::vector<BYTE> pixels(size_t{width} * height * 4);
  return SUCCEEDED(converter->CopyPixels(nullptr, width * 4, UINT(pixels.size()), pixels.data()));
}

struct Timing {
  double min = 0, median = 0;
};

Timing Summarize(std::vector<double> seconds) {
  std::sort(seconds.begin(), seconds.end());
  return {seconds.front(), seconds[seconds.size() / 2]};
}

std::string Quoted(const std::string& s) { return "\"" + s + "\""; }

// Runs this program again to decode `path` once by `way` and print its peak
// memory; a fresh process keeps the two ways' peaks apart.
void ReportPeakInChild(const std::string& way, const std::string& path) {
  char self[MAX_PATH];
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string command = Quoted(self) + " --peak " + way + " " + Quoted(path);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                      &process)) {
    std::printf("  cannot start the peak-memory run\n");
    return;
  }
  WaitForSingleObject(process.hProcess, INFINITE);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
}

int PeakRun(const std::string& way, const std::string& path) {
  PROCESS_MEMORY_COUNTERS before{}, after{};
  GetProcessMemoryInfo(GetCurrentProcess(), &before, sizeof before);
  const bool ok = way == "plugin"     ? Plugin(InBuild(kPluginPath)).Decode(path)
                  : way == "wic-only" ? Plugin(InBuild(kWicOnlyPath)).Decode(path)
                                      : BareDecode(path);
  GetProcessMemoryInfo(GetCurrentProcess(), &after, sizeof after);
  constexpr double kMiB = 1024.0 * 1024.0;
  std::printf("  peak memory, %-8s: working set %7.1f MiB (+%.1f), pagefile %7.1f MiB (+%.1f)%s\n",
              way.c_str(), after.PeakWorkingSetSize / kMiB,
              (after.PeakWorkingSetSize - before.PeakWorkingSetSize) / kMiB,
              after.PeakPagefileUsage / kMiB,
              (after.PeakPagefileUsage - before.PeakPagefileUsage) / kMiB, ok ? "" : " (failed)");
  return ok ? 0 : 1;
}

// Median and fastest of `runs` calls of `decode`, or nothing when one fails.
template <typename Decode>
std::optional<Timing> Time(int runs, Decode decode) {
  std::vector<double> seconds;
  for (int i = 0; i < runs; ++i) {
    const double start = Now();
    if (!decode()) return std::nullopt;
    seconds.push_back(Now() - start);
  }
  return Summarize(seconds);
}

void PrintTiming(const char* what, const std::optional<Timing>& t) {
  if (t) {
    std::printf("  %-34s min %7.1f ms  median %7.1f ms\n", what, t->min * 1e3, t->median * 1e3);
  } else {
    std::printf("  %-34s not decoded\n", what);
  }
}

struct Photo {
  const char* name;
  double goal;          // most time of the plug-in against the WIC-only build; 0: none
  double baselineGoal;  // most time against the baseline build; 0: none
  double jpegGoal;      // most time against the 4000 x 3000 JPEG; 0: none
};

// The median times of one photo; nothing where a way cannot decode it.
struct PhotoTimes {
  double plugin = 0;
  std::optional<Timing> baseline;
};

std::optional<Timing> Summary(bool decoded, const std::vector<double>& seconds) {
  return decoded ? std::optional<Timing>(Summarize(seconds)) : std::nullopt;
}

std::optional<PhotoTimes> BenchFile(const Plugin& plugin, const Plugin& wicOnly,
                                    const Plugin* baseline, const std::string& path,
                                    const Photo& photo, int runs) {
  // Interleaved runs: each way sees the same machine load.
  std::vector<double> pluginTimes, wicOnlyTimes, bareTimes, baselineTimes;
  bool wicOnlyDecodes = true, bareDecodes = true, baselineDecodes = baseline != nullptr;
  for (int i = 0; i < runs; ++i) {
    double start = Now();
    if (!plugin.Decode(path)) return std::nullopt;
    pluginTimes.push_back(Now() - start);
    start = Now();
    wicOnlyDecodes = wicOnlyDecodes && wicOnly.Decode(path);
    wicOnlyTimes.push_back(Now() - start);
    start = Now();
    bareDecodes = bareDecodes && BareDecode(path);
    bareTimes.push_back(Now() - start);
    if (baseline) {
      start = Now();
      baselineDecodes = baselineDecodes && baseline->Decode(path);
      baselineTimes.push_back(Now() - start);
    }
  }
  std::printf("%s (%d runs)\n", path.c_str(), runs);
  const Timing p = Summarize(pluginTimes);
  PrintTiming("GetPicture:", p);
  const std::optional<Timing> w = Summary(wicOnlyDecodes, wicOnlyTimes);
  PrintTiming("GetPicture, WIC-only build:", w);
  PrintTiming("bare WIC to 32-bit BGRA:", Summary(bareDecodes, bareTimes));
  if (w && photo.goal > 0) {
    std::printf("  ratio to the WIC-only build: %.3f (median), %.3f (min); goal <= %.2f\n",
                p.median / w->median, p.min / w->min, photo.goal);
  }
  PhotoTimes times{p.median, Summary(baselineDecodes, baselineTimes)};
  if (baseline) {
    PrintTiming("GetPicture, baseline build:", times.baseline);
    if (times.baseline) {
      std::printf("  ratio to the baseline build: %.3f (median), %.3f (min)",
                  p.median / times.baseline->median, p.min / times.baseline->min);
      if (photo.baselineGoal > 0) std::printf("; goal <= %.2f", photo.baselineGoal);
      std::printf("\n");
    }
  }
  PrintTiming("GetPreview:", Time(runs, [&] { return plugin.Preview(path); }));
  constexpr int kQuestions = 50;
  const double start = Now();
  for (int i = 0; i < kQuestions; ++i) {
    if (!plugin.Accepts(path)) return std::nullopt;
  }
  std::printf("  IsSupported with a file handle: %.2f ms a call\n",
              (Now() - start) * 1e3 / kQuestions);
  std::fflush(stdout);
  for (const char* way : {"plugin", "wic-only", "bare"}) ReportPeakInChild(way, path);
  return times;
}

}  // namespace

int main(int argc, char** argv) {
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  if (argc == 4 && std::string(argv[1]) == "--peak") return PeakRun(argv[2], argv[3]);
  const std::string folder = argc > 1 ? argv[1] : bex::test::BuildDir() + "\\fixtures";
  const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 7;
  const Plugin plugin(InBuild(kPluginPath)), wicOnly(InBuild(kWicOnlyPath));
  if (!plugin.loaded() || !wicOnly.loaded()) {
    std::printf("%s or %s not found under %s\n", kPluginPath, kWicOnlyPath,
                bex::test::BuildDir().c_str());
    return 1;
  }
  std::optional<Plugin> baseline;
  if (argc > 3 && !baseline.emplace(argv[3]).loaded()) {
    std::printf("no baseline plug-in %s\n", argv[3]);
    return 1;
  }
  const char* const kJpeg = "bench-4000x3000.jpg";
  const Photo photos[] = {{kJpeg, 0.5, 0, 0},
                          {"bench-6000x4000.jpg", 0.5, 0, 0},
                          {"bench-6000x4000.png", 0.8, 0, 0},
                          {"bench-4000x3000.webp", 0, 0.6, 0},
                          {"bench-4000x3000.heic", 0, 0, 4},
                          {"bench-4000x3000.avif", 0, 0, 4},
                          {"bench-4000x3000.jxl", 0, 0, 4},
                          {"bench-4000x3000.dng", 0, 0, 0},
                          {"bench-4000x3000-p3.jpg", 0, 0, 1.2}};
  double jpegTime = 0;
  std::string ratios;
  for (const Photo& photo : photos) {
    const std::optional<PhotoTimes> times = BenchFile(
        plugin, wicOnly, baseline ? &*baseline : nullptr, folder + "\\" + photo.name, photo, runs);
    if (!times) {
      std::printf("%s: cannot decode (make it with make_fixtures.sh --bench)\n", photo.name);
      return 1;
    }
    if (std::string(photo.name) == kJpeg) jpegTime = times->plugin;
    if (photo.jpegGoal > 0 || std::string(photo.name).rfind("bench-4000x3000.", 0) == 0) {
      char line[160];
      char goal[32] = "";
      if (photo.jpegGoal > 0) std::snprintf(goal, sizeof goal, "; goal <= %.1f", photo.jpegGoal);
      std::snprintf(line, sizeof line, "  %-22s %6.2f x the JPEG%s\n", photo.name,
                    times->plugin / jpegTime, goal);
      ratios += line;
    }
  }
  std::printf("GetPicture of the 4000 x 3000 photo in each format (medians):\n%s", ratios.c_str());
  return 0;
}
