// What a test can see on the desktop of the Wine server it shares with the
// viewer: top-level windows of any process, their texts, the screen's pixels
// and the clipboard. Nothing here sends a message that could block on a hung
// window.
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
// Visible top-level windows of a class (and caption, unless null), of one
// process or, with processId 0, of every process.
std::vector<HWND> TopLevelWindows(const char* className, const char* caption = nullptr,
                                  DWORD processId = 0);
// The virtual desktop: GetSystemMetrics 76 to 79.
RECT VirtualDesktop();

// Polls condition until it holds or timeoutMs has passed; its last result.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = kWaitMs);

// Colour of a screen pixel (0x00BBGGRR).
COLORREF ScreenPixel(POINT screen);
// Width and height of the bitmap on the clipboard (CF_BITMAP); none without one.
std::optional<SIZE> ClipboardBitmapSize();

}  // namespace bex::test
