// Where a file enters the viewer and where the shown file leaves it: opening
// a path into the shown slot, and moving the shown file to a destination.
#include "app/main_window_win.h"
#include "common/cp932.h"
#include "common/message_box_win.h"
#include "image/open_image_win.h"

namespace bex {

bool MainWindow::SlotDisplay::LoadIntoSlot(const std::string& name, int slot, bool shown) {
  if (!slots_.Decode(name, slot, shown ? window_ : nullptr)) return false;
  if (shown) view_.SetPicture(slots_[slot].Picture());
  view_.NotePictureDecoded();
  return true;
}

void MainWindow::SlotDisplay::ShowSlot(int slot) {
  view_.ShowStepped(slots_[slot].Picture(), slots_[slot].FileName());
}

bool MainWindow::OpenPicture(const std::string& path) {
  SetForegroundWindow(hwnd_);
  const std::string name(FileNamePart(path));
  const std::optional<std::string> folder = EnterFolderOf(path);
  if (folder) {
    view_->SetShownFile(*folder, name);
    folder_->FileOpened();
  }
  if (folder && display_->LoadIntoSlot(name, folder_->ShownSlot(), true)) {
    view_->ShowOpened();
    return true;
  }
  ShowMessage(hwnd_, path + " は表示できません", "ファイルフォーマット異常");
  SetWindowTextA(hwnd_, "表示できません");
  return false;
}

void MainWindow::OpenPictures(const std::vector<std::string>& paths) {
  if (paths.empty()) return;
  OpenPicture(paths[0]);
  if (paths.size() > 1) OpenInNewViewer(hwnd_, {paths.begin() + 1, paths.end()});
}

void MainWindow::MoveShownFile() {
  const RECT r = OuterRect();
  const WindowOrigin at = PopupMenuPoint({r.left, r.top, r.right - r.left, r.bottom - r.top});
  const std::optional<std::string> destination =
      filing_->MoveShownFile(view_->Shown(), at.Left, at.Top);
  if (!destination) return;
  folder_->MarkShownFileRemoved();
  // The move stands even when showing the next picture fails: it goes into
  // the history either way.
  try {
    folder_->Step(true);
  } catch (...) {
    filing_->RecordDestination(*destination);
    throw;
  }
  filing_->RecordDestination(*destination);
}

}  // namespace bex
