// The move menu.
#include "app/main_form_win.h"

namespace bex {

void TBexForm1::J1Click() {}

}  // namespace bex
