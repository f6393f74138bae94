// Synthetic keyboard and mouse input, as a user's devices give it: it goes to
// whatever window has the foreground or lies under the pointer. Keys, buttons
// and the wheel go through SendInput; the pointer moves through the X server
// (xdotool), since under Wine that is the only way to move it without stray
// motion events. Points are screen coordinates (with Wine's virtual desktop
// they equal the X root's).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace bex::test {

enum Modifier : unsigned { kNoModifier = 0, kShift = 1, kCtrl = 2, kAlt = 4 };
enum class MouseButton { kLeft, kRight, kMiddle };

// Modifiers down, the key down and up, modifiers up, in one call.
void SendKeyChord(WORD vk, unsigned modifiers = kNoModifier);
void SendKey(WORD vk, bool down);
// The modifier keys of a Modifier set down (Ctrl, Alt, Shift) or up (in reverse).
void SendModifiers(unsigned modifiers, bool down);
// Each character of a text of printable ASCII, with Shift where the layout needs it.
void SendText(const std::string& text);
// Each UTF-16 unit of a text as typed with an input method (KEYEVENTF_UNICODE).
void SendWideText(const std::wstring& text);

// Moves the pointer and waits until the system's cursor position follows.
void SendMouseMove(POINT screen);
// Moves the pointer along the points in one go.
void SendMouseMoves(const std::vector<POINT>& path);
// Moves the pointer to screen, then presses or releases there.
void SendMouseButton(MouseButton button, bool down, POINT screen);
// Two presses and releases at one point, quick enough to be a double click.
void SendDoubleClick(MouseButton button, POINT screen);
// Wheel notches: positive rolls away from the user.
void SendWheel(int notches, POINT screen);

}  // namespace bex::test
