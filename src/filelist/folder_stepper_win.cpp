#include "filelist/folder_stepper_win.h"

#include "common/message_box_win.h"
#include "filelist/folder_listing_win.h"

namespace bex {

std::vector<FileEntry> FolderStepper::ListFolder() { return ListCurrentFolder(); }

std::vector<size_t> FolderStepper::PlacesInExplorerOrder(const std::vector<FileEntry>& list) const {
  return bex::PlacesInExplorerOrder(list);
}

void FolderStepper::ReportNoFiles() {
  ShowMessage(owner_, "表示可能ファイルが見つかりません", "検索エラー");
}

}  // namespace bex
