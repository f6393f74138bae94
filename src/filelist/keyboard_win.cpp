#include "filelist/keyboard_win.h"

#include "filelist/virtual_keys.h"

namespace bex {
namespace {

bool Held(int vk) { return GetKeyState(vk) < 0; }

unsigned HeldModifiers() {
  return (Held(VK_SHIFT) ? kShiftKey : 0) | (Held(VK_CONTROL) ? kCtrlKey : 0) |
         (Held(VK_MENU) ? kAltKey : 0);
}

}  // namespace

KeyPress ReadKeyPress(HWND window, int virtualKey) {
  // The message loop translates a key before the window sees it.
  MSG character;
  PeekMessageA(&character, window, WM_CHAR, WM_CHAR, PM_REMOVE);
  if (const auto command = CommandForShortcut(virtualKey, HeldModifiers())) return {command, {}};
  return {std::nullopt, KeyActionFor(virtualKey, Held(VK_SHIFT), Held(VK_CONTROL))};
}

}  // namespace bex
