#include "move/destination_history.h"

#include <gtest/gtest.h>
#include <string>

namespace bex {
namespace {

DestinationHistory Numbered(size_t count) {
  DestinationHistory history;
  for (size_t i = 1; i <= count; ++i) history.push_back("C:\\f" + std::to_string(i));
  return history;
}

TEST(HistoryFile, LinesAreTakenAsTheyStand) {
  EXPECT_EQ(ParseHistory("E:\\Work\\Scans\r\nD:\\Photos\\Keep\r\nD:\r\n"),
            (DestinationHistory{"E:\\Work\\Scans", "D:\\Photos\\Keep", "D:"}));
  EXPECT_EQ(ParseHistory(" C:\\a \n\nD:\\b"), (DestinationHistory{" C:\\a ", "", "D:\\b"}));
  EXPECT_TRUE(ParseHistory("").empty());
}

TEST(HistoryFile, EveryEntryEndsWithCrLf) {
  EXPECT_EQ(SerializeHistory({"E:\\Work", "D:"}), "E:\\Work\r\nD:\r\n");
  EXPECT_EQ(SerializeHistory({}), "");
}

TEST(HistoryFolder, IsThePathUpToItsLastDelimiter) {
  EXPECT_EQ(FolderOfDestination("D:\\Photos\\Keep\\a.jpg"), "D:\\Photos\\Keep");
  EXPECT_EQ(FolderOfDestination("D:\\a.jpg"), "D:");
  EXPECT_EQ(FolderOfDestination("D:a.jpg"), "D");
  EXPECT_EQ(FolderOfDestination("\\\\server\\share\\a.jpg"), "\\\\server\\share");
  EXPECT_EQ(FolderOfDestination("a.jpg"), "");
  // 表 ends in the byte 0x5C, which is no backslash there.
  EXPECT_EQ(FolderOfDestination("D:\\表\\a.jpg"), "D:\\表");
  EXPECT_EQ(FolderOfDestination("D:\\a表.jpg"), "D:");
}

TEST(HistoryRecord, NewFolderGoesOnTopAndAtMostNineStay) {
  DestinationHistory history;
  RecordInHistory(history, "C:\\first");
  EXPECT_EQ(history, DestinationHistory{"C:\\first"});

  history = Numbered(9);
  RecordInHistory(history, "C:\\new");
  ASSERT_EQ(history.size(), 9u);
  EXPECT_EQ(history.front(), "C:\\new");
  EXPECT_EQ(history.back(), "C:\\f8");
}

TEST(HistoryRecord, OnlyTheTopEntryIsCompared) {
  DestinationHistory history = Numbered(3);
  RecordInHistory(history, "C:\\f1");
  EXPECT_EQ(history, Numbered(3));

  RecordInHistory(history, "C:\\f2");
  EXPECT_EQ(history, (DestinationHistory{"C:\\f2", "C:\\f1", "C:\\f2", "C:\\f3"}));
}

TEST(HistoryRecord, ComparisonIsCaseSensitive) {
  DestinationHistory history;
  RecordInHistory(history, "d:\\photos");
  RecordInHistory(history, "D:\\Photos");
  EXPECT_EQ(history, (DestinationHistory{"D:\\Photos", "d:\\photos"}));
}

TEST(HistoryRecord, HandEditedLongHistoryShrinksOnlyForANewTop) {
  DestinationHistory history = Numbered(12);
  RecordInHistory(history, "C:\\f1");
  EXPECT_EQ(history, Numbered(12));

  RecordInHistory(history, "C:\\other");
  ASSERT_EQ(history.size(), 9u);
  EXPECT_EQ(history[0], "C:\\other");
  EXPECT_EQ(history[8], "C:\\f8");
}

}  // namespace
}  // namespace bex
