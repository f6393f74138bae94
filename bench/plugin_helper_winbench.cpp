// Figures of the plug-in helper processes, each beside its baseline of the
// same run:
//  1. a decode through a slot's helper (picture handed over in shared memory)
//     against the same module called in this process, 6000 x 4000 JPEG and
//     PNG with wicspi.spi;
//  2. the longest time the viewer takes to answer a message while it decodes
//     a 6000 x 4000 JPEG neighbour ahead;
//  3. held-key stepping through 12 JPEGs of 4000 x 3000, a key every 20 ms:
//     the time from the first key until the last file's title;
//  4. the viewer's committed memory after 10 and after 1000 failed decodes by
//     a module that leaks 200 MB a call;
//  5. a decode through the 64-bit helper with wicspi.sph against the 32-bit
//     helper with wicspi.spi, 6000 x 4000 JPEG and PNG, and the time each
//     helper takes to start and load its module.
// Figures 2 and 3 are also taken with a baseline viewer when one is given (a
// bex.exe of an earlier build, which decodes in its own process).
//   plugin_helper_winbench.exe [baseline bex.exe]
// The photos come from tests/plugins/make_fixtures.sh <build>/fixtures --bench.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "common/code_page_win.h"
#include "common/memory_win.h"
#include "decoding/spi_host_win.h"
#include "support/test_files.h"
#include "support/test_pictures.h"
#include "support/viewer_driver.h"
#include "support/wine_paths.h"

