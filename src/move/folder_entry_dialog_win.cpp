#include "move/folder_entry_dialog_win.h"

#include <shlobj.h>

#include <utility>
#include <vector>

#include "common/code_page_win.h"
#include "common/message_box_win.h"
#include "move/destination_files_win.h"
#include "shared/com_scope_win.h"

namespace bex {
namespace {

enum FolderEntryId {
  kShortcutLabel = 100,
  kFolderLabel,
  kBrowseButton,
  kShortcutEdit,
  kFolderEdit,
  kOkButton = IDOK,
  kCancelButton = IDCANCEL
};

// In tab order: the picker first, so that it has the focus when the dialog opens.
std::vector<ControlSpec> FolderEntryControls() {
  return {
      {kBrowseButton, ControlKind::kButton, "･･･", 296, 24, 33, 25},
      {kOkButton, ControlKind::kButton, "&OK", 0, 56, 168, 20},
      {kCancelButton, ControlKind::kButton, "&Cancel", 168, 56, 168, 20},
      {kShortcutEdit, ControlKind::kEdit, "", 16, 24, 33, 20},
      {kFolderEdit, ControlKind::kEdit, "", 64, 24, 225, 20},
      {kShortcutLabel, ControlKind::kLabel, "ｼｮｰﾄｶｯﾄ", 8, 8, 50, 14},
      {kFolderLabel, ControlKind::kLabel, "ﾌｫﾙﾀﾞｰ指定", 64, 8, 120, 14},
  };
}

}  // namespace

// The files other copies of the program read hold code page 932; a name it
// cannot hold exactly would be stored as another name.
void RefuseUnstorableName(HWND owner, const std::wstring& text, const std::string& file) {
  ShowMessage(owner,
              text + FromCp932("\nにはコードページ932で表せない文字が含まれているため、"
                               "登録できません。\n(" +
                               file + " は他のコピーも読むため、名前を変えずに保存できません)"),
              "登録エラー");
}

std::optional<std::wstring> ChooseFolder(HWND owner) {
  // The browser needs COM on this thread.
  const ComScope com;
  const std::wstring title = FromCp932("フォルダを選択");
  BROWSEINFOW info = {};
  info.hwndOwner = owner;
  info.lpszTitle = title.c_str();
  info.ulFlags = BIF_RETURNONLYFSDIRS;
  std::optional<std::wstring> folder;
  if (LPITEMIDLIST chosen = SHBrowseForFolderW(&info)) {
    wchar_t path[MAX_PATH];
    if (SHGetPathFromIDListW(chosen, path)) folder = path;
    CoTaskMemFree(chosen);
  }
  return folder;
}

FolderEntryDialog::FolderEntryDialog(EntryDialogSetup setup)
    : TableDialog(setup.title, 336, 76, FolderEntryControls()), setup_(std::move(setup)) {}

// Placed by the default: centred on the settings dialog, kept right of and
// below the screen's origin.
void FolderEntryDialog::OnCreate() {
  SetItemText(kFolderLabel, setup_.boxCaption);
  SetItemText(kShortcutEdit, setup_.boxes.shortcut);
  SetItemText(kFolderEdit, setup_.boxes.folder);
  if (!setup_.showPicker) ShowWindow(Item(kBrowseButton), SW_HIDE);
}

bool FolderEntryDialog::OnCommand(int id, int code) {
  if (id == kBrowseButton && code == BN_CLICKED) {
    BrowseFolder();
    return true;
  }
  if (id == kShortcutEdit && code == EN_CHANGE) {
    ShortcutChanged();
    return true;
  }
  return TableDialog::OnCommand(id, code);
}

// Esc cancels wherever the focus is. The shortcut box takes every typed
// character itself and swallows the Delete key.
bool FolderEntryDialog::PreviewKey(HWND target, UINT msg, WPARAM key) {
  if (msg == WM_KEYDOWN && key == VK_ESCAPE) {
    Close(kResultCancel);
    return true;
  }
  if (target != Item(kShortcutEdit)) return false;
  if (msg == WM_CHAR) {
    ShortcutTyped(static_cast<wchar_t>(key));
    return true;
  }
  return msg == WM_KEYDOWN && key == VK_DELETE;
}

// A character beyond ASCII is never a shortcut.
void FolderEntryDialog::ShortcutTyped(wchar_t typed) {
  ShowShortcut(ShortcutBoxAfterChar(typed < 0x80 ? static_cast<char>(typed) : '\0'));
}

// Pastes (Ctrl+V, Shift+Insert, the box's own menu) and texts set from outside
// bypass the typed characters; the box is corrected after every change. The
// correction changes the box again, which then holds a text it can keep.
void FolderEntryDialog::ShortcutChanged() {
  const std::string text = ItemText(kShortcutEdit);
  const std::string kept = ShortcutBoxAfterChange(text);
  if (kept != text) ShowShortcut(kept);
}

void FolderEntryDialog::ShowShortcut(const std::string& shown) {
  SetItemText(kShortcutEdit, shown);
  const LPARAM end = static_cast<LPARAM>(shown.size());
  SendMessageA(Item(kShortcutEdit), EM_SETSEL, end, end);
}

void FolderEntryDialog::BrowseFolder() {
  if (std::optional<std::wstring> folder = ChooseFolder(Handle())) {
    SetItemText(kFolderEdit, *folder);
  }
}

// The box is read whole, every character typed, pasted or picked kept, so
// that a name code page 932 cannot hold is refused, never stored as "?".
bool FolderEntryDialog::MayConfirm() {
  const std::wstring folder = WideItemText(kFolderEdit);
  if (ExactCp932(folder)) return true;
  RefuseUnstorableName(Handle(), folder,
                       std::string("登録フォルダーのファイル ") + kDestinationsFileName);
  return false;
}

void FolderEntryDialog::OnClose(int result) {
  if (result != kResultOk) return;
  setup_.boxes = {ItemText(kShortcutEdit), ItemText(kFolderEdit)};
}

}  // namespace bex
