#include "move/folder_entry_dialog_win.h"

#include <shlobj.h>

#include <utility>
#include <vector>

namespace bex {
namespace {

enum SetFolderId {
  kLabel2 = 100,
  kLabel1,
  kSchbtn,
  kShortC_ed,
  kFolder_ed,
  kOkbtn = IDOK,
  kCancelbtn = IDCANCEL
};

// In tab order: the picker first, so that it has the focus when the dialog opens.
std::vector<ControlSpec> SetFolderControls() {
  return {
      {kSchbtn, ControlKind::kButton, "･･･", 296, 24, 33, 25},
      {kOkbtn, ControlKind::kButton, "&OK", 0, 56, 168, 20},
      {kCancelbtn, ControlKind::kButton, "&Cancel", 168, 56, 168, 20},
      {kShortC_ed, ControlKind::kEdit, "", 16, 24, 33, 20},
      {kFolder_ed, ControlKind::kEdit, "", 64, 24, 225, 20},
      {kLabel2, ControlKind::kLabel, "ｼｮｰﾄｶｯﾄ", 8, 8, 50, 14},
      {kLabel1, ControlKind::kLabel, "ﾌｫﾙﾀﾞｰ指定", 64, 8, 120, 14},
  };
}

}  // namespace

std::optional<std::string> ChooseFolder(HWND owner) {
  // The browser needs COM on this thread; a call that finds it already
  // initialised is balanced all the same.
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  BROWSEINFOA info = {};
  info.hwndOwner = owner;
  info.lpszTitle = "フォルダを選択";
  info.ulFlags = BIF_RETURNONLYFSDIRS;
  std::optional<std::string> folder;
  if (LPITEMIDLIST chosen = SHBrowseForFolderA(&info)) {
    char path[MAX_PATH];
    if (SHGetPathFromIDListA(chosen, path)) folder = path;
    CoTaskMemFree(chosen);
  }
  if (SUCCEEDED(com)) CoUninitialize();
  return folder;
}

TSetFolder_Form::TSetFolder_Form(EntryDialogSetup setup)
    : TableDialog(setup.title, 336, 76, SetFolderControls()), setup_(std::move(setup)) {}

// Placed by the default: centred on the settings dialog, kept right of and
// below the screen's origin.
void TSetFolder_Form::OnCreate() {
  SetItemText(kLabel1, setup_.boxCaption);
  SetItemText(kShortC_ed, setup_.boxes.shortcut);
  SetItemText(kFolder_ed, setup_.boxes.folder);
  if (!setup_.showPicker) ShowWindow(Item(kSchbtn), SW_HIDE);
}

bool TSetFolder_Form::OnCommand(int id, int code) {
  if (id == kSchbtn && code == BN_CLICKED) {
    SchbtnClick();
    return true;
  }
  if (id == kShortC_ed && code == EN_CHANGE) {
    ShortC_edChange();
    return true;
  }
  return TableDialog::OnCommand(id, code);
}

// Esc cancels wherever the focus is. The shortcut box takes every typed
// character itself and swallows the Delete key.
bool TSetFolder_Form::PreviewKey(HWND target, UINT msg, WPARAM key) {
  if (msg == WM_KEYDOWN && key == VK_ESCAPE) {
    Close(kResultCancel);
    return true;
  }
  if (target != Item(kShortC_ed)) return false;
  if (msg == WM_CHAR) {
    ShortC_edKeyPress(static_cast<char>(key));
    return true;
  }
  return msg == WM_KEYDOWN && key == VK_DELETE;
}

void TSetFolder_Form::ShortC_edKeyPress(char typed) { ShowShortcut(ShortcutBoxAfterChar(typed)); }

// Pastes (Ctrl+V, Shift+Insert, the box's own menu) and texts set from outside
// bypass the typed characters; the box is corrected after every change. The
// correction changes the box again, which then holds a text it can keep.
void TSetFolder_Form::ShortC_edChange() {
  const std::string text = ItemText(kShortC_ed);
  const std::string kept = ShortcutBoxAfterChange(text);
  if (kept != text) ShowShortcut(kept);
}

void TSetFolder_Form::ShowShortcut(const std::string& shown) {
  SetItemText(kShortC_ed, shown);
  const LPARAM end = static_cast<LPARAM>(shown.size());
  SendMessageA(Item(kShortC_ed), EM_SETSEL, end, end);
}

void TSetFolder_Form::SchbtnClick() {
  if (std::optional<std::string> folder = ChooseFolder(Handle())) SetItemText(kFolder_ed, *folder);
}

void TSetFolder_Form::OnClose(int result) {
  if (result != kResultOk) return;
  setup_.boxes = {ItemText(kShortC_ed), ItemText(kFolder_ed)};
}

}  // namespace bex
