#include "support/desktop.h"

namespace bex::test {

std::string WindowText(HWND window) {
  // GetWindowTextA reads another process's caption without a message.
  char text[2048];
  const int length = GetWindowTextA(window, text, sizeof text);
  return std::string(text, length > 0 ? length : 0);
}

std::string WindowClass(HWND window) {
  char name[256];
  const int length = GetClassNameA(window, name, sizeof name);
  return std::string(name, length > 0 ? length : 0);
}

DWORD ProcessOfWindow(HWND window) {
  DWORD id = 0;
  GetWindowThreadProcessId(window, &id);
  return id;
}

namespace {

struct WindowQuery {
  const char* className;
  const char* caption;
  DWORD processId;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectMatchingWindow(HWND window, LPARAM data) {
  auto& q = *reinterpret_cast<WindowQuery*>(data);
  if (IsWindowVisible(window) && (!q.processId || ProcessOfWindow(window) == q.processId) &&
      WindowClass(window) == q.className && (!q.caption || WindowText(window) == q.caption)) {
    q.found.push_back(window);
  }
  return TRUE;
}

}  // namespace

std::vector<HWND> TopLevelWindows(const char* className, const char* caption, DWORD processId) {
  WindowQuery query{className, caption, processId, {}};
  EnumWindows(CollectMatchingWindow, reinterpret_cast<LPARAM>(&query));
  return query.found;
}

RECT VirtualDesktop() {
  const int left = GetSystemMetrics(SM_XVIRTUALSCREEN);
  const int top = GetSystemMetrics(SM_YVIRTUALSCREEN);
  return {left, top, left + GetSystemMetrics(SM_CXVIRTUALSCREEN),
          top + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (condition()) return true;
    if (GetTickCount() - start >= timeoutMs) return condition();
    Sleep(10);
  }
}

COLORREF ScreenPixel(POINT screen) {
  HDC dc = GetDC(nullptr);
  const COLORREF colour = GetPixel(dc, screen.x, screen.y);
  ReleaseDC(nullptr, dc);
  return colour;
}

std::optional<SIZE> ClipboardBitmapSize() {
  // Another process may hold the clipboard open for a moment.
  if (!WaitUntil([] { return OpenClipboard(nullptr) != FALSE; }, 2000)) return std::nullopt;
  std::optional<SIZE> size;
  BITMAP bitmap{};
  HANDLE data = GetClipboardData(CF_BITMAP);
  if (data && GetObjectA(data, sizeof bitmap, &bitmap))
    size = SIZE{bitmap.bmWidth, bitmap.bmHeight};
  CloseClipboard();
  return size;
}

}  // namespace bex::test
