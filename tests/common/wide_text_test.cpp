#include "common/wide_text.h"

#include <gtest/gtest.h>

namespace bex {
namespace {

// A character beyond U+FFFF: two units where wchar_t has 16 bits.
const std::wstring kGrinning = sizeof(wchar_t) == 2 ? std::wstring{wchar_t(0xD83D), wchar_t(0xDE00)}
                                                    : std::wstring{wchar_t(0x1F600)};

TEST(Utf8, EveryNameComesBackUnchanged) {
  const std::wstring names[] = {L"cafe.bmp",         L"caf\u00e9.bmp",    L"\ud55c\uae00.bmp",
                                kGrinning + L".bmp", L"\u4e88\u5b9a.bmp", L""};
  for (const std::wstring& name : names) EXPECT_EQ(Utf8ToWide(WideToUtf8(name)), name);
  EXPECT_EQ(WideToUtf8(L"caf\u00e9"), "caf\xC3\xA9");
  EXPECT_EQ(WideToUtf8(kGrinning), "\xF0\x9F\x98\x80");
}

TEST(Utf8, ALoneSurrogateOfAFileNameSurvives) {
  if (sizeof(wchar_t) != 2) GTEST_SKIP() << "surrogates are UTF-16 units";
  const std::wstring lone{L'a', wchar_t(0xD800), L'b', wchar_t(0xDC01)};
  EXPECT_EQ(WideToUtf8(lone),
            "a\xED\xA0\x80"
            "b\xED\xB0\x81");
  EXPECT_EQ(Utf8ToWide(WideToUtf8(lone)), lone);
}

TEST(Utf8, BrokenBytesBecomeReplacementCharacters) {
  EXPECT_EQ(Utf8ToWide("a\xFF"
                       "b"),
            L"a\ufffd"
            L"b");
  EXPECT_EQ(Utf8ToWide("\xC3"), L"\ufffd");                                // cut short
  EXPECT_EQ(Utf8ToWide("\xC0\xAF"), L"\ufffd\ufffd");                      // overlong "/"
  EXPECT_EQ(Utf8ToWide("\xE3\x81"), L"\ufffd\ufffd");                      // cut short
  EXPECT_EQ(Utf8ToWide("\xF4\x90\x80\x80"), L"\ufffd\ufffd\ufffd\ufffd");  // beyond U+10FFFF
}

TEST(Utf16Order, CodeUnitsDecideAndAPrefixComesFirst) {
  EXPECT_LT(CompareUtf16(L"a", L"b"), 0);
  EXPECT_LT(CompareUtf16(L"B", L"a"), 0);
  EXPECT_LT(CompareUtf16(L"ab", L"abc"), 0);
  EXPECT_EQ(CompareUtf16(L"\ud55c", L"\ud55c"), 0);
  // In UTF-16 a character beyond U+FFFF (a surrogate pair) sorts before U+E000.
  EXPECT_LT(CompareUtf16(L"\ud55c", kGrinning), 0);
  EXPECT_LT(CompareUtf16(kGrinning, L"\uff21"), 0);
  EXPECT_GT(CompareUtf16(L"\uff21", kGrinning), 0);
}

TEST(WidePathParts, SplitJoinAndExtension) {
  EXPECT_EQ(FileNamePart(L"D:\\pics\\caf\u00e9.bmp"), L"caf\u00e9.bmp");
  EXPECT_EQ(FolderPart(L"D:\\pics\\caf\u00e9.bmp"), L"D:\\pics\\");
  EXPECT_EQ(FileNamePart(L"D:a.jpg"), L"a.jpg");
  EXPECT_EQ(FolderPart(L"a.jpg"), L"");
  // 表 (U+8868) is one unit: no byte of it is taken for "\".
  EXPECT_EQ(FolderPart(L"D:\\\u8868\\x.bmp"), L"D:\\\u8868\\");
  EXPECT_EQ(UpperExtension(L"D:\\x.y\\\ud55c.bmp"), L".BMP");
  EXPECT_EQ(UpperExtension(L"D:\\x.y\\name"), L"");
  EXPECT_EQ(UpperExtension(L"a.\u00e9pg"), L".\u00e9PG");
  EXPECT_EQ(JoinPath(L"D:\\", L"a"), L"D:\\a");
  EXPECT_EQ(JoinPath(L"D:\\pics", L"a"), L"D:\\pics\\a");
}

// A message holding a long path of any language fits the screen: lines cut
// after a "\" or at the width, never inside a character beyond U+FFFF.
TEST(BreakLongLines, CutsWideLinesAfterABackslashOrAtTheWidthNeverInASurrogatePair) {
  const auto within = [](size_t width) {
    return [width](std::wstring_view line) { return line.size() <= width; };
  };
  EXPECT_EQ(BreakLongLines(L"C:\\ab\\cd\\ef.jpg\nshort", within(8)),
            L"C:\\ab\\\ncd\\\nef.jpg\nshort");
  // U+1F600 as its two UTF-16 units, as a wide name holds it.
  EXPECT_EQ(BreakLongLines(L"abc\xD83D\xDE00"
                           L"de",
                           within(4)),
            L"abc\n\xD83D\xDE00"
            L"de");
  EXPECT_EQ(BreakLongLines(L"ab\n\nc", within(0)), L"a\nb\n\nc");
}

}  // namespace
}  // namespace bex
