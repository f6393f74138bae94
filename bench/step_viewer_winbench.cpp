// Starts a viewer for step_latency_xbench the way the tests do: a copy of the
// program in a folder of its own, wicspi.spi its only plug-in, and settings
// under which the picture follows a window of 1000 x 800 client pixels.
// Then each line read from the input is answered with the viewer's committed
// private memory, sampled from the first line on: the peak since the previous
// line and the amount now, in bytes. The end of the input ends the viewer.
//   step_viewer_winbench.exe <picture> [bex.exe; the build's when not given]
// Where BEX_FILE_INTO names a folder, it is registered under the key A and
// the viewer files without the save dialog and with the companions.
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <thread>

#include "common/memory_win.h"
#include "support/viewer_driver.h"
#include "support/wine_paths.h"

namespace {

using namespace bex;
using namespace bex::test;

constexpr SIZE kClient = {1000, 800};
// Under Wine one reading of another process's memory map takes about 30 ms.
constexpr DWORD kSampleEveryMs = 10;

// The viewer's main window has the overlapped style; its scroll bars do not
// show while the picture follows the window.
IniFile PictureFollowsWindow() {
  RECT outer{0, 0, kClient.cx, kClient.cy};
  AdjustWindowRectEx(&outer, WS_OVERLAPPEDWINDOW, FALSE, 0);
  IniFile settings;
  settings.Set("設定", "窓と画像の関係", 1)
      .Set("設定", "窓位置保存", 0)
      .Set("窓位置", "Top", 0)
      .Set("窓位置", "Left", 0)
      .Set("窓位置", "Height", outer.bottom - outer.top)
      .Set("窓位置", "Width", outer.right - outer.left);
  return settings;
}

// A process's committed private memory, read on a thread of its own.
class MemorySampler {
 public:
  explicit MemorySampler(DWORD processId)
      : process_(OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, processId)),
        now_(CommittedPrivateBytes(process_)),
        peak_(now_.load()),
        thread_([this] { Sample(); }) {}
  ~MemorySampler() {
    sampling_ = false;
    thread_.join();
    CloseHandle(process_);
  }

  // Prints the peak since the previous call and the amount now.
  void PrintAndRestart() {
    const uint64_t now = now_;
    std::printf("%llu %llu\n", static_cast<unsigned long long>(peak_.exchange(now)),
                static_cast<unsigned long long>(now));
    std::fflush(stdout);
  }

 private:
  void Sample() {
    while (sampling_) {
      Sleep(kSampleEveryMs);
      const uint64_t bytes = CommittedPrivateBytes(process_);
      now_ = bytes;
      for (uint64_t peak = peak_; bytes > peak && !peak_.compare_exchange_weak(peak, bytes);) {
      }
    }
  }

  HANDLE process_;
  std::atomic<uint64_t> now_, peak_;
  std::atomic<bool> sampling_{true};
  std::thread thread_;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: step_viewer_winbench <picture> [bex.exe]\n");
    return 2;
  }
  ViewerOptions options;
  options.settings = PictureFollowsWindow();
  options.plugins = {"plugins\\wicspi.spi"};
  if (argc > 2) options.program = argv[2];
  const char* fileInto = std::getenv("BEX_FILE_INTO");
  try {
    const std::string folder = NewScratchFolder("step-viewer");
    if (fileInto) {
      options.settings->Set("設定", "移動ダイアログ省略", 1).Set("設定", "関連ファイル連動", 1);
      WriteFileBytes(folder + "\\M_DIR.DAT", std::string("A : ") + fileInto + "\r\n");
    }
    Viewer viewer = Viewer::Start(folder, "\"" + std::string(argv[1]) + "\"", options);
    std::optional<MemorySampler> memory;
    for (char line[256]; std::fgets(line, sizeof line, stdin);) {
      if (!memory) memory.emplace(viewer.ProcessId());
      memory->PrintAndRestart();
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "step_viewer_winbench: %s\n", e.what());
    return 1;
  }
  return 0;
}
