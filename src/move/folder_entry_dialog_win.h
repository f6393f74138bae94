// FolderEntryDialog: the small dialog in which the registered-folder editor
// takes one entry: a one-character shortcut and a folder path (with a folder
// picker) or a group name.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "common/table_dialog_win.h"
#include "move/folder_editor.h"

namespace bex {

// The platform's folder browser owned by owner, titled "フォルダを選択", for
// file-system folders only; the chosen folder's path, or none on cancel.
std::optional<std::wstring> ChooseFolder(HWND owner);

// Tells the user that text, which has characters code page 932 cannot
// hold, cannot be kept in the file that file names ("登録エラー").
void RefuseUnstorableName(HWND owner, const std::wstring& text, const std::string& file);

class FolderEntryDialog : public TableDialog {
 public:
  // Worded, and its boxes filled, as setup says.
  explicit FolderEntryDialog(EntryDialogSetup setup);

  // The boxes as the user left them when the dialog was confirmed.
  const EntryDialogBoxes& Boxes() const { return setup_.boxes; }

 protected:
  void OnCreate() override;
  bool OnCommand(int id, int code) override;
  bool PreviewKey(HWND target, UINT msg, WPARAM key) override;
  bool MayConfirm() override;
  void OnClose(int result) override;

 private:
  void ShortcutTyped(wchar_t typed);
  void ShortcutChanged();
  void ShowShortcut(const std::string& shown);
  void BrowseFolder();

  EntryDialogSetup setup_;
};

}  // namespace bex
