#include "common/message_box_win.h"

#include "common/cp932.h"

namespace bex {

int ShowMessage(HWND owner, const std::string& text, const std::string& caption, UINT buttons) {
  return MessageBoxA(owner, text.c_str(), caption.c_str(), buttons);
}

void ShowErrorReport(HWND owner, const std::string& text) {
  std::string message = text;
  const std::string_view last = LastCharacter(message);
  if (!last.empty() && static_cast<unsigned char>(last[0]) > '.') message += '.';
  MessageBoxA(owner, message.c_str(), kApplicationTitle, MB_OK | MB_ICONERROR);
}

std::nullopt_t ReportPathTooLong(HWND owner, const std::string& path) {
  ShowMessage(owner, path + "\nはパスが長すぎるため扱えません。", "パス長エラー");
  return std::nullopt;
}

}  // namespace bex
