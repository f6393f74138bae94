// The sort condition: a confirmed sort dialog discards the list, which the
// next key, menu opening or step builds again in the new order.
#include "filelist/folder_stepper_win.h"
#include "filelist/sort_dialog_win.h"

namespace bex {

void FolderStepper::SetSortOrder(int kind, int direction) {
  sortKind_ = kind;
  sortDirection_ = direction;
}

void FolderStepper::ChooseSortOrder() {
  SortDialog dialog(sortKind_, sortDirection_);
  if (dialog.ShowModal(owner_) != kResultOk) return;
  SetSortOrder(dialog.Kind(), dialog.Direction());
  stepper_.DiscardFileList();
}

}  // namespace bex
