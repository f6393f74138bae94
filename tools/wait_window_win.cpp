// wait_window: waits until the viewer's main window shows a picture (its
// title ends in "%]") or a message box appears, and prints that title; with
// --close it then closes the main window, as its close box would.
// Used by tools/run.sh to know when to take its screenshot, and by the test
// of the portable zip.
#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

bool TitleOf(HWND hwnd, char* title, int size) {
  return IsWindowVisible(hwnd) && GetWindowTextA(hwnd, title, size) > 0;
}

}  // namespace

int main(int argc, char** argv) {
  const DWORD deadline = GetTickCount() + 60000;
  char title[512];
  while (GetTickCount() < deadline) {
    HWND main = FindWindowA("TBexForm1", nullptr);
    if (main && TitleOf(main, title, sizeof(title)) && std::strstr(title, "%]")) break;
    HWND box = FindWindowA("#32770", nullptr);
    if (box && TitleOf(box, title, sizeof(title))) break;
    title[0] = 0;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
  }
  if (!title[0]) return 1;
  std::printf("%s\n", title);
  if (argc > 1 && std::strcmp(argv[1], "--close") == 0) {
    PostMessageA(FindWindowA("TBexForm1", nullptr), WM_CLOSE, 0, 0);
  }
  return 0;
}
