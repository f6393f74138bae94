#include "filelist/file_stepper.h"

#include <utility>

namespace bex {

void FileStepper::BuildFileList() {
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

void FileStepper::InvalidateFileList() { shownIndex_ = -1; }

void FileStepper::FileOpened() {
  InvalidateFileList();
  shownFileRemoved_ = false;
}

void FileStepper::DiscardFileList() {
  entries_.clear();
  InvalidateFileList();
}

void FileStepper::StepImage(bool forward) {
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
  bool ready = true;
  if (shownLeavesList && !slotsReady) ready = FillNeighbour(!forward).has_value();
  ready = FillNeighbour(forward).has_value() && ready;
  // The fill ahead may have wrapped round and dropped the entry behind (a
  // file removed by another program): its slot is no longer a neighbour.
  slotsReady_ = ready && NeighbourHeld(!forward);
}

std::optional<size_t> FileStepper::FillNeighbour(bool forward) {
  if (entries_.empty()) return std::nullopt;
  const int slot = forward ? nextSlot_ : prevSlot_;
  size_t i = NeighbourIndex(forward);
  for (;;) {
    if (TryLoad(i, slot)) return i;
    if (static_cast<int>(i) == shownIndex_) return std::nullopt;  // the shown entry stays
    DropEntry(i);
    const size_t count = entries_.size();
    if (count == 0) return std::nullopt;
    // Forward, the following entry has moved into position i.
    i = forward ? i % count : (i + count - 1) % count;
  }
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
// entry goes before the error ends the command (the shown entry excepted).
bool FileStepper::TryLoad(size_t index, int slot) {
  try {
    return host_.LoadIntoSlot(entries_[index].Name, slot);
  } catch (...) {
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
