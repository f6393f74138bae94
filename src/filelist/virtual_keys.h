// Windows virtual-key codes and modifier bits used by the key and menu tables;
// letters and main-keyboard digits are their upper-case ASCII codes ('A', '0').
#pragma once

namespace bex {

constexpr int kVkBack = 8;
constexpr int kVkReturn = 13;
constexpr int kVkEscape = 27;
constexpr int kVkSpace = 32;
constexpr int kVkLeft = 37;
constexpr int kVkUp = 38;
constexpr int kVkRight = 39;
constexpr int kVkDown = 40;
constexpr int kVkNumpad0 = 96;
constexpr int kVkNumpad9 = 105;
constexpr int kVkF1 = 112;
constexpr int kVkF12 = 123;

// The set of held modifier keys.
constexpr unsigned kNoModifier = 0;
constexpr unsigned kShiftKey = 1;
constexpr unsigned kCtrlKey = 2;
constexpr unsigned kAltKey = 4;

}  // namespace bex
