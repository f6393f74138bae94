// What a test can see and touch on the desktop of the Wine server it shares
// with the viewer: top-level windows of any process, their texts, the
// controls of dialogs, the screen's pixels and the clipboard. Messages to
// other processes' windows are sent with a deadline, so a hung window cannot
// block a test.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "support/process.h"

namespace bex::test {

std::string WindowText(HWND window);
std::string WindowClass(HWND window);
DWORD ProcessOfWindow(HWND window);
// Visible top-level windows of a class (of any, with className null) and
// caption (unless null), of one process or, with processId 0, of every process.
std::vector<HWND> TopLevelWindows(const char* className, const char* caption = nullptr,
                                  DWORD processId = 0);
// The virtual desktop: GetSystemMetrics 76 to 79.
RECT VirtualDesktop();

// Wine reads the display's DPI (HKCU "Control Panel\\Desktop" "LogPixels")
// when a process starts: while an object of this class lives, the processes
// started see a display of the given DPI. The value is removed again
// afterwards, which is the test prefix's 96 dpi.
class DisplayDpiForNewProcesses {
 public:
  explicit DisplayDpiForNewProcesses(int dpi);
  ~DisplayDpiForNewProcesses();
  DisplayDpiForNewProcesses(const DisplayDpiForNewProcesses&) = delete;
  DisplayDpiForNewProcesses& operator=(const DisplayDpiForNewProcesses&) = delete;
  // Removes the value, also one left behind by a test program that was ended.
  static void Reset();
};

// Polls condition until it holds or timeoutMs has passed; its last result.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = kWaitMs);

// Controls of another process's dialog. The texts of edit controls live in
// the control, not in the window's caption: ControlText asks the control.
std::string ControlText(HWND control);
void SetControlText(HWND control, const std::string& text);
bool IsChecked(HWND button);
// Presses a button of a dialog with a posted command, as its click would.
void PressDialogButton(HWND dialog, int buttonId);

// Colour of a screen pixel (0x00BBGGRR, as RGB() makes it).
COLORREF ScreenPixel(POINT screen);

// A copy of a rectangle of the screen.
struct ScreenImage {
  int width = 0;
  int height = 0;
  std::vector<COLORREF> pixels;  // rows top to bottom, 0x00BBGGRR
  COLORREF At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};
ScreenImage CaptureScreen(const RECT& area);
// Width and height of the bitmap on the clipboard (CF_BITMAP); none without one.
std::optional<SIZE> ClipboardBitmapSize();

}  // namespace bex::test
