#include "app/help_window_win.h"

#include <iterator>

#include "filelist/help_text.h"

namespace bex {
namespace {

constexpr int kTextId = 100;
constexpr int kWidth = 640;
constexpr int kHeight = 600;
// Tab stops in dialog units: after the key column and after the menu item's.
constexpr int kTabStops[] = {64, 200};

}  // namespace

HelpWindow::HelpWindow()
    : TableDialog(kHelpWindowCaption, kWidth, kHeight,
                  {{kTextId, ControlKind::kTextView, nullptr, 0, 0, kWidth, kHeight}}) {}

void HelpWindow::OnCreate() {
  SendMessageA(Item(kTextId), EM_SETTABSTOPS, std::size(kTabStops),
               reinterpret_cast<LPARAM>(kTabStops));
  SetItemText(kTextId, HelpText());
  SetFocus(Item(kTextId));
}

bool HelpWindow::PreviewKey(HWND, UINT msg, WPARAM key) {
  if (msg != WM_KEYDOWN || key != VK_ESCAPE) return false;
  Close(kResultCancel);
  return true;
}

}  // namespace bex
