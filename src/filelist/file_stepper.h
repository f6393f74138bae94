// Stepping through the shown folder: the lazily built file list, the position
// of the shown file in it, and the picture slots whose roles rotate so that
// every step shows a picture that was decoded ahead. The decode ahead
// after a step runs while the window goes on: the step starts it, the window
// reports its end (LoadFinished), and the next step, or anything that needs
// the list as it will be, waits for it first.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "filelist/file_list.h"

namespace bex {

// What stepping needs of the folder: its listing, the sort order and a way to
// tell that nothing can be shown. All calls happen on the user-interface
// thread.
class StepHost {
 public:
  // Every entry of the current directory ("*.*") that is not a folder, hidden
  // and system files included, in the order the platform lists them; empty
  // when there is none or the listing fails.
  virtual std::vector<FileEntry> ListFolder() = 0;
  // The sort condition of this moment.
  virtual int SortKind() const = 0;
  virtual int SortDirection() const = 0;
  // The places of the entries in the order Explorer shows (ExplorerPlaces).
  virtual std::vector<size_t> PlacesInExplorerOrder(const std::vector<FileEntry>& list) const = 0;
  // Message box "表示可能ファイルが見つかりません", caption "検索エラー", OK only.
  virtual void ReportNoFiles() = 0;

 protected:
  ~StepHost() = default;
};

// What stepping needs of the decoder slots and the picture on screen. All
// calls happen on the user-interface thread.
class PictureSlots {
 public:
  // Slots 0 to 2 hold the previous, the shown and the next picture; slot 3
  // decodes the file after the next one while keys are held.
  static constexpr int kCount = 4;
  // The slot of the picture opened first; the roles change with the steps.
  static constexpr int kShownAtStart = 1;

  // Bare name of the file whose picture is on screen.
  virtual std::wstring ShownFileName() const = 0;
  // Starts decoding the file `name` of the current directory into picture
  // slot `slot` and returns at once. One load at a time per slot.
  virtual void StartLoad(const std::wstring& name, int slot) = 0;
  // Whether the load into slot has ended (FinishLoad would not wait).
  virtual bool LoadEnded(int slot) const = 0;
  // Waits for the load into slot to end and answers it: true only when the
  // slot now holds that file's picture; on false the slot keeps its earlier
  // picture and name. May throw (a bitmap the built-in reader rejects); the
  // slot is then kept too, and the stepper drops the entry and lets the
  // error end the command. `announced`: a key waits for a decode ahead that
  // was under way when it came, and the window tells so while it waits.
  virtual bool FinishLoad(int slot, bool announced) = 0;
  // Gives the load into slot up: the slot keeps its earlier picture and name,
  // and the file is no longer held open when this returns.
  virtual void CancelLoad(int slot) = 0;
  // Gives the load into slot up and lets the slot's picture and name go.
  virtual void EmptySlot(int slot) = 0;
  // Name of the file whose picture the slot holds (empty when none).
  virtual std::wstring SlotFileName(int slot) const = 0;
  // Whether that file is no longer the version the picture was decoded
  // from: written over, replaced by another, or gone. One query of the file.
  virtual bool SlotFileChanged(int slot) const = 0;
  // Puts the slot's picture into the picture area, makes the slot's file
  // name the shown file name, lays it out and repaints at once, so that the
  // picture is on screen before the next decode starts.
  virtual void ShowSlot(int slot) = 0;

 protected:
  ~PictureSlots() = default;
};

// The list state of the folder being stepped through.
//
// ShownIndex is -1 while the list is stale; otherwise it designates the
// shown file's entry, or equals Entries().size() when the shown file is not in
// the list (it was removed or renamed before the list was built again, or was
// opened under another spelling). From there a step forward reaches the first
// entry and a step backward the last, and afterwards ShownIndex designates
// the entry shown. An empty list is always stale.
class FileStepper {
 public:
  FileStepper(StepHost& folder, PictureSlots& slots) : folder_(folder), slots_(slots) {}

  // The folder's files in the sort order.
  const std::vector<FileEntry>& Entries() const { return entries_; }
  int ShownIndex() const { return shownIndex_; }
  // The shown file has been deleted or moved.
  bool ShownFileRemoved() const { return shownFileRemoved_; }
  void MarkShownFileRemoved() { shownFileRemoved_ = true; }
  // The shown file was renamed within its folder: the new name takes the
  // old one's place in the list, so that the steps come back to it.
  void RenameShownEntry(const std::wstring& newName, std::optional<std::string> newCp932Name);
  // Files of the folder other than the shown one left it (companions moved or
  // deleted with it): their entries go, and a neighbour decoded from one of
  // them is decoded again when needed.
  void DropLeftEntries(const std::vector<std::wstring>& names);
  // The file on screen is no longer the version its picture was decoded from.
  bool ShownFileChanged() const { return slots_.SlotFileChanged(shownSlot_); }
  // Both neighbour slots hold the pictures of the entries next to the shown
  // one.
  bool SlotsReady() const { return slotsReady_; }
  // The picture slots (0, 1 and 2 at start) of the previous, the shown and
  // the next file, and the spare one (3 at start) that decodes the file after
  // the next while keys are held; only steps rotate them.
  int PrevSlot() const { return prevSlot_; }
  int ShownSlot() const { return shownSlot_; }
  int NextSlot() const { return nextSlot_; }
  int SpareSlot() const { return spareSlot_; }

