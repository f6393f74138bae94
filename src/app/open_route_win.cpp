// Where a file enters the viewer and where the shown file leaves it: opening
// a path into the shown slot, moving the shown file to a destination, and
// bringing back a file moved or deleted before.
#include <utility>

#include "app/main_window_win.h"
#include "app/open_image_win.h"
#include "common/code_page_win.h"
#include "common/files_win.h"
#include "common/message_box_win.h"
#include "common/start_trace_win.h"
#include "common/wide_text.h"

namespace bex {
namespace {

// Folders compare as the file system does, without regard to letter case.
bool SameFolder(std::wstring_view a, std::wstring_view b) {
  return lstrcmpiW(std::wstring(a).c_str(), std::wstring(b).c_str()) == 0;
}

}  // namespace

// The whole picture's display copy is made for the opening layout while the
// reduced picture, or the part of the picture in view, is on screen. A part
// is shown only where the picture opens at 100 %, which a side beyond what
// the viewer shows at that size does not.
bool MainWindow::SlotDisplay::LoadShownFile(const std::wstring& name, int slot) {
  const PictureView::OpeningBox box =
      view_.HasPicture() ? PictureView::OpeningBox{} : view_.OpeningFitBox();
  const FitBox fit{static_cast<uint32_t>(box.width), static_cast<uint32_t>(box.height), box.part};
  if (!fit.Given()) {
    if (!slots_.Decode(name, slot, window_)) return false;
  } else {
    slots_.StartDecode(name, slot, window_, kWholePictureMessage, view_.OpeningLayout(), fit);
    SIZE whole = {};
    BitmapRef firstView = slots_.WaitForFirstView(slot, &whole);
    if (firstView && (!fit.part || MaxZoomFor(whole.cx, whole.cy) >= 100)) {
      NoteStartMoment("reduced");
      view_.SetFirstView(std::move(firstView), whole);
      view_.NotePictureDecoded();
      wholePending_ = slot;
      return true;
    }
    if (!slots_.FinishDecode(slot, window_)) return false;
  }
  NoteStartMoment("decoded");
  view_.SetPicture(slots_[slot].Picture(), slots_.DisplayCopy(slot));
  view_.NotePictureDecoded();
  return true;
}

// Nothing of a file that does not decode stays on screen.
bool MainWindow::SlotDisplay::TakeWholePicture() {
  if (!wholePending_) return true;
  const int slot = *std::exchange(wholePending_, std::nullopt);
  if (!slots_.FinishDecode(slot)) {
    view_.DropFirstView();
    return false;
  }
  NoteStartMoment("decoded");
  view_.ReplaceFirstView(slots_[slot].Picture(), slots_.DisplayCopy(slot));
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
  if (FullPathOrAsGiven(path).size() < MAX_PATH && LoadShownFile(path)) {
    lastOpenedPath_ = path;
    view_->ShowOpened();
    PostMessageW(hwnd_, kDecodeNeighboursMessage, 0, 0);
    return true;
  }
  ReportCannotShow(path, slots_[folder_->ShownSlot()].RefusedAsTooLarge());
  return false;
}

// A first view whose whole picture does not decode was opened while no
// picture was on screen: the file then leaves as one that cannot be shown,
// and the steps look in its folder.
void MainWindow::TakeWholePicture() {
  if (display_->TakeWholePicture()) return;
  view_->SetShownFile(view_->Shown().Folder(), L"");
  folder_->FileOpened();
  ReportCannotShow(lastOpenedPath_, slots_[folder_->ShownSlot()].RefusedAsTooLarge());
}

// The message names the cause where the viewer knows it.
void MainWindow::ReportCannotShow(const std::wstring& path, bool refusedAsTooLarge) {
  if (FullPathOrAsGiven(path).size() >= MAX_PATH) {
    ReportPathTooLong(hwnd_, path);
  } else if (refusedAsTooLarge) {
    ShowMessage(
        hwnd_,
        path + FromCp932(" は画像が大きすぎるため表示できません\n(表示できるのは6400万画素まで)"),
        "画像サイズ異常");
  } else {
    ShowMessage(hwnd_, path + FromCp932(" は表示できません"), "ファイルフォーマット異常");
  }
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
// the list's first entry and passes over the ones that cannot be shown. A
// folder with nothing to show (the step has said so) leaves the picture on
// screen the shown file, in its own folder; with none on screen yet, the
// chosen folder is where the steps look.
void MainWindow::OpenFolder(const std::wstring& folder) {
  SetForegroundWindow(hwnd_);
  const ShownFile before = view_->Shown();
  const int zoom = view_->ZoomPercent();
  const bool removed = folder_->ShownFileRemoved();
  if (!SetCurrentDirectoryW(folder.c_str())) {
    ReportCannotShow(folder, false);
    return;
  }
  view_->ShowFolder(JoinPath(CurrentDirectory(), L""));
  folder_->FileOpened();
  const auto keepShownFile = [&] {
    if (!view_->Shown().Name().empty() || before.Name().empty()) return;
    SetCurrentDirectoryW(before.Folder().c_str());
    view_->KeepShowing(before, zoom);
    folder_->FileOpened();
    if (removed) folder_->MarkShownFileRemoved();
  };
  try {
    folder_->Step(true);
  } catch (...) {
    keepShownFile();
    throw;
  }
  keepShownFile();
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
  const auto stillShown = [this](const std::wstring& path) { return ReadyToActOn(path); };
  const auto letGo = [this](const std::wstring& path) {
    folder_->LetGoOf(std::wstring(FileNamePart(path)));
  };
  const int options = options_->Flags();
  // The decode ahead reads the folder's files by their bare names: it must
  // not go on while the dialog has another folder current.
  const Filing::MoveManner manner{(options & kOptionMoveWithoutDialog) != 0,
                                  (options & kOptionCompanionsAlong) != 0,
                                  [this] { folder_->StopDecoding(); }};
  const std::optional<Filing::CompletedMove> move =
      filing_->MoveShownFile(view_->Shown(), stillShown, at.Left, at.Top, manner, letGo);
  if (!move) return;
  // Renamed in its own folder, the file stays one of the folder's.
  const std::wstring_view destinationFolder = FolderPart(move->destination);
  if (SameFolder(destinationFolder, JoinPath(view_->Shown().Folder(), L""))) {
    folder_->RenameShownEntry(std::wstring(FileNamePart(move->destination)));
  } else {
    folder_->MarkShownFileRemoved();
  }
  // Companions leave the list before the step, which must not show one of
  // them from a picture decoded ahead.
  std::vector<std::wstring> companionsLeft;
  for (const PathMove& companion : move->companions) {
    companionsLeft.emplace_back(FileNamePart(companion.source));
  }
  folder_->DropLeftEntries(companionsLeft);
  // The move is recorded before the next picture is looked for, whose
  // messages could keep the record waiting.
  filing_->RecordMove(*move);
  folder_->Step(true);
}

void MainWindow::DeleteShownFile() {
  const auto ready = [this](const std::wstring& path) { return ReadyToActOn(path); };
  const bool withCompanions = (options_->Flags() & kOptionCompanionsAlong) != 0;
  if (const auto recycled = folder_->DeleteShownFile(view_->Shown(), ready, withCompanions)) {
    std::vector<Filing::BinnedFile> companions;
    for (const FolderStepper::Recycled& companion : recycled->companions) {
      if (!PathExists(companion.path)) {
        companions.push_back({companion.path, companion.size, companion.fingerprint});
      }
    }
    filing_->RecordDelete({recycled->path, recycled->size, recycled->fingerprint},
                          recycled->deletedAt, companions);
  }
}

bool MainWindow::ReadyToActOn(const std::wstring& path) {
  if (folder_->ShownFileRemoved() || !view_->Shown().Is(path)) return false;
  // A file gone meanwhile is left to the command, which reports its failure.
  if (folder_->ShownFileChanged() && PathExists(path)) {
    ShowChangedFileAnew(path);
    return false;
  }
  folder_->LetGoOf(view_->Shown().Name());
  return true;
}

void MainWindow::ShowChangedFileAnew(const std::wstring& path) {
  ShowMessage(
      hwnd_,
      path +
          FromCp932("\nは表示した後に変更されたため、何もしませんでした。\n今の内容を表示します。"),
      "ファイル変更");
  OpenPicture(path);
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
