#include "common/message_box_win.h"

#include "common/cp932.h"

namespace bex {
namespace {

// The window the user is looking at: the dialog or message box of owner's
// that was active last (the topmost settings dialog, a folder-entry dialog on
// top of it) while it shows and takes input, else owner itself. A box owned
// by it stays above it and keeps it from being used meanwhile.
HWND ActiveOwner(HWND owner) {
  if (!owner) return owner;
  HWND popup = GetLastActivePopup(owner);
  return popup && IsWindowVisible(popup) && IsWindowEnabled(popup) ? popup : owner;
}

// What a message box takes beside its text: frame and margins.
constexpr int kBoxMargin = 100;

// The text with each line too wide for the screen the box shows on broken
// into lines that fit: a long path has no blank to wrap at, and would make
// the box wider than the screen.
std::string FittedToScreen(HWND window, const std::string& text) {
  MONITORINFO monitor = {};
  monitor.cbSize = sizeof(monitor);
  if (!GetMonitorInfoA(MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), &monitor)) return text;
  const LONG room = monitor.rcWork.right - monitor.rcWork.left - kBoxMargin;
  NONCLIENTMETRICSA metrics = {};
  metrics.cbSize = sizeof(metrics);
  if (!SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) return text;
  HDC screen = GetDC(nullptr);
  HFONT font = CreateFontIndirectA(&metrics.lfMessageFont);
  HGDIOBJ previous = SelectObject(screen, font);
  const std::string fitted = BreakLongLines(text, [&](std::string_view line) {
    SIZE size = {};
    GetTextExtentPoint32A(screen, line.data(), static_cast<int>(line.size()), &size);
    return size.cx <= room;
  });
  SelectObject(screen, previous);
  DeleteObject(font);
  ReleaseDC(nullptr, screen);
  return fitted;
}

}  // namespace

int ShowMessage(HWND owner, const std::string& text, const std::string& caption, UINT buttons) {
  const HWND over = ActiveOwner(owner);
  return MessageBoxA(over, FittedToScreen(over, text).c_str(), caption.c_str(), buttons);
}

void ShowErrorReport(HWND owner, const std::string& text) {
  std::string message = text;
  const std::string_view last = LastCharacter(message);
  if (!last.empty() && static_cast<unsigned char>(last[0]) > '.') message += '.';
  MessageBoxA(ActiveOwner(owner), message.c_str(), kApplicationTitle, MB_OK | MB_ICONERROR);
}

std::nullopt_t ReportPathTooLong(HWND owner, const std::string& path) {
  ShowMessage(owner, path + "\nはパスが長すぎるため扱えません。", "パス長エラー");
  return std::nullopt;
}

}  // namespace bex
