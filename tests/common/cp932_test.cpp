#include "common/cp932.h"

#include <gtest/gtest.h>

namespace bex {
namespace {

// 表 is 0x95 0x5C in code page 932: its second byte is the byte of "\".
const std::string kHyo = "\x95\x5C";

TEST(PathParts, SplitAtTheLastBackslashOrColon) {
  EXPECT_EQ(FileNamePart("D:\\pics\\a.jpg"), "a.jpg");
  EXPECT_EQ(FolderPart("D:\\pics\\a.jpg"), "D:\\pics\\");
  EXPECT_EQ(FileNamePart("D:a.jpg"), "a.jpg");
  EXPECT_EQ(FolderPart("D:a.jpg"), "D:");
  EXPECT_EQ(FileNamePart("a.jpg"), "a.jpg");
  EXPECT_EQ(FolderPart("a.jpg"), "");
  EXPECT_EQ(FileNamePart("D:\\pics\\"), "");
}

TEST(PathParts, TrailByteOfADoubleByteCharacterIsNoDelimiter) {
  const std::string path = "D:\\pics\\" + kHyo + ".jpg";
  EXPECT_EQ(FileNamePart(path), kHyo + ".jpg");
  EXPECT_EQ(FolderPart(path), "D:\\pics\\");
  const std::string folder = "D:\\" + kHyo + "\\x.bmp";
  EXPECT_EQ(FolderPart(folder), "D:\\" + kHyo + "\\");
  // A lone lead byte at the very end is a character of its own.
  EXPECT_EQ(LastPathDelimiter(std::string("a\\\x95")), 1u);
}

TEST(UpperExtension, FromTheLastDotOfTheNameUpperCased) {
  EXPECT_EQ(UpperExtension("photo.jpg"), ".JPG");
  EXPECT_EQ(UpperExtension("photo.Bmp"), ".BMP");
  EXPECT_EQ(UpperExtension("photo.bmp.jpg"), ".JPG");
  EXPECT_EQ(UpperExtension("noext"), "");
  EXPECT_EQ(UpperExtension("dir.d\\noext"), "") << "a dot of the folder does not count";
  EXPECT_EQ(UpperExtension("D:\\" + kHyo + ".png"), ".PNG");
}

TEST(UpperExtension, LeavesTrailBytesInTheLetterRangeAlone) {
  // ャ is 0x83 0x62: its trail byte is the byte of "b" and must stay as it is.
  const std::string ext = ".\x83\x62";
  EXPECT_EQ(UpperExtension("x" + ext), ext);
}

TEST(JoinPath, AddsOneBackslash) {
  EXPECT_EQ(JoinPath("D:\\pics", "a.jpg"), "D:\\pics\\a.jpg");
  EXPECT_EQ(JoinPath("D:\\", "a.jpg"), "D:\\a.jpg");
  // A folder ending in 表 ends in the byte 0x5C but not in a backslash.
  EXPECT_EQ(JoinPath("D:\\" + kHyo, "a.jpg"), "D:\\" + kHyo + "\\a.jpg");
}

TEST(LastCharacter, KeepsDoubleByteCharactersWhole) {
  EXPECT_EQ(LastCharacter(""), "");
  EXPECT_EQ(LastCharacter("abc"), "c");
  EXPECT_EQ(LastCharacter("a" + kHyo), kHyo);
}

TEST(BreakLongLines, CutsLinesThatDoNotFitAfterABackslashOrAtTheWidthNeverInACharacter) {
  const auto within = [](size_t width) {
    return [width](std::string_view line) { return line.size() <= width; };
  };
  EXPECT_EQ(BreakLongLines("C:\\ab\\cd\\ef.jpg\nshort", within(8)),
            "C:\\ab\\\ncd\\\nef.jpg\nshort");
  EXPECT_EQ(BreakLongLines("abcdefghij", within(4)), "abcd\nefgh\nij") << "no backslash to end at";
  // 表 (0x95 0x5C) at bytes 3 and 4 stays whole, and its trail byte is no backslash.
  EXPECT_EQ(BreakLongLines("abc" + kHyo + "de", within(4)), "abc\n" + kHyo + "de");
  EXPECT_EQ(BreakLongLines("", within(4)), "");
  EXPECT_EQ(BreakLongLines("ab\n\nc", within(0)), "a\nb\n\nc") << "one character a line at least";
}

}  // namespace
}  // namespace bex
