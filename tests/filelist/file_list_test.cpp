#include "filelist/file_list.h"

#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

#include "common/wide_text.h"

namespace bex {
namespace {

// A listed file whose name code page 932 holds: the tests give its bytes
// (the literals are code page 932), and each byte stands in for a character
// of the wide name.
struct Listed {
  std::string cp932;
  uint64_t size = 0;
  uint32_t time = 0;
};

FileEntry Entry(const Listed& file) {
  std::wstring name;
  for (char c : file.cp932) name += static_cast<wchar_t>(static_cast<unsigned char>(c));
  return FileEntry{name, file.size, file.time, file.cp932};
}

std::vector<FileEntry> Entries(const std::vector<Listed>& files) {
  std::vector<FileEntry> entries;
  for (const Listed& file : files) entries.push_back(Entry(file));
  return entries;
}

// A name code page 932 cannot hold, given as UTF-8.
FileEntry Unheld(const std::string& utf8) { return FileEntry{Utf8ToWide(utf8), 0, 0, {}}; }

std::vector<std::string> NamesOf(const std::vector<FileEntry>& list) {
  std::vector<std::string> names;
  for (const FileEntry& entry : list) {
    names.push_back(entry.Cp932Name ? *entry.Cp932Name : WideToUtf8(entry.Name));
  }
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
  const std::vector<FileEntry> list = Entries({{"a.jpg"}, {"B.jpg"}, {"10.jpg"}, {"2.jpg"}});
  EXPECT_EQ(SortedNames(list, kSortByName, kSortAscending),
            (Names{"10.jpg", "2.jpg", "B.jpg", "a.jpg"}));
  EXPECT_EQ(SortedNames(list, kSortByName, kSortDescending),
            (Names{"a.jpg", "B.jpg", "2.jpg", "10.jpg"}));
}

TEST(CompareFileEntriesTest, DoubleByteNamesSortAfterAscii) {
  const std::vector<FileEntry> list = Entries({{"写真.jpg"}, {"~.jpg"}, {"ｱ.jpg"}, {"z.jpg"}});
  EXPECT_EQ(SortedNames(list, kSortByName, kSortAscending),
            (Names{"z.jpg", "~.jpg", "写真.jpg", "ｱ.jpg"}))
      << "lead byte 0x8E before half-width katakana 0xB1";
}

TEST(CompareFileEntriesTest, PrefixIsSmallerAndEqualNamesCompareEqual) {
  const FileEntry shorter = Entry({"ab"}), longer = Entry({"abc"});
  EXPECT_EQ(CompareFileEntries(shorter, longer, kSortByName, kSortAscending), -1);
  EXPECT_EQ(CompareFileEntries(longer, shorter, kSortByName, kSortAscending), 1);
  EXPECT_EQ(CompareFileEntries(longer, longer, kSortByName, kSortDescending), 0);
  EXPECT_EQ(CompareFileEntries(Entry({""}), shorter, kSortByName, kSortAscending), -1);
}

TEST(CompareFileEntriesTest, SizesOfTwoGigabytesAndMoreSortAsBiggest) {
  const std::vector<FileEntry> list =
      Entries({{"big.avi", 3ull << 30}, {"small.jpg", 1000}, {"huge.iso", (4ull << 30) + 10}});
  EXPECT_EQ(SortedNames(list, kSortBySize, kSortAscending),
            (Names{"small.jpg", "big.avi", "huge.iso"}));
  EXPECT_EQ(SortedNames(list, kSortBySize, kSortDescending),
            (Names{"huge.iso", "big.avi", "small.jpg"}));
}

TEST(CompareFileEntriesTest, DatesFrom2044OnSortAsNewest) {
  const std::vector<FileEntry> list = Entries({{"future.jpg", 0, DosTime(2050, 1, 1)},
                                               {"old.jpg", 0, DosTime(1990, 5, 5)},
                                               {"y2044.jpg", 0, DosTime(2044, 1, 1)},
                                               {"recent.jpg", 0, DosTime(2020, 12, 31)}});
  ASSERT_GE(DosTime(2044, 1, 1), 0x80000000u);
  EXPECT_EQ(SortedNames(list, kSortByTime, kSortAscending),
            (Names{"old.jpg", "recent.jpg", "y2044.jpg", "future.jpg"}));
}

TEST(CompareFileEntriesTest, EqualKeysAreOrderedByNameInTheListsDirection) {
  const std::vector<FileEntry> list =
      Entries({{"c.jpg", 5, 7}, {"a.jpg", 5, 7}, {"b.jpg", 5, 7}, {"first.jpg", 1, 1}});
  EXPECT_EQ(SortedNames(list, kSortBySize, kSortAscending),
            (Names{"first.jpg", "a.jpg", "b.jpg", "c.jpg"}));
  EXPECT_EQ(SortedNames(list, kSortByTime, kSortDescending),
            (Names{"c.jpg", "b.jpg", "a.jpg", "first.jpg"}));
  EXPECT_EQ(CompareFileEntries(list[1], list[2], kSortBySize, kSortAscending), -1);
  EXPECT_EQ(CompareFileEntries(list[1], list[2], kSortBySize, kSortDescending), 1);
}

// Name before date before Explorer's order (8 alone) before size.
TEST(SortKeyOfTest, NameWinsOverDateDateOverExplorerOrderAndThatOverSize) {
  const std::pair<int, int> kKeys[] = {
      {1, kSortByName},  {3, kSortByName},   {7, kSortByName},  {9, kSortByName},
      {2, kSortByTime},  {6, kSortByTime},   {10, kSortByTime}, {8, kSortByExplorerOrder},
      {4, kSortBySize},  {12, kSortBySize},  {24, kSortBySize}, {0, kSortBySize},
      {16, kSortBySize}, {-12, kSortBySize},
  };
  for (const auto& [kind, key] : kKeys) EXPECT_EQ(SortKeyOf(kind), key) << kind;
}

// Kinds of several bits sort by the key the dialogs show for them.
TEST(CompareFileEntriesTest, OtherSortKindsOrderByTheirKey) {
  const std::vector<FileEntry> list = Entries({{"b", 1, 9}, {"a", 2, 8}, {"c", 3, 7}});
  EXPECT_EQ(SortedNames(list, 3, kSortDescending), (Names{"c", "b", "a"}));
  EXPECT_EQ(SortedNames(list, 6, kSortAscending), (Names{"c", "a", "b"}));
  bool asked = false;
  const ExplorerPlaces places = [&](const std::vector<FileEntry>& entries) {
    asked = true;
    return std::vector<size_t>(entries.size());
  };
  for (const int kind : {0, 12, 24}) {
    EXPECT_EQ(SortedNames(list, kind, kSortDescending, places), (Names{"c", "a", "b"})) << kind;
  }
  EXPECT_FALSE(asked) << "only 8 is Explorer's order";
}

// cafe.bmp and café.bmp were one entry when both were listed as "cafe.bmp".
// Names code page 932 cannot hold come after the others, by UTF-16 units,
// in the list's direction, and by name when time or size tie.
TEST(CompareFileEntriesTest, NamesCodePage932CannotHoldComeAfterAndStayApart) {
  std::vector<FileEntry> list = Entries({{"予定.bmp"}, {"cafe.bmp"}, {"z.bmp"}});
  list.push_back(Unheld("caf\xC3\xA9.bmp"));
  list.push_back(Unheld("\xED\x95\x9C\xEA\xB8\x80.bmp"));
  list.push_back(Unheld("\xF0\x9F\x98\x80.bmp"));
  const Names ascending{"cafe.bmp",
                        "z.bmp",
                        "予定.bmp",
                        "caf\xC3\xA9.bmp",
                        "\xED\x95\x9C\xEA\xB8\x80.bmp",
                        "\xF0\x9F\x98\x80.bmp"};
  EXPECT_EQ(SortedNames(list, kSortByName, kSortAscending), ascending);
  EXPECT_EQ(SortedNames(list, kSortByName, kSortDescending),
            Names(ascending.rbegin(), ascending.rend()));
  EXPECT_EQ(SortedNames(list, kSortBySize, kSortAscending), ascending);
  EXPECT_NE(CompareFileEntries(list[1], list[3], kSortByName, kSortAscending), 0);
  EXPECT_EQ(FindShownIndex(list, list[3].Name), 3u);
  EXPECT_EQ(FindShownIndex(list, L"cafe.bmp"), 1u);
}

// Places as the platform gives them (numbers by value, letters without
// case), from a table by name.
ExplorerPlaces PlacesFrom(const std::vector<std::pair<std::string, size_t>>& table) {
  return [table](const std::vector<FileEntry>& list) {
    std::vector<size_t> places;
    for (const FileEntry& entry : list) {
      for (const auto& [name, place] : table) {
        if (entry.Cp932Name == name) places.push_back(place);
      }
    }
    return places;
  };
}

// Names where the platform's order differs from the bytes': digits, letter
// case, double-byte names (full-width digits and letters), and names the
// platform holds equal ("FILE2" and "file2", "Ａ" and "ａ").
const std::vector<FileEntry> kExplorerFolder = Entries({{"file10.jpg"},
                                                        {"file2.jpg"},
                                                        {"FILE2.jpg"},
                                                        {"写真１０.jpg"},
                                                        {"写真９.jpg"},
                                                        {"file1.jpg"},
                                                        {"ａ.jpg"},
                                                        {"Ａ.jpg"},
                                                        {"b.jpg"}});
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
  EXPECT_EQ(SortedNames(Entries({{"file10"}, {"file2"}}), kSortByName, kSortAscending, places),
            (Names{"file10", "file2"}));
  SortedNames(Entries({{"b", 1}, {"a", 2}}), kSortBySize, kSortDescending, places);
  EXPECT_FALSE(asked);
}

TEST(SortFileListTest, ExplorerOrderWithoutFittingPlacesKeepsToNames) {
  const std::vector<FileEntry> list = Entries({{"file2"}, {"file10"}, {"File1"}});
  const ExplorerPlaces tooFew = [](const std::vector<FileEntry>&) {
    return std::vector<size_t>{0};
  };
  EXPECT_EQ(SortedNames(list, kSortByExplorerOrder, kSortAscending, tooFew),
            (Names{"File1", "file10", "file2"}));
  EXPECT_EQ(SortedNames(list, kSortByExplorerOrder, kSortDescending, {}),
            (Names{"file2", "file10", "File1"}));
}

TEST(FindShownIndexTest, MatchesExactBytesOnly) {
  const std::vector<FileEntry> list = Entries({{"a.jpg"}, {"B.jpg"}, {"写真.jpg"}});
  EXPECT_EQ(FindShownIndex(list, list[1].Name), 1u);
  EXPECT_EQ(FindShownIndex(list, list[2].Name), 2u);
  EXPECT_EQ(FindShownIndex(list, L"b.jpg"), 3u) << "letter case counts";
  EXPECT_EQ(FindShownIndex(list, L"a.jp"), 3u);
  EXPECT_EQ(FindShownIndex({}, L"a.jpg"), 0u);
}

}  // namespace
}  // namespace bex