namespace {

using namespace bex;
using namespace bex::test;

double Now() {
  LARGE_INTEGER count, frequency;
  QueryPerformanceCounter(&count);
  QueryPerformanceFrequency(&frequency);
  return double(count.QuadPart) / double(frequency.QuadPart);
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

std::string Fixture(const std::string& name) { return BuildDir() + "\\fixtures\\" + name; }
// A plug-in folder holding only the build's plug-in `name`.
std::string FolderWithPlugin(const std::string& name) {
  const std::string folder = NewScratchFolder("plugin-" + name);
  CopyFileA((BuildDir() + "\\plugins\\" + name).c_str(), (folder + "\\" + name).c_str(), FALSE);
  return folder;
}

// 1. Helper against in-process, interleaved so both see the same load.
void CompareDecodes(const std::string& fixture, int runs) {
  const std::wstring path = FromCp932(fixture);
  const std::string folder = FolderWithPlugin("wicspi.spi");
  const PluginTable inProcess = spi::LoadModules(FromCp932(folder), {L"wicspi.spi"});
  const std::optional<size_t> reader = spi::FirstReader(inProcess, path);
  const PluginModule* module = reader ? inProcess[*reader].get() : nullptr;
  DecoderSlot slot;
  slot.LoadPlugins(folder);
  if (!module || !slot.PrepareFile(path)) {
    std::printf("%s: no module reads it\n", fixture.c_str());
    return;
  }
  std::vector<double> helper, local;
  for (int i = 0; i < runs; ++i) {
    double start = Now();
    const bool helped = slot.DecodePicture();
    helper.push_back(Now() - start);
    start = Now();
    const bool decoded = spi::Decode(*module, path) != nullptr;
    local.push_back(Now() - start);
    if (!helped || !decoded) {
      std::printf("%s: decode failed\n", fixture.c_str());
      return;
    }
    slot.ReleasePicture();
  }
  std::printf("%s (%d runs)\n  through the helper: median %7.1f ms\n", fixture.c_str(), runs,
              Median(helper) * 1e3);
  std::printf("  in this process:    median %7.1f ms\n  ratio %.3f (goal <= 1.05)\n",
              Median(local) * 1e3, Median(helper) / Median(local));
}

ViewerOptions WithPlugins(const std::string& program, std::vector<std::string> plugins) {
  ViewerOptions options;
  options.program = program;
  options.plugins = std::move(plugins);
  return options;
}

std::string NewFolderWith(const std::string& label, const std::string& photo,
                          const std::vector<std::string>& names) {
  const std::string folder = NewScratchFolder(label);
  for (const std::string& name : names) {
    CopyFileA(photo.c_str(), (folder + "\\" + name).c_str(), FALSE);
  }
  return folder;
}

// 2. Probes the window while the step's decode ahead runs.
void Responsiveness(const std::string& program, const char* label) {
  const std::string pictures =
      NewFolderWith("responsive", Fixture("bench-6000x4000.jpg"), {"a.jpg", "b.jpg", "c.jpg"});
  Viewer viewer =
      Viewer::Start(NewScratchFolder("responsive-viewer"), "\"" + pictures + "\\a.jpg\"",
                    WithPlugins(program, {"plugins\\wicspi.spi"}));
  viewer.WaitForTitle("a.jpg [100%]", 60000);
  viewer.PressKey(VK_SPACE);
  viewer.WaitForTitle("b.jpg [100%]", 60000);
  // The decode of c.jpg ahead begins as b.jpg shows.
  double longest = 0;
  for (const double end = Now() + 4; Now() < end;) {
    const double start = Now();
    DWORD_PTR result = 0;
    SendMessageTimeoutA(viewer.Window(), WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result);
    longest = std::max(longest, Now() - start);
    Sleep(5);
  }
  std::printf("  %-9s longest answer while a neighbour decodes: %7.1f ms (goal <= 50)\n", label,
              longest * 1e3);
}

// 3. Eleven steps of a held key, from the first file to the twelfth.
void HeldKeyStepping(const std::string& program, const char* label) {
  std::vector<std::string> names;
  for (int i = 1; i <= 12; ++i) names.push_back((i < 10 ? "0" : "") + std::to_string(i) + ".jpg");
  const std::string pictures = NewFolderWith("held-key", Fixture("bench-4000x3000.jpg"), names);
  Viewer viewer = Viewer::Start(NewScratchFolder("held-key-viewer"), "\"" + pictures + "\\01.jpg\"",
                                WithPlugins(program, {"plugins\\wicspi.spi"}));
  viewer.WaitForTitle("01.jpg [100%]", 60000);
  const double start = Now();
  for (size_t i = 1; i < names.size(); ++i) {
    viewer.KeyDown(VK_SPACE);
    Sleep(20);
  }
  viewer.KeyUp(VK_SPACE);
  const std::string title = viewer.WaitForTitle("12.jpg [100%]", 120000);
  std::printf("  %-9s 11 steps of a held key: %7.1f ms%s\n", label, (Now() - start) * 1e3,
              title == "12.jpg [100%]" ? "" : (" (ended on " + title + ")").c_str());
}

// 4. The viewer's own memory while a leaking module fails file after file.
void LeakingModule() {
  const std::string pictures = NewScratchFolder("leaks");
  const std::string viewerFolder = NewScratchFolder("leaks-viewer");
  WriteTestPicture(pictures + "\\a.tst", 64, 48, Rgb{255, 0, 0});
  WriteTestPicture(pictures + "\\z.tst", 64, 48, Rgb{0, 0, 255});
  auto addFailures = [&](int from, int to) {
    for (int i = from; i < to; ++i) {
      char name[32];
      std::snprintf(name, sizeof name, "\\f%04d.tst", i);
      WriteTestPicture(pictures + name, 4, 4, Rgb{0, 255, 0}, "leakfail");
    }
  };
  addFailures(0, 10);
  Viewer viewer = Viewer::Start(viewerFolder, "\"" + pictures + "\\a.tst\"",
                                WithPlugins("", {"testspi\\unruly.spi"}));
  viewer.WaitForTitle("a.tst [100%]");
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, viewer.ProcessId());
  const double start = Now();
  // Forward from a.tst: the ten failures, then z.tst.
  viewer.PressKey(VK_SPACE);
  viewer.WaitForTitle("z.tst [100%]", 60000);
  const uint64_t after10 = CommittedPrivateBytes(process);
  addFailures(10, 1000);
  // Refreshed, back from z.tst: the thousand failures, then a.tst.
  viewer.PressKey('R', kShift);
  viewer.PressKey(VK_BACK);
  const std::string title = viewer.WaitForTitle("a.tst [100%]", 600000);
  const uint64_t after1000 = CommittedPrivateBytes(process);
  CloseHandle(process);
  std::printf("  committed memory after 10 failed decodes:   %7.1f MiB\n", after10 / 1048576.0);
  std::printf("  committed memory after 1010 failed decodes: %7.1f MiB%s (%.0f s)\n",
              after1000 / 1048576.0, title == "a.tst [100%]" ? "" : " (did not end)",
              Now() - start);
}

// 5. The 64-bit helper against the 32-bit one, interleaved.
void Compare64BitHelper(const std::vector<std::string>& paths, int runs) {
  const std::string folders[] = {FolderWithPlugin("wicspi.spi"), FolderWithPlugin("wicspi.sph")};
  std::vector<double> starts[2];
  for (int i = 0; i < runs; ++i) {
    for (int kind = 0; kind < 2; ++kind) {
      DecoderSlot slot;
      const double start = Now();
      slot.LoadPlugins(folders[kind]);
      starts[kind].push_back(Now() - start);
    }
  }
  std::printf("  helper start with its module: 32-bit median %6.1f ms, 64-bit median %6.1f ms\n",
              Median(starts[0]) * 1e3, Median(starts[1]) * 1e3);
  DecoderSlot slots[2];
  for (int kind = 0; kind < 2; ++kind) slots[kind].LoadPlugins(folders[kind]);
  for (const std::string& path : paths) {
    std::vector<double> times[2];
    for (int i = 0; i < runs; ++i) {
      for (int kind = 0; kind < 2; ++kind) {
        const double start = Now();
        const bool decoded =
            slots[kind].PrepareFile(FromCp932(path)) && slots[kind].DecodePicture();
        times[kind].push_back(Now() - start);
        slots[kind].ReleasePicture();
        if (!decoded) {
          std::printf("%s: the %s helper failed\n", path.c_str(), kind ? "64-bit" : "32-bit");
          return;
        }
      }
    }
    std::printf("%s (%d runs)\n  wicspi.spi, 32-bit helper: median %7.1f ms\n", path.c_str(), runs,
                Median(times[0]) * 1e3);
    std::printf("  wicspi.sph, 64-bit helper: median %7.1f ms\n  ratio %.3f (goal <= 1.0)\n",
                Median(times[1]) * 1e3, Median(times[1]) / Median(times[0]));
  }
}

}  // namespace

