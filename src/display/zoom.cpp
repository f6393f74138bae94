#include "display/zoom.h"

#include <algorithm>

#include "common/profile_value.h"

namespace bex {

std::optional<int> ZoomStepUp(int zoomPercent, bool shift, bool hasPicture) {
  if (!hasPicture || zoomPercent >= kZoomStepMax) return std::nullopt;
  if (shift) return 100;
  return std::min(zoomPercent + kZoomStep, kZoomStepMax);
}

std::optional<int> ZoomStepDown(int zoomPercent, bool shift, bool hasPicture) {
  if (!hasPicture || zoomPercent <= kZoomStepMin) return std::nullopt;
  if (shift) return kZoomStepMin;
  return std::max(zoomPercent - kZoomStep, kZoomStepMin);
}

PadZoom ZoomByPad(int digit, bool shift) {
  using Action = PadZoom::Action;
  if (digit < 0 || digit > 9) return {};
  if (!shift) return {Action::Set, digit == 0 ? 100 : digit * 10};
  if (digit == 0) return {Action::AskTyped, 0};
  return {Action::Set, digit * 100};
}

std::optional<int> ParseTypedZoom(std::string_view text) {
  const size_t start = text.find_first_not_of(' ');
  if (start == std::string_view::npos) return std::nullopt;
  return TryParseProfileInt(text.substr(start));
}

std::string TypedZoomErrorText(std::string_view text) {
  return "'" + std::string(text) + "' は整数ではありません";
}

int FitModeForApplyZoom(int fitMode) { return fitMode == 2 ? 2 : 0; }

}  // namespace bex
