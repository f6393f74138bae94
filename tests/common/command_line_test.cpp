#include "common/command_line.h"

#include <gtest/gtest.h>

namespace bex {
namespace {

using Args = std::vector<std::string>;

TEST(SplitCommandLine, BlanksAndControlCharactersSeparate) {
  EXPECT_EQ(SplitCommandLine("bex.exe a.bmp  b.bmp\tc.bmp"),
            (Args{"bex.exe", "a.bmp", "b.bmp", "c.bmp"}));
  EXPECT_EQ(SplitCommandLine("   "), Args{});
}

TEST(SplitCommandLine, QuotesHoldBlanksAndAreDropped) {
  EXPECT_EQ(SplitCommandLine("\"C:\\Program Files\\bex.exe\" \"my pics\\a b.bmp\" x"),
            (Args{"C:\\Program Files\\bex.exe", "my pics\\a b.bmp", "x"}));
  EXPECT_EQ(SplitCommandLine("a\"b c\"d"), Args{"ab cd"});
  EXPECT_EQ(SplitCommandLine("\"\""), Args{""});
}

TEST(BuildParameters, EachNameFollowedByABlankAndQuotedWhenNeeded) {
  EXPECT_EQ(BuildParameters({"D:\\a.bmp", "D:\\b.bmp"}), "D:\\a.bmp D:\\b.bmp ");
  EXPECT_EQ(BuildParameters({"D:\\my pics\\a.bmp"}), "\"D:\\my pics\\a.bmp\" ");
}

TEST(BuildParameters, SplitsBackIntoTheSameNames) {
  const Args names = {"D:\\my pics\\a.bmp", "b.bmp", "D:\\\x95\x5C.jpg", "tab\there"};
  Args split = SplitCommandLine("bex.exe " + BuildParameters(names));
  split.erase(split.begin());
  EXPECT_EQ(split, names);
}

}  // namespace
}  // namespace bex
