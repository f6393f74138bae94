#include "support/desktop.h"

#include <stdexcept>

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
      (!q.className || WindowClass(window) == q.className) &&
      (!q.caption || WindowText(window) == q.caption)) {
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

namespace {

// A message to another process's window that gives up after the usual wait.
LRESULT SendWithDeadline(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  DWORD_PTR result = 0;
  SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kWaitMs, &result);
  return static_cast<LRESULT>(result);
}

}  // namespace

std::string ControlText(HWND control) {
  std::string text(static_cast<size_t>(SendWithDeadline(control, WM_GETTEXTLENGTH, 0, 0)) + 1,
                   '\0');
  const LRESULT length =
      SendWithDeadline(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<size_t>(length));
  return text;
}

void SetControlText(HWND control, const std::string& text) {
  SendWithDeadline(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

bool IsChecked(HWND button) { return SendWithDeadline(button, BM_GETCHECK, 0, 0) == BST_CHECKED; }

void PressDialogButton(HWND dialog, int buttonId) {
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, buttonId)));
}

COLORREF ScreenPixel(POINT screen) {
  HDC dc = GetDC(nullptr);
  const COLORREF colour = GetPixel(dc, screen.x, screen.y);
  ReleaseDC(nullptr, dc);
  return colour;
}

std::optional<SIZE> ClipboardBitmapSize() {
  // The clipboard is opened only when it has a bitmap: a test that polls for
  // one must not hold it open while the viewer tries to copy. The viewer may
  // still hold it for a moment.
  if (!IsClipboardFormatAvailable(CF_BITMAP)) return std::nullopt;
  if (!WaitUntil([] { return OpenClipboard(nullptr) != FALSE; }, 2000)) return std::nullopt;
  std::optional<SIZE> size;
  BITMAP bitmap{};
  HANDLE data = GetClipboardData(CF_BITMAP);
  if (data && GetObjectA(data, sizeof bitmap, &bitmap))
    size = SIZE{bitmap.bmWidth, bitmap.bmHeight};
  CloseClipboard();
  return size;
}

ScreenImage CaptureScreen(const RECT& area) {
  ScreenImage image;
  image.width = area.right - area.left;
  image.height = area.bottom - area.top;
  if (image.width <= 0 || image.height <= 0) return image;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = image.width;
  info.bmiHeader.biHeight = -image.height;  // top-down rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, image.width, image.height, screen, area.left, area.top, SRCCOPY);
  GdiFlush();
  // DIB pixels are 0x00RRGGBB; COLORREF is 0x00BBGGRR.
  const auto* source = static_cast<const DWORD*>(bits);
  image.pixels.reserve(static_cast<size_t>(image.width) * image.height);
  for (size_t i = 0; i < static_cast<size_t>(image.width) * image.height; ++i) {
    const DWORD p = source[i];
    image.pixels.push_back(RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF));
  }
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return image;
}

namespace {
constexpr char kDesktopSettings[] = "Control Panel\\Desktop";
constexpr char kLogPixels[] = "LogPixels";
}  // namespace

DisplayDpiForNewProcesses::DisplayDpiForNewProcesses(int dpi) {
  HKEY key = nullptr;
  const DWORD value = static_cast<DWORD>(dpi);
  if (RegCreateKeyExA(HKEY_CURRENT_USER, kDesktopSettings, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                      &key, nullptr) != ERROR_SUCCESS ||
      RegSetValueExA(key, kLogPixels, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                     sizeof value) != ERROR_SUCCESS) {
    if (key) RegCloseKey(key);
    throw std::runtime_error("cannot set the display's DPI");
  }
  RegCloseKey(key);
}

DisplayDpiForNewProcesses::~DisplayDpiForNewProcesses() { Reset(); }

void DisplayDpiForNewProcesses::Reset() {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kDesktopSettings, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) {
    return;
  }
  RegDeleteValueA(key, kLogPixels);
  RegCloseKey(key);
}

}  // namespace bex::test
