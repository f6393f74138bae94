#include "filelist/file_list.h"

#include <gtest/gtest.h>
#include <string>
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

TEST(CompareFileEntriesTest, UnknownSortKindFallsBackToName) {
  const std::vector<FileEntry> list = Entries({{"b", 1, 9}, {"a", 2, 8}});
  EXPECT_EQ(SortedNames(list, 0, kSortAscending), (Names{"a", "b"}));
  EXPECT_EQ(SortedNames(list, 3, kSortDescending), (Names{"b", "a"}));
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
