// The settings dialog and the applying of what it confirms.
#include "app/settings_dialog_win.h"

#include <commctrl.h>

#include <algorithm>
#include <vector>

#include "app/main_form_win.h"
#include "filelist/sort_choice.h"
#include "move/folder_entry_dialog_win.h"
#include "move/move_menu_model.h"

namespace bex {
namespace {

enum SetId {
  // TabSheet1 "基本設定"
  kTuikaChkBox = 100,
  kTopChkBox,
  kSavewinChkBox,
  kWinSizeRG,
  kWinFromPicItem,
  kWinToPicItem,
  kWinNonItem,
  kSortGrBox1,
  kRadioGroup1,
  kSort_n_rb,
  kSort_d_rb,
  kSort_s_rb,
  kGroupBox2,
  kMuki_f_rb,
  kMuki_b_rb,
  kLabel2,
  kPluginEd,
  kPluginBtn,
  // TabSheet2 "移動先ﾌｫﾙﾀﾞｰ設定"
  kLabel1 = 200,
  kFolderlb,
  kADDbtn,
  kCHGbtn,
  kGRbtn,
  kSPbtn,
  kCTbtn,
  kPSbtn,
  kDELbtn,
  kUPbtn,
  kDNbtn,
  kOYAbtn,
  kKObtn,
  kPageControl1 = 300,
  kOKBtn = IDOK,
  kCancelBtn = IDCANCEL
};

constexpr int kBasicPage = 1;
constexpr int kFolderPage = 2;
constexpr const char* kPageNames[] = {"基本設定", "移動先ﾌｫﾙﾀﾞｰ設定"};

// Places of the page controls are counted from the pages' top-left corner.
// The table's order is the tab order; the page control comes last, below
// every page control in the stacking order, so that it never paints over them.
std::vector<ControlSpec> SetControls() {
  using K = ControlKind;
  constexpr FontKind kNormal = FontKind::kNormal;
  return {
      {kTuikaChkBox, K::kCheckBox, "追加起動を禁止する   &K", 12, 8, 170, 18, kNormal, kBasicPage},
      {kTopChkBox, K::kCheckBox, "最前面表示ON         &T", 12, 28, 170, 18, kNormal, kBasicPage},
      {kSavewinChkBox, K::kCheckBox, "表示位置を保存する", 12, 48, 170, 18, kNormal, kBasicPage},
      {kWinSizeRG, K::kGroupBox, "窓と画像の関係", 192, 4, 172, 76, kNormal, kBasicPage},
      {kWinFromPicItem, K::kRadioFirst, "窓を画像に合わせる", 202, 22, 156, 17, kNormal,
       kBasicPage},
      {kWinToPicItem, K::kRadio, "画像を窓に合わせる", 202, 40, 156, 17, kNormal, kBasicPage},
      {kWinNonItem, K::kRadio, "なし", 202, 58, 156, 17, kNormal, kBasicPage},
      {kSortGrBox1, K::kGroupBox, "Sortﾃﾞﾌｫﾙﾄ条件", 8, 84, 356, 92, FontKind::kBold, kBasicPage},
      {kRadioGroup1, K::kGroupBox, "種類", 16, 102, 168, 68, kNormal, kBasicPage},
      {kSort_n_rb, K::kRadioFirst, "&N: 名前順", 26, 118, 150, 16, kNormal, kBasicPage},
      {kSort_d_rb, K::kRadio, "&D: 日付順", 26, 134, 150, 16, kNormal, kBasicPage},
      {kSort_s_rb, K::kRadio, "&S: サイズ順", 26, 150, 150, 16, kNormal, kBasicPage},
      {kGroupBox2, K::kGroupBox, "方向", 192, 102, 164, 68, kNormal, kBasicPage},
      {kMuki_f_rb, K::kRadioFirst, "&F: 昇順", 202, 118, 140, 16, kNormal, kBasicPage},
      {kMuki_b_rb, K::kRadio, "&B: 降順", 202, 134, 140, 16, kNormal, kBasicPage},
      {kLabel2, K::kLabel, "Plug-inﾌｫﾙﾀﾞｰ", 8, 184, 120, 14, kNormal, kBasicPage},
      {kPluginEd, K::kEdit, "", 8, 200, 322, 20, kNormal, kBasicPage},
      {kPluginBtn, K::kButton, "･･･", 334, 199, 30, 22, kNormal, kBasicPage},
      {kLabel1, K::kLabel, "ﾌｧｲﾙ移動 登録ﾌｫﾙﾀﾞｰ", 8, 0, 240, 14, kNormal, kFolderPage},
      {kFolderlb, K::kListBox, nullptr, 8, 16, 249, 174, FontKind::kFixed, kFolderPage},
      {kADDbtn, K::kButton, "新規追加(&N)", 264, 16, 99, 25, kNormal, kFolderPage},
      {kCHGbtn, K::kButton, "変更(&C)", 264, 40, 99, 25, kNormal, kFolderPage},
      {kGRbtn, K::kButton, "ｸﾞﾙｰﾌﾟ追加(&G)", 264, 72, 99, 25, kNormal, kFolderPage},
      {kSPbtn, K::kButton, "ｾﾊﾟﾚｰﾀ追加(&-)", 264, 96, 99, 25, kNormal, kFolderPage},
      {kCTbtn, K::kButton, "切り取り(&X)", 264, 128, 99, 25, kNormal, kFolderPage},
      {kPSbtn, K::kButton, "貼り付け(&P)", 264, 152, 99, 25, kNormal, kFolderPage},
      {kDELbtn, K::kButton, "削除(&D)", 264, 184, 99, 25, kNormal, kFolderPage},
      {kUPbtn, K::kButton, "↑(&U)", 8, 197, 57, 25, kNormal, kFolderPage},
      {kDNbtn, K::kButton, "↓(&B)", 72, 197, 57, 25, kNormal, kFolderPage},
      {kOYAbtn, K::kButton, "←(&<)", 136, 197, 57, 25, kNormal, kFolderPage},
      {kKObtn, K::kButton, "→(&>)", 200, 197, 57, 25, kNormal, kFolderPage},
      {kOKBtn, K::kButton, "&OK", 216, 255, 80, 22},
      {kCancelBtn, K::kButton, "&Cancel", 300, 255, 80, 22},
      {kPageControl1, K::kTabs, nullptr, 2, 2, 379, 249},
  };
}

struct OptionBox {
  int id;
  int bit;  // of OptionFlags
};
constexpr OptionBox kOptionBoxes[] = {
    {kTuikaChkBox, kOptionNoSecondLaunch},
    {kTopChkBox, kOptionTopmost},
    {kSavewinChkBox, kOptionSaveBounds},
};

// The items of WinSizeRG by FitMode.
constexpr int kFitItems[] = {kWinFromPicItem, kWinToPicItem, kWinNonItem};

int SortKeyButton(int sortKindChoice) {
  switch (sortKindChoice) {
    case kSortByName:
      return kSort_n_rb;
    case kSortByTime:
      return kSort_d_rb;
    default:
      return kSort_s_rb;
  }
}

struct EditorButton {
  int id;
  bool EditorButtons::*enabled;
};
constexpr EditorButton kEditorButtons[] = {
    {kADDbtn, &EditorButtons::ADDbtn}, {kCHGbtn, &EditorButtons::CHGbtn},
    {kGRbtn, &EditorButtons::GRbtn},   {kSPbtn, &EditorButtons::SPbtn},
    {kCTbtn, &EditorButtons::CTbtn},   {kPSbtn, &EditorButtons::PSbtn},
    {kDELbtn, &EditorButtons::DELbtn}, {kUPbtn, &EditorButtons::UPbtn},
    {kDNbtn, &EditorButtons::DNbtn},   {kOYAbtn, &EditorButtons::OYAbtn},
    {kKObtn, &EditorButtons::KObtn},
};

// Buttons that open the folder-entry dialog, and those that edit at once.
struct EntryButton {
  int id;
  EntryDialogMode mode;
};
constexpr EntryButton kEntryButtons[] = {
    {kADDbtn, kEntryDialogAddFolder},
    {kCHGbtn, kEntryDialogChange},
    {kGRbtn, kEntryDialogAddGroup},
};

struct EditorAction {
  int id;
  void (FolderEditor::*run)();
};
constexpr EditorAction kEditorActions[] = {
    {kSPbtn, &FolderEditor::AddSeparator}, {kCTbtn, &FolderEditor::Cut},
    {kPSbtn, &FolderEditor::Paste},        {kDELbtn, &FolderEditor::Delete},
    {kUPbtn, &FolderEditor::MoveUp},       {kDNbtn, &FolderEditor::MoveDown},
    {kOYAbtn, &FolderEditor::Leave},       {kKObtn, &FolderEditor::Enter},
};

bool IsEditorListKey(WPARAM key) {
  return key == kKeyBackspace || key == kKeyLeft || key == kKeyRight || key == kKeyDelete;
}

// The destination tree as its file holds it now (the move menu is read again).
DestinationTree CurrentDestinations(TBexForm1& main) {
  main.MoveMenuPopup();
  return main.Destinations;
}

// The seven keys of "設定", from the state after applying. A refused write
// throws and ends the writing at that key.
void WriteDialogSettings(const TBexForm1& main) {
  const SettingsFile& file = *main.Settings;
  file.WriteBool(settings::kNoSecondLaunch, main.OptionFlags & kOptionNoSecondLaunch);
  file.WriteBool(settings::kTopmost, main.OptionFlags & kOptionTopmost);
  file.WriteBool(settings::kSaveBounds, main.OptionFlags & kOptionSaveBounds);
  file.WriteInt(settings::kFitMode, main.FitMode);
  file.WriteInt(settings::kSortKind, main.DefaultSortKind);
  file.WriteInt(settings::kSortDirection, main.DefaultSortDirection);
  file.WriteString(settings::kPluginFolder, main.PluginFolder);
}

// The lock toggle may still end with the option off when another viewer
// took the lock after the dialog opened. The sort order chosen for the
// current folder is replaced; the list keeps its order until it is built again.
void ApplyDialogSettings(TBexForm1& main, const TSet_Form& dialog) {
  const int changed = dialog.TickedOptions() ^ main.OptionFlags;
  if (changed & kOptionNoSecondLaunch) main.KKOFF1Click();
  if (changed & kOptionTopmost) main.TOP1Click();
  main.OptionFlags =
      (main.OptionFlags & ~kOptionSaveBounds) | (dialog.TickedOptions() & kOptionSaveBounds);
  if (dialog.ChosenFitMode() >= 0) main.SetFitMode(dialog.ChosenFitMode());
  main.DefaultSortDirection = dialog.ChosenSortDirection();
  main.DefaultSortKind = dialog.ChosenSortKind();
  main.SortDirection = dialog.ChosenSortDirection();
  main.SortKind = dialog.ChosenSortKind();
  WriteDialogSettings(main);
}

}  // namespace

void TBexForm1::W1Click() {
  TSet_Form dialog(*this);
  dialog.TickOptions(OptionFlags);
  // Another viewer holds the lock: the option cannot be switched on.
  if (InstanceLockExists() && !InstanceLockHeld) dialog.DisableTuikaChkBox();
  if (dialog.ShowModal(hwnd_) != kResultOk) return;
  ApplyDialogSettings(*this, dialog);
}

TSet_Form::TSet_Form(TBexForm1& main)
    : TableDialog("環境設定", 383, 280, SetControls()),
      main_(main),
      fitMode_(main.FitMode),
      sortKind_(main.DefaultSortKind),
      sortDirection_(main.DefaultSortDirection),
      pluginFolder_(main.PluginFolder),
      editor_(CurrentDestinations(main)) {
  const INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_TAB_CLASSES | ICC_WIN95_CLASSES};
  InitCommonControlsEx(&classes);
}

