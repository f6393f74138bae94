#include "move/undo_journal.h"

#include <gtest/gtest.h>
#include <string>

namespace bex {
namespace {

UndoEntry Move(std::string from, std::string to) {
  return {UndoKind::kMove, std::move(from), std::move(to)};
}
UndoEntry Delete(std::string from) { return {UndoKind::kDelete, std::move(from), {}}; }

TEST(UndoJournalFile, EntriesReadBackAsWritten) {
  // 表 ends in the byte of "\"; blanks and "&" are part of names.
  const UndoJournal journal = {
      Move("C:\\pics\\表.jpg", "E:\\keep\\表.jpg"),
      Delete("C:\\pics\\a b&c.png"),
      {UndoKind::kDelete, "C:\\pics\\a.jpg", {}, "2024-05-01 13:45:07", 4096},
      Move("D:\\x.bmp", "D:\\y\\x.bmp")};
  const std::string bytes = SerializeUndoJournal(journal);
  EXPECT_EQ(bytes.substr(0, bytes.find("\r\n") + 2), "M\tC:\\pics\\表.jpg\tE:\\keep\\表.jpg\r\n");
  EXPECT_EQ(ParseUndoJournal(bytes), journal);
  EXPECT_EQ(SerializeUndoJournal({}), "");
}

TEST(UndoJournalFile, LinesThatAreNoEntryAreSkipped) {
  const std::string bytes =
      "M\tC:\\a.jpg\tE:\\a.jpg\r\n"
      "M\tC:\\b.jpg\r\n"           // no destination
      "X\tC:\\c.jpg\r\n"           // unknown kind
      "D\tC:\\d.jpg\tE:\\d.jpg\n"  // a delete has one path
      "\r\n"                       // empty
      "M\t\tE:\\e.jpg\r\n"         // empty path
      "M\tg.jpg\tE:\\g.jpg\r\n"    // not a full path
      "M\tC:\\h.jpg\tkeep\\h.jpg\r\n"
      "D\tC:i.jpg\r\n"
      "D\t\\\\server\\pics\\j.jpg\r\n"
      "D\tC:\\k.jpg\t2024-05-01 13:45\t10\r\n"     // time without seconds
      "D\tC:\\l.jpg\t2024-05-01 13:45:07\t-1\r\n"  // no size
      "D\tC:\\m.jpg\t2024-05-01 13:45:07\r\n"
      "D\tC:\\f.jpg";  // last line without its end: still whole
  EXPECT_EQ(ParseUndoJournal(bytes),
            (UndoJournal{Move("C:\\a.jpg", "E:\\a.jpg"), Delete("\\\\server\\pics\\j.jpg"),
                         Delete("C:\\f.jpg")}));
}

TEST(UndoJournalRecord, NewestGoesOnTopAndTheHundredNewestStay) {
  UndoJournal journal;
  for (int i = 1; i <= 101; ++i) RecordUndo(journal, Delete("C:\\" + std::to_string(i)));
  ASSERT_EQ(journal.size(), kUndoJournalKeep);
  EXPECT_EQ(journal.front().original, "C:\\101");
  EXPECT_EQ(journal.back().original, "C:\\2");
}

TEST(UndoJournalRecord, EntriesOfAnotherViewerWrittenMeanwhileStay) {
  // Each change starts from the file as it is now, so both viewers' entries stay in order.
  UndoJournal first = ParseUndoJournal("");
  RecordUndo(first, Move("C:\\a.jpg", "E:\\a.jpg"));
  UndoJournal second = ParseUndoJournal(SerializeUndoJournal(first));
  RecordUndo(second, Delete("C:\\b.jpg"));
  UndoJournal again = ParseUndoJournal(SerializeUndoJournal(second));
  RecordUndo(again, Move("C:\\c.jpg", "F:\\c.jpg"));
  EXPECT_EQ(again, (UndoJournal{Move("C:\\c.jpg", "F:\\c.jpg"), Delete("C:\\b.jpg"),
                                Move("C:\\a.jpg", "E:\\a.jpg")}));
}

TEST(UndoPlan, MoveGoesBackUnlessItsNameIsTakenAndNothingIsTouchedWhenTheFileIsGone) {
  const UndoEntry move = Move("C:\\a.jpg", "E:\\a.jpg");
  EXPECT_EQ(PlanUndo(move, {true, false}), UndoStep::kMoveBack);
  EXPECT_EQ(PlanUndo(move, {true, true}), UndoStep::kAskForName);
  EXPECT_EQ(PlanUndo(move, {false, false}), UndoStep::kReportGone);
  EXPECT_EQ(PlanUndo(move, {false, true}), UndoStep::kReportGone);
}

TEST(UndoPlan, DeleteComesBackFromTheBinNeverOverAnotherFile) {
  const UndoEntry deleted = Delete("C:\\a.jpg");
  EXPECT_EQ(PlanUndo(deleted, {true, false}), UndoStep::kRestoreFromBin);
  EXPECT_EQ(PlanUndo(deleted, {true, true}), UndoStep::kReportNameTaken);
  EXPECT_EQ(PlanUndo(deleted, {false, false}), UndoStep::kReportGone);
}

TEST(UndoJournalRecord, AnUndoneEntryLeavesWhereverOtherViewersPutItAndOnlyOnce) {
  // Entries of other viewers above and between; the same move was made twice.
  UndoJournal journal = {Delete("C:\\x.jpg"), Move("C:\\a.jpg", "E:\\a.jpg"), Delete("C:\\b.jpg"),
                         Move("C:\\a.jpg", "E:\\a.jpg")};
  EXPECT_TRUE(ForgetUndo(journal, Move("C:\\a.jpg", "E:\\a.jpg")));
  EXPECT_EQ(journal, (UndoJournal{Delete("C:\\x.jpg"), Delete("C:\\b.jpg"),
                                  Move("C:\\a.jpg", "E:\\a.jpg")}));
  EXPECT_FALSE(ForgetUndo(journal, Delete("C:\\a.jpg"))) << "a delete is not the move";
  EXPECT_EQ(journal.size(), 3u);
}

TEST(UndoSubject, NamesTheFileAndWhatHappenedToIt) {
  EXPECT_EQ(UndoSubject(Move("C:\\pics\\a.jpg", "E:\\a.jpg")), "a.jpg の移動");
  EXPECT_EQ(UndoSubject(Delete("C:\\表\\b&c.png")), "b&c.png の削除");
}

}  // namespace
}  // namespace bex