int main(int argc, char** argv) {
  const std::string baseline = argc > 1 ? argv[1] : "";
  std::printf("== decode through the helper against in this process (wicspi.spi)\n");
  for (const char* name : {"bench-6000x4000.jpg", "bench-6000x4000.png"}) {
    CompareDecodes(Fixture(name), 7);
  }
  std::printf("== the 64-bit helper with wicspi.sph against the 32-bit one with wicspi.spi\n");
  Compare64BitHelper({Fixture("bench-6000x4000.jpg"), Fixture("bench-6000x4000.png")}, 7);
  std::fflush(stdout);
  try {
    std::printf("== the window while a 6000 x 4000 JPEG neighbour decodes\n");
    Responsiveness("", "helpers:");
    if (!baseline.empty()) Responsiveness(baseline, "baseline:");
    std::fflush(stdout);
    std::printf("== held-key stepping through 12 JPEGs of 4000 x 3000\n");
    HeldKeyStepping("", "helpers:");
    if (!baseline.empty()) HeldKeyStepping(baseline, "baseline:");
    std::fflush(stdout);
    std::printf("== a module that leaks 200 MB in every failed decode\n");
    LeakingModule();
  } catch (const std::exception& e) {
    std::printf("stopped: %s\n", e.what());
    return 1;
  }
  return 0;
}
