// Explorer's order through the platform's own comparison: the names reach it
// as the wide names they are (names code page 932 cannot hold included) and
// names it holds equal share their place, for the list to order by name.
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "common/code_page_win.h"
#include "filelist/folder_listing_win.h"

namespace bex {
namespace {

std::vector<size_t> Places(const std::vector<std::wstring>& names) {
  std::vector<FileEntry> list;
  for (const std::wstring& name : names) list.push_back({name, 0, 0, ExactCp932(name)});
  return PlacesInExplorerOrder(list);
}

TEST(PlacesInExplorerOrder, NumbersByValueAndLetterCaseIgnored) {
  const std::vector<size_t> places =
      Places({L"file10.jpg", L"file2.jpg", L"File1.jpg", L"FILE2.jpg"});
  ASSERT_EQ(places.size(), 4u);
  EXPECT_LT(places[2], places[1]) << "File1 before file2";
  EXPECT_LT(places[1], places[0]) << "file2 before file10";
  EXPECT_EQ(places[1], places[3]) << "file2 and FILE2 are equal";
}

TEST(PlacesInExplorerOrder, NamesOfAnyLanguageCompareAsTheirCharacters) {
  const std::vector<size_t> places =
      Places({L"表10.jpg", L"表9.jpg", L"写真.jpg", L"写真.jpg", L"caf\u00e910.jpg",
              L"caf\u00e99.jpg", L"\ud55c2.jpg", L"\ud55c10.jpg"});
  ASSERT_EQ(places.size(), 8u);
  EXPECT_LT(places[1], places[0]) << "表9 before 表10";
  EXPECT_EQ(places[2], places[3]);
  EXPECT_NE(places[0], places[2]);
  EXPECT_LT(places[5], places[4]) << "9 before 10 after a name code page 932 cannot hold";
  EXPECT_LT(places[6], places[7]) << "2 before 10 after Hangul";
}

TEST(PlacesInExplorerOrder, AnEmptyListHasNoPlaces) { EXPECT_TRUE(Places({}).empty()); }

}  // namespace
}  // namespace bex
