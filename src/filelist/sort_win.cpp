// The sort command: a confirmed condition discards the list, which the next
// key, menu opening or step builds again in the new order.
#include "app/main_form_win.h"
#include "filelist/sort_dialog_win.h"

namespace bex {

void TBexForm1::SSort1Click() {
  TSort_Form dialog(SortKind, SortDirection);
  if (dialog.ShowModal(hwnd_) != kResultOk) return;
  SortDirection = dialog.Direction();
  SortKind = dialog.Kind();
  Files().DiscardFileList();
}

}  // namespace bex
