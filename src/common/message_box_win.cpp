#include "common/message_box_win.h"

#include "common/code_page_win.h"
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

}  // namespace

int ShowMessage(HWND owner, const std::string& text, const std::string& caption, UINT buttons) {
  return MessageBoxA(ActiveOwner(owner), text.c_str(), caption.c_str(), buttons);
}

int ShowMessage(HWND owner, const std::wstring& text, const std::string& caption, UINT buttons) {
  return MessageBoxW(ActiveOwner(owner), text.c_str(), FromCp932(caption).c_str(), buttons);
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
