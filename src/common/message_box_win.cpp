#include "common/message_box_win.h"

#include "common/code_page_win.h"
#include "common/cp932.h"
#include "common/wide_text.h"

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

// The text width of the message boxes on the screen a box shows on.
class MessageTextMeasure {
 public:
  explicit MessageTextMeasure(HWND window) {
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    NONCLIENTMETRICSA metrics = {};
    metrics.cbSize = sizeof(metrics);
    if (!GetMonitorInfoA(MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), &monitor) ||
        !SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) {
      return;
    }
    room_ = monitor.rcWork.right - monitor.rcWork.left - kBoxMargin;
    screen_ = GetDC(nullptr);
    font_ = CreateFontIndirectA(&metrics.lfMessageFont);
    previous_ = SelectObject(screen_, font_);
  }
  ~MessageTextMeasure() {
    if (!screen_) return;
    SelectObject(screen_, previous_);
    DeleteObject(font_);
    ReleaseDC(nullptr, screen_);
  }
  MessageTextMeasure(const MessageTextMeasure&) = delete;
  MessageTextMeasure& operator=(const MessageTextMeasure&) = delete;

  bool Measured() const { return screen_ != nullptr; }
  bool Fits(std::string_view line) const {
    SIZE size = {};
    GetTextExtentPoint32A(screen_, line.data(), static_cast<int>(line.size()), &size);
    return size.cx <= room_;
  }
  bool Fits(std::wstring_view line) const {
    SIZE size = {};
    GetTextExtentPoint32W(screen_, line.data(), static_cast<int>(line.size()), &size);
    return size.cx <= room_;
  }

 private:
  LONG room_ = 0;
  HDC screen_ = nullptr;
  HFONT font_ = nullptr;
  HGDIOBJ previous_ = nullptr;
};

// The text with each line too wide for the screen the box shows on broken
// into lines that fit: a long path has no blank to wrap at, and would make
// the box wider than the screen.
template <typename Text>
Text FittedToScreen(HWND window, const Text& text) {
  const MessageTextMeasure measure(window);
  if (!measure.Measured()) return text;
  using Line = std::basic_string_view<typename Text::value_type>;
  return BreakLongLines(text, [&](Line line) { return measure.Fits(line); });
}

void DiscardKeyboardInput() {
  MSG message;
  while (PeekMessageW(&message, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE)) {
  }
}

}  // namespace

int ShowMessage(HWND owner, const std::string& text, const std::string& caption, UINT buttons) {
  const HWND over = ActiveOwner(owner);
  return MessageBoxA(over, FittedToScreen(over, text).c_str(), caption.c_str(), buttons);
}

int ShowMessage(HWND owner, const std::wstring& text, const std::string& caption, UINT buttons) {
  const HWND over = ActiveOwner(owner);
  return MessageBoxW(over, FittedToScreen(over, text).c_str(), FromCp932(caption).c_str(), buttons);
}

void ShowFailure(HWND owner, const std::wstring& text, const std::string& caption) {
  DiscardKeyboardInput();
  ShowMessage(owner, text, caption);
  DiscardKeyboardInput();
}

void ShowErrorReport(HWND owner, const std::string& text) {
  std::string message = text;
  const std::string_view last = LastCharacter(message);
  if (!last.empty() && static_cast<unsigned char>(last[0]) > '.') message += '.';
  MessageBoxA(ActiveOwner(owner), message.c_str(), kApplicationTitle, MB_OK | MB_ICONERROR);
}

std::nullopt_t ReportPathTooLong(HWND owner, const std::wstring& path) {
  ShowMessage(owner, path + FromCp932("\nはパスが長すぎるため扱えません。"), "パス長エラー");
  return std::nullopt;
}

}  // namespace bex
