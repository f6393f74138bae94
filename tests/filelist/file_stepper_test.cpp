#include "filelist/file_stepper.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace bex {
namespace {

// The stepper takes wide names; the tests' names are ASCII.
std::wstring Wide(const std::string& name) { return std::wstring(name.begin(), name.end()); }
std::string Narrow(const std::wstring& name) {
  std::string narrow;
  for (wchar_t c : name) narrow += static_cast<char>(c);
  return narrow;
}

// A folder of named files; only the names in `loadable` decode, the names in
// `broken` make the decoder throw. A slot holds the picture of the file it
// last decoded, under that file's name; a failed decode keeps both. A file
// written over after its decode (Rewrite) leaves the slots that hold its
// picture out of date until they decode it again. A load
// has ended as soon as it started, unless `held` keeps it under way until
// FinishLoad waits for it or the test ends it (End). Records every call in
// order.
class FakeHost : public StepHost, public PictureSlots {
 public:
  std::vector<FileEntry> ListFolder() override {
    calls.push_back("list");
    return folder;
  }
  int SortKind() const override { return kSortByName; }
  int SortDirection() const override { return kSortAscending; }
  std::vector<size_t> PlacesInExplorerOrder(const std::vector<FileEntry>&) const override {
    return {};
  }
  std::wstring ShownFileName() const override { return Wide(shown); }
  void StartLoad(const std::wstring& wideName, int slot) override {
    const std::string name = Narrow(wideName);
    calls.push_back("load " + name + " " + std::to_string(slot));
    loading[slot] = name;
    ended.erase(slot);
  }
  bool LoadEnded(int slot) const override { return !held || ended.count(slot); }
  bool FinishLoad(int slot, bool) override {
    const std::string name = loading[slot];
    loading[slot].clear();
    if (broken.count(name)) throw std::runtime_error("bad bitmap");
    if (!loadable.count(name)) return false;
    slotPicture[slot] = name;
    outdated[slot] = false;
    return true;
  }
  void CancelLoad(int slot) override {
    calls.push_back("cancel " + std::to_string(slot));
    loading[slot].clear();
  }
  // Recorded only where there is something to let go.
  void EmptySlot(int slot) override {
    if (loading[slot].empty() && slotPicture[slot].empty()) return;
    calls.push_back("empty " + std::to_string(slot));
    loading[slot].clear();
    slotPicture[slot].clear();
    outdated[slot] = false;
  }
  bool LoadNow(const std::string& name, int slot) {
    StartLoad(Wide(name), slot);
    return FinishLoad(slot, false);
  }
  std::wstring SlotFileName(int slot) const override { return Wide(slotPicture[slot]); }
  bool SlotFileChanged(int slot) const override { return outdated[slot]; }
  void Rewrite(const std::string& name) {
    for (int slot = 0; slot < kCount; ++slot) outdated[slot] |= slotPicture[slot] == name;
  }
  void ShowSlot(int slot) override {
    calls.push_back("show " + std::to_string(slot));
    shown = slotPicture[slot];
  }
  void ReportNoFiles() override { calls.push_back("report"); }

  void AddFiles(std::initializer_list<const char*> names, bool canLoad = true) {
    for (const char* name : names) {
      folder.push_back(FileEntry{Wide(name), 0, 0, name});
      if (canLoad) loadable.insert(name);
    }
  }
  void DeleteFile(const std::string& name) {
    loadable.erase(name);
    folder.erase(std::remove_if(folder.begin(), folder.end(),
                                [&](const FileEntry& e) { return e.Name == Wide(name); }),
                 folder.end());
  }

  std::vector<FileEntry> folder;
  std::set<std::string> loadable;
  std::set<std::string> broken;
  std::string shown;
  std::string slotPicture[kCount];
  std::string loading[kCount];
  bool outdated[kCount] = {};
  bool held = false;
  std::set<int> ended;
  std::vector<std::string> calls;
};

class FileStepperTest : public ::testing::Test {
 protected:
  // What opening a file does: decode into the current slot, list goes stale.
  void Open(const std::string& name) {
    host.shown = name;
    host.slotPicture[stepper.ShownSlot()] = name;
    stepper.FileOpened();
  }

  // Opening through the decoder: a file that does not decode changes nothing.
  bool TryOpen(const std::string& name) {
    if (!host.LoadNow(name, stepper.ShownSlot())) return false;
    Open(name);
    return true;
  }

  // A held load ends and the window reports it.
  void End(int slot) {
    host.ended.insert(slot);
    stepper.LoadFinished(slot);
  }

  void Delete(const std::string& name) {
    host.DeleteFile(name);
    stepper.MarkShownFileRemoved();
  }

