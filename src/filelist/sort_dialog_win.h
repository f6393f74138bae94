// SortDialog: the sort condition of the shown folder, by name, date, size or
// Explorer's order, ascending or descending.
#pragma once

#include "common/table_dialog_win.h"

namespace bex {

class SortDialog : public TableDialog {
 public:
  SortDialog(int sortKind, int sortDirection);
  // The confirmed condition (kind 1, 2, 4 or 8; direction 1 or 0).
  int Kind() const { return kind_; }
  int Direction() const { return direction_; }

 protected:
  void OnCreate() override;
  void Place(HWND) override {}
  bool PreviewKey(HWND target, UINT msg, WPARAM key) override;
  void OnClose(int result) override;
  void OnRescaled() override;

 private:
  void FitAroundFrames();

  int kind_;
  int direction_;
};

}  // namespace bex
