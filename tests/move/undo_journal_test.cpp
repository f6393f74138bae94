#include "move/undo_journal.h"

#include <gtest/gtest.h>
#include <string>

namespace bex {
namespace {

UndoEntry Move(std::wstring from, std::wstring to) {
  return {UndoKind::kMove, std::move(from), std::move(to)};
}
UndoEntry Delete(std::wstring from) { return {UndoKind::kDelete, std::move(from), {}}; }

// Code page 932 as far as these tests write it: ASCII, and 表 (0x95 0x5C),
// whose second byte is the byte of "\".
std::wstring FromTestCp932(std::string_view bytes) {
  std::wstring text;
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (bytes.substr(i, 2) == "\x95\x5C") {
      text += L'\u8868';
      ++i;
    } else {
      text += static_cast<wchar_t>(bytes[i]);
    }
  }
  return text;
}

UndoJournal Parse(std::string_view bytes) { return ParseUndoJournal(bytes, FromTestCp932); }

TEST(UndoJournalFile, EntriesReadBackAsWrittenInUtf8) {
  // Names of any language; blanks and "&" are part of names.
  const UndoJournal journal = {
      Move(L"C:\\pics\\\u8868.jpg", L"E:\\keep\\\u8868.jpg"),
      Delete(L"C:\\pics\\a b&c.png"),
      {UndoKind::kDelete, L"C:\\pics\\a.jpg", {}, "2024-05-01 13:45:07", 4096},
      Move(L"D:\\caf\u00e9.bmp", L"D:\\y\\caf\u00e9.bmp"),
      Move(L"D:\\\ud55c\uae00\\\U0001F600.bmp", L"E:\\\U0001F600.bmp")};
  const std::string bytes = SerializeUndoJournal(journal);
  EXPECT_EQ(bytes.substr(0, bytes.find("\r\n") + 2),
            "\xEF\xBB\xBFM\tC:\\pics\\\xE8\xA1\xA8.jpg\tE:\\keep\\\xE8\xA1\xA8.jpg\r\n");
  EXPECT_EQ(Parse(bytes), journal);
  EXPECT_EQ(SerializeUndoJournal({}), "\xEF\xBB\xBF");
  EXPECT_EQ(Parse(SerializeUndoJournal({})), UndoJournal{});
}

// Journals of the version before were code page 932 without the mark.
TEST(UndoJournalFile, JournalsOfCodePage932AreStillRead) {
  EXPECT_EQ(
      Parse("M\tC:\\pics\\\x95\x5C.jpg\tE:\\keep\\\x95\x5C.jpg\r\nD\tC:\\a.png\r\n"),
      (UndoJournal{Move(L"C:\\pics\\\u8868.jpg", L"E:\\keep\\\u8868.jpg"), Delete(L"C:\\a.png")}));
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
  EXPECT_EQ(Parse(bytes), (UndoJournal{Move(L"C:\\a.jpg", L"E:\\a.jpg"),
                                       Delete(L"\\\\server\\pics\\j.jpg"), Delete(L"C:\\f.jpg")}));
}

TEST(UndoJournalFile, AFileAndItsCompanionsAreOneEntry) {
  UndoEntry moved = Move(L"C:\\p\\a.jpg", L"E:\\k\\a.jpg");
  moved.companions = {Move(L"C:\\p\\a.CR2", L"E:\\k\\a.CR2"),
                      Move(L"C:\\p\\a.xmp", L"E:\\k\\a.xmp")};
  UndoEntry deleted = {UndoKind::kDelete, L"C:\\p\\b.jpg", {}, "2024-05-01 13:45:07", 10, 0xab};
  deleted.companions = {{UndoKind::kDelete, L"C:\\p\\b.NEF", {}, "2024-05-01 13:45:07", 20}};
  const std::string bytes = SerializeUndoJournal({moved, deleted});
  EXPECT_EQ(bytes,
            "\xEF\xBB\xBFM\tC:\\p\\a.jpg\tE:\\k\\a.jpg\tC:\\p\\a.CR2\tE:\\k\\a.CR2\tC:\\p\\a.xmp\t"
            "E:\\k\\a.xmp\r\nD\tC:\\p\\b.jpg\t2024-05-01 13:45:07\t10\t00000000000000ab\t"
            "C:\\p\\b.NEF\t20\t\r\n");
  EXPECT_EQ(Parse(bytes), (UndoJournal{moved, deleted}));
  // The version before wrote no fingerprints.
  deleted.fingerprint = std::nullopt;
  EXPECT_EQ(Parse("D\tC:\\p\\b.jpg\t2024-05-01 13:45:07\t10\tC:\\p\\b.NEF\t20\r\n"),
            UndoJournal{deleted});
  // A group line cut short or spoilt in one companion is no entry.
  EXPECT_EQ(Parse("M\tC:\\a.jpg\tE:\\a.jpg\tC:\\a.CR2\r\n"
                  "M\tC:\\a.jpg\tE:\\a.jpg\tC:\\a.CR2\ta.CR2\r\n"
                  "D\tC:\\b.jpg\t2024-05-01 13:45:07\t10\tC:\\b.NEF\tx\r\n"
                  "D\tC:\\b.jpg\t2024-05-01 13:45:07\t10\t00000000000000ab\tC:\\b.NEF\t20\r\n"
                  "D\tC:\\b.jpg\t2024-05-01 13:45:07\t10\t00000000000000xy\r\n"),
            UndoJournal{});
}

TEST(UndoJournalRecord, NewestGoesOnTopAndTheHundredNewestStay) {
  UndoJournal journal;
  for (int i = 1; i <= 101; ++i) RecordUndo(journal, Delete(L"C:\\" + std::to_wstring(i)));
  ASSERT_EQ(journal.size(), kUndoJournalKeep);
  EXPECT_EQ(journal.front().original, L"C:\\101");
  EXPECT_EQ(journal.back().original, L"C:\\2");
}

TEST(UndoJournalRecord, EntriesOfAnotherViewerWrittenMeanwhileStay) {
  // Each change starts from the file as it is now, so both viewers' entries stay in order.
  UndoJournal first = Parse("");
  RecordUndo(first, Move(L"C:\\a.jpg", L"E:\\a.jpg"));
  UndoJournal second = Parse(SerializeUndoJournal(first));
  RecordUndo(second, Delete(L"C:\\b.jpg"));
  UndoJournal again = Parse(SerializeUndoJournal(second));
  RecordUndo(again, Move(L"C:\\c.jpg", L"F:\\c.jpg"));
  EXPECT_EQ(again, (UndoJournal{Move(L"C:\\c.jpg", L"F:\\c.jpg"), Delete(L"C:\\b.jpg"),
                                Move(L"C:\\a.jpg", L"E:\\a.jpg")}));
}

TEST(UndoPlan, MoveGoesBackUnlessItsNameIsTakenAndNothingIsTouchedWhenTheFileOrItsFolderIsGone) {
  const UndoEntry move = Move(L"C:\\a.jpg", L"E:\\a.jpg");
  EXPECT_EQ(PlanUndo(move, {true, false}), UndoStep::kMoveBack);
  EXPECT_EQ(PlanUndo(move, {true, true}), UndoStep::kAskForName);
  EXPECT_EQ(PlanUndo(move, {false, false}), UndoStep::kReportGone);
  EXPECT_EQ(PlanUndo(move, {false, true}), UndoStep::kReportGone);
  EXPECT_EQ(PlanUndo(move, {true, false, false}), UndoStep::kReportFolderGone);
}

TEST(UndoPlan, DeleteComesBackFromTheBinNeverOverAnotherFile) {
  const UndoEntry deleted = Delete(L"C:\\a.jpg");
  EXPECT_EQ(PlanUndo(deleted, {true, false}), UndoStep::kRestoreFromBin);
  EXPECT_EQ(PlanUndo(deleted, {true, true}), UndoStep::kReportNameTaken);
  EXPECT_EQ(PlanUndo(deleted, {false, false}), UndoStep::kReportGone);
  EXPECT_EQ(PlanUndo(deleted, {true, false, false}), UndoStep::kRestoreFromBin);
}

TEST(UndoJournalRecord, AnUndoneEntryLeavesWhereverOtherViewersPutItAndOnlyOnce) {
  // Entries of other viewers above and between; the same move was made twice.
  UndoJournal journal = {Delete(L"C:\\x.jpg"), Move(L"C:\\a.jpg", L"E:\\a.jpg"),
                         Delete(L"C:\\b.jpg"), Move(L"C:\\a.jpg", L"E:\\a.jpg")};
  EXPECT_TRUE(ForgetUndo(journal, Move(L"C:\\a.jpg", L"E:\\a.jpg")));
  EXPECT_EQ(journal, (UndoJournal{Delete(L"C:\\x.jpg"), Delete(L"C:\\b.jpg"),
                                  Move(L"C:\\a.jpg", L"E:\\a.jpg")}));
  EXPECT_FALSE(ForgetUndo(journal, Delete(L"C:\\a.jpg"))) << "a delete is not the move";
  EXPECT_EQ(journal.size(), 3u);
}

TEST(UndoSubject, NamesTheFileAndWhatHappenedToIt) {
  EXPECT_EQ(UndoSubject("a.jpg", UndoKind::kMove), "a.jpg の移動");
  EXPECT_EQ(UndoSubject("b&c.png", UndoKind::kDelete), "b&c.png の削除");
}

}  // namespace
}  // namespace bex
