#include "move/recycled_files.h"

#include <gtest/gtest.h>

namespace bex {
namespace {

TEST(RecycledFiles, TheOriginalPathKeepsTheExtensionTheBinHides) {
  EXPECT_EQ(OriginalPathOf({L"C:\\pics", L"a.jpg", L"a.jpg", 0}), L"C:\\pics\\a.jpg");
  EXPECT_EQ(OriginalPathOf({L"C:\\pics", L"a", L"C:\\$Recycle.Bin\\S-1\\$R0X1.jpg", 0}),
            L"C:\\pics\\a.jpg");
  EXPECT_EQ(OriginalPathOf({L"C:\\pics", L"a.JPG", L"$RAB.jpg", 0}), L"C:\\pics\\a.JPG");
  EXPECT_EQ(OriginalPathOf({L"C:\\", L"noext", L"C:\\bin.d\\$R9", 0}), L"C:\\noext")
      << "a dot in the stored name's folder is no extension";
}

TEST(RecycledFiles, TheNewestFileFromThePathIsChosenWhateverTheCase) {
  const std::vector<RecycledFile> files = {
      {L"C:\\pics", L"a.jpg", L"a.jpg", 10}, {L"C:\\pics", L"b.jpg", L"b.jpg", 50},
      {L"c:\\PICS", L"A.jpg", L"A.jpg", 30}, {L"C:\\other", L"a.jpg", L"a.jpg", 90},
      {L"C:\\pics", L"a.jpg", L"a.jpg", 30}, {L"C:\\pics", L"a", L"$R1.png", 99},
  };
  EXPECT_EQ(NewestDeletedFrom(files, L"C:\\pics\\a.jpg"), 2u) << "the first of two at 30";
  EXPECT_EQ(NewestDeletedFrom(files, L"C:\\pics\\a.png"), 5u);
  EXPECT_EQ(NewestDeletedFrom(files, L"C:\\pics\\c.jpg"), std::nullopt);
  EXPECT_EQ(NewestDeletedFrom({}, L"C:\\pics\\a.jpg"), std::nullopt);
}

TEST(RecycledFiles, MarkedFilesAreFoundBySizeNearestDeletionTimeFirst) {
  // Two files deleted from the same path in the same minute, which is all
  // the time a bin may tell; one bin gives sizes as numbers, another as text.
  const std::vector<RecycledFile> files = {
      {L"C:\\pics", L"a.jpg", L"a.jpg", 30, std::nullopt, L"4 KB"},
      {L"C:\\pics", L"a.jpg", L"a.jpg", 30, std::nullopt, L"14 KB"},
      {L"C:\\pics", L"a.jpg", L"$R1.jpg", 10, 100, L""},
      {L"C:\\pics", L"a.jpg", L"$R2.jpg", 20, 100, L""},
      {L"C:\\other", L"a.jpg", L"a.jpg", 30, std::nullopt, L"14 KB"},
  };
  using Indexes = std::vector<size_t>;
  EXPECT_EQ(MarkedDeletedFrom(files, L"C:\\pics\\a.jpg", {30.4, 14000, L"14 KB"}), Indexes{1});
  EXPECT_EQ(MarkedDeletedFrom(files, L"C:\\pics\\a.jpg", {29.9, 3500, L"4 KB"}), Indexes{0});
  EXPECT_EQ(MarkedDeletedFrom(files, L"C:\\pics\\a.jpg", {12, 100, L"1 KB"}), (Indexes{2, 3}));
  EXPECT_EQ(MarkedDeletedFrom(files, L"C:\\pics\\a.jpg", {18, 100, L"1 KB"}), (Indexes{3, 2}));
  EXPECT_EQ(MarkedDeletedFrom(files, L"C:\\pics\\a.jpg", {15, 100, L"1 KB"}), (Indexes{2, 3}))
      << "equals in their order";
  EXPECT_EQ(MarkedDeletedFrom(files, L"C:\\pics\\a.jpg", {30, 7, L"7 KB"}), Indexes{})
      << "no file of that size";
}

}  // namespace
}  // namespace bex
