#include "common/command_line.h"

#include <gtest/gtest.h>

namespace bex {
namespace {

using Args = std::vector<std::wstring>;

TEST(SplitCommandLine, BlanksAndControlCharactersSeparate) {
  EXPECT_EQ(SplitCommandLine(L"bex.exe a.bmp  b.bmp\tc.bmp"),
            (Args{L"bex.exe", L"a.bmp", L"b.bmp", L"c.bmp"}));
  EXPECT_EQ(SplitCommandLine(L"   "), Args{});
}

TEST(SplitCommandLine, QuotesHoldBlanksAndAreDropped) {
  EXPECT_EQ(SplitCommandLine(L"\"C:\\Program Files\\bex.exe\" \"my pics\\a b.bmp\" x"),
            (Args{L"C:\\Program Files\\bex.exe", L"my pics\\a b.bmp", L"x"}));
  EXPECT_EQ(SplitCommandLine(L"a\"b c\"d"), Args{L"ab cd"});
  EXPECT_EQ(SplitCommandLine(L"\"\""), Args{L""});
}

TEST(BuildParameters, EachNameFollowedByABlankAndQuotedWhenNeeded) {
  EXPECT_EQ(BuildParameters({L"D:\\a.bmp", L"D:\\b.bmp"}), L"D:\\a.bmp D:\\b.bmp ");
  EXPECT_EQ(BuildParameters({L"D:\\my pics\\a.bmp"}), L"\"D:\\my pics\\a.bmp\" ");
}

TEST(BuildParameters, SplitsBackIntoTheSameNames) {
  const Args names = {L"D:\\my pics\\a.bmp", L"b.bmp", L"D:\\\u8868.jpg",
                      L"caf\u00e9 \ud55c\U0001F600.bmp", L"tab\there"};
  Args split = SplitCommandLine(L"bex.exe " + BuildParameters(names));
  split.erase(split.begin());
  EXPECT_EQ(split, names);
}

}  // namespace
}  // namespace bex