  std::vector<std::string> ListedNames() const {
    std::vector<std::string> names;
    for (const FileEntry& e : stepper.Entries()) names.push_back(Narrow(e.Name));
    return names;
  }

  // Steps, lets the decode ahead end and checks that the shown entry, the
  // slots and the neighbours agree.
  std::string Step(bool forward) {
    host.calls.clear();
    stepper.StepImage(forward);
    stepper.SettleDecodeAhead();
    ExpectConsistent();
    return host.shown;
  }

  void ExpectConsistent() const {
    std::vector<int> slots{stepper.PrevSlot(), stepper.ShownSlot(), stepper.NextSlot(),
                           stepper.SpareSlot()};
    std::sort(slots.begin(), slots.end());
    EXPECT_EQ(slots, (std::vector<int>{0, 1, 2, 3}));
    // At most one picture a slot, also while it decodes.
    for (int slot = 0; slot < PictureSlots::kCount; ++slot) {
      EXPECT_TRUE(host.loading[slot].empty() || host.slotPicture[slot].empty()) << slot;
    }
    const auto& list = stepper.Entries();
    if (stepper.ShownIndex() < 0) {
      EXPECT_FALSE(stepper.SlotsReady());
      return;
    }
    ASSERT_FALSE(list.empty()) << "an empty list must be stale";
    ASSERT_LE(static_cast<size_t>(stepper.ShownIndex()), list.size());
    if (static_cast<size_t>(stepper.ShownIndex()) == list.size()) return;  // shown file not listed
    const size_t at = static_cast<size_t>(stepper.ShownIndex());
    const size_t n = list.size();
    if (!stepper.ShownFileRemoved()) {
      EXPECT_EQ(Narrow(list[at].Name), host.shown);
    }
    EXPECT_EQ(host.slotPicture[stepper.ShownSlot()], host.shown);
    if (stepper.SlotsReady()) {
      EXPECT_EQ(host.slotPicture[stepper.NextSlot()], Narrow(list[(at + 1) % n].Name));
      EXPECT_EQ(host.slotPicture[stepper.PrevSlot()], Narrow(list[(at + n - 1) % n].Name));
    }
  }

