#include "filelist/file_stepper.h"

#include <algorithm>
#include <utility>

namespace bex {

void FileStepper::BuildFileList() {
  CancelDecodeAhead();
  entries_.clear();
  slotsReady_ = false;
  shownIndex_ = -1;
  entries_ = folder_.ListFolder();
  if (entries_.empty()) return;  // stays stale: the next key or step lists again
  SortFileList(
      entries_, folder_.SortKind(), folder_.SortDirection(),
      [this](const std::vector<FileEntry>& list) { return folder_.PlacesInExplorerOrder(list); });
  shownIndex_ = static_cast<int>(FindShownIndex(entries_, slots_.ShownFileName()));
}

void FileStepper::EnsureFileList() {
  if (shownIndex_ < 0) BuildFileList();
}

void FileStepper::InvalidateFileList() {
  CancelDecodeAhead();
  shownIndex_ = -1;
}

void FileStepper::Refresh() {
  InvalidateFileList();
  for (const int slot : {prevSlot_, nextSlot_, spareSlot_}) slots_.EmptySlot(slot);
}

void FileStepper::RenameShownEntry(const std::wstring& newName,
                                   std::optional<std::string> newCp932Name) {
  if (!ShownEntryListed()) return;
  entries_[shownIndex_].Name = newName;
  entries_[shownIndex_].Cp932Name = std::move(newCp932Name);
}

// The decode ahead under way and the last one ended keep the places of
// their entries.
void FileStepper::DropLeftEntries(const std::vector<std::wstring>& names) {
  bool dropped = false;
  for (size_t i = entries_.size(); i-- > 0 && shownIndex_ >= 0;) {
    if (static_cast<int>(i) == shownIndex_ ||
        std::find(names.begin(), names.end(), entries_[i].Name) == names.end()) {
      continue;
    }
    if (fill_ && fill_->index == i) CancelDecodeAhead();
    if (fill_ && fill_->index > i) --fill_->index;
    if (filled_ && *filled_ == i) filled_.reset();
    if (filled_ && *filled_ > i) --*filled_;
    DropEntry(i);
    dropped = true;
  }
  if (dropped) slotsReady_ = slotsReady_ && NeighbourHeld(true) && NeighbourHeld(false);
}

void FileStepper::FileOpened() {
  InvalidateFileList();
  shownFileRemoved_ = false;
}

void FileStepper::DiscardFileList() {
  InvalidateFileList();
  entries_.clear();
}

void FileStepper::DecodeNeighboursAhead() {
  if (fill_ || shownFileRemoved_) return;
  EnsureFileList();
  if (slotsReady_ || !ShownEntryListed() || entries_.size() < 2) return;
  // The fill behind runs last: a step forward does not wait for it.
  StartDecodeAhead(false, true, false);
}

void FileStepper::StepImage(bool forward, bool keyRepeated) {
  // A held key comes faster than decodes: the decode ahead in this direction
  // has not ended, or the step before already decoded two ahead in it.
  const bool keysHeld =
      (keyRepeated && FillUnderWay(forward)) || (far_ && far_->forward == forward);
  // The file after the one still decoding starts beside it before the wait.
  if (keysHeld && !far_ && fill_ && fill_->forward == forward && !nextFill_) {
    StartFarLoad(fill_->index, forward);
  }
  const bool behindDropped = DropFillBehind(forward);
  // A step goes on from what the decode ahead of the step before found.
  SettleDecodeAhead();
  if (behindDropped) slotsReady_ = false;
  EnsureFileList();
  // The neighbour slot in the direction of travel is trusted only while it
  // holds the entry next to the shown one, as that file is now.
  const bool aheadReady = (slotsReady_ || behindDropped) && NeighbourHeld(forward) &&
                          !slots_.SlotFileChanged(forward ? nextSlot_ : prevSlot_);
  const bool bothReady = slotsReady_ && aheadReady;
  const std::optional<size_t> target =
      aheadReady ? std::optional<size_t>(NeighbourIndex(forward)) : FillNeighbour(forward);
  // Nothing loads, or only the removed file itself would come back.
  if (!target || (shownFileRemoved_ && static_cast<int>(*target) == shownIndex_)) {
    EndStepWithoutPicture();
    return;
  }

  slots_.ShowSlot(forward ? nextSlot_ : prevSlot_);

  // A picture that has no entry (removed, or not listed since the last build)
  // must not come back as a neighbour: its slot is the one freed.
  const bool shownLeavesList = shownFileRemoved_ || !ShownEntryListed();
  shownIndex_ = static_cast<int>(RemoveShownEntry(*target));
  RotateSlots(forward, shownLeavesList);
  shownFileRemoved_ = false;
  slotsReady_ = false;

  // The slot behind keeps its role when the old picture leaves, so it must be
  // filled now unless an earlier step already did.
  StartDecodeAhead(forward, shownLeavesList && !bothReady, keysHeld);
}

// The fills after a step: the one behind first when it is needed, then the
// one in the direction of travel. They end in LoadFinished or
// SettleDecodeAhead. While keys are held, the load two ahead that the step
// before started becomes the fill, and the next one starts beside it.
void FileStepper::StartDecodeAhead(bool forward, bool behindFirst, bool keysHeld) {
  decodingAhead_ = true;
  aheadForward_ = forward;
  fillsFound_ = true;
  if (behindFirst) {
    DropFarLoad();
    nextFill_ = forward;
    return StartFill(!forward);
  }
  if (!TakeFarLoad(forward)) {
    DropFarLoad();
    StartFill(forward);
  }
  if (keysHeld) StartFarLoad(NeighbourIndex(forward), forward);
}

// The spare slot's load is the fill when it reads the entry now ahead; the
// slot the step freed becomes the spare, which holds no picture unless a
// load two ahead is under way or kept.
bool FileStepper::TakeFarLoad(bool forward) {
  if (!far_ || far_->forward != forward || entries_.empty()) return false;
  const size_t index = NeighbourIndex(forward);
  if (entries_[index].Name != far_->name) return false;
  far_.reset();
  int& ahead = forward ? nextSlot_ : prevSlot_;
  std::swap(ahead, spareSlot_);
  slots_.EmptySlot(spareSlot_);
  fill_ = Fill{forward, index, ahead};
  // Its end may have been reported while it was not yet the fill.
  if (slots_.LoadEnded(ahead)) ContinueFill(FinishFillLoad(false));
  return true;
}

// The file after the entry at index (the next one), unless that is the
// shown file or the one behind, which slots hold already.
void FileStepper::StartFarLoad(size_t index, bool forward) {
  if (!ShownEntryListed() || entries_.size() < 4) return;
  far_ = FarLoad{forward, entries_[IndexAfter(index, forward)].Name};
  slots_.StartLoad(far_->name, spareSlot_);
}

void FileStepper::DropFarLoad() {
  if (!far_) return;
  far_.reset();
  slots_.EmptySlot(spareSlot_);
}

// At rest the slots hold three pictures: a load two ahead that no step took
// goes once both it and the decode ahead have ended. Only the window's
// reports come here; a step that waits for the decode ahead is not at rest.
void FileStepper::DropFarLoadAtRest() {
  if (far_ && !fill_ && slots_.LoadEnded(spareSlot_)) DropFarLoad();
}

bool FileStepper::FillUnderWay(bool forward) const {
  return (fill_ && fill_->forward == forward) || nextFill_ == forward;
}

// A step needs only the neighbour ahead: a fill behind the direction of
// travel that is under way is given up, and one still to come not started.
bool FileStepper::DropFillBehind(bool forward) {
  if (fill_ && fill_->forward == forward && nextFill_ == !forward) {
    nextFill_.reset();
    return true;
  }
  if (!fill_ || fill_->forward == forward || nextFill_) return false;
  slots_.CancelLoad(fill_->slot);
  fill_.reset();
  decodingAhead_ = false;
  return true;
}

std::optional<size_t> FileStepper::FillNeighbour(bool forward) {
  StartFill(forward);
  while (fill_) ContinueFill(FinishFillLoad(false));
  return filled_;
}

void FileStepper::LoadFinished(int slot) {
  if (fill_ && fill_->slot == slot && slots_.LoadEnded(slot)) ContinueFill(FinishFillLoad(false));
  DropFarLoadAtRest();
}

void FileStepper::SettleDecodeAhead() {
  while (fill_) ContinueFill(FinishFillLoad(true));
}

void FileStepper::LetGoOf(const std::wstring& name) {
  if (far_ && far_->name == name) DropFarLoad();
  if (fill_ && entries_[fill_->index].Name == name) CancelDecodeAhead();
}

void FileStepper::CancelDecodeAhead() {
  if (fill_) slots_.CancelLoad(fill_->slot);
  fill_.reset();
  nextFill_.reset();
  decodingAhead_ = false;
  slotsReady_ = false;
  DropFarLoad();
}

// The slot's picture is not a neighbour's, or it would not be filled: it
// goes before the decode, so that the slots never hold more pictures than
// their number.
void FileStepper::StartFill(bool forward) {
  if (entries_.empty()) return FillEnded(std::nullopt);
  fill_ = Fill{forward, NeighbourIndex(forward), forward ? nextSlot_ : prevSlot_};
  slots_.EmptySlot(fill_->slot);
  slots_.StartLoad(entries_[fill_->index].Name, fill_->slot);
}

// One load of a fill has ended: it found its picture, or the search goes on
// with the following entry, dropping the one that failed; the shown entry
// is never dropped.
void FileStepper::ContinueFill(bool loaded) {
  if (!fill_) return;  // given up while the window waited (the window closed)
  Fill& fill = *fill_;
  if (loaded) return FillEnded(fill.index);
  if (static_cast<int>(fill.index) == shownIndex_) return FillEnded(std::nullopt);
  DropEntry(fill.index);
  const size_t count = entries_.size();
  if (count == 0) return FillEnded(std::nullopt);
  // Forward, the following entry has moved into position index.
  fill.index = fill.forward ? fill.index % count : (fill.index + count - 1) % count;
  slots_.StartLoad(entries_[fill.index].Name, fill.slot);
}

void FileStepper::FillEnded(std::optional<size_t> found) {
  fill_.reset();
  filled_ = found;
  if (!decodingAhead_) return;
  fillsFound_ = fillsFound_ && found.has_value();
  if (nextFill_) {
    const bool forward = *nextFill_;
    nextFill_.reset();
    return StartFill(forward);
  }
  decodingAhead_ = false;
  // The fill ahead may have wrapped round and dropped the entry behind (a
  // file removed by another program): its slot is no longer a neighbour.
  slotsReady_ = fillsFound_ && NeighbourHeld(!aheadForward_);
}

bool FileStepper::ShownEntryListed() const {
  return shownIndex_ >= 0 && static_cast<size_t>(shownIndex_) < entries_.size();
}

bool FileStepper::NeighbourHeld(bool forward) const {
  if (!ShownEntryListed()) return false;
  const int slot = forward ? nextSlot_ : prevSlot_;
  return slots_.SlotFileName(slot) == entries_[NeighbourIndex(forward)].Name;
}

// The list is circular; a shown file that is not listed sits after the last
// entry and before the first.
size_t FileStepper::NeighbourIndex(bool forward) const {
  if (!ShownEntryListed()) return forward ? 0 : entries_.size() - 1;
  return IndexAfter(static_cast<size_t>(shownIndex_), forward);
}

size_t FileStepper::IndexAfter(size_t index, bool forward) const {
  const size_t count = entries_.size();
  return forward ? (index + 1) % count : (index + count - 1) % count;
}

// A decode that throws would meet the same file at every later step, so the
// entry goes before the error ends the command (the shown entry excepted),
// and the fill with it.
bool FileStepper::FinishFillLoad(bool announced) {
  try {
    return slots_.FinishLoad(fill_->slot, announced);
  } catch (...) {
    const size_t index = fill_->index;
    fill_.reset();
    nextFill_.reset();
    decodingAhead_ = false;
    slotsReady_ = false;
    if (static_cast<int>(index) != shownIndex_) DropEntry(index);
    throw;
  }
}

void FileStepper::DropEntry(size_t index) {
  entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(index));
  if (static_cast<int>(index) < shownIndex_) --shownIndex_;
  if (entries_.empty()) shownIndex_ = -1;
}

