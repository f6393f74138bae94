#include "display/zoom_input_dialog_win.h"

namespace bex {
namespace {

enum ZoomInputId {
  kPromptLabel = 100,
  kZoomEdit = 101,
  kOkButton = IDOK,
  kCancelButton = IDCANCEL
};

std::vector<ControlSpec> ZoomInputControls() {
  return {
      {kPromptLabel, ControlKind::kLabel, "倍率", 8, 8, 60, 14},
      {kZoomEdit, ControlKind::kEdit, "", 8, 24, 123, 20},
      {kOkButton, ControlKind::kDefaultButton, "&OK", 8, 50, 60, 22},
      {kCancelButton, ControlKind::kButton, "&Cancel", 71, 50, 60, 22},
  };
}

}  // namespace

ZoomInputDialog::ZoomInputDialog() : TableDialog("入力値", 139, 78, ZoomInputControls()) {}

std::optional<std::string> ZoomInputDialog::Ask(HWND mainWindow) {
  if (ShowModal(mainWindow) != kResultOk) return std::nullopt;
  return text_;
}

void ZoomInputDialog::OnCreate() {
  SetItemText(kZoomEdit, text_);
  SetFocus(Item(kZoomEdit));
}

// Centred on the main window, not kept inside the screen.
void ZoomInputDialog::Place(HWND owner) {
  RECT o;
  GetWindowRect(owner, &o);
  const RECT d = OuterRect();
  const int top = o.top + (o.bottom - o.top) / 2 - (d.bottom - d.top) / 2;
  const int left = o.left + (o.right - o.left) / 2 - (d.right - d.left) / 2;
  SetWindowPos(Handle(), nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// The field takes digits, "." and backspace only; Enter and Escape in it
// confirm and cancel. The text is kept for the next use either way.
bool ZoomInputDialog::PreviewKey(HWND target, UINT msg, WPARAM key) {
  if (target != Item(kZoomEdit)) return false;
  if (msg == WM_CHAR) {
    const bool accepted = key == 8 || key == '.' || (key >= '0' && key <= '9');
    return !accepted;
  }
  if (key == VK_RETURN || key == VK_ESCAPE) {
    Close(key == VK_RETURN ? kResultOk : kResultCancel);
    return true;
  }
  return false;
}

void ZoomInputDialog::OnClose(int) { text_ = ItemText(kZoomEdit); }

}  // namespace bex