  FakeHost host;
  FileStepper stepper{host, host};
};

using Calls = std::vector<std::string>;
using Names = std::vector<std::string>;

TEST_F(FileStepperTest, StartsStaleWithSlotsZeroOneTwo) {
  EXPECT_EQ(stepper.ShownIndex(), -1);
  EXPECT_FALSE(stepper.SlotsReady());
  EXPECT_FALSE(stepper.ShownFileRemoved());
  EXPECT_EQ(stepper.PrevSlot(), 0);
  EXPECT_EQ(stepper.ShownSlot(), 1);
  EXPECT_EQ(stepper.NextSlot(), 2);
}

TEST_F(FileStepperTest, BuildSortsAndLocatesShownFileByExactName) {
  host.AddFiles({"c.bmp", "a.bmp", "b.bmp"});
  Open("b.bmp");
  stepper.EnsureFileList();
  EXPECT_EQ(ListedNames(), (Names{"a.bmp", "b.bmp", "c.bmp"}));
  EXPECT_EQ(stepper.ShownIndex(), 1);

  stepper.EnsureFileList();
  EXPECT_EQ(host.calls, (Calls{"list"})) << "a built list is not listed again";

  Open("B.bmp");
  stepper.EnsureFileList();
  EXPECT_EQ(stepper.ShownIndex(), 3) << "letter case counts: not listed";
}

TEST_F(FileStepperTest, EmptyFolderStaysStaleAndEveryStepReports) {
  Open("gone.bmp");
  EXPECT_EQ(Step(true), "gone.bmp");
  EXPECT_EQ(host.calls, (Calls{"list", "report"}));
  EXPECT_EQ(stepper.ShownIndex(), -1);
  Step(false);
  EXPECT_EQ(host.calls, (Calls{"list", "report"})) << "each step lists the folder again";
}

TEST_F(FileStepperTest, FirstStepDecodesBeforeShowingAndAfter) {
  host.AddFiles({"a.bmp", "b.bmp", "c.bmp", "d.bmp"});
  Open("b.bmp");
  EXPECT_EQ(Step(true), "c.bmp");
  EXPECT_EQ(host.calls, (Calls{"list", "load c.bmp 2", "show 2", "load d.bmp 0"}));
  EXPECT_TRUE(stepper.SlotsReady());

  EXPECT_EQ(Step(true), "d.bmp");
  EXPECT_EQ(host.calls, (Calls{"show 0", "empty 1", "load a.bmp 1"}))
      << "a ready step decodes only after";
  EXPECT_EQ(Step(false), "c.bmp");
  EXPECT_EQ(host.calls, (Calls{"show 2", "empty 1", "load b.bmp 1"}));
}

TEST_F(FileStepperTest, NeighbourWrittenOverSinceItsDecodeIsDecodedAgainBeforeItShows) {
  host.AddFiles({"a.bmp", "b.bmp", "c.bmp"});
  Open("a.bmp");
  stepper.DecodeNeighboursAhead();
  stepper.SettleDecodeAhead();
  ASSERT_TRUE(stepper.SlotsReady());
  host.Rewrite("b.bmp");
  EXPECT_EQ(Step(true), "b.bmp");
  EXPECT_EQ(host.calls, (Calls{"empty 2", "load b.bmp 2", "show 2", "empty 0", "load c.bmp 0"}));

  host.Rewrite("a.bmp");
  EXPECT_EQ(Step(false), "a.bmp");
  EXPECT_EQ(host.calls, (Calls{"empty 1", "load a.bmp 1", "show 1", "empty 0", "load c.bmp 0"}))
      << "the previous picture is checked as well";

  host.calls.clear();
  stepper.Refresh();
  EXPECT_EQ(host.calls, (Calls{"empty 0", "empty 2"})) << "refresh lets every neighbour go";
  EXPECT_EQ(Step(true), "b.bmp");
}

TEST_F(FileStepperTest, ARenamedShownFileKeepsItsPlaceUnderItsNewName) {
  host.AddFiles({"a.bmp", "b.bmp", "c.bmp"});
  Open("b.bmp");
  stepper.EnsureFileList();
  host.DeleteFile("b.bmp");
  host.AddFiles({"z.bmp"});
  stepper.RenameShownEntry(L"z.bmp", "z.bmp");
  EXPECT_EQ(ListedNames(), (Names{"a.bmp", "z.bmp", "c.bmp"}));
  EXPECT_EQ(Step(true), "c.bmp");
  EXPECT_EQ(Step(false), "z.bmp");
  EXPECT_EQ(Step(false), "a.bmp");
}

TEST_F(FileStepperTest, WrapsAroundBothEnds) {
  host.AddFiles({"a.bmp", "b.bmp", "c.bmp"});
  Open("c.bmp");
  EXPECT_EQ(Step(true), "a.bmp");
  EXPECT_EQ(stepper.ShownIndex(), 0);
  EXPECT_EQ(Step(false), "c.bmp");
  EXPECT_EQ(Step(false), "b.bmp");
  EXPECT_EQ(Step(false), "a.bmp");
  EXPECT_EQ(Step(false), "c.bmp");
  EXPECT_EQ(stepper.ShownIndex(), 2);

  Open("a.bmp");
  EXPECT_EQ(Step(false), "c.bmp") << "backward from the first after a build";
}

TEST_F(FileStepperTest, OnlyLoadableFileIsTheShownOne) {
  host.AddFiles({"a.txt", "c.txt"}, false);
  host.AddFiles({"b.bmp"});
  Open("b.bmp");
  EXPECT_EQ(Step(true), "b.bmp");
  EXPECT_EQ(host.calls, (Calls{"list", "load c.txt 2", "load a.txt 2", "load b.bmp 2", "show 2",
                               "load b.bmp 0"}));
  EXPECT_EQ(ListedNames(), (Names{"b.bmp"}));
  EXPECT_EQ(stepper.ShownIndex(), 0);
  EXPECT_EQ(Step(false), "b.bmp");
}

TEST_F(FileStepperTest, SkipsAndDropsNonPicturesInEitherDirection) {
  host.AddFiles({"a.bmp", "c.bmp", "e.bmp"});
  host.AddFiles({"b.txt", "d.txt"}, false);
  Open("a.bmp");
  EXPECT_EQ(Step(true), "c.bmp");
  EXPECT_EQ(Step(true), "e.bmp");
  EXPECT_EQ(ListedNames(), (Names{"a.bmp", "c.bmp", "e.bmp"}));
  EXPECT_EQ(Step(true), "a.bmp");

  Open("e.bmp");
  EXPECT_EQ(Step(false), "c.bmp");
  EXPECT_EQ(host.calls, (Calls{"list", "empty 0", "load d.txt 0", "load c.bmp 0", "show 0",
                               "empty 2", "load b.txt 2", "load a.bmp 2"}));
  EXPECT_EQ(ListedNames(), (Names{"a.bmp", "c.bmp", "e.bmp"}));
  EXPECT_EQ(Step(false), "a.bmp");
}

TEST_F(FileStepperTest, RemovedFileGoesAtTheNextStepForward) {
  host.AddFiles({"a.bmp", "b.bmp", "c.bmp", "d.bmp"});
  Open("a.bmp");
  Step(true);
  Delete("b.bmp");
  EXPECT_EQ(Step(true), "c.bmp");
  EXPECT_EQ(ListedNames(), (Names{"a.bmp", "c.bmp", "d.bmp"}));
  EXPECT_EQ(stepper.ShownIndex(), 1);
  EXPECT_FALSE(stepper.ShownFileRemoved());
  EXPECT_EQ(Step(false), "a.bmp") << "the slot behind kept the entry before the removed one";
  EXPECT_EQ(Step(true), "c.bmp");
  EXPECT_EQ(Step(true), "d.bmp");
}

// A file moved with its companions: a neighbour decoded from one of them,
// or decoding, never shows.
TEST_F(FileStepperTest, CompanionsThatLeftWithTheShownFileLeaveTheListAndNeverShow) {
  for (const bool held : {false, true}) {
    host = FakeHost();
    host.AddFiles({"a.CR2", "a.bmp", "a.mov", "b.bmp", "c.bmp"});
    Open("a.bmp");
    host.held = held;
    stepper.DecodeNeighboursAhead();
    for (const char* name : {"a.bmp", "a.CR2", "a.mov"}) host.DeleteFile(name);
    stepper.MarkShownFileRemoved();
    stepper.DropLeftEntries({L"a.CR2", L"a.mov"});
    host.held = false;
    EXPECT_EQ(ListedNames(), (Names{"a.bmp", "b.bmp", "c.bmp"})) << held;
    EXPECT_EQ(Step(true), "b.bmp") << held;
    EXPECT_EQ(ListedNames(), (Names{"b.bmp", "c.bmp"})) << held;
    EXPECT_EQ(Step(false), "c.bmp") << held;
  }
}

TEST_F(FileStepperTest, RemovedFileGoesAtTheNextStepBackward) {
  host.AddFiles({"a.bmp", "b.bmp", "c.bmp", "d.bmp"});
  Open("a.bmp");
  Step(true);
  Step(true);
  Delete("c.bmp");
  EXPECT_EQ(Step(false), "b.bmp");
  EXPECT_EQ(ListedNames(), (Names{"a.bmp", "b.bmp", "d.bmp"}));
  EXPECT_EQ(stepper.ShownIndex(), 1);
  EXPECT_EQ(Step(true), "d.bmp");
}

TEST_F(FileStepperTest, RemovalRightAfterABuildFillsTheOtherSide) {
  host.AddFiles({"a.bmp", "b.bmp", "c.bmp"});
  Open("b.bmp");
  stepper.EnsureFileList();
  Delete("b.bmp");
  EXPECT_EQ(Step(true), "c.bmp");
  EXPECT_EQ(host.calls,
            (Calls{"load c.bmp 2", "show 2", "load a.bmp 0", "empty 1", "load a.bmp 1"}));
  EXPECT_EQ(ListedNames(), (Names{"a.bmp", "c.bmp"}));
  EXPECT_TRUE(stepper.SlotsReady());
  EXPECT_EQ(Step(false), "a.bmp");

  host.AddFiles({"b.bmp"});
  Open("b.bmp");
  stepper.EnsureFileList();
  Delete("b.bmp");
  EXPECT_EQ(Step(false), "a.bmp");
  EXPECT_EQ(ListedNames(), (Names{"a.bmp", "c.bmp"}));
  EXPECT_EQ(Step(true), "c.bmp");
}

TEST_F(FileStepperTest, RemovedLastEntryWrapsToTheFirst) {
  host.AddFiles({"a.bmp", "b.bmp", "c.bmp"});
  Open("b.bmp");
  Step(true);
  Delete("c.bmp");
  EXPECT_EQ(Step(true), "a.bmp");
  EXPECT_EQ(stepper.ShownIndex(), 0);
  EXPECT_EQ(Step(false), "b.bmp");
}

TEST_F(FileStepperTest, DeletingTheOnlyFileEmptiesTheListAndReports) {
  host.AddFiles({"a.bmp"});
  Open("a.bmp");
  EXPECT_EQ(Step(true), "a.bmp");
  Delete("a.bmp");
  EXPECT_EQ(Step(true), "a.bmp") << "the picture stays";
  EXPECT_EQ(host.calls, (Calls{"report"})) << "the deleted file is not shown again";
  EXPECT_EQ(stepper.ShownIndex(), -1);
  EXPECT_TRUE(stepper.ShownFileRemoved()) << "the picture on screen is still the removed file";
  Step(true);
  EXPECT_EQ(host.calls, (Calls{"list", "report"}));
}

TEST_F(FileStepperTest, DeletedOnlyFileRightAfterABuildReportsWithoutShowing) {
  host.AddFiles({"a.bmp"});
  host.AddFiles({"z.txt"}, false);
  Open("a.bmp");
  Delete("a.bmp");
  host.folder.push_back(
      FileEntry{L"a.bmp", 0, 0, "a.bmp"});  // listed before the delete took effect
  EXPECT_EQ(Step(true), "a.bmp");
  EXPECT_EQ(host.calls, (Calls{"list", "load z.txt 2", "load a.bmp 2", "report"}));
  EXPECT_EQ(stepper.ShownIndex(), -1);
  EXPECT_TRUE(stepper.Entries().empty());
}

TEST_F(FileStepperTest, ShownFileThatNoLongerLoadsIsKeptButNotShown) {
  host.AddFiles({"a.txt"}, false);
  host.AddFiles({"b.bmp"}, false);  // vanished behind the viewer's back
  Open("b.bmp");
  EXPECT_EQ(Step(true), "b.bmp");
  EXPECT_EQ(host.calls, (Calls{"list", "load a.txt 2", "load b.bmp 2", "report"}));
  EXPECT_EQ(ListedNames(), (Names{"b.bmp"}));
  EXPECT_EQ(stepper.ShownIndex(), 0);
  EXPECT_FALSE(stepper.SlotsReady());
}

TEST_F(FileStepperTest, ShownFileNotListedStepsToFirstOrLast) {
  host.AddFiles({"a.bmp", "b.bmp", "c.bmp"});
  Open("bb.bmp");
  stepper.EnsureFileList();
  EXPECT_EQ(stepper.ShownIndex(), 3);
  EXPECT_EQ(Step(true), "a.bmp");
  EXPECT_EQ(stepper.ShownIndex(), 0);
  EXPECT_EQ(Step(false), "c.bmp") << "the unlisted picture does not come back";
  EXPECT_EQ(Step(true), "a.bmp");

  Open("bb.bmp");
  EXPECT_EQ(Step(false), "c.bmp");
  EXPECT_EQ(stepper.ShownIndex(), 2);
  EXPECT_EQ(Step(true), "a.bmp");
}

TEST_F(FileStepperTest, RefreshAfterADeleteFindsNothingToRemove) {
  host.AddFiles({"a.bmp", "b.bmp", "c.bmp"});
  Open("b.bmp");
  Delete("b.bmp");
  stepper.InvalidateFileList();
  EXPECT_EQ(Step(true), "a.bmp");
  EXPECT_EQ(ListedNames(), (Names{"a.bmp", "c.bmp"}));
  EXPECT_FALSE(stepper.ShownFileRemoved());
}

TEST_F(FileStepperTest, ListEmptiedByDropsIsStaleAndReports) {
  host.AddFiles({"a.txt", "b.txt"}, false);
  Open("x.bmp");
  EXPECT_EQ(Step(true), "x.bmp");
  EXPECT_EQ(host.calls, (Calls{"list", "load a.txt 2", "load b.txt 2", "report"}));
  EXPECT_EQ(stepper.ShownIndex(), -1);
  Step(false);
  EXPECT_EQ(host.calls, (Calls{"list", "load b.txt 0", "load a.txt 0", "report"}));
}

TEST_F(FileStepperTest, DecodeErrorBeforeShowingDropsTheFileAndEndsTheStep) {
  host.AddFiles({"a.bmp", "b.bmp", "c.bmp"});
  host.broken.insert("b.bmp");
  Open("a.bmp");
  host.calls.clear();
  EXPECT_THROW(stepper.StepImage(true), std::runtime_error);
  ExpectConsistent();
  EXPECT_EQ(host.shown, "a.bmp");
  EXPECT_EQ(ListedNames(), (Names{"a.bmp", "c.bmp"}));
  EXPECT_EQ(Step(true), "c.bmp") << "the next step gets past the broken file";
}

TEST_F(FileStepperTest, DecodeErrorAfterShowingLeavesTheStepConsistent) {
  host.AddFiles({"a.bmp", "b.bmp", "c.bmp"});
  host.broken.insert("c.bmp");
  Open("a.bmp");
  stepper.StepImage(true);
  EXPECT_THROW(stepper.SettleDecodeAhead(), std::runtime_error);
  ExpectConsistent();
  EXPECT_EQ(host.shown, "b.bmp");
  EXPECT_EQ(stepper.ShownIndex(), 1);
  EXPECT_FALSE(stepper.SlotsReady());
  EXPECT_EQ(Step(true), "a.bmp");
  EXPECT_EQ(Step(true), "b.bmp");
}

TEST_F(FileStepperTest, FailedOpenKeepsTheShownPictureAndTheReadyNeighbours) {
  host.AddFiles({"a.bmp", "b.bmp", "c.bmp"});
  Open("a.bmp");
  Step(true);
  EXPECT_FALSE(TryOpen("other.txt"));
  EXPECT_EQ(host.shown, "b.bmp");
  ExpectConsistent();
  EXPECT_EQ(Step(false), "a.bmp");
  EXPECT_EQ(host.calls, (Calls{"show 1", "empty 0", "load c.bmp 0"}));
  EXPECT_TRUE(TryOpen("c.bmp"));
  EXPECT_EQ(Step(true), "a.bmp");
}

TEST_F(FileStepperTest, EntryBehindDroppedByTheFillAheadIsNotAReadyNeighbour) {
  host.AddFiles({"a.bmp", "b.bmp", "c.bmp"});
  Open("a.bmp");
  EXPECT_EQ(Step(true), "b.bmp");
  // Another program deletes a.bmp and b.bmp; c.bmp was decoded ahead.
  host.DeleteFile("a.bmp");
  host.DeleteFile("b.bmp");
  EXPECT_EQ(Step(true), "c.bmp");
  EXPECT_EQ(ListedNames(), (Names{"c.bmp"}));
  EXPECT_EQ(Step(false), "c.bmp") << "not the dropped b.bmp left in the slot behind";
  EXPECT_EQ(Step(true), "c.bmp");
}

TEST_F(FileStepperTest, DiscardForgetsEntriesAndRebuildsAtNextStep) {
  host.AddFiles({"a.bmp", "b.bmp"});
  Open("a.bmp");
  Step(true);
  host.AddFiles({"ab.bmp"});
  stepper.DiscardFileList();
  EXPECT_TRUE(stepper.Entries().empty());
  EXPECT_EQ(stepper.ShownIndex(), -1);
  EXPECT_EQ(Step(false), "ab.bmp");
}

TEST_F(FileStepperTest, DecodeAheadGoesOnAfterTheStepUntilTheWindowReportsItsEnd) {
  host.AddFiles({"a.bmp", "b.bmp", "c.bmp"});
  host.AddFiles({"bx.txt", "y.txt"}, false);
  Open("a.bmp");
  host.held = true;
  stepper.StepImage(true);
  EXPECT_EQ(host.shown, "b.bmp");
  EXPECT_EQ(host.calls, (Calls{"list", "load b.bmp 2", "show 2", "load bx.txt 0"}));
  EXPECT_TRUE(stepper.DecodingAhead());
  EXPECT_FALSE(stepper.SlotsReady());
  stepper.LoadFinished(0);
  EXPECT_EQ(host.calls.size(), 4u) << "a load that has not ended is not waited for";

  host.held = false;
  stepper.LoadFinished(2);
  EXPECT_TRUE(stepper.DecodingAhead()) << "a report for another slot changes nothing";
  stepper.LoadFinished(0);
  EXPECT_EQ(host.calls.back(), "load c.bmp 0") << "the failed file is dropped, the next one tried";
  EXPECT_EQ(ListedNames(), (Names{"a.bmp", "b.bmp", "c.bmp", "y.txt"}));
  stepper.LoadFinished(0);
  EXPECT_FALSE(stepper.DecodingAhead());
  EXPECT_TRUE(stepper.SlotsReady());
  ExpectConsistent();
  stepper.LoadFinished(0);
  EXPECT_EQ(host.calls.back(), "load c.bmp 0") << "a late report finds nothing to do";
}

TEST_F(FileStepperTest, StepsWhileDecodingAheadEachWaitForTheDecodeBeforeThem) {
  host.AddFiles({"a.bmp", "b.bmp", "c.bmp", "d.bmp"});
  Open("a.bmp");
  host.held = true;
  for (const char* expected : {"b.bmp", "c.bmp", "d.bmp"}) {
    stepper.StepImage(true);
    EXPECT_EQ(host.shown, expected);
    EXPECT_TRUE(stepper.DecodingAhead());
  }
  stepper.SettleDecodeAhead();
  ExpectConsistent();
  EXPECT_TRUE(stepper.SlotsReady());
}

TEST_F(FileStepperTest, RefreshOrOpeningGivesTheDecodeAheadUp) {
  host.AddFiles({"a.bmp", "b.bmp", "c.bmp"});
  for (int way = 0; way < 2; ++way) {
    Open("a.bmp");
    host.held = true;
    stepper.StepImage(true);
    const Calls cancel{"cancel " + std::to_string(stepper.NextSlot())};
    host.calls.clear();
    if (way == 0) {
      stepper.InvalidateFileList();
    } else {
      Open("c.bmp");
    }
    EXPECT_EQ(host.calls, cancel);
    EXPECT_FALSE(stepper.DecodingAhead());
    host.held = false;
    for (int slot = 0; slot < 3; ++slot) stepper.LoadFinished(slot);
    EXPECT_EQ(host.calls, cancel) << "the given-up load's report is ignored";
  }
  EXPECT_EQ(Step(true), "a.bmp");
}

TEST_F(FileStepperTest, AFileAboutToGoIsLetGoOfOnlyByADecodeThatReadsIt) {
  host.AddFiles({"a.bmp"});
  host.AddFiles({"z.txt"}, false);
  Open("a.bmp");
  host.held = true;
  stepper.StepImage(true);
  // Nothing else loads: the fill ahead wraps round to the shown file itself.
  EXPECT_EQ(host.calls.back(), "load a.bmp 0");
  host.calls.clear();
  stepper.LetGoOf(L"b.bmp");
  EXPECT_TRUE(stepper.DecodingAhead());
  stepper.LetGoOf(L"a.bmp");
  EXPECT_EQ(host.calls, (Calls{"cancel 0"}));
  EXPECT_FALSE(stepper.DecodingAhead());
  stepper.MarkShownFileRemoved();
  host.DeleteFile("a.bmp");
  host.held = false;
  EXPECT_EQ(Step(true), "a.bmp") << "the picture stays";
  EXPECT_EQ(host.calls.back(), "report");
}

TEST_F(FileStepperTest, OpenedPictureHasBothNeighboursDecodedBeforeTheFirstKey) {
  host.AddFiles({"a.bmp", "b.bmp", "c.bmp", "d.bmp"});
  Open("b.bmp");
  host.held = true;
  stepper.DecodeNeighboursAhead();
  EXPECT_EQ(host.calls, (Calls{"list", "load c.bmp 2"})) << "the next one first";
  End(2);
  EXPECT_EQ(host.calls.back(), "load a.bmp 0");
  End(0);
  EXPECT_TRUE(stepper.SlotsReady());
  host.calls.clear();
  stepper.DecodeNeighboursAhead();
  EXPECT_TRUE(host.calls.empty()) << "ready neighbours are not decoded again";

  EXPECT_EQ(Step(false), "a.bmp");
  EXPECT_EQ(host.calls, (Calls{"show 0", "empty 2", "load d.bmp 2"})) << "no decode before showing";

  // A step forward does not wait for the neighbour behind, still decoding.
  Open("b.bmp");
  stepper.DecodeNeighboursAhead();
  End(stepper.NextSlot());
  host.calls.clear();
  stepper.StepImage(true);
  EXPECT_EQ(host.shown, "c.bmp");
  EXPECT_EQ(host.calls, (Calls{"cancel 2", "show 1", "load d.bmp 2"}));
  host.held = false;
  stepper.SettleDecodeAhead();
  ExpectConsistent();
  EXPECT_EQ(Step(false), "b.bmp");
  EXPECT_EQ(Step(false), "a.bmp");

  // Nor does it start it once the neighbour ahead it waited for has come.
  Open("b.bmp");
  host.held = true;
  stepper.DecodeNeighboursAhead();
  const std::string behind = "load a.bmp " + std::to_string(stepper.PrevSlot());
  stepper.StepImage(true);
  EXPECT_EQ(host.shown, "c.bmp");
  EXPECT_EQ(std::count(host.calls.begin(), host.calls.end(), behind), 0);
  EXPECT_EQ(host.loading[stepper.SpareSlot()], "") << "a key pressed once is not held";
  host.held = false;
  EXPECT_EQ(Step(false), "b.bmp");
  EXPECT_EQ(Step(false), "a.bmp");
}

TEST_F(FileStepperTest, NothingIsDecodedAheadOfARemovedOrUnlistedOrOnlyPicture) {
  host.AddFiles({"a.bmp"});
  Open("a.bmp");
  stepper.DecodeNeighboursAhead();
  Open("x.bmp");
  stepper.DecodeNeighboursAhead();
  host.AddFiles({"b.bmp"});
  Open("a.bmp");
  stepper.MarkShownFileRemoved();
  stepper.DecodeNeighboursAhead();
  EXPECT_EQ(host.calls, (Calls{"list", "list"}));
}

// Keys every few milliseconds while each decode takes far longer: from the
// second step on, the file after the next decodes beside the next one, and
// the step after takes it over instead of decoding it again.
TEST_F(FileStepperTest, HeldKeysDecodeTwoAheadAndEveryKeyIsOneStepInOrder) {
  host.AddFiles({"01.bmp", "02.bmp", "03.bmp", "04.bmp", "05.bmp", "06.bmp", "07.bmp"});
  Open("01.bmp");
  stepper.DecodeNeighboursAhead();
  stepper.SettleDecodeAhead();
  host.held = true;
  Names shown;
  std::vector<int> loadsPerStep;
  for (int key = 0; key < 5; ++key) {
    host.calls.clear();
    stepper.StepImage(true, true);
    shown.push_back(host.shown);
    if (key == 1) {
      EXPECT_EQ(host.calls.front(), "load 04.bmp 3") << "started before the wait for 03.bmp";
    }
    loadsPerStep.push_back(static_cast<int>(std::count_if(
        host.calls.begin(), host.calls.end(), [](const std::string& c) { return c[0] == 'l'; })));
    ExpectConsistent();
  }
  EXPECT_EQ(shown, (Names{"02.bmp", "03.bmp", "04.bmp", "05.bmp", "06.bmp"}));
  EXPECT_EQ(loadsPerStep, (std::vector<int>{1, 2, 1, 1, 1}))
      << "one new load a step once two are under way";
  EXPECT_EQ(host.loading[stepper.NextSlot()], "07.bmp");
  EXPECT_EQ(host.loading[stepper.SpareSlot()], "01.bmp");

  // The keys stop: the loads end, and the one two ahead is let go.
  End(stepper.NextSlot());
  EXPECT_EQ(host.slotPicture[stepper.SpareSlot()], "") << "still under way";
  host.calls.clear();
  End(stepper.SpareSlot());
  EXPECT_EQ(host.calls, (Calls{"empty " + std::to_string(stepper.SpareSlot())}));
  EXPECT_TRUE(stepper.SlotsReady());
  ExpectConsistent();
  host.held = false;
  EXPECT_EQ(Step(true), "07.bmp");
  EXPECT_EQ(host.loading[stepper.SpareSlot()], "") << "no load two ahead at rest";
}

TEST_F(FileStepperTest, LoadTwoAheadThatEndedFirstOrFailedOrWentTheOtherWay) {
  host.AddFiles({"a.bmp", "b.bmp", "d.bmp", "e.bmp", "f.bmp"});
  host.AddFiles({"c.txt"}, false);
  Open("a.bmp");
  host.held = true;
  stepper.StepImage(true, true);  // b, c.txt ahead
  stepper.StepImage(true, true);  // waits for c.txt, dropped, then d; shows d, e ahead, f two ahead
  EXPECT_EQ(host.shown, "d.bmp");
  EXPECT_EQ(host.loading[stepper.SpareSlot()], "f.bmp");
  End(stepper.SpareSlot());
  EXPECT_EQ(host.loading[stepper.SpareSlot()], "f.bmp") << "kept while e.bmp decodes";
  host.calls.clear();
  stepper.StepImage(true, true);
  EXPECT_EQ(host.shown, "e.bmp");
  EXPECT_FALSE(stepper.DecodingAhead()) << "the ended load was taken over at once";
  EXPECT_EQ(host.slotPicture[stepper.NextSlot()], "f.bmp");
  ExpectConsistent();

  // Back the other way: the load two ahead forward is given up.
  host.calls.clear();
  stepper.StepImage(false, true);
  EXPECT_EQ(host.shown, "d.bmp");
  EXPECT_EQ(host.loading[stepper.SpareSlot()], "");
  host.held = false;
  stepper.SettleDecodeAhead();
  ExpectConsistent();
  EXPECT_EQ(ListedNames(), (Names{"a.bmp", "b.bmp", "d.bmp", "e.bmp", "f.bmp"}));
}

TEST_F(FileStepperTest, AFileTwoAheadIsLetGoOfBeforeItIsMovedAndOnRefresh) {
  host.AddFiles({"a.bmp", "b.bmp", "c.bmp", "d.bmp", "e.bmp"});
  Open("a.bmp");
  host.held = true;
  stepper.StepImage(true, true);
  stepper.StepImage(true, true);
  EXPECT_EQ(host.loading[stepper.SpareSlot()], "e.bmp");
  const std::string spare = std::to_string(stepper.SpareSlot());
  host.calls.clear();
  stepper.LetGoOf(L"e.bmp");
  EXPECT_EQ(host.calls, (Calls{"empty " + spare}));
  EXPECT_TRUE(stepper.DecodingAhead()) << "d.bmp still decodes";
  stepper.StepImage(true, true);
  host.calls.clear();
  stepper.InvalidateFileList();
  EXPECT_EQ(host.calls, (Calls{"cancel " + std::to_string(stepper.NextSlot()),
                               "empty " + std::to_string(stepper.SpareSlot())}));
}

}  // namespace
}  // namespace bex
