// The settings dialog and the applying of what it confirms.
#include "app/settings_dialog_win.h"

#include <commctrl.h>

#include <algorithm>
#include <vector>

#include "app/main_window_win.h"
#include "common/code_page_win.h"
#include "common/files_win.h"
#include "common/system_dialogs_win.h"
#include "filelist/sort_choice.h"
#include "move/folder_entry_dialog_win.h"
#include "move/move_menu_model.h"

namespace bex {
namespace {

enum SettingsId {
  // page "基本設定"
  kSingleInstanceBox = 100,
  kTopmostBox,
  kSaveBoundsBox,
  kMoveWithoutDialogBox,
  kCompanionsAlongBox,
  kFitGroup,
  kWindowFollowsPictureItem,
  kPictureFollowsWindowItem,
  kFixedWindowItem,
  kDefaultSortGroup,
  kSortKindGroup,
  kDefaultByNameItem,
  kDefaultByDateItem,
  kDefaultBySizeItem,
  kDefaultByExplorerOrderItem,
  kDefaultDirectionGroup,
  kDefaultAscendingItem,
  kDefaultDescendingItem,
  kPluginFolderLabel,
  kPluginFolderEdit,
  kBrowsePluginButton,
  // page "移動先ﾌｫﾙﾀﾞｰ設定"
  kDestinationsLabel = 200,
  kDestinationList,
  kAddFolderButton,
  kChangeButton,
  kAddGroupButton,
  kAddSeparatorButton,
  kCutButton,
  kPasteButton,
  kDeleteButton,
  kUpButton,
  kDownButton,
  kLeaveButton,
  kEnterButton,
  kPages = 300,
  kOkButton = IDOK,
  kCancelButton = IDCANCEL
};

constexpr int kBasicPage = 1;
constexpr int kFolderPage = 2;
constexpr const char* kPageNames[] = {"基本設定", "移動先ﾌｫﾙﾀﾞｰ設定"};

// Places of the page controls are counted from the pages' top-left corner.
// The table's order is the tab order; the page control comes last, below
// every page control in the stacking order, so that it never paints over them.
std::vector<ControlSpec> SettingsControls() {
  using K = ControlKind;
  constexpr FontKind kNormal = FontKind::kNormal;
  return {
      {kSingleInstanceBox, K::kCheckBox, "追加起動を禁止する   &K", 12, 8, 170, 15, kNormal,
       kBasicPage},
      {kTopmostBox, K::kCheckBox, "最前面表示ON         &T", 12, 23, 170, 15, kNormal, kBasicPage},
      {kSaveBoundsBox, K::kCheckBox, "表示位置を保存する", 12, 38, 170, 15, kNormal, kBasicPage},
      {kMoveWithoutDialogBox, K::kCheckBox, "移動ダイアログを省略する", 12, 53, 170, 15, kNormal,
       kBasicPage},
      {kCompanionsAlongBox, K::kCheckBox, "関連ファイル(RAW等)も連動", 12, 68, 170, 15, kNormal,
       kBasicPage},
      {kFitGroup, K::kGroupBox, "窓と画像の関係", 192, 4, 172, 76, kNormal, kBasicPage},
      {kWindowFollowsPictureItem, K::kRadioFirst, "窓を画像に合わせる", 202, 22, 156, 17, kNormal,
       kBasicPage},
      {kPictureFollowsWindowItem, K::kRadio, "画像を窓に合わせる", 202, 40, 156, 17, kNormal,
       kBasicPage},
      {kFixedWindowItem, K::kRadio, "なし", 202, 58, 156, 17, kNormal, kBasicPage},
      {kDefaultSortGroup, K::kGroupBox, "Sortﾃﾞﾌｫﾙﾄ条件", 8, 84, 356, 108, FontKind::kBold,
       kBasicPage},
      {kSortKindGroup, K::kGroupBox, "種類", 16, 102, 168, 84, kNormal, kBasicPage},
      {kDefaultByNameItem, K::kRadioFirst, "&N: 名前順", 26, 118, 150, 16, kNormal, kBasicPage},
      {kDefaultByDateItem, K::kRadio, "&D: 日付順", 26, 134, 150, 16, kNormal, kBasicPage},
      {kDefaultBySizeItem, K::kRadio, "&S: サイズ順", 26, 150, 150, 16, kNormal, kBasicPage},
      {kDefaultByExplorerOrderItem, K::kRadio, "&E: エクスプローラー順", 26, 166, 150, 16, kNormal,
       kBasicPage},
      {kDefaultDirectionGroup, K::kGroupBox, "方向", 192, 102, 164, 84, kNormal, kBasicPage},
      {kDefaultAscendingItem, K::kRadioFirst, "&F: 昇順", 202, 118, 140, 16, kNormal, kBasicPage},
      {kDefaultDescendingItem, K::kRadio, "&B: 降順", 202, 134, 140, 16, kNormal, kBasicPage},
      {kPluginFolderLabel, K::kLabel, "Plug-inﾌｫﾙﾀﾞｰ", 8, 200, 120, 14, kNormal, kBasicPage},
      {kPluginFolderEdit, K::kEdit, "", 8, 216, 322, 20, kNormal, kBasicPage},
      {kBrowsePluginButton, K::kButton, "･･･", 334, 215, 30, 22, kNormal, kBasicPage},
      {kDestinationsLabel, K::kLabel, "ﾌｧｲﾙ移動 登録ﾌｫﾙﾀﾞｰ", 8, 0, 240, 14, kNormal, kFolderPage},
      {kDestinationList, K::kListBox, nullptr, 8, 16, 249, 174, FontKind::kFixed, kFolderPage},
      {kAddFolderButton, K::kButton, "新規追加(&N)", 264, 16, 99, 25, kNormal, kFolderPage},
      {kChangeButton, K::kButton, "変更(&C)", 264, 40, 99, 25, kNormal, kFolderPage},
      {kAddGroupButton, K::kButton, "ｸﾞﾙｰﾌﾟ追加(&G)", 264, 72, 99, 25, kNormal, kFolderPage},
      {kAddSeparatorButton, K::kButton, "ｾﾊﾟﾚｰﾀ追加(&-)", 264, 96, 99, 25, kNormal, kFolderPage},
      {kCutButton, K::kButton, "切り取り(&X)", 264, 128, 99, 25, kNormal, kFolderPage},
      {kPasteButton, K::kButton, "貼り付け(&P)", 264, 152, 99, 25, kNormal, kFolderPage},
      {kDeleteButton, K::kButton, "削除(&D)", 264, 184, 99, 25, kNormal, kFolderPage},
      {kUpButton, K::kButton, "↑(&U)", 8, 197, 57, 25, kNormal, kFolderPage},
      {kDownButton, K::kButton, "↓(&B)", 72, 197, 57, 25, kNormal, kFolderPage},
      {kLeaveButton, K::kButton, "←(&<)", 136, 197, 57, 25, kNormal, kFolderPage},
      {kEnterButton, K::kButton, "→(&>)", 200, 197, 57, 25, kNormal, kFolderPage},
      {kOkButton, K::kButton, "&OK", 216, 271, 80, 22},
      {kCancelButton, K::kButton, "&Cancel", 300, 271, 80, 22},
      {kPages, K::kTabs, nullptr, 2, 2, 379, 265},
  };
}

struct OptionBox {
  int id;
  int bit;  // of the option flags
};
constexpr OptionBox kOptionBoxes[] = {
    {kSingleInstanceBox, kOptionNoSecondLaunch},
    {kTopmostBox, kOptionTopmost},
    {kSaveBoundsBox, kOptionSaveBounds},
    {kMoveWithoutDialogBox, kOptionMoveWithoutDialog},
    {kCompanionsAlongBox, kOptionCompanionsAlong},
};

// The fit-mode items, by mode.
constexpr int kFitItems[] = {kWindowFollowsPictureItem, kPictureFollowsWindowItem,
                             kFixedWindowItem};

// The key choices in the order of kSortKeyChoices.
constexpr int kSortKeyItems[] = {kDefaultByNameItem, kDefaultByDateItem, kDefaultBySizeItem,
                                 kDefaultByExplorerOrderItem};

struct EditorButton {
  int id;
  bool EditorButtons::*enabled;
};
constexpr EditorButton kEditorButtons[] = {
    {kAddFolderButton, &EditorButtons::addFolder},
    {kChangeButton, &EditorButtons::change},
    {kAddGroupButton, &EditorButtons::addGroup},
    {kAddSeparatorButton, &EditorButtons::addSeparator},
    {kCutButton, &EditorButtons::cut},
    {kPasteButton, &EditorButtons::paste},
    {kDeleteButton, &EditorButtons::remove},
    {kUpButton, &EditorButtons::up},
    {kDownButton, &EditorButtons::down},
    {kLeaveButton, &EditorButtons::leave},
    {kEnterButton, &EditorButtons::enter},
};

// Buttons that open the folder-entry dialog, and those that edit at once.
struct EntryButton {
  int id;
  EntryDialogMode mode;
};
constexpr EntryButton kEntryButtons[] = {
    {kAddFolderButton, kEntryDialogAddFolder},
    {kChangeButton, kEntryDialogChange},
    {kAddGroupButton, kEntryDialogAddGroup},
};

struct EditorAction {
  int id;
  void (FolderEditor::*run)();
};
constexpr EditorAction kEditorActions[] = {
    {kAddSeparatorButton, &FolderEditor::AddSeparator},
    {kCutButton, &FolderEditor::Cut},
    {kPasteButton, &FolderEditor::Paste},
    {kDeleteButton, &FolderEditor::Delete},
    {kUpButton, &FolderEditor::MoveUp},
    {kDownButton, &FolderEditor::MoveDown},
    {kLeaveButton, &FolderEditor::Leave},
    {kEnterButton, &FolderEditor::Enter},
};

bool IsEditorListKey(WPARAM key) {
  return key == kKeyBackspace || key == kKeyLeft || key == kKeyRight || key == kKeyDelete;
}

// The option switches go through their toggles, which may still leave the
// lock option off when another viewer took the lock after the dialog opened.
// The sort order chosen for the current folder is replaced; the list keeps its
// order until it is built again.
void ApplyDialogSettings(const SettingsDialog& dialog, Options& options, PictureView& view,
                         FolderStepper& folder) {
  const int changed = dialog.TickedOptions() ^ options.Flags();
  if (changed & kOptionNoSecondLaunch) options.ToggleSingleInstance();
  if (changed & kOptionTopmost) options.ToggleTopmost();
  options.SetSaveBounds((dialog.TickedOptions() & kOptionSaveBounds) != 0);
  options.SetFilingOptions(dialog.TickedOptions());
  if (dialog.ChosenFitMode() >= 0) view.SetFitMode(dialog.ChosenFitMode());
  options.SetDefaultSortOrder(dialog.ChosenSortKind(), dialog.ChosenSortDirection());
  folder.SetSortOrder(dialog.ChosenSortKind(), dialog.ChosenSortDirection());
  options.WriteDialogSettings(view.FitMode());
}

}  // namespace

void MainWindow::OpenSettings() {
  SettingsDialog dialog(*options_, *filing_, slots_, view_->FitMode());
  dialog.TickOptions(options_->Flags());
  // Another viewer holds the lock: the option cannot be switched on.
  if (InstanceLockExists() && !options_->HoldsInstanceLock()) dialog.DisableSingleInstanceBox();
  if (dialog.ShowModal(hwnd_) != kResultOk) return;
  ApplyDialogSettings(dialog, *options_, *view_, *folder_);
}

SettingsDialog::SettingsDialog(Options& options, Filing& filing, DecoderSlots& slots, int fitMode)
    : TableDialog("環境設定", 383, 296, SettingsControls()),
      options_(options),
      filing_(filing),
      slots_(slots),
      fitMode_(fitMode),
      sortKind_(options.DefaultSortKind()),
      sortDirection_(options.DefaultSortDirection()),
      shownPluginFolder_(LongPathOf(FromCp932(options.PluginFolder()))),
      editor_(filing.ReadDestinations()) {
  RegisterCommonControls(ICC_TAB_CLASSES | ICC_WIN95_CLASSES);
}

// Placed by the default: centred on the main window, kept right of and below
// the screen's origin.
void SettingsDialog::OnCreate() {
  SetWindowPos(Handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  CreatePages();
  AddLabelHint();
  FillFirstPage();
  UpdateButtons();
}

void SettingsDialog::CreatePages() {
  HWND tabs = Item(kPages);
  for (int i = 0; i < 2; ++i) {
    TCITEMA item = {};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<char*>(kPageNames[i]);
    SendMessageA(tabs, TCM_INSERTITEMA, i, reinterpret_cast<LPARAM>(&item));
  }
  PlacePages();
}

void SettingsDialog::OnRescaled() { PlacePages(); }

// The pages' controls are counted from the page control's display area,
// which follows the tabs' font.
void SettingsDialog::PlacePages() {
  HWND tabs = Item(kPages);
  RECT area;
  GetClientRect(tabs, &area);
  SendMessageA(tabs, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
  MapWindowPoints(tabs, Handle(), reinterpret_cast<POINT*>(&area), 2);
  OffsetPageControls({area.left, area.top});
}

void SettingsDialog::AddLabelHint() {
  HWND label = Item(kPluginFolderLabel);
  // A label lets the mouse through to the dialog unless it notifies.
  SetWindowLongPtrA(label, GWL_STYLE, GetWindowLongPtrA(label, GWL_STYLE) | SS_NOTIFY);
  HWND tip = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, Handle(),
                             nullptr, GetModuleHandleA(nullptr), nullptr);
  TOOLINFOA tool = {};
  tool.cbSize = TTTOOLINFOA_V2_SIZE;
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = Handle();
  tool.uId = reinterpret_cast<UINT_PTR>(label);
  tool.lpszText = const_cast<char*>("Susie Plug-inのﾌｫﾙﾀﾞｰ");
  SendMessageA(tip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
}

// A stored fit mode above 2 shows the last item, one below 0 none.
void SettingsDialog::FillFirstPage() {
  for (const OptionBox& box : kOptionBoxes) SetChecked(box.id, (ticked_ & box.bit) != 0);
  Enable(kSingleInstanceBox, singleInstanceEnabled_);
  if (fitMode_ >= 0) SetChecked(kFitItems[std::min(fitMode_, 2)], true);
  SetChecked(kSortKeyItems[SortKeyChoiceIndex(sortKind_)], true);
  SetChecked(sortDirection_ == 0 ? kDefaultDescendingItem : kDefaultAscendingItem, true);
  SetItemText(kPluginFolderEdit, shownPluginFolder_);
}

void SettingsDialog::ReadFirstPage() {
  ticked_ = 0;
  for (const OptionBox& box : kOptionBoxes) {
    if (IsChecked(box.id)) ticked_ |= box.bit;
  }
  fitMode_ = -1;
  for (int mode = 0; mode < 3; ++mode) {
    if (IsChecked(kFitItems[mode])) fitMode_ = mode;
  }
  sortKind_ =
      bex::ChosenSortKind(IsChecked(kDefaultByNameItem), IsChecked(kDefaultByDateItem),
                          IsChecked(kDefaultBySizeItem), IsChecked(kDefaultByExplorerOrderItem));
  sortDirection_ = bex::ChosenSortDirection(IsChecked(kDefaultAscendingItem));
  const std::wstring typed = WideItemText(kPluginFolderEdit);
  chosenPluginFolder_.reset();
  if (typed != shownPluginFolder_) chosenPluginFolder_ = Cp932PathOf(typed);
}

bool SettingsDialog::OnCommand(int id, int code) {
  if (id == kDestinationList) {
    if (code == LBN_SELCHANGE) SelectionChanged();
    if (code == LBN_DBLCLK) RunEditorButton(kEnterButton);
    return true;
  }
  if (code != BN_CLICKED) return false;
  if (id == kBrowsePluginButton) {
    BrowsePluginFolder();
    return true;
  }
  return RunEditorButton(id) || TableDialog::OnCommand(id, code);
}

// Enter and Escape mean OK and Cancel wherever the focus is, the list
// included; Ctrl+Tab turns the page.
bool SettingsDialog::PreviewKey(HWND target, UINT msg, WPARAM key) {
  if (msg != WM_KEYDOWN) return false;
  switch (key) {
    case VK_RETURN:
      Close(kResultOk);
      return true;
    case VK_ESCAPE:
      Close(kResultCancel);
      return true;
    case VK_TAB:
      if (GetKeyState(VK_CONTROL) >= 0) return false;
      SelectPage(TabCtrl_GetCurSel(Item(kPages)) == 0 ? kFolderPage : kBasicPage);
      return true;
    default:
      return target == Item(kDestinationList) && ListKeyDown(key);
  }
}

bool SettingsDialog::OnMessage(UINT msg, WPARAM, LPARAM lParam, LRESULT*) {
  if (msg != WM_NOTIFY) return false;
  const auto* note = reinterpret_cast<const NMHDR*>(lParam);
  if (note->idFrom != kPages || note->code != TCN_SELCHANGE) return false;
  ShowSelectedPage();
  return true;
}

// A folder the settings file cannot name, neither exactly nor by its short
// name, is refused; the dialog stays open for another.
bool SettingsDialog::MayConfirm() {
  const std::wstring typed = WideItemText(kPluginFolderEdit);
  if (typed == shownPluginFolder_ || Cp932PathOf(typed)) return true;
  RefuseUnstorableName(Handle(), typed, "設定ファイル bex.ini");
  return false;
}

void SettingsDialog::OnClose(int result) {
  if (result == kResultOk) Confirm();
}

// Every OK saves the tree, edited or not, so that the first one creates the
// file; one that another viewer saved meanwhile is never written over. A cut
// entry still waiting is not part of it and is gone with the dialog. The
// plug-ins are loaded again even from an unchanged folder; pictures already
// decoded stay.
void SettingsDialog::Confirm() {
  ReadFirstPage();
  filing_.ReplaceDestinations(editor_.Tree());
  if (chosenPluginFolder_) options_.ChoosePluginFolder(*chosenPluginFolder_);
  slots_.LoadPlugins(options_.PluginFolder());
}

void SettingsDialog::BrowsePluginFolder() {
  if (std::optional<std::wstring> folder = ChooseFolder(Handle())) {
    SetItemText(kPluginFolderEdit, *folder);
  }
}

void SettingsDialog::SelectPage(int page) {
  SendMessageA(Item(kPages), TCM_SETCURSEL, page - 1, 0);
  ShowSelectedPage();
}

void SettingsDialog::ShowSelectedPage() {
  const int page = TabCtrl_GetCurSel(Item(kPages)) + 1;
  ShowPage(page);
  HWND focus = GetFocus();
  if (!focus || !IsWindowVisible(focus)) Focus(kPages);
  if (page == kFolderPage) RefreshList();
}

void SettingsDialog::RefreshList() {
  HWND list = Item(kDestinationList);
  SendMessageA(list, WM_SETREDRAW, FALSE, 0);
  SendMessageA(list, LB_RESETCONTENT, 0, 0);
  for (const std::string& line : editor_.ListLines()) {
    SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
  }
  SendMessageA(list, LB_SETCURSEL, editor_.Selection(), 0);
  SendMessageA(list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list, nullptr, TRUE);
  UpdateButtons();
}

// The list takes the focus when it has lines; a button that has just been
// disabled hands the focus to the always enabled add button.
void SettingsDialog::UpdateButtons() {
  const EditorButtons enabled = editor_.Buttons();
  for (const EditorButton& button : kEditorButtons) Enable(button.id, enabled.*button.enabled);
  if (!IsWindowVisible(Item(kDestinationList))) return;
  if (!editor_.LevelEntries().empty()) {
    Focus(kDestinationList);
  } else if (!IsWindowEnabled(GetFocus())) {
    Focus(kAddFolderButton);
  }
}

void SettingsDialog::SelectionChanged() {
  editor_.Select(static_cast<int>(SendMessageA(Item(kDestinationList), LB_GETCURSEL, 0, 0)));
  UpdateButtons();
}

void SettingsDialog::OpenEntryDialog(EntryDialogMode mode) {
  FolderEntryDialog entry(editor_.EntryDialogFor(mode));
  if (entry.ShowModal(Handle()) == kResultOk) {
    editor_.ApplyEntryDialog(mode, entry.Boxes().shortcut, entry.Boxes().folder);
  }
  RefreshList();
}

bool SettingsDialog::RunEditorButton(int id) {
  for (const EntryButton& button : kEntryButtons) {
    if (button.id == id) {
      OpenEntryDialog(button.mode);
      return true;
    }
  }
  for (const EditorAction& action : kEditorActions) {
    if (action.id == id) {
      (editor_.*action.run)();
      RefreshList();
      return true;
    }
  }
  return false;
}

// Backspace, Left and Right are the list's own only here; Delete removes the
// selected entry and then reaches the list, which ignores it.
bool SettingsDialog::ListKeyDown(WPARAM key) {
  if (!IsEditorListKey(key)) return false;
  const bool consumed = editor_.ListKeyDown(static_cast<int>(key));
  RefreshList();
  return consumed;
}

void SettingsDialog::Focus(int id) {
  SendMessageA(Handle(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Item(id)), TRUE);
}

}  // namespace bex
