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

}  // namespace
}  // namespace bex
