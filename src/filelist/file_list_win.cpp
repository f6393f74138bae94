// The folder's file list of the main window.
#include "filelist/folder_host_win.h"
#include "filelist/folder_listing_win.h"
#include "image/image_area_win.h"

namespace bex {

std::vector<FileTbl> TBexForm1::FolderHost::ListFolder() { return ListCurrentFolder(); }

void TBexForm1::FolderHost::ShowSlot(int slot) {
  const TSpiload& source = form_.ImageSlots[slot];
  form_.image1_->SetPicture(source.Picture());
  form_.ShownFileName = source.FileName();
  form_.ShowPicture();
  form_.image1_->RepaintNow();
}

void TBexForm1::FolderHost::ReportNoFiles() {
  ShowMessage(form_.hwnd_, "表示可能ファイルが見つかりません", "検索エラー");
}

void TBexForm1::CreateFileList() {
  folderHost_ = std::make_unique<FolderHost>(*this);
  stepper_ = std::make_unique<FileStepper>(*folderHost_);
}

void TBexForm1::InvalidateFileList() { stepper_->InvalidateFileList(); }

void TBexForm1::EnsureFileList() { stepper_->EnsureFileList(); }

void TBexForm1::StepImage(bool forward) { stepper_->StepImage(forward); }

void TBexForm1::ReleaseLists() { stepper_->FileList.clear(); }

}  // namespace bex
