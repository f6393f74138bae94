// The stepper's view of the main window: the folder as the platform lists
// it, the decoder slots, and the image area.
#pragma once

#include "app/main_form_win.h"

namespace bex {

class TBexForm1::FolderHost : public StepHost {
 public:
  explicit FolderHost(TBexForm1& form) : form_(form) {}

  // Every entry of the current directory that is not a folder, hidden and
  // system files included.
  std::vector<FileTbl> ListFolder() override;
  int SortKind() const override { return form_.SortKind; }
  int SortDirection() const override { return form_.SortDirection; }
  std::string ShownFileName() const override { return form_.ShownFileName; }
  bool LoadIntoSlot(const std::string& name, int slot) override {
    return form_.LoadIntoSlot(name, slot);
  }
  std::string SlotFileName(int slot) const override { return form_.ImageSlots[slot].FileName(); }
  // Shows an already decoded picture and paints it before anything else.
  void ShowSlot(int slot) override;
  void ReportNoFiles() override;

 private:
  TBexForm1& form_;
};

}  // namespace bex
