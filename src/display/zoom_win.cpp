// Zoom and the relation of window and picture: the zoom menu items, the zoom
// keys, the typed zoom.
#include "common/bex_error.h"
#include "display/picture_view_win.h"
#include "display/zoom.h"
#include "display/zoom_input_dialog_win.h"

namespace bex {

// Lays the picture out at a new zoom. A zoom the user chose is honoured: the
// window follows it unless it is fixed, where the scroll position is kept as
// far as the new range allows.
void PictureView::ApplyZoom(int percent) {
  zoomPercent_ = percent;
  const int mode = fitMode_;
  SetFitMode(FitModeForApplyZoom(mode));
  const int x = scrollX_;
  const int y = scrollY_;
  ShowPicture();
  if (mode == kFixedWindow) ScrollTo(x, y);
  SetFitMode(mode);
}

void PictureView::LayOutAgain() {
  if (hasPicture_) ApplyZoom(zoomPercent_);
}

void PictureView::ZoomToPreset(int percent) {
  if (percent != 0) {
    ApplyZoom(percent);
    return;
  }
  if (const auto zoom = TypedZoom()) ApplyZoom(*zoom);
}

void PictureView::ZoomStepUp(bool shift) {
  if (const auto zoom = bex::ZoomStepUp(zoomPercent_, shift, hasPicture_)) ApplyZoom(*zoom);
}

void PictureView::ZoomStepDown(bool shift) {
  if (const auto zoom = bex::ZoomStepDown(zoomPercent_, shift, hasPicture_)) ApplyZoom(*zoom);
}

void PictureView::ZoomByPad(int digit, bool shift) {
  const PadZoom pad = bex::ZoomByPad(digit, shift);
  if (pad.action == PadZoom::Action::Set) {
    ApplyZoom(pad.zoomPercent);
  } else if (pad.action == PadZoom::Action::AskTyped) {
    ZoomToPreset(0);
  }
}

// The typed percentage; a text that is no whole number ends the command
// with the runtime's conversion error.
std::optional<int> PictureView::TypedZoom() {
  const auto text = zoomInput_->Ask(window_);
  if (!text) return std::nullopt;
  const auto zoom = ParseTypedZoom(*text);
  if (!zoom) throw BexError(TypedZoomErrorText(*text));
  return zoom;
}

}  // namespace bex
