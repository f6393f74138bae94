// wait_window: waits until the viewer's main window shows a picture (its
// title ends in "%]") or a message box appears, and prints that title; with
// --client also, on a line of its own, where the main window's client area
// lies on the screen, as ImageMagick's geometry (WxH+X+Y); with --close it
// then closes the main window, as its close box would.
// Used by tools/run.sh to know when and where to look for the painted
// picture before its screenshot, and by the test of the portable zip.
#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

bool TitleOf(HWND hwnd, char* title, int size) {
  return IsWindowVisible(hwnd) && GetWindowTextA(hwnd, title, size) > 0;
}

bool HasOption(int argc, char** argv, const char* option) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], option) == 0) return true;
  }
  return false;
}

void PrintClientArea(HWND window) {
  RECT client;
  POINT origin = {0, 0};
  if (!GetClientRect(window, &client) || !ClientToScreen(window, &origin)) return;
  std::printf("%ldx%ld+%ld+%ld\n", client.right, client.bottom, origin.x, origin.y);
}

}  // namespace

int main(int argc, char** argv) {
  const DWORD deadline = GetTickCount() + 60000;
  char title[512];
  HWND shown = nullptr;
  while (GetTickCount() < deadline) {
    HWND main = FindWindowA("TBexForm1", nullptr);
    if (main && TitleOf(main, title, sizeof(title)) && std::strstr(title, "%]")) {
      shown = main;
      break;
    }
    HWND box = FindWindowA("#32770", nullptr);
    if (box && TitleOf(box, title, sizeof(title))) break;
    title[0] = 0;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
  }
  if (!title[0]) return 1;
  std::printf("%s\n", title);
  if (shown && HasOption(argc, argv, "--client")) PrintClientArea(shown);
  if (HasOption(argc, argv, "--close")) {
    PostMessageA(FindWindowA("TBexForm1", nullptr), WM_CLOSE, 0, 0);
  }
  return 0;
}
