#include "filelist/file_list.h"

#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

namespace bex {
namespace {

std::vector<std::string> NamesOf(const std::vector<FileEntry>& list) {
  std::vector<std::string> names;
  for (const FileEntry& entry : list) names.push_back(entry.Name);
  return names;
}

std::vector<std::string> SortedNames(std::vector<FileEntry> list, int kind, int direction,
                                     const ExplorerPlaces& places = {}) {
  SortFileList(list, kind, direction, places);
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

// Places as the platform gives them (numbers by value, letters without
// case), from a table by name.
ExplorerPlaces PlacesFrom(const std::vector<std::pair<std::string, size_t>>& table) {
  return [table](const std::vector<FileEntry>& list) {
    std::vector<size_t> places;
    for (const FileEntry& entry : list) {
      for (const auto& [name, place] : table) {
        if (name == entry.Name) places.push_back(place);
      }
    }
    return places;
  };
}

// Names where the platform's order differs from the bytes': digits, letter
// case, double-byte names (full-width digits and letters), and names the
// platform holds equal ("FILE2" and "file2", "Ａ" and "ａ").
const std::vector<FileEntry> kExplorerFolder{{"file10.jpg"},   {"file2.jpg"},  {"FILE2.jpg"},
                                             {"写真１０.jpg"}, {"写真９.jpg"}, {"file1.jpg"},
                                             {"ａ.jpg"},       {"Ａ.jpg"},     {"b.jpg"}};
const ExplorerPlaces kExplorerPlaces = PlacesFrom({{"b.jpg", 0},
                                                   {"file1.jpg", 1},
                                                   {"file2.jpg", 2},
                                                   {"FILE2.jpg", 2},
                                                   {"file10.jpg", 4},
                                                   {"ａ.jpg", 5},
                                                   {"Ａ.jpg", 5},
                                                   {"写真９.jpg", 7},
                                                   {"写真１０.jpg", 8}});

TEST(SortFileListTest, ExplorerOrderFollowsThePlatformsPlacesAndTiesByBytes) {
  EXPECT_EQ(SortedNames(kExplorerFolder, kSortByExplorerOrder, kSortAscending, kExplorerPlaces),
            (Names{"b.jpg", "file1.jpg", "FILE2.jpg", "file2.jpg", "file10.jpg", "Ａ.jpg", "ａ.jpg",
                   "写真９.jpg", "写真１０.jpg"}))
      << "equal places in byte order: F (0x46) before f, Ａ (0x82 0x60) before ａ (0x82 0x81)";
}

TEST(SortFileListTest, ExplorerOrderDescendingReversesPlacesAndTies) {
  EXPECT_EQ(SortedNames(kExplorerFolder, kSortByExplorerOrder, kSortDescending, kExplorerPlaces),
            (Names{"写真１０.jpg", "写真９.jpg", "ａ.jpg", "Ａ.jpg", "file10.jpg", "file2.jpg",
                   "FILE2.jpg", "file1.jpg", "b.jpg"}));
}

TEST(SortFileListTest, OtherKindsAndByteOrderDoNotAskThePlatform) {
  bool asked = false;
  const ExplorerPlaces places = [&](const std::vector<FileEntry>& list) {
    asked = true;
    return std::vector<size_t>(list.size());
  };
  EXPECT_EQ(SortedNames({{"file10"}, {"file2"}}, kSortByName, kSortAscending, places),
            (Names{"file10", "file2"}));
  SortedNames({{"b", 1}, {"a", 2}}, kSortBySize, kSortDescending, places);
  EXPECT_FALSE(asked);
}

TEST(SortFileListTest, ExplorerOrderWithoutFittingPlacesKeepsToNames) {
  const std::vector<FileEntry> list{{"file2"}, {"file10"}, {"File1"}};
  const ExplorerPlaces tooFew = [](const std::vector<FileEntry>&) {
    return std::vector<size_t>{0};
  };
  EXPECT_EQ(SortedNames(list, kSortByExplorerOrder, kSortAscending, tooFew),
            (Names{"File1", "file10", "file2"}));
  EXPECT_EQ(SortedNames(list, kSortByExplorerOrder, kSortDescending, {}),
            (Names{"file2", "file10", "File1"}));
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
