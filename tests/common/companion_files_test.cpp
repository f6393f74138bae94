#include "common/companion_files.h"

#include <gtest/gtest.h>

namespace bex {
namespace {

TEST(Companions, SameStemAndACompanionKindInAnyLetterCase) {
  const std::vector<std::wstring> folder = {L"IMG_0001.JPG", L"IMG_0001.CR2",     L"img_0001.xmp",
                                            L"IMG_0001.Mov", L"IMG_0001.aae",     L"IMG_0001.PNG",
                                            L"IMG_0002.CR2", L"IMG_0001.JPG.xmp", L"IMG_00011.NEF",
                                            L"IMG_0001",     L"IMG_0001.",        L"IMG_0001.dng"};
  EXPECT_EQ(CompanionsAmong(L"IMG_0001.JPG", folder),
            (std::vector<std::wstring>{L"IMG_0001.CR2", L"img_0001.xmp", L"IMG_0001.Mov",
                                       L"IMG_0001.aae", L"IMG_0001.dng"}));
}

TEST(Companions, EveryKindCounts) {
  for (const wchar_t* ext : {L"CR2", L"cr3", L"NEF", L"nrw", L"ARW", L"sr2", L"RAF", L"orf", L"RW2",
                             L"pef", L"DNG", L"srw", L"X3F", L"xmp", L"AAE", L"mov"}) {
    EXPECT_TRUE(IsCompanionOf(L"a.jpg", std::wstring(L"A.") + ext)) << ext;
  }
  EXPECT_FALSE(IsCompanionOf(L"a.jpg", L"a.tif"));
  EXPECT_FALSE(IsCompanionOf(L"a.jpg", L"a.mp4"));
}

TEST(Companions, TheShownFileIsNotItsOwnCompanion) {
  EXPECT_FALSE(IsCompanionOf(L"a.DNG", L"A.dng"));
  EXPECT_TRUE(IsCompanionOf(L"a.DNG", L"a.xmp"));
  // Without an extension the whole name is the stem.
  EXPECT_TRUE(IsCompanionOf(L"shot", L"shot.CR2"));
  EXPECT_FALSE(IsCompanionOf(L"a.jpg", L""));
}

TEST(Companions, AWideStemIsComparedWhole) {
  EXPECT_TRUE(IsCompanionOf(L"\ud55c\uae00.jpg", L"\ud55c\uae00.CR2"));
  EXPECT_FALSE(IsCompanionOf(L"\ud55c\uae00.jpg", L"\ud55c.CR2"));
}

TEST(Companions, ARenamedPictureTakesItsCompanionsAlong) {
  EXPECT_EQ(CompanionNameBeside(L"beach.jpg", L"IMG_0001.CR2"), L"beach.CR2");
  EXPECT_EQ(CompanionNameBeside(L"beach", L"IMG_0001.xmp"), L"beach.xmp");
  EXPECT_EQ(CompanionNameBeside(L"IMG_0001.jpg", L"img_0001.Xmp"), L"img_0001.Xmp");
}

TEST(Companions, TheSearchFindsEveryExtensionOfTheStem) {
  EXPECT_EQ(CompanionSearchPattern(L"IMG_0001.JPG"), L"IMG_0001.*");
  EXPECT_EQ(CompanionSearchPattern(L"a.b.jpg"), L"a.b.*");
}

}  // namespace
}  // namespace bex