void FileStepper::EndStepWithoutPicture() {
  if (shownFileRemoved_ && ShownEntryListed()) {
    entries_.erase(entries_.begin() + shownIndex_);
    shownIndex_ = entries_.empty() ? -1 : static_cast<int>(entries_.size());
  }
  slotsReady_ = false;
  folder_.ReportNoFiles();
}

// Drops the removed shown file's entry, if listed, and returns where the
// entry at `target` is afterwards.
size_t FileStepper::RemoveShownEntry(size_t target) {
  if (!shownFileRemoved_ || !ShownEntryListed()) return target;
  const size_t removed = static_cast<size_t>(shownIndex_);
  entries_.erase(entries_.begin() + shownIndex_);
  return removed < target ? target - 1 : target;
}

// The shown picture's slot becomes the one behind it; the freed slot (the one
// behind, or the leaving picture's) is ahead, to receive the next neighbour.
void FileStepper::RotateSlots(bool forward, bool shownLeavesList) {
  int& ahead = forward ? nextSlot_ : prevSlot_;
  int& behind = forward ? prevSlot_ : nextSlot_;
  const int freed = shownLeavesList ? shownSlot_ : behind;
  if (!shownLeavesList) behind = shownSlot_;
  shownSlot_ = ahead;
  ahead = freed;
}

}  // namespace bex
