// The folder's file list of the main window.
#include "app/main_form_win.h"

namespace bex {

void TBexForm1::InvalidateFileList() { CurrentIndex = -1; }

void TBexForm1::ReleaseLists() {}

}  // namespace bex
