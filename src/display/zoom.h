// The zoom commands' arithmetic: the Z and X keys, the numeric keypad, and the
// percentage typed into the zoom dialog. The picture view applies the result
// (stores the zoom percentage and lays the picture out again); these functions
// only say what the new zoom percentage is, or that the command does nothing.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace bex {

// Fixed zoom steps of the keys.
constexpr int kZoomStep = 10;
constexpr int kZoomStepMin = 10;
constexpr int kZoomStepMax = 500;

// Key Z: without a picture or at kZoomStepMax and above nothing; with shift
// 100 %; otherwise 10 more, at most kZoomStepMax.
std::optional<int> ZoomStepUp(int zoomPercent, bool shift, bool hasPicture);

// Key X: without a picture or at kZoomStepMin and below nothing; with shift
// kZoomStepMin; otherwise 10 less, at least kZoomStepMin.
std::optional<int> ZoomStepDown(int zoomPercent, bool shift, bool hasPicture);

// Numeric keypad digit 0-9, with or without shift, whether or not a picture is
// shown: digit d gives d x 10 % (0 gives 100 %); with shift d x 100 %, and 0
// asks for a typed percentage instead.
struct PadZoom {
  enum class Action { None, Set, AskTyped };
  Action action = Action::None;
  int zoomPercent = 0;  // for Set
};
PadZoom ZoomByPad(int digit, bool shift);

// The typed percentage converted as the runtime converts text to an integer:
// leading blanks, an optional sign, then decimal digits (or hexadecimal after
// "$" or "0x") to the end; none for anything else, including an empty text,
// a "." and numbers beyond 32 bits.
std::optional<int> ParseTypedZoom(std::string_view text);

// The error the general error report shows for a typed text that is no whole
// number: "'<text>' は整数ではありません" (code page 932).
std::string TypedZoomErrorText(std::string_view text);

// The fit mode ShowPicture runs with while ApplyZoom lays out a new zoom: a
// zoom the user chose is honoured by resizing the window (mode 0) unless the
// window is fixed (mode 2).
int FitModeForApplyZoom(int fitMode);

}  // namespace bex
