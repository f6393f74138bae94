#include "common/profile_value.h"

#include <gtest/gtest.h>

namespace bex {
namespace {

TEST(ProfileInt, DecimalAndHexadecimalForms) {
  EXPECT_EQ(ParseProfileInt("141", 7), 141);
  EXPECT_EQ(ParseProfileInt("-2000", 7), -2000);
  EXPECT_EQ(ParseProfileInt("0x100", 7), 256);
  EXPECT_EQ(ParseProfileInt("0X1f", 7), 31);
  EXPECT_EQ(ParseProfileInt("$10", 7), 16);
  EXPECT_EQ(ParseProfileInt("0xFFFFFFFF", 7), -1) << "all 32 bits";
  EXPECT_EQ(ParseProfileInt("2147483647", 7), 2147483647);
  EXPECT_EQ(ParseProfileInt("-2147483648", 7), -2147483647 - 1);
}

TEST(ProfileInt, TextThatIsNoIntegerGivesTheDefault) {
  for (const char* text :
       {"", "abc", "12abc", "0x", "$", "1.5", " 12", "2147483648", "0x100000000", "-", "0xG"}) {
    EXPECT_EQ(ParseProfileInt(text, 7), 7) << text;
  }
  // "0x" needs more than two characters to be hexadecimal: "0x" alone is no number.
  EXPECT_FALSE(TryParseProfileInt("0x").has_value());
}

TEST(ProfileBool, AnyNonZeroIntegerIsTrue) {
  EXPECT_TRUE(ParseProfileBool("1", false));
  EXPECT_TRUE(ParseProfileBool("2", false));
  EXPECT_TRUE(ParseProfileBool("-1", false));
  EXPECT_FALSE(ParseProfileBool("0", true));
  EXPECT_TRUE(ParseProfileBool("yes", true)) << "unreadable text gives the default";
  EXPECT_FALSE(ParseProfileBool("", false));
}

}  // namespace
}  // namespace bex
