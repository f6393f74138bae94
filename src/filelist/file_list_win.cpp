// The folder's file list of the main window.
#include "filelist/folder_host_win.h"
#include "image/image_area_win.h"

namespace bex {
namespace {

uint32_t PackedLocalTime(const FILETIME& written) {
  FILETIME local;
  WORD date = 0;
  WORD time = 0;
  if (!FileTimeToLocalFileTime(&written, &local) || !FileTimeToDosDateTime(&local, &date, &time)) {
    return 0;
  }
  return (static_cast<uint32_t>(date) << 16) | time;
}

}  // namespace

std::vector<FileTbl> TBexForm1::FolderHost::ListFolder() {
  std::vector<FileTbl> files;
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA("*.*", &fd);
  if (h == INVALID_HANDLE_VALUE) return files;
  do {
    if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    const uint64_t size = (static_cast<uint64_t>(fd.nFileSizeHigh) << 32) | fd.nFileSizeLow;
    files.push_back({fd.cFileName, size, PackedLocalTime(fd.ftLastWriteTime)});
  } while (FindNextFileA(h, &fd));
  FindClose(h);
  return files;
}

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
