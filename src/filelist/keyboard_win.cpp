// The main window's keys: the popup menu's shortcuts first (live while the
// menu is closed), then FormKeyDown's table.
#include "app/main_form_win.h"
#include "filelist/commands.h"
#include "filelist/key_map.h"
#include "filelist/virtual_keys.h"

namespace bex {
namespace {

bool Held(int vk) { return GetKeyState(vk) < 0; }

unsigned HeldModifiers() {
  return (Held(VK_SHIFT) ? kShiftKey : 0) | (Held(VK_CONTROL) ? kCtrlKey : 0) |
         (Held(VK_MENU) ? kAltKey : 0);
}

}  // namespace

void TBexForm1::KeyPressed(int vk) {
  // The key's character is already queued (the message loop translates a key
  // before the window sees it); a menu this key opens would take it for an
  // accelerator of its own, as J for a destination J.
  MSG character;
  PeekMessageA(&character, hwnd_, WM_CHAR, WM_CHAR, PM_REMOVE);
  if (const auto command = CommandForShortcut(vk, HeldModifiers())) {
    // The key is used up even when its item is disabled.
    if (PopupMenu1Popup().IsEnabled(*command)) RunCommand(*command);
    return;
  }
  FormKeyDown(vk, Held(VK_SHIFT), Held(VK_CONTROL));
}

void TBexForm1::FormKeyDown(int vk, bool shift, bool ctrl) {
  EnsureFileList();
  const KeyCommand key = KeyActionFor(vk, shift, ctrl);
  const RECT r = OuterRect();
  const WindowBounds bounds{r.left, r.top, r.right - r.left, r.bottom - r.top};
  switch (key.Action) {
    case KeyAction::kNone:
      return;
    case KeyAction::kStepForward:
    case KeyAction::kStepBackward:
      StepImage(key.Action == KeyAction::kStepForward);
      return;
    case KeyAction::kCloseWindow:
      PostMessageA(hwnd_, WM_CLOSE, 0, 0);
      return;
    case KeyAction::kMoveWindowLeft:
    case KeyAction::kMoveWindowUp:
    case KeyAction::kMoveWindowRight:
    case KeyAction::kMoveWindowDown:
    case KeyAction::kWindowToLeftEdge:
    case KeyAction::kWindowToTopEdge:
    case KeyAction::kWindowToRightEdge:
    case KeyAction::kWindowToBottomEdge:
    case KeyAction::kCentreWindow: {
      const WindowOrigin o = MovedWindowOrigin(key.Action, bounds, {DesktopWidth, DesktopHeight});
      SetWindowPos(hwnd_, nullptr, o.Left, o.Top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
      return;
    }
    case KeyAction::kScrollLeft:
    case KeyAction::kScrollUp:
    case KeyAction::kScrollRight:
    case KeyAction::kScrollDown: {
      const SIZE client = ClientSize();
      const ScrollView view{ScrollX(), ScrollY(),    client.cx,
                            client.cy, ImageWidth(), ImageHeight()};
      const ScrollPosition p = ScrolledPosition(key.Action, view, HasPicture);
      ScrollTo(p.X, p.Y);
      return;
    }
    case KeyAction::kToggleInstanceLock:
      KKOFF1Click();
      return;
    case KeyAction::kOpenPopupMenu: {
      const WindowOrigin at = PopupMenuPoint(bounds);
      OpenPopupMenu(at.Left, at.Top);
      return;
    }
    case KeyAction::kZoomStepDown:
      ZoomStepDownKey(key.Shift);
      return;
    case KeyAction::kZoomStepUp:
      ZoomStepUpKey(key.Shift);
      return;
    case KeyAction::kZoomByPad:
      ZoomByPadKey(key.Digit, key.Shift);
      return;
  }
}

}  // namespace bex
