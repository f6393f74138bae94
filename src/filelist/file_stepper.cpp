#include "filelist/file_stepper.h"

#include <utility>

namespace bex {

void FileStepper::BuildFileList() {
  CancelDecodeAhead();
  entries_.clear();
  slotsReady_ = false;
  shownIndex_ = -1;
  entries_ = host_.ListFolder();
  if (entries_.empty()) return;  // stays stale: the next key or step lists again
  SortFileList(entries_, host_.SortKind(), host_.SortDirection());
  shownIndex_ = static_cast<int>(FindShownIndex(entries_, host_.ShownFileName()));
}

void FileStepper::EnsureFileList() {
  if (shownIndex_ < 0) BuildFileList();
}

void FileStepper::InvalidateFileList() {
  CancelDecodeAhead();
  shownIndex_ = -1;
}

void FileStepper::FileOpened() {
  InvalidateFileList();
  shownFileRemoved_ = false;
}

void FileStepper::DiscardFileList() {
  InvalidateFileList();
  entries_.clear();
}

void FileStepper::StepImage(bool forward) {
  // A step goes on from what the decode ahead of the step before found.
  SettleDecodeAhead();
  EnsureFileList();
  // The neighbour slot in the direction of travel is trusted only while it
  // holds the entry next to the shown one.
  const bool slotsReady = slotsReady_ && NeighbourHeld(forward);
  slotsReady_ = slotsReady;
  const std::optional<size_t> target =
      slotsReady ? std::optional<size_t>(NeighbourIndex(forward)) : FillNeighbour(forward);
  // Nothing loads, or only the removed file itself would come back.
  if (!target || (shownFileRemoved_ && static_cast<int>(*target) == shownIndex_)) {
    EndStepWithoutPicture();
    return;
  }

  host_.ShowSlot(forward ? nextSlot_ : prevSlot_);

  // A picture that has no entry (removed, or not listed since the last build)
  // must not come back as a neighbour: its slot is the one freed.
  const bool shownLeavesList = shownFileRemoved_ || !ShownEntryListed();
  shownIndex_ = static_cast<int>(RemoveShownEntry(*target));
  RotateSlots(forward, shownLeavesList);
  shownFileRemoved_ = false;
  slotsReady_ = false;

  // The slot behind keeps its role when the old picture leaves, so it must be
  // filled now unless an earlier step already did.
  StartDecodeAhead(forward, shownLeavesList && !slotsReady);
}

// The fills after a step: the one behind first when it is needed, then the
// one in the direction of travel. They end in LoadFinished or
// SettleDecodeAhead.
void FileStepper::StartDecodeAhead(bool forward, bool behindFirst) {
  decodingAhead_ = true;
  aheadForward_ = forward;
  fillsFound_ = true;
  if (behindFirst) nextFill_ = forward;
  StartFill(behindFirst ? !forward : forward);
}

std::optional<size_t> FileStepper::FillNeighbour(bool forward) {
  StartFill(forward);
  while (fill_) ContinueFill(FinishFillLoad(false));
  return filled_;
}

void FileStepper::LoadFinished(int slot) {
  if (!fill_ || fill_->slot != slot || !host_.LoadEnded(slot)) return;
  ContinueFill(FinishFillLoad(false));
}

void FileStepper::SettleDecodeAhead() {
  while (fill_) ContinueFill(FinishFillLoad(true));
}

void FileStepper::LetGoOf(const std::string& name) {
  if (fill_ && entries_[fill_->index].Name == name) CancelDecodeAhead();
}

void FileStepper::CancelDecodeAhead() {
  if (fill_) host_.CancelLoad(fill_->slot);
  fill_.reset();
  nextFill_.reset();
  decodingAhead_ = false;
  slotsReady_ = false;
}

void FileStepper::StartFill(bool forward) {
  if (entries_.empty()) return FillEnded(std::nullopt);
  fill_ = Fill{forward, NeighbourIndex(forward), forward ? nextSlot_ : prevSlot_};
  host_.StartLoad(entries_[fill_->index].Name, fill_->slot);
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
  host_.StartLoad(entries_[fill.index].Name, fill.slot);
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
  return host_.SlotFileName(slot) == entries_[NeighbourIndex(forward)].Name;
}

// The list is circular; a shown file that is not listed sits after the last
// entry and before the first.
size_t FileStepper::NeighbourIndex(bool forward) const {
  const size_t count = entries_.size();
  if (!ShownEntryListed()) return forward ? 0 : count - 1;
  const size_t current = static_cast<size_t>(shownIndex_);
  return forward ? (current + 1) % count : (current + count - 1) % count;
}

// A decode that throws would meet the same file at every later step, so the
// entry goes before the error ends the command (the shown entry excepted),
// and the fill with it.
bool FileStepper::FinishFillLoad(bool announced) {
  try {
    return host_.FinishLoad(fill_->slot, announced);
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
  host_.ReportNoFiles();
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
