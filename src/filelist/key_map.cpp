#include "filelist/key_map.h"

#include <iterator>

#include "filelist/virtual_keys.h"

namespace bex {
namespace {

using When = KeyCondition;

constexpr KeyRow Row(int key, When condition, KeyAction action) {
  return KeyRow{key, key, condition, action};
}

constexpr KeyRow kKeyMapRows[] = {
    Row(kVkBack, When::kShift, KeyAction::kStepForward),
    Row(kVkBack, When::kAny, KeyAction::kStepBackward),
    Row(kVkSpace, When::kShift, KeyAction::kStepBackward),
    Row(kVkSpace, When::kAny, KeyAction::kStepForward),
    Row(kVkReturn, When::kAny, KeyAction::kCloseWindow),
    Row(kVkEscape, When::kAny, KeyAction::kCloseWindow),
    Row(kVkLeft, When::kCtrl, KeyAction::kWindowToLeftEdge),
    Row(kVkLeft, When::kShift, KeyAction::kScrollLeft),
    Row(kVkLeft, When::kAny, KeyAction::kMoveWindowLeft),
    Row(kVkUp, When::kCtrl, KeyAction::kWindowToTopEdge),
    Row(kVkUp, When::kShift, KeyAction::kScrollUp),
    Row(kVkUp, When::kAny, KeyAction::kMoveWindowUp),
    Row(kVkRight, When::kCtrl, KeyAction::kWindowToRightEdge),
    Row(kVkRight, When::kShift, KeyAction::kScrollRight),
    Row(kVkRight, When::kAny, KeyAction::kMoveWindowRight),
    Row(kVkDown, When::kCtrl, KeyAction::kWindowToBottomEdge),
    Row(kVkDown, When::kShift, KeyAction::kScrollDown),
    Row(kVkDown, When::kAny, KeyAction::kMoveWindowDown),
    Row('B', When::kAny, KeyAction::kWindowToBottomEdge),
    Row('C', When::kAny, KeyAction::kCentreWindow),  // Shift+C, Ctrl+C: menu shortcuts
    Row('K', When::kAny, KeyAction::kToggleSingleInstance),
    Row('L', When::kAny, KeyAction::kWindowToLeftEdge),
    Row('M', When::kAny, KeyAction::kOpenCommandMenu),
    Row('R', When::kAny, KeyAction::kWindowToRightEdge),  // Shift+R: menu shortcut
    Row('T', When::kAny, KeyAction::kWindowToTopEdge),
    Row('X', When::kAny, KeyAction::kZoomStepDown),
    Row('Z', When::kAny, KeyAction::kZoomStepUp),
    KeyRow{kVkNumpad0, kVkNumpad9, When::kAny, KeyAction::kZoomByPad},
};

bool Holds(When condition, bool shift, bool ctrl) {
  switch (condition) {
    case When::kCtrl:
      return ctrl;
    case When::kShift:
      return shift;
    case When::kAny:
      break;
  }
  return true;
}

constexpr int kStep = 50;

// Left or up: the window may leave the desktop, but only until it is wholly
// beyond the edge by less than one step.
int StepTowardsStart(int position, int size) {
  const int steps = size / kStep;
  return position > -steps * kStep ? position - kStep : -(steps + 1) * kStep;
}

// Right or down: at most to the desktop's far edge.
int StepTowardsEnd(int position, int desktopExtent) {
  return position < desktopExtent - kStep ? position + kStep : desktopExtent;
}

int ScrollTowardsStart(int position) {
  if (position <= 0) return position;
  return position <= kStep ? 0 : position - kStep;
}

// Only while the picture reaches beyond the client area's far edge.
int ScrollTowardsEnd(int position, int clientSize, int pictureSize) {
  const int beyond = pictureSize - position;
  if (beyond <= clientSize) return position;
  return clientSize < beyond - kStep ? position + kStep : pictureSize - clientSize;
}

}  // namespace

const std::vector<KeyRow>& KeyMapRows() {
  static const std::vector<KeyRow> rows(std::begin(kKeyMapRows), std::end(kKeyMapRows));
  return rows;
}

KeyCommand KeyActionFor(int virtualKey, bool shift, bool ctrl) {
  for (const KeyRow& row : kKeyMapRows) {
    if (virtualKey >= row.FirstKey && virtualKey <= row.LastKey &&
        Holds(row.Condition, shift, ctrl)) {
      return KeyCommand{row.Action, virtualKey - row.FirstKey, shift};
    }
  }
  return KeyCommand{};
}

WindowOrigin MovedWindowOrigin(KeyAction action, const WindowBounds& window,
                               const DesktopSize& desktop) {
  WindowOrigin origin{window.Left, window.Top};
  switch (action) {
    case KeyAction::kMoveWindowLeft:
      origin.Left = StepTowardsStart(window.Left, window.Width);
      break;
    case KeyAction::kMoveWindowUp:
      origin.Top = StepTowardsStart(window.Top, window.Height);
      break;
    case KeyAction::kMoveWindowRight:
      origin.Left = StepTowardsEnd(window.Left, desktop.Width);
      break;
    case KeyAction::kMoveWindowDown:
      origin.Top = StepTowardsEnd(window.Top, desktop.Height);
      break;
    case KeyAction::kWindowToLeftEdge:
      origin.Left = 0;
      break;
    case KeyAction::kWindowToTopEdge:
      origin.Top = 0;
      break;
    case KeyAction::kWindowToRightEdge:
      origin.Left = desktop.Width - window.Width;
      break;
    case KeyAction::kWindowToBottomEdge:
      origin.Top = desktop.Height - window.Height;
      break;
    case KeyAction::kCentreWindow:
      origin.Top = (desktop.Height - window.Height) / 2;
      origin.Left = (desktop.Width - window.Width) / 2;
      break;
    default:
      break;
  }
  return origin;
}

WindowOrigin PopupMenuPoint(const WindowBounds& window) {
  return WindowOrigin{window.Left + window.Width / 10, window.Top + window.Height / 10};
}

ScrollPosition ScrolledPosition(KeyAction action, const ScrollView& view, bool hasPicture) {
  ScrollPosition position{view.X, view.Y};
  if (!hasPicture) return position;
  switch (action) {
    case KeyAction::kScrollLeft:
      position.X = ScrollTowardsStart(view.X);
      break;
    case KeyAction::kScrollUp:
      position.Y = ScrollTowardsStart(view.Y);
      break;
    case KeyAction::kScrollRight:
      position.X = ScrollTowardsEnd(view.X, view.ClientWidth, view.PictureWidth);
      break;
    case KeyAction::kScrollDown:
      position.Y = ScrollTowardsEnd(view.Y, view.ClientHeight, view.PictureHeight);
      break;
    default:
      break;
  }
  return position;
}

}  // namespace bex
