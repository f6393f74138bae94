// Where a key press or a command of the command menu goes: the menu's
// shortcuts first, then the key map, each action handed to the part of the
// viewer it works on.
#include <cstdlib>

#include "app/help_window_win.h"
#include "app/main_window_win.h"
#include "app/open_image_win.h"
#include "app/settings_file_win.h"
#include "common/files_win.h"
#include "common/message_box_win.h"
#include "filelist/keyboard_win.h"
#include "shared/version.h"

namespace bex {

void MainWindow::OnKey(int virtualKey, bool repeated) {
  const KeyPress key = ReadKeyPress(hwnd_, virtualKey);
  if (key.command) {
    // The key is used up even when its item is disabled.
    if (PrepareCommandMenu(false).IsEnabled(*key.command)) RunCommand(*key.command);
    return;
  }
  folder_->EnsureFileList();
  RunKeyAction(key.action, repeated);
}

void MainWindow::RunKeyAction(const KeyCommand& key, bool repeated) {
  const RECT r = OuterRect();
  const WindowBounds bounds{r.left, r.top, r.right - r.left, r.bottom - r.top};
  switch (key.Action) {
    case KeyAction::kNone:
      return;
    case KeyAction::kStepForward:
    case KeyAction::kStepBackward:
      folder_->Step(key.Action == KeyAction::kStepForward, repeated);
      return;
    case KeyAction::kCloseWindow:
      PostMessageA(hwnd_, WM_CLOSE, 0, 0);
      return;
    case KeyAction::kMoveWindowLeft:
    case KeyAction::kMoveWindowUp:
    case KeyAction::kMoveWindowRight:
    case KeyAction::kMoveWindowDown:
    case KeyAction::kWindowToLeftEdge:
    case KeyAction::kWindowToTopEdge:
    case KeyAction::kWindowToRightEdge:
    case KeyAction::kWindowToBottomEdge:
    case KeyAction::kCentreWindow: {
      const WindowOrigin o =
          MovedWindowOrigin(key.Action, bounds, {desktop_.width, desktop_.height});
      SetWindowPos(hwnd_, nullptr, o.Left, o.Top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
      return;
    }
    case KeyAction::kScrollLeft:
    case KeyAction::kScrollUp:
    case KeyAction::kScrollRight:
    case KeyAction::kScrollDown: {
      const SIZE client = view_->ClientSize();
      const ScrollView scroll{view_->ScrollX(), view_->ScrollY(),        client.cx,
                              client.cy,        view_->DisplayedWidth(), view_->DisplayedHeight()};
      const ScrollPosition p = ScrolledPosition(key.Action, scroll, view_->HasPicture());
      view_->ScrollTo(p.X, p.Y);
      return;
    }
    case KeyAction::kToggleSingleInstance:
      options_->ToggleSingleInstance();
      return;
    case KeyAction::kOpenCommandMenu: {
      const WindowOrigin at = PopupMenuPoint(bounds);
      OpenCommandMenu(at.Left, at.Top);
      return;
    }
    case KeyAction::kZoomStepDown:
      view_->ZoomStepDown(key.Shift);
      return;
    case KeyAction::kZoomStepUp:
      view_->ZoomStepUp(key.Shift);
      return;
    case KeyAction::kZoomByPad:
      view_->ZoomByPad(key.Digit, key.Shift);
      return;
  }
}

// The undo journal is read from disk only for the menu that opens, whose
// item names the file; a key leaves it to the undo, which does nothing with
// an empty journal.
MenuState MainWindow::PrepareCommandMenu(bool readUndoJournal) {
  folder_->EnsureFileList();
  const Filing::UndoOffer undo =
      readUndoJournal ? filing_->OfferUndo() : Filing::UndoOffer{true, {}};
  const MenuState state =
      StateFor({folder_->ShownFileRemoved(), view_->FitMode(), undo.available, undo.subject});
  commandMenu_->Prepare(state);
  return state;
}

// Without a help file the viewer's own list of commands and keys stands in.
void MainWindow::OpenHelp() {
  const std::wstring helpFile = WideProgramFolder() + L"bex.hlp";
  if (PathExists(helpFile)) {
    WinHelpW(hwnd_, helpFile.c_str(), HELP_CONTENTS, 0);
  } else {
    HelpWindow().ShowModal(hwnd_);
  }
}

void MainWindow::OpenCommandMenu(int screenX, int screenY) {
  PrepareCommandMenu(true);
  if (const auto command = commandMenu_->Track(hwnd_, screenX, screenY)) RunCommand(*command);
}

void MainWindow::RunCommand(Command command) {
  const MenuItem& item = MenuItemFor(command);
  switch (command) {
    case Command::OpenFile:
      OpenPictures(AskFilesToOpen(hwnd_));
      return;
    case Command::Zoom100:
    case Command::Zoom90:
    case Command::Zoom80:
    case Command::Zoom70:
    case Command::Zoom60:
    case Command::Zoom50:
    case Command::Zoom40:
    case Command::Zoom30:
    case Command::Zoom20:
    case Command::Zoom10:
    case Command::Zoom200:
    case Command::Zoom300:
    case Command::Zoom400:
    case Command::Zoom500:
    case Command::ZoomTyped:
      view_->ZoomToPreset(item.Tag);
      return;
    case Command::NextPicture:
    case Command::PreviousPicture:
      folder_->Step(command == Command::NextPicture);
      return;
    case Command::CopyFullSize:
      view_->CopyFullSize();
      return;
    case Command::CopyAsDisplayed:
      view_->CopyAsDisplayed();
      return;
    case Command::OpenMoveMenu:
      MoveShownFile();
      return;
    case Command::DeleteShownFile:
      DeleteShownFile();
      return;
    case Command::UndoMoveOrDelete:
      UndoMoveOrDelete();
      return;
    case Command::ChooseSortOrder:
      folder_->ChooseSortOrder();
      return;
    case Command::RefreshList:
      folder_->Refresh();
      return;
    case Command::FitWindowToPicture:
    case Command::FitPictureToWindow:
    case Command::FitNeither:
      view_->SetFitMode(item.Tag);
      return;
    case Command::OpenSettings:
      OpenSettings();
      return;
    case Command::OpenHelp:
      OpenHelp();
      return;
    case Command::ShowVersion:
      ShowMessage(hwnd_, "BEX    Ver" BEX_VERSION_TEXT, "ﾊﾞｰｼﾞｮﾝ情報");
      return;
    case Command::Quit:
      std::exit(0);
  }
}

}  // namespace bex
