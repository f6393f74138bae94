// Where a file enters the viewer and where the shown file leaves it: opening
// a path into the shown slot, moving the shown file to a destination, and
// bringing back a file moved or deleted before.
#include "app/main_window_win.h"
#include "app/open_image_win.h"
#include "common/code_page_win.h"
#include "common/files_win.h"
#include "common/message_box_win.h"
#include "common/wide_text.h"

namespace bex {

bool MainWindow::SlotDisplay::LoadShownFile(const std::wstring& name, int slot) {
  if (!slots_.Decode(name, slot, window_)) return false;
  view_.SetPicture(slots_[slot].Picture(), nullptr);
  view_.NotePictureDecoded();
  return true;
}

void MainWindow::SlotDisplay::StartLoad(const std::wstring& name, int slot) {
  slots_.StartDecode(name, slot, window_, kDecodeEndedMessage, view_.NextLayout());
}

// A key that needs a picture decoded ahead waits for it with the caption
// that tells so.
bool MainWindow::SlotDisplay::FinishLoad(int slot, bool announced) {
  if (!slots_.FinishDecode(slot, announced ? window_ : nullptr)) return false;
  view_.NotePictureDecoded();
  return true;
}

void MainWindow::SlotDisplay::ShowSlot(int slot) {
  view_.ShowStepped(slots_[slot].Picture(), slots_.DisplayCopy(slot), slots_[slot].FileName());
}

// A file that cannot be shown changes nothing but the caption: the picture
// on screen keeps its name and folder, so that every command still acts on it.
bool MainWindow::OpenPicture(const std::wstring& path) {
  SetForegroundWindow(hwnd_);
  if (LoadShownFile(path)) {
    view_->ShowOpened();
    PostMessageW(hwnd_, kDecodeNeighboursMessage, 0, 0);
    return true;
  }
  ReportCannotShow(path);
  return false;
}

void MainWindow::ReportCannotShow(const std::wstring& path) {
  ShowMessage(hwnd_, path + FromCp932(" は表示できません"), "ファイルフォーマット異常");
  SetWindowTextA(hwnd_, "表示できません");
}

void MainWindow::OpenPath(const std::wstring& path) {
  if (IsFolder(path)) {
    OpenFolder(path);
  } else {
    OpenPicture(path);
  }
}

// No file is shown from the new folder yet, so the step forward starts at
// the list's first entry and passes over the ones that cannot be shown.
void MainWindow::OpenFolder(const std::wstring& folder) {
  SetForegroundWindow(hwnd_);
  if (!SetCurrentDirectoryW(folder.c_str())) {
    ReportCannotShow(folder);
    return;
  }
  view_->ShowFolder(JoinPath(CurrentDirectory(), L""));
  folder_->FileOpened();
  folder_->Step(true);
}

// The file is decoded by its bare name from its own folder, as the steps
// decode its neighbours. The shown folder is the full folder, whatever form of
// the path was given. A file that does not come leaves the folder of the
// picture on screen; with none on screen yet, the chosen folder is where the
// steps look.
bool MainWindow::LoadShownFile(const std::wstring& path) {
  const std::optional<ShownFile> file = EnterFolderOf(path);
  if (!file) return false;
  const auto settle = [&](bool loaded) {
    if (!loaded && !view_->Shown().Name().empty()) {
      SetCurrentDirectoryW(view_->Shown().Folder().c_str());
      return;
    }
    view_->SetShownFile(file->Folder(), loaded ? file->Name() : std::wstring());
    folder_->FileOpened();
  };
  bool loaded = false;
  try {
    loaded = display_->LoadShownFile(file->Name(), folder_->ShownSlot());
  } catch (...) {
    settle(false);
    throw;
  }
  settle(loaded);
  return loaded;
}

void MainWindow::OpenPictures(const std::vector<std::wstring>& paths) {
  if (paths.empty()) return;
  OpenPath(paths[0]);
  if (paths.size() > 1) OpenInNewViewer(hwnd_, {paths.begin() + 1, paths.end()});
}

void MainWindow::MoveShownFile() {
  const RECT r = OuterRect();
  const WindowOrigin at = PopupMenuPoint({r.left, r.top, r.right - r.left, r.bottom - r.top});
  const auto stillShown = [this](const std::wstring& path) {
    return folder_->LetGoOfIfStillShown(view_->Shown(), path);
  };
  const std::optional<Filing::CompletedMove> move =
      filing_->MoveShownFile(view_->Shown(), stillShown, at.Left, at.Top);
  if (!move) return;
  folder_->MarkShownFileRemoved();
  // The move stands even when showing the next picture fails: it goes into
  // the history and the undo journal either way.
  try {
    folder_->Step(true);
  } catch (...) {
    filing_->RecordMove(*move);
    throw;
  }
  filing_->RecordMove(*move);
}

// The file that came back is shown, and its folder listed anew. A file
// moved within the shown folder may be the one decoded ahead: it is let go
// before it moves.
void MainWindow::UndoMoveOrDelete() {
  const auto letGo = [this](const std::wstring& path) {
    const std::wstring name(FileNamePart(path));
    if (JoinPath(view_->Shown().Folder(), name) == path) folder_->LetGoOf(name);
  };
  if (const auto restored = filing_->UndoNewest(letGo)) OpenPicture(*restored);
}

}  // namespace bex
