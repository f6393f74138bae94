// The entry point: a launch either hands its files to the running viewer that
// holds the instance lock, or becomes a viewer of its own.
#include <windows.h>

#include "app/main_window_win.h"
#include "common/bex_error.h"
#include "common/command_line.h"
#include "common/files_win.h"
#include "common/message_box_win.h"
#include "common/start_trace_win.h"

namespace {

// A relative name means a file of the folder it was given in: the names that
// may travel to another process are made full here.
std::vector<std::wstring> Parameters() {
  std::vector<std::wstring> args = bex::SplitCommandLine(GetCommandLineW());
  if (!args.empty()) args.erase(args.begin());  // the program itself
  for (size_t i = 1; i < args.size(); ++i) args[i] = bex::FullPathOrAsGiven(args[i]);
  return args;
}

// Posts each name to the running viewer as a global atom. Returns the names
// that could not travel (longer than an atom holds, or no viewer window).
std::vector<std::wstring> HandOff(const std::vector<std::wstring>& args) {
  std::vector<std::wstring> kept;
  for (const std::wstring& arg : args) {
    const std::wstring name = bex::FullPathOrAsGiven(arg);
    const ATOM atom = GlobalAddAtomW(name.c_str());
    HWND target = FindWindowA(bex::kMainWindowClass, nullptr);
    if (atom && target && PostMessageA(target, bex::kHandOffMessage, atom, 0)) continue;
    if (atom) GlobalDeleteAtom(atom);
    kept.push_back(name);
  }
  return kept;
}

int RunViewer(const std::vector<std::wstring>& args) {
  bex::MainWindow window(args);
  window.Show();
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  bex::NoteStartMoment("process");
  bex::KeepCurrentFolderOutOfLibrarySearch();
  std::vector<std::wstring> args = Parameters();
  // No window exists yet: a lock now is another running viewer's.
  if (bex::InstanceLockExists()) {
    // Names the running viewer cannot receive are shown by this launch.
    args = HandOff(args);
    if (args.empty()) return 0;
  }
  try {
    return RunViewer(args);
  } catch (const std::exception& e) {
    MessageBoxA(nullptr, e.what(), bex::kApplicationTitle, MB_OK | MB_ICONERROR);
  }
  return 0;
}
