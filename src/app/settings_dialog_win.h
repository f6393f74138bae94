// TSet_Form: the settings dialog that W opens. Its first page edits the
// options, the window/picture relation, the default sort order and the
// plug-in folder; its second page edits the registered destination tree one
// level at a time.
#pragma once

#include <string>

#include "app/table_dialog_win.h"
#include "move/folder_editor.h"

namespace bex {

class TBexForm1;

class TSet_Form : public TableDialog {
 public:
  // Filled from the main window's settings; the destination files are read
  // again so that the editor starts from what they hold now.
  explicit TSet_Form(TBexForm1& main);

  // The option boxes' ticks, as bits of OptionFlags; set before showing.
  void TickOptions(int optionFlags) { options_ = optionFlags; }
  // Keeps the no-second-instance box from being switched on.
  void DisableTuikaChkBox() { tuikaEnabled_ = false; }

  // What the confirmed dialog holds.
  int TickedOptions() const { return options_; }
  // The chosen item of WinSizeRG, or -1 when none is.
  int ChosenFitMode() const { return fitMode_; }
  int ChosenSortKind() const { return sortKind_; }
  int ChosenSortDirection() const { return sortDirection_; }

 protected:
  void OnCreate() override;
  bool OnCommand(int id, int code) override;
  bool PreviewKey(HWND target, UINT msg, WPARAM key) override;
  bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
  void OnClose(int result) override;
  void OnRescaled() override;

 private:
  void CreatePages();
  void PlacePages();
  void AddLabelHint();
  void FillFirstPage();
  void ReadFirstPage();
  void OKBtnClick();
  void PluginBtnClick();
  void ShowSelectedPage();
  void SelectPage(int page);
  void TabSheet2Show();

  // The second page: the list shows the editor's level; the buttons follow
  // its enabling rules.
  void RefreshList();
  void UpdateButtons();
  void FolderlbClick();
  void OpenEntryDialog(EntryDialogMode mode);
  bool RunEditorButton(int id);
  bool FolderlbKeyDown(WPARAM key);
  void Focus(int id);

  TBexForm1& main_;
  int options_ = 0;
  bool tuikaEnabled_ = true;
  int fitMode_;
  int sortKind_;
  int sortDirection_;
  std::string pluginFolder_;
  FolderEditor editor_;
};

}  // namespace bex
