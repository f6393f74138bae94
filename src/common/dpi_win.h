// The pixel density of the monitor a window is on. The program declares
// itself per-monitor DPI aware in its manifest: pictures are drawn one
// picture pixel per device pixel, and the program's own layouts, designed at
// 96 dpi, are scaled to the window's DPI here. The functions of newer
// systems are looked up at run time; older ones fall back to the system DPI.
#pragma once

#include <windows.h>

namespace bex {

constexpr int kDesignDpi = 96;

// A length designed at 96 dpi, at dpi (rounded to the nearest pixel).
constexpr int ScaleToDpi(int designPixels, int dpi) {
  const long long product = static_cast<long long>(designPixels) * dpi;
  return static_cast<int>((product + (product >= 0 ? kDesignDpi / 2 : -kDesignDpi / 2)) /
                          kDesignDpi);
}

// The DPI of the monitor hwnd is on (the system DPI where the system does not
// tell monitors apart).
int DpiOfWindow(HWND hwnd);

// GetSystemMetrics and AdjustWindowRectEx (without menu) at a DPI.
int SystemMetricForDpi(int index, int dpi);
void AdjustWindowRectForDpi(RECT* rect, DWORD style, DWORD exStyle, int dpi);

// Tells the dialog manager to leave a dialog to the program when its DPI
// changes (the program lays it out again itself).
void KeepDialogDpiLayoutOwn(HWND dialog);

}  // namespace bex
