#include "filelist/sort_dialog_win.h"

#include "filelist/sort_choice.h"

namespace bex {
namespace {

enum SortId {
  kKindGroup = 100,
  kByNameItem,
  kByDateItem,
  kBySizeItem,
  kByExplorerOrderItem,
  kDirectionGroup,
  kAscendingItem,
  kDescendingItem,
  kOkButton = IDOK,
  kCancelButton = IDCANCEL
};

// The designed layout; OnCreate then fits the dialog around the two frames.
constexpr int kDesignWidth = 310;
constexpr int kDesignHeight = 210;

// The key choices in the order of kSortKeyChoices.
constexpr int kKeyItems[] = {kByNameItem, kByDateItem, kBySizeItem, kByExplorerOrderItem};

std::vector<ControlSpec> SortControls() {
  return {
      {kKindGroup, ControlKind::kGroupBox, "種類", 8, 4, 164, 106, FontKind::kBold},
      {kByNameItem, ControlKind::kRadioFirst, "&N: 名前順", 18, 22, 148, 18},
      {kByDateItem, ControlKind::kRadio, "&D: 日付順", 18, 42, 148, 18},
      {kBySizeItem, ControlKind::kRadio, "&S: サイズ順", 18, 62, 148, 18},
      {kByExplorerOrderItem, ControlKind::kRadio, "&E: エクスプローラー順", 18, 82, 148, 18},
      {kDirectionGroup, ControlKind::kGroupBox, "方向", 184, 4, 100, 106, FontKind::kBold},
      {kAscendingItem, ControlKind::kRadioFirst, "&F: 昇順", 194, 22, 80, 18},
      {kDescendingItem, ControlKind::kRadio, "&B: 降順", 194, 42, 80, 18},
      {kOkButton, ControlKind::kDefaultButton, "&OK", 8, 118, 80, 24},
      {kCancelButton, ControlKind::kButton, "&Cancel", 96, 118, 80, 24},
  };
}

RECT ChildRect(HWND dialog, int id) {
  RECT r;
  GetWindowRect(GetDlgItem(dialog, id), &r);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

}  // namespace

SortDialog::SortDialog(int sortKind, int sortDirection)
    : TableDialog("Sort条件", kDesignWidth, kDesignHeight, SortControls()),
      kind_(sortKind),
      direction_(sortDirection) {}

void SortDialog::OnCreate() {
  // Centred on the main window with the designed size, then fitted.
  TableDialog::Place(GetWindow(Handle(), GW_OWNER));
  SetChecked(kKeyItems[SortKeyChoiceIndex(kind_)], true);
  SetChecked(direction_ == 0 ? kDescendingItem : kAscendingItem, true);
  FitAroundFrames();
}

void SortDialog::OnRescaled() { FitAroundFrames(); }

// The direction frame moves to the kind frame's margin from it, and the
// dialog shrinks around the two frames and the buttons.
void SortDialog::FitAroundFrames() {
  const RECT kindFrame = ChildRect(Handle(), kKindGroup);
  const RECT directionFrame = ChildRect(Handle(), kDirectionGroup);
  const int directionLeft = 2 * kindFrame.left + (kindFrame.right - kindFrame.left);
  SetWindowPos(Item(kDirectionGroup), nullptr, directionLeft, directionFrame.top, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER);
  const int shift = directionLeft - directionFrame.left;
  for (int id : {kAscendingItem, kDescendingItem}) {
    const RECT r = ChildRect(Handle(), id);
    SetWindowPos(Item(id), nullptr, r.left + shift, r.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  }
  const RECT ok = ChildRect(Handle(), kOkButton);
  const int width = directionLeft + (directionFrame.right - directionFrame.left) + Scaled(10);
  const int height = ok.bottom + Scaled(35);
  SetWindowPos(Handle(), nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER);
}

bool SortDialog::PreviewKey(HWND, UINT msg, WPARAM key) {
  if (msg != WM_KEYDOWN || (key != VK_RETURN && key != VK_ESCAPE)) return false;
  Close(key == VK_RETURN ? kResultOk : kResultCancel);
  return true;
}

void SortDialog::OnClose(int result) {
  if (result != kResultOk) return;
  kind_ = ChosenSortKind(IsChecked(kByNameItem), IsChecked(kByDateItem), IsChecked(kBySizeItem),
                         IsChecked(kByExplorerOrderItem));
  direction_ = ChosenSortDirection(IsChecked(kAscendingItem));
}

}  // namespace bex
