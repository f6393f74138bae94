#include "filelist/file_stepper.h"

#include <utility>

namespace bex {

void FileStepper::BuildFileList() {
  FileList.clear();
  SlotsReady = false;
  CurrentIndex = -1;
  FileList = host_.ListFolder();
  if (FileList.empty()) return;  // stays stale: the next key or step lists again
  SortFileList(FileList, host_.SortKind(), host_.SortDirection());
  CurrentIndex = static_cast<int>(FindShownIndex(FileList, host_.ShownFileName()));
}

void FileStepper::EnsureFileList() {
  if (CurrentIndex < 0) BuildFileList();
}

void FileStepper::InvalidateFileList() { CurrentIndex = -1; }

void FileStepper::DiscardFileList() {
  FileList.clear();
  InvalidateFileList();
}

void FileStepper::StepImage(bool forward) {
  EnsureFileList();
  // The neighbour slot in the direction of travel is trusted only while it
  // holds the entry next to the shown one.
  const bool slotsReady = SlotsReady && NeighbourHeld(forward);
  SlotsReady = slotsReady;
  const std::optional<size_t> target =
      slotsReady ? std::optional<size_t>(NeighbourIndex(forward)) : FillNeighbour(forward);
  // Nothing loads, or only the removed file itself would come back.
  if (!target || (ShownFileRemoved && static_cast<int>(*target) == CurrentIndex)) {
    EndStepWithoutPicture();
    return;
  }

  host_.ShowSlot(forward ? NextSlot : PrevSlot);

  // A picture that has no entry (removed, or not listed since the last build)
  // must not come back as a neighbour: its slot is the one freed.
  const bool shownLeavesList = ShownFileRemoved || !ShownEntryListed();
  CurrentIndex = static_cast<int>(RemoveShownEntry(*target));
  RotateSlots(forward, shownLeavesList);
  ShownFileRemoved = false;
  SlotsReady = false;

  // The slot behind keeps its role when the old picture leaves, so it must be
  // filled now unless an earlier step already did.
  bool ready = true;
  if (shownLeavesList && !slotsReady) ready = FillNeighbour(!forward).has_value();
  ready = FillNeighbour(forward).has_value() && ready;
  // The fill ahead may have wrapped round and dropped the entry behind (a
  // file removed by another program): its slot is no longer a neighbour.
  SlotsReady = ready && NeighbourHeld(!forward);
}

std::optional<size_t> FileStepper::FillNeighbour(bool forward) {
  if (FileList.empty()) return std::nullopt;
  const int slot = forward ? NextSlot : PrevSlot;
  size_t i = NeighbourIndex(forward);
  for (;;) {
    if (TryLoad(i, slot)) return i;
    if (static_cast<int>(i) == CurrentIndex) return std::nullopt;  // the shown entry stays
    DropEntry(i);
    const size_t count = FileList.size();
    if (count == 0) return std::nullopt;
    // Forward, the following entry has moved into position i.
    i = forward ? i % count : (i + count - 1) % count;
  }
}

bool FileStepper::ShownEntryListed() const {
  return CurrentIndex >= 0 && static_cast<size_t>(CurrentIndex) < FileList.size();
}

bool FileStepper::NeighbourHeld(bool forward) const {
  if (!ShownEntryListed()) return false;
  const int slot = forward ? NextSlot : PrevSlot;
  return host_.SlotFileName(slot) == FileList[NeighbourIndex(forward)].Name;
}

// The list is circular; a shown file that is not listed sits after the last
// entry and before the first.
size_t FileStepper::NeighbourIndex(bool forward) const {
  const size_t count = FileList.size();
  if (!ShownEntryListed()) return forward ? 0 : count - 1;
  const size_t current = static_cast<size_t>(CurrentIndex);
  return forward ? (current + 1) % count : (current + count - 1) % count;
}

// A decode that throws would meet the same file at every later step, so the
// entry goes before the error ends the command (the shown entry excepted).
bool FileStepper::TryLoad(size_t index, int slot) {
  try {
    return host_.LoadIntoSlot(FileList[index].Name, slot);
  } catch (...) {
    if (static_cast<int>(index) != CurrentIndex) DropEntry(index);
    throw;
  }
}

void FileStepper::DropEntry(size_t index) {
  FileList.erase(FileList.begin() + static_cast<std::ptrdiff_t>(index));
  if (static_cast<int>(index) < CurrentIndex) --CurrentIndex;
  if (FileList.empty()) CurrentIndex = -1;
}

void FileStepper::EndStepWithoutPicture() {
  if (ShownFileRemoved && ShownEntryListed()) {
    FileList.erase(FileList.begin() + CurrentIndex);
    CurrentIndex = FileList.empty() ? -1 : static_cast<int>(FileList.size());
  }
  SlotsReady = false;
  host_.ReportNoFiles();
}

// Drops the removed shown file's entry, if listed, and returns where the
// entry at `target` is afterwards.
size_t FileStepper::RemoveShownEntry(size_t target) {
  if (!ShownFileRemoved || !ShownEntryListed()) return target;
  const size_t removed = static_cast<size_t>(CurrentIndex);
  FileList.erase(FileList.begin() + CurrentIndex);
  return removed < target ? target - 1 : target;
}

// The shown picture's slot becomes the one behind it; the freed slot (the one
// behind, or the leaving picture's) is ahead, to receive the next neighbour.
void FileStepper::RotateSlots(bool forward, bool shownLeavesList) {
  int& ahead = forward ? NextSlot : PrevSlot;
  int& behind = forward ? PrevSlot : NextSlot;
  const int freed = shownLeavesList ? CurrentSlot : behind;
  if (!shownLeavesList) behind = CurrentSlot;
  CurrentSlot = ahead;
  ahead = freed;
}

}  // namespace bex
