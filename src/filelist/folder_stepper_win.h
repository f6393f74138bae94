// The folder stepper of the main window: the shown folder's file list in the
// chosen sort order, stepping through it with look-ahead decoding, and the
// commands on the folder's files (sort, delete).
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "common/shown_file_win.h"
#include "filelist/file_stepper.h"

namespace bex {

// What stepping needs from the decoder slots and the picture view.
class PictureSlots {
 public:
  // Bare name of the file whose picture is on screen.
  virtual std::string ShownFileName() const = 0;
  // Decoding the file `name` of the current directory into picture slot
  // `slot` while the window goes on, as StepHost describes it; a wait for the
  // result shows that a picture is being loaded.
  virtual void StartLoad(const std::string& name, int slot) = 0;
  virtual bool LoadEnded(int slot) const = 0;
  virtual bool FinishLoad(int slot, bool announced) = 0;
  virtual void CancelLoad(int slot) = 0;
  // Name of the file whose picture the slot holds (empty when none).
  virtual std::string SlotFileName(int slot) const = 0;
  // Shows the slot's decoded picture and its file name, laid out and painted
  // at once, so that the picture is on screen before the next decode starts.
  virtual void ShowSlot(int slot) = 0;

 protected:
  ~PictureSlots() = default;
};

class FolderStepper : private StepHost {
 public:
  FolderStepper(HWND owner, PictureSlots& pictures) : owner_(owner), pictures_(pictures) {}
  FolderStepper(const FolderStepper&) = delete;
  FolderStepper& operator=(const FolderStepper&) = delete;

  // --- the list and the steps (folder_stepper_win.cpp) ---------------------
  // A file was opened: the list is stale and the shown file is not removed.
  void FileOpened() { stepper_.FileOpened(); }
  // Builds the list when it is stale; every key and menu opening does.
  void EnsureFileList() { stepper_.EnsureFileList(); }
  // The refresh command: the list is built again when next needed.
  void InvalidateFileList() { stepper_.InvalidateFileList(); }
  void Step(bool forward) { stepper_.StepImage(forward); }
  // The decode into slot has ended: the decode ahead goes on with it.
  void DecodeEnded(int slot) { stepper_.LoadFinished(slot); }
  // The file `name` of the folder is about to be deleted or moved: no decode
  // may hold it open.
  void LetGoOf(const std::string& name) { stepper_.LetGoOf(name); }
  // The close step: the decode ahead is given up.
  void StopDecoding() { stepper_.CancelDecodeAhead(); }
  // The close step lets the list go.
  void ReleaseList() { stepper_.ReleaseList(); }
  // The slot that holds the shown picture.
  int ShownSlot() const { return stepper_.ShownSlot(); }
  // The shown file has been deleted or moved.
  bool ShownFileRemoved() const { return stepper_.ShownFileRemoved(); }
  void MarkShownFileRemoved() { stepper_.MarkShownFileRemoved(); }

  // --- the sort condition (sort_win.cpp) -----------------------------------
  // Kind kSortByName, kSortByTime or kSortBySize; direction kSortAscending or
  // kSortDescending.
  int SortKind() const override { return sortKind_; }
  int SortDirection() const override { return sortDirection_; }
  // The order the list takes when it is next built.
  void SetSortOrder(int kind, int direction);
  // The sort dialog; a confirmed condition discards the list.
  void ChooseSortOrder();

  // --- the shown file (delete_win.cpp) --------------------------------
  // Deletes the shown file to the recycle bin, after asking; shown is the
  // file on screen. The full path of a file handed to the recycle bin; none
  // when nothing was deleted or the file was deleted for good.
  std::optional<std::string> DeleteShownFile(const ShownFile& shown);

 private:
  std::vector<FileEntry> ListFolder() override;
  std::string ShownFileName() const override { return pictures_.ShownFileName(); }
  void StartLoad(const std::string& name, int slot) override { pictures_.StartLoad(name, slot); }
  bool LoadEnded(int slot) const override { return pictures_.LoadEnded(slot); }
  bool FinishLoad(int slot, bool announced) override {
    return pictures_.FinishLoad(slot, announced);
  }
  void CancelLoad(int slot) override { pictures_.CancelLoad(slot); }
  std::string SlotFileName(int slot) const override { return pictures_.SlotFileName(slot); }
  void ShowSlot(int slot) override { pictures_.ShowSlot(slot); }
  void ReportNoFiles() override;

  HWND owner_;
  PictureSlots& pictures_;
  int sortKind_ = kSortByName;
  int sortDirection_ = kSortAscending;
  FileStepper stepper_{*this};
};

}  // namespace bex
