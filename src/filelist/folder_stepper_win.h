// The folder stepper of the main window: the shown folder's file list in the
// chosen sort order, stepping through it with look-ahead decoding, and the
// commands on the folder's files (sort, delete).
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "common/code_page_win.h"
#include "common/shown_file_win.h"
#include "filelist/file_stepper.h"

namespace bex {

class FolderStepper : private StepHost {
 public:
  FolderStepper(HWND owner, PictureSlots& pictures) : owner_(owner), stepper_(*this, pictures) {}
  FolderStepper(const FolderStepper&) = delete;
  FolderStepper& operator=(const FolderStepper&) = delete;

  // --- the list and the steps (folder_stepper_win.cpp) ---------------------
  // A file was opened: the list is stale and the shown file is not removed.
  void FileOpened() { stepper_.FileOpened(); }
  // Builds the list when it is stale; every key and menu opening does.
  void EnsureFileList() { stepper_.EnsureFileList(); }
  // The refresh command: the list is built again when next needed, and the
  // neighbours are decoded again.
  void Refresh() { stepper_.Refresh(); }
  // keyRepeated: the step is a held key's repeat.
  void Step(bool forward, bool keyRepeated = false) { stepper_.StepImage(forward, keyRepeated); }
  // An opened picture is on screen and the window idle: the neighbours are
  // decoded ahead of the first step.
  void DecodeNeighboursAhead() { stepper_.DecodeNeighboursAhead(); }
  // The decode into slot has ended: the decode ahead goes on with it.
  void LoadFinished(int slot) { stepper_.LoadFinished(slot); }
  // The file `name` of the folder is about to be deleted or moved: no decode
  // may hold it open.
  void LetGoOf(const std::wstring& name) { stepper_.LetGoOf(name); }
  // The close step, or a dialog that changes the current directory: the
  // decode ahead is given up.
  void StopDecoding() { stepper_.CancelDecodeAhead(); }
  // The close step lets the list go.
  void ReleaseList() { stepper_.ReleaseList(); }
  // The slots that hold the shown picture and its neighbours.
  int ShownSlot() const { return stepper_.ShownSlot(); }
  int PrevSlot() const { return stepper_.PrevSlot(); }
  int NextSlot() const { return stepper_.NextSlot(); }
  // The shown file has been deleted or moved.
  bool ShownFileRemoved() const { return stepper_.ShownFileRemoved(); }
  void MarkShownFileRemoved() { stepper_.MarkShownFileRemoved(); }
  // The shown file was renamed within its folder: the new name stands in
  // the list where the old one stood.
  void RenameShownEntry(const std::wstring& newName) {
    stepper_.RenameShownEntry(newName, ExactCp932(newName));
  }
  // Other files of the folder left it with the shown one.
  void DropLeftEntries(const std::vector<std::wstring>& names) { stepper_.DropLeftEntries(names); }
  // The file on screen is no longer the version its picture was decoded from.
  bool ShownFileChanged() const { return stepper_.ShownFileChanged(); }

  // --- the sort condition (sort_win.cpp) -----------------------------------
  // Kind kSortByName, kSortByTime, kSortBySize or kSortByExplorerOrder;
  // direction kSortAscending or kSortDescending.
  int SortKind() const override { return sortKind_; }
  int SortDirection() const override { return sortDirection_; }
  // The order the list takes when it is next built.
  void SetSortOrder(int kind, int direction);
  // The sort dialog; a confirmed condition discards the list.
  void ChooseSortOrder();

  // --- the shown file (delete_win.cpp) --------------------------------
  // A file handed to the recycle bin: its full path, its size, its content
  // fingerprint and the local time of the delete, which tell it from others
  // deleted from there; the companions deleted with it (the time being its own).
  struct Recycled {
    std::wstring path;
    uint64_t size = 0;
    std::optional<uint64_t> fingerprint = {};
    SYSTEMTIME deletedAt = {};
    std::vector<Recycled> companions = {};
  };
  // Deletes the shown file to the recycle bin, after asking; shown is the
  // file on screen, and readyToActOn, asked last, says whether its path may
  // still be deleted. withCompanions: its companions go in the same delete,
  // and when one of them is held by another program, none goes. None when
  // nothing was deleted or the file was deleted for good.
  using ReadyToActOn = std::function<bool(const std::wstring& path)>;
  std::optional<Recycled> DeleteShownFile(const ShownFile& shown, const ReadyToActOn& readyToActOn,
                                          bool withCompanions = false);

 private:
  std::vector<FileEntry> ListFolder() override;
  std::vector<size_t> PlacesInExplorerOrder(const std::vector<FileEntry>& list) const override;
  void ReportNoFiles() override;

  HWND owner_;
  int sortKind_ = kSortByName;
  int sortDirection_ = kSortAscending;
  FileStepper stepper_;
};

}  // namespace bex
