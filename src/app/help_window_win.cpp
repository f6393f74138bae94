#include "app/help_window_win.h"

#include <iterator>

#include "filelist/help_text.h"

namespace bex {
namespace {

constexpr int kTextId = 100;
constexpr int kWidth = 720;
constexpr int kHeight = 560;
// Tab stops in dialog units: after the key column and after the menu item's.
constexpr int kTabStops[] = {56, 250};

}  // namespace

HelpWindow::HelpWindow() : TableDialog(kHelpWindowCaption, kWidth, kHeight, {}) {}

void HelpWindow::OnCreate() {
  HWND text = CreateWindowExA(
      WS_EX_CLIENTEDGE, "EDIT", HelpText().c_str(),
      WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_READONLY, 0, 0, kWidth,
      kHeight, Handle(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(kTextId)),
      GetModuleHandleA(nullptr), nullptr);
  SendMessageA(text, WM_SETFONT, SendMessageA(Handle(), WM_GETFONT, 0, 0), FALSE);
  SendMessageA(text, EM_SETTABSTOPS, std::size(kTabStops),
               reinterpret_cast<LPARAM>(const_cast<int*>(kTabStops)));
  SetFocus(text);
}

bool HelpWindow::PreviewKey(HWND, UINT msg, WPARAM key) {
  if (msg != WM_KEYDOWN || key != VK_ESCAPE) return false;
  Close(kResultCancel);
  return true;
}

}  // namespace bex
