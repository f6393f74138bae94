#include "filelist/sort_dialog_win.h"

#include "filelist/sort_choice.h"

namespace bex {
namespace {

enum SortId {
  kGrBox1 = 100,
  kSort_n_rb,
  kSort_d_rb,
  kSort_s_rb,
  kGrBox2,
  kMuki_f_rb,
  kMuki_b_rb,
  kOKBtn = IDOK,
  kCancelBtn = IDCANCEL
};

// The designed layout; OnCreate then fits the dialog around the two frames.
constexpr int kDesignWidth = 270;
constexpr int kDesignHeight = 190;

std::vector<ControlSpec> SortControls() {
  return {
      {kGrBox1, ControlKind::kGroupBox, "種類", 8, 4, 120, 86, FontKind::kBold},
      {kSort_n_rb, ControlKind::kRadioFirst, "&N: 名前順", 18, 22, 100, 18},
      {kSort_d_rb, ControlKind::kRadio, "&D: 日付順", 18, 42, 100, 18},
      {kSort_s_rb, ControlKind::kRadio, "&S: サイズ順", 18, 62, 100, 18},
      {kGrBox2, ControlKind::kGroupBox, "方向", 140, 4, 100, 86, FontKind::kBold},
      {kMuki_f_rb, ControlKind::kRadioFirst, "&F: 昇順", 150, 22, 80, 18},
      {kMuki_b_rb, ControlKind::kRadio, "&B: 降順", 150, 42, 80, 18},
      {kOKBtn, ControlKind::kDefaultButton, "&OK", 8, 98, 80, 24},
      {kCancelBtn, ControlKind::kButton, "&Cancel", 96, 98, 80, 24},
  };
}

RECT ChildRect(HWND dialog, int id) {
  RECT r;
  GetWindowRect(GetDlgItem(dialog, id), &r);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

}  // namespace

TSort_Form::TSort_Form(int sortKind, int sortDirection)
    : TableDialog("Sort条件", kDesignWidth, kDesignHeight, SortControls()),
      kind_(sortKind),
      direction_(sortDirection) {}

void TSort_Form::OnCreate() {
  // Centred on the main window with the designed size, then fitted.
  TableDialog::Place(GetWindow(Handle(), GW_OWNER));
  const int choice = SortKindChoice(kind_);
  SetChecked(choice == kSortByName   ? kSort_n_rb
             : choice == kSortByTime ? kSort_d_rb
                                     : kSort_s_rb,
             true);
  SetChecked(direction_ == 0 ? kMuki_b_rb : kMuki_f_rb, true);
  FitAroundFrames();
}

void TSort_Form::OnRescaled() { FitAroundFrames(); }

// The direction frame moves to the kind frame's margin from it, and the
// dialog shrinks around the two frames and the buttons.
void TSort_Form::FitAroundFrames() {
  const RECT box1 = ChildRect(Handle(), kGrBox1);
  const RECT box2 = ChildRect(Handle(), kGrBox2);
  const int box2Left = 2 * box1.left + (box1.right - box1.left);
  SetWindowPos(Item(kGrBox2), nullptr, box2Left, box2.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  const int shift = box2Left - box2.left;
  for (int id : {kMuki_f_rb, kMuki_b_rb}) {
    const RECT r = ChildRect(Handle(), id);
    SetWindowPos(Item(id), nullptr, r.left + shift, r.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  }
  const RECT ok = ChildRect(Handle(), kOKBtn);
  const int width = box2Left + (box2.right - box2.left) + Scaled(10);
  const int height = ok.bottom + Scaled(35);
  SetWindowPos(Handle(), nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER);
}

bool TSort_Form::PreviewKey(HWND, UINT msg, WPARAM key) {
  if (msg != WM_KEYDOWN || (key != VK_RETURN && key != VK_ESCAPE)) return false;
  Close(key == VK_RETURN ? kResultOk : kResultCancel);
  return true;
}

void TSort_Form::OnClose(int result) {
  if (result != kResultOk) return;
  kind_ = ChosenSortKind(IsChecked(kSort_n_rb), IsChecked(kSort_d_rb), IsChecked(kSort_s_rb));
  direction_ = ChosenSortDirection(IsChecked(kMuki_f_rb));
}

}  // namespace bex
