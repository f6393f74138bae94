// SettingsDialog: the settings dialog that W opens. Its first page edits the
// options, the window/picture relation, the default sort order and the
// plug-in folder; its second page edits the registered destination tree one
// level at a time.
#pragma once

#include <optional>
#include <string>

#include "common/table_dialog_win.h"
#include "move/folder_editor.h"

namespace bex {

class DecoderSlots;
class Filing;
class Options;

class SettingsDialog : public TableDialog {
 public:
  // Filled from the options and the fit mode of this moment; the destination
  // file is read again so that the editor starts from what it holds now.
  // Confirming saves the edited destinations and loads the plug-ins of the
  // chosen folder into the slots.
  SettingsDialog(Options& options, Filing& filing, DecoderSlots& slots, int fitMode);

  // The option boxes' ticks, as bits of the option flags; set before showing.
  void TickOptions(int optionFlags) { ticked_ = optionFlags; }
  // Keeps the no-second-instance box from being switched on.
  void DisableSingleInstanceBox() { singleInstanceEnabled_ = false; }

  // What the confirmed dialog holds.
  int TickedOptions() const { return ticked_; }
  // The chosen fit mode, or -1 when no item is chosen.
  int ChosenFitMode() const { return fitMode_; }
  int ChosenSortKind() const { return sortKind_; }
  int ChosenSortDirection() const { return sortDirection_; }

 protected:
  void OnCreate() override;
  bool OnCommand(int id, int code) override;
  bool PreviewKey(HWND target, UINT msg, WPARAM key) override;
  bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
  bool MayConfirm() override;
  void OnClose(int result) override;
  void OnRescaled() override;

 private:
  void CreatePages();
  void PlacePages();
  void AddLabelHint();
  void FillFirstPage();
  void ReadFirstPage();
  void Confirm();
  void BrowsePluginFolder();
  void ShowSelectedPage();
  void SelectPage(int page);

  // The second page: the list shows the editor's level; the buttons follow
  // its enabling rules.
  void RefreshList();
  void UpdateButtons();
  void SelectionChanged();
  void OpenEntryDialog(EntryDialogMode mode);
  bool RunEditorButton(int id);
  bool ListKeyDown(WPARAM key);
  void Focus(int id);

  Options& options_;
  Filing& filing_;
  DecoderSlots& slots_;
  int ticked_ = 0;
  bool singleInstanceEnabled_ = true;
  int fitMode_;
  int sortKind_;
  int sortDirection_;
  // The plug-in folder as the box shows it at first, by its long name.
  std::wstring shownPluginFolder_;
  // The folder the user chose in the box, for the settings file; none while
  // the box shows what it showed at first.
  std::optional<std::string> chosenPluginFolder_;
  FolderEditor editor_;
};

}  // namespace bex
