// Explorer's order through the platform's own comparison: the names reach it
// as wide text (double-byte names included, a trail byte 0x5C no separator)
// and names it holds equal share their place, for the list to order by bytes.
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "filelist/folder_listing_win.h"

namespace bex {
namespace {

std::vector<size_t> Places(const std::vector<std::string>& names) {
  std::vector<FileEntry> list;
  for (const std::string& name : names) list.push_back({name});
  return PlacesInExplorerOrder(list);
}

TEST(PlacesInExplorerOrder, NumbersByValueAndLetterCaseIgnored) {
  const std::vector<size_t> places = Places({"file10.jpg", "file2.jpg", "File1.jpg", "FILE2.jpg"});
  ASSERT_EQ(places.size(), 4u);
  EXPECT_LT(places[2], places[1]) << "File1 before file2";
  EXPECT_LT(places[1], places[0]) << "file2 before file10";
  EXPECT_EQ(places[1], places[3]) << "file2 and FILE2 are equal";
}

TEST(PlacesInExplorerOrder, DoubleByteNamesCompareAsTheirCharacters) {
  // 表 is 0x95 0x5C; as bytes read one by one its trail byte would be "\".
  const std::vector<size_t> places = Places({"表10.jpg", "表9.jpg", "写真.jpg", "写真.jpg"});
  ASSERT_EQ(places.size(), 4u);
  EXPECT_LT(places[1], places[0]) << "表9 before 表10";
  EXPECT_EQ(places[2], places[3]);
  EXPECT_NE(places[0], places[2]);
}

TEST(PlacesInExplorerOrder, AnEmptyListHasNoPlaces) { EXPECT_TRUE(Places({}).empty()); }

}  // namespace
}  // namespace bex
