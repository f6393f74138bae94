#include "filelist/file_list.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace bex {
namespace {

std::vector<std::string> NamesOf(const std::vector<FileEntry>& list) {
  std::vector<std::string> names;
  for (const FileEntry& entry : list) names.push_back(entry.Name);
  return names;
}

std::vector<std::string> SortedNames(std::vector<FileEntry> list, int kind, int direction) {
  SortFileList(list, kind, direction);
  return NamesOf(list);
}

// Packed MS-DOS local date and time: year since 1980 in the top seven bits.
uint32_t DosTime(int year, int month, int day) {
  return static_cast<uint32_t>(((year - 1980) << 25) | (month << 21) | (day << 16));
}

using Names = std::vector<std::string>;

TEST(CompareFileEntriesTest, NamesCompareAsUnsignedBytes) {
  const std::vector<FileEntry> list{{"a.jpg"}, {"B.jpg"}, {"10.jpg"}, {"2.jpg"}};
  EXPECT_EQ(SortedNames(list, kSortByName, kSortAscending),
            (Names{"10.jpg", "2.jpg", "B.jpg", "a.jpg"}));
  EXPECT_EQ(SortedNames(list, kSortByName, kSortDescending),
            (Names{"a.jpg", "B.jpg", "2.jpg", "10.jpg"}));
}

TEST(CompareFileEntriesTest, DoubleByteNamesSortAfterAscii) {
  const std::vector<FileEntry> list{{"写真.jpg"}, {"~.jpg"}, {"ｱ.jpg"}, {"z.jpg"}};
  EXPECT_EQ(SortedNames(list, kSortByName, kSortAscending),
            (Names{"z.jpg", "~.jpg", "写真.jpg", "ｱ.jpg"}))
      << "lead byte 0x8E before half-width katakana 0xB1";
}

TEST(CompareFileEntriesTest, PrefixIsSmallerAndEqualNamesCompareEqual) {
  const FileEntry shorter{"ab"}, longer{"abc"};
  EXPECT_EQ(CompareFileEntries(shorter, longer, kSortByName, kSortAscending), -1);
  EXPECT_EQ(CompareFileEntries(longer, shorter, kSortByName, kSortAscending), 1);
  EXPECT_EQ(CompareFileEntries(longer, longer, kSortByName, kSortDescending), 0);
  EXPECT_EQ(CompareFileEntries(FileEntry{""}, shorter, kSortByName, kSortAscending), -1);
}

TEST(CompareFileEntriesTest, SizesOfTwoGigabytesAndMoreSortAsBiggest) {
  const std::vector<FileEntry> list{
      {"big.avi", 3ull << 30}, {"small.jpg", 1000}, {"huge.iso", (4ull << 30) + 10}};
  EXPECT_EQ(SortedNames(list, kSortBySize, kSortAscending),
            (Names{"small.jpg", "big.avi", "huge.iso"}));
  EXPECT_EQ(SortedNames(list, kSortBySize, kSortDescending),
            (Names{"huge.iso", "big.avi", "small.jpg"}));
}

TEST(CompareFileEntriesTest, DatesFrom2044OnSortAsNewest) {
  const std::vector<FileEntry> list{{"future.jpg", 0, DosTime(2050, 1, 1)},
                                    {"old.jpg", 0, DosTime(1990, 5, 5)},
                                    {"y2044.jpg", 0, DosTime(2044, 1, 1)},
                                    {"recent.jpg", 0, DosTime(2020, 12, 31)}};
  ASSERT_GE(DosTime(2044, 1, 1), 0x80000000u);
  EXPECT_EQ(SortedNames(list, kSortByTime, kSortAscending),
            (Names{"old.jpg", "recent.jpg", "y2044.jpg", "future.jpg"}));
}

TEST(CompareFileEntriesTest, EqualKeysAreOrderedByNameInTheListsDirection) {
  const std::vector<FileEntry> list{
      {"c.jpg", 5, 7}, {"a.jpg", 5, 7}, {"b.jpg", 5, 7}, {"first.jpg", 1, 1}};
  EXPECT_EQ(SortedNames(list, kSortBySize, kSortAscending),
            (Names{"first.jpg", "a.jpg", "b.jpg", "c.jpg"}));
  EXPECT_EQ(SortedNames(list, kSortByTime, kSortDescending),
            (Names{"c.jpg", "b.jpg", "a.jpg", "first.jpg"}));
  EXPECT_EQ(CompareFileEntries(list[1], list[2], kSortBySize, kSortAscending), -1);
  EXPECT_EQ(CompareFileEntries(list[1], list[2], kSortBySize, kSortDescending), 1);
}

TEST(CompareFileEntriesTest, UnknownSortKindFallsBackToName) {
  const std::vector<FileEntry> list{{"b", 1, 9}, {"a", 2, 8}};
  EXPECT_EQ(SortedNames(list, 0, kSortAscending), (Names{"a", "b"}));
  EXPECT_EQ(SortedNames(list, 3, kSortDescending), (Names{"b", "a"}));
}

TEST(FindShownIndexTest, MatchesExactBytesOnly) {
  const std::vector<FileEntry> list{{"a.jpg"}, {"B.jpg"}, {"写真.jpg"}};
  EXPECT_EQ(FindShownIndex(list, "B.jpg"), 1u);
  EXPECT_EQ(FindShownIndex(list, "写真.jpg"), 2u);
  EXPECT_EQ(FindShownIndex(list, "b.jpg"), 3u) << "letter case counts";
  EXPECT_EQ(FindShownIndex(list, "a.jp"), 3u);
  EXPECT_EQ(FindShownIndex({}, "a.jpg"), 0u);
}

}  // namespace
}  // namespace bex