  // Lists the current directory, sorts it and finds the shown file.
  void BuildFileList();
  // Builds the list when it is stale; called by every key, by the popup menu's
  // preparation and by StepImage.
  void EnsureFileList();
  // Marks the list stale; it is built at the next key, menu opening or step.
  // Used by refresh. The list being stale, a decode ahead is given up.
  void InvalidateFileList();
  // The refresh command: the list is stale and the neighbours decoded ahead
  // are let go, so that nothing is shown from memory that was read before.
  void Refresh();
  // A file was opened: the list is stale and the shown file not removed.
  void FileOpened();
  // The sort command: forgets the entries and marks the list stale.
  void DiscardFileList();
  // The close step lets the entries go.
  void ReleaseList() { entries_.clear(); }

  // Once an opened picture is on screen: builds the list if it is stale and
  // decodes both neighbours ahead (the next first), so that the first step
  // is as quick as the ones after. Nothing happens while a decode ahead is
  // under way, the neighbours are ready or the shown file is not listed.
  void DecodeNeighboursAhead();

  // Shows the next (forward) or previous file, wrapping around the list's
  // ends, dropping files that cannot be shown, and decodes the following
  // neighbour ahead after the picture is on screen. A neighbour whose file
  // changed since it was decoded ahead is decoded again before it is shown. When nothing else can
  // be shown (empty list, or only the shown file remains and it no longer loads, or it is the
  // removed one) the picture stays, the step reports ReportNoFiles, and a removed shown file's
  // entry is dropped. If a decode throws, the failing entry is dropped, the state stays consistent
  // and the error ends the step.
  //
  // A step of a held key (keyRepeated: the key's repeat) that comes while
  // the decode ahead in its direction is still under way has the file after
  // the next one decoded at the same time in the spare slot, which the next
  // step takes as its decode ahead.
  void StepImage(bool forward, bool keyRepeated = false);

  // Decodes the nearest loadable entry in the given direction into the next
  // slot (forward) or the previous one, dropping the entries that fail on the
  // way; the shown entry is never dropped. Returns the index of the entry the
  // slot now holds, or nothing when the search ended on the shown entry
  // without a picture or the list ran empty. Needs a built list and no
  // decode ahead under way.
  std::optional<size_t> FillNeighbour(bool forward);

  // The load into slot has ended: the decode ahead goes on with its result.
  // Reports for loads that are not the decode ahead's, or that have not
  // ended, are ignored. May throw as StepImage.
  void LoadFinished(int slot);
  // Waits for the decode ahead to end, as if it had run inside the step.
  void SettleDecodeAhead();
  // Whether a decode ahead is under way.
  bool DecodingAhead() const { return fill_.has_value(); }
  // The file `name` is about to be deleted or moved: a decode ahead that
  // reads it is given up, so that nothing holds it open.
  void LetGoOf(const std::wstring& name);
  // Gives up the decode ahead; the slots are then not ready.
  void CancelDecodeAhead();

 private:
  // One neighbour fill under way: its direction, the entry being loaded and
  // the slot it goes to.
  struct Fill {
    bool forward;
    size_t index;
    int slot;
  };
  // The load into the spare slot of the file after the next one.
  struct FarLoad {
    bool forward;
    std::wstring name;
  };

  void StartFill(bool forward);
  void ContinueFill(bool loaded);
  void FillEnded(std::optional<size_t> found);
  bool FinishFillLoad(bool announced);
  bool FillUnderWay(bool forward) const;
  bool DropFillBehind(bool forward);
  bool ShownEntryListed() const;
  bool NeighbourHeld(bool forward) const;
  size_t NeighbourIndex(bool forward) const;
  size_t IndexAfter(size_t index, bool forward) const;
  void DropEntry(size_t index);
  void EndStepWithoutPicture();
  size_t RemoveShownEntry(size_t target);
  void RotateSlots(bool forward, bool shownLeavesList);
  void StartDecodeAhead(bool forward, bool behindFirst, bool keysHeld);
  bool TakeFarLoad(bool forward);
  void StartFarLoad(size_t index, bool forward);
  void DropFarLoad();
  void DropFarLoadAtRest();

  StepHost& folder_;
  PictureSlots& slots_;
  std::vector<FileEntry> entries_;
  int shownIndex_ = -1;
  bool shownFileRemoved_ = false;
  bool slotsReady_ = false;
  int prevSlot_ = 0;
  int shownSlot_ = PictureSlots::kShownAtStart;
  int nextSlot_ = 2;
  int spareSlot_ = 3;
  std::optional<Fill> fill_;
  // The entry the last ended fill put into its slot.
  std::optional<size_t> filled_;
  // After a step: the direction of travel, the fill that follows the one
  // under way, and whether every fill so far found a picture.
  bool decodingAhead_ = false;
  bool aheadForward_ = true;
  std::optional<bool> nextFill_;
  bool fillsFound_ = true;
  std::optional<FarLoad> far_;
};

}  // namespace bex