// Placed by the default: centred on the main window, kept right of and below
// the screen's origin.
void TSet_Form::OnCreate() {
  SetWindowPos(Handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  CreatePages();
  AddLabelHint();
  FillFirstPage();
  UpdateButtons();
}

void TSet_Form::CreatePages() {
  HWND tabs = Item(kPageControl1);
  for (int i = 0; i < 2; ++i) {
    TCITEMA item = {};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<char*>(kPageNames[i]);
    SendMessageA(tabs, TCM_INSERTITEMA, i, reinterpret_cast<LPARAM>(&item));
  }
  PlacePages();
}

void TSet_Form::OnRescaled() { PlacePages(); }

// The pages' controls are counted from the page control's display area,
// which follows the tabs' font.
void TSet_Form::PlacePages() {
  HWND tabs = Item(kPageControl1);
  RECT area;
  GetClientRect(tabs, &area);
  SendMessageA(tabs, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
  MapWindowPoints(tabs, Handle(), reinterpret_cast<POINT*>(&area), 2);
  OffsetPageControls({area.left, area.top});
}

void TSet_Form::AddLabelHint() {
  HWND label = Item(kLabel2);
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
void TSet_Form::FillFirstPage() {
  for (const OptionBox& box : kOptionBoxes) SetChecked(box.id, (options_ & box.bit) != 0);
  Enable(kTuikaChkBox, tuikaEnabled_);
  if (fitMode_ >= 0) SetChecked(kFitItems[std::min(fitMode_, 2)], true);
  SetChecked(SortKeyButton(SortKindChoice(sortKind_)), true);
  SetChecked(sortDirection_ == 0 ? kMuki_b_rb : kMuki_f_rb, true);
  SetItemText(kPluginEd, pluginFolder_);
}

void TSet_Form::ReadFirstPage() {
  options_ = 0;
  for (const OptionBox& box : kOptionBoxes) {
    if (IsChecked(box.id)) options_ |= box.bit;
  }
  fitMode_ = -1;
  for (int mode = 0; mode < 3; ++mode) {
    if (IsChecked(kFitItems[mode])) fitMode_ = mode;
  }
  sortKind_ =
      bex::ChosenSortKind(IsChecked(kSort_n_rb), IsChecked(kSort_d_rb), IsChecked(kSort_s_rb));
  sortDirection_ = bex::ChosenSortDirection(IsChecked(kMuki_f_rb));
  pluginFolder_ = ItemText(kPluginEd);
}

bool TSet_Form::OnCommand(int id, int code) {
  if (id == kFolderlb) {
    if (code == LBN_SELCHANGE) FolderlbClick();
    if (code == LBN_DBLCLK) RunEditorButton(kKObtn);
    return true;
  }
  if (code != BN_CLICKED) return false;
  if (id == kPluginBtn) {
    PluginBtnClick();
    return true;
  }
  return RunEditorButton(id) || TableDialog::OnCommand(id, code);
}

// Enter and Escape mean OK and Cancel wherever the focus is, the list
// included; Ctrl+Tab turns the page.
bool TSet_Form::PreviewKey(HWND target, UINT msg, WPARAM key) {
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
      SelectPage(TabCtrl_GetCurSel(Item(kPageControl1)) == 0 ? kFolderPage : kBasicPage);
      return true;
    default:
      return target == Item(kFolderlb) && FolderlbKeyDown(key);
  }
}

bool TSet_Form::OnMessage(UINT msg, WPARAM, LPARAM lParam, LRESULT*) {
  if (msg != WM_NOTIFY) return false;
  const auto* note = reinterpret_cast<const NMHDR*>(lParam);
  if (note->idFrom != kPageControl1 || note->code != TCN_SELCHANGE) return false;
  ShowSelectedPage();
  return true;
}

void TSet_Form::OnClose(int result) {
  if (result == kResultOk) OKBtnClick();
}

// The tree is saved on every OK, edited or not. A cut entry still waiting is
// not part of it and is gone with the dialog. The plug-ins are loaded again
// even from an unchanged folder; pictures already decoded stay.
void TSet_Form::OKBtnClick() {
  ReadFirstPage();
  main_.Destinations = editor_.Tree();
  main_.SaveDestinations();
  main_.PluginFolder = pluginFolder_;
  for (TSpiload& slot : main_.ImageSlots) slot.LoadPlugins(main_.PluginFolder);
}

void TSet_Form::PluginBtnClick() {
  if (std::optional<std::string> folder = ChooseFolder(Handle())) SetItemText(kPluginEd, *folder);
}

void TSet_Form::SelectPage(int page) {
  SendMessageA(Item(kPageControl1), TCM_SETCURSEL, page - 1, 0);
  ShowSelectedPage();
}

void TSet_Form::ShowSelectedPage() {
  const int page = TabCtrl_GetCurSel(Item(kPageControl1)) + 1;
  ShowPage(page);
  HWND focus = GetFocus();
  if (!focus || !IsWindowVisible(focus)) Focus(kPageControl1);
  if (page == kFolderPage) TabSheet2Show();
}

void TSet_Form::TabSheet2Show() { RefreshList(); }

void TSet_Form::RefreshList() {
  HWND list = Item(kFolderlb);
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
void TSet_Form::UpdateButtons() {
  const EditorButtons enabled = editor_.Buttons();
  for (const EditorButton& button : kEditorButtons) Enable(button.id, enabled.*button.enabled);
  if (!IsWindowVisible(Item(kFolderlb))) return;
  if (!editor_.LevelEntries().empty()) {
    Focus(kFolderlb);
  } else if (!IsWindowEnabled(GetFocus())) {
    Focus(kADDbtn);
  }
}

void TSet_Form::FolderlbClick() {
  editor_.Select(static_cast<int>(SendMessageA(Item(kFolderlb), LB_GETCURSEL, 0, 0)));
  UpdateButtons();
}

void TSet_Form::OpenEntryDialog(EntryDialogMode mode) {
  TSetFolder_Form entry(editor_.EntryDialogFor(mode));
  if (entry.ShowModal(Handle()) == kResultOk) {
    editor_.ApplyEntryDialog(mode, entry.Boxes().shortcut, entry.Boxes().folder);
  }
  RefreshList();
}

bool TSet_Form::RunEditorButton(int id) {
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
bool TSet_Form::FolderlbKeyDown(WPARAM key) {
  if (!IsEditorListKey(key)) return false;
  const bool consumed = editor_.ListKeyDown(static_cast<int>(key));
  RefreshList();
  return consumed;
}

void TSet_Form::Focus(int id) {
  SendMessageA(Handle(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Item(id)), TRUE);
}

}  // namespace bex
