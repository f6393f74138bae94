// The settings dialog.
#include "app/main_form_win.h"

namespace bex {

void TBexForm1::W1Click() {}

}  // namespace bex
