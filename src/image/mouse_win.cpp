// Mouse events over the main window and its image area.
#include "app/main_form_win.h"

namespace bex {

void TBexForm1::ImageMouse(UINT, WPARAM, int, int) {}

}  // namespace bex
