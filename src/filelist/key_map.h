// The main window's key map as a table, and the arithmetic of
// the keys that move the window or scroll the picture. Keys that equal a popup
// menu shortcut (commands.h) never get here.
#pragma once

#include <vector>

namespace bex {

enum class KeyAction {
  kNone,
  kStepForward,
  kStepBackward,
  kCloseWindow,  // through the window's close step
  kMoveWindowLeft,
  kMoveWindowUp,
  kMoveWindowRight,
  kMoveWindowDown,
  kWindowToLeftEdge,
  kWindowToTopEdge,
  kWindowToRightEdge,
  kWindowToBottomEdge,
  kCentreWindow,
  kScrollLeft,
  kScrollUp,
  kScrollRight,
  kScrollDown,
  kToggleSingleInstance,
  kOpenCommandMenu,  // at PopupMenuPoint
  kZoomStepDown,     // with the Shift state
  kZoomStepUp,       // with the Shift state
  kZoomByPad,        // with Digit and the Shift state
};

struct KeyCommand {
  KeyAction Action = KeyAction::kNone;
  int Digit = 0;       // kZoomByPad: the keypad digit 0 to 9
  bool Shift = false;  // the Shift state, for the zoom actions
};

// What the key map does with a key (after EnsureFileList, which every key gets,
// modifiers alone included). Ctrl is tested before Shift, so Ctrl+Shift acts
// as Ctrl; Alt is never looked at.
KeyCommand KeyActionFor(int virtualKey, bool shift, bool ctrl);

// The modifier a row of the key map asks for.
enum class KeyCondition { kAny, kCtrl, kShift };

// One row of the key map: the keys FirstKey to LastKey (one key, or
// the numeric keypad's digits) with the condition, and what they do.
struct KeyRow {
  int FirstKey;
  int LastKey;
  KeyCondition Condition;
  KeyAction Action;
};

// The table KeyActionFor reads top to bottom, first match wins: for each key
// the Ctrl row comes before the Shift row, which comes before the row for any
// other state.
const std::vector<KeyRow>& KeyMapRows();

// The main window's outer frame in screen pixels.
struct WindowBounds {
  int Left = 0;
  int Top = 0;
  int Width = 0;
  int Height = 0;
};

// The virtual desktop's size, read once when the window was created.
struct DesktopSize {
  int Width = 0;
  int Height = 0;
};

struct WindowOrigin {
  int Left = 0;
  int Top = 0;
};

// Where a window-moving action puts the window. The plain arrows let it leave
// the desktop by at most one step beyond the edge (a 207-wide window at left 0
// goes -50, -100, -150, -200, -250 and stays); other actions leave it.
WindowOrigin MovedWindowOrigin(KeyAction action, const WindowBounds& window,
                               const DesktopSize& desktop);

// The screen point at which key M opens the popup menu.
WindowOrigin PopupMenuPoint(const WindowBounds& window);

// The client area's scroll positions and the picture's displayed size.
struct ScrollView {
  int X = 0;
  int Y = 0;
  int ClientWidth = 0;
  int ClientHeight = 0;
  int PictureWidth = 0;
  int PictureHeight = 0;
};

struct ScrollPosition {
  int X = 0;
  int Y = 0;
};

// The scroll positions after a scrolling action: 50 pixels at a time, never
// before the start nor past the picture's far edge; unchanged while no picture
// has been decoded or for any other action.
ScrollPosition ScrolledPosition(KeyAction action, const ScrollView& view, bool hasPicture);

}  // namespace bex
