// Zoom and the relation of window and picture: the zoom menu items, the zoom
// keys, the typed zoom, the fit-mode items.
#include "app/main_form_win.h"
#include "common/bex_error.h"
#include "image/input_dialog_win.h"
#include "image/zoom.h"

namespace bex {

// Lays the picture out for a new ZoomPercent. A zoom the user chose is
// honoured: the window follows it unless it is fixed (mode 2), where the
// scroll position is kept as far as the new range allows.
void TBexForm1::ApplyZoom() {
  const int mode = FitMode;
  SetFitMode(FitModeForApplyZoom(mode));
  const int x = ScrollX();
  const int y = ScrollY();
  ShowPicture();
  if (mode == 2) ScrollTo(x, y);
  SetFitMode(mode);
}

void TBexForm1::NbaiClick(int tag) {
  if (tag != 0) {
    ZoomPercent = tag;
    ApplyZoom();
    return;
  }
  if (const auto zoom = TypedZoom()) {
    ZoomPercent = *zoom;
    ApplyZoom();
  }
}

void TBexForm1::Win_NonClick(int tag) { SetFitMode(tag); }

void TBexForm1::ZoomStepUpKey(bool shift) {
  if (const auto zoom = ZoomStepUp(ZoomPercent, shift, HasPicture)) {
    ZoomPercent = *zoom;
    ApplyZoom();
  }
}

void TBexForm1::ZoomStepDownKey(bool shift) {
  if (const auto zoom = ZoomStepDown(ZoomPercent, shift, HasPicture)) {
    ZoomPercent = *zoom;
    ApplyZoom();
  }
}

void TBexForm1::ZoomByPadKey(int digit, bool shift) {
  const PadZoom pad = ZoomByPad(digit, shift);
  if (pad.action == PadZoom::Action::Set) {
    ZoomPercent = pad.zoomPercent;
    ApplyZoom();
  } else if (pad.action == PadZoom::Action::AskTyped) {
    NbaiClick(0);
  }
}

// The typed percentage; a text that is no whole number ends the command
// with the runtime's conversion error.
std::optional<int> TBexForm1::TypedZoom() {
  const auto text = inputForm_->Ask(hwnd_);
  if (!text) return std::nullopt;
  const auto zoom = ParseTypedZoom(*text);
  if (!zoom) throw BexError(TypedZoomErrorText(*text));
  return zoom;
}

}  // namespace bex
