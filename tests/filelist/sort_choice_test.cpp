#include "filelist/sort_choice.h"

#include <gtest/gtest.h>

namespace bex {
namespace {

TEST(SortKindChoice, NameWinsOverDateAndDateOverSize) {
  EXPECT_EQ(SortKindChoice(1), kSortByName);
  EXPECT_EQ(SortKindChoice(3), kSortByName);
  EXPECT_EQ(SortKindChoice(7), kSortByName);
  EXPECT_EQ(SortKindChoice(2), kSortByTime);
  EXPECT_EQ(SortKindChoice(6), kSortByTime);
  EXPECT_EQ(SortKindChoice(4), kSortBySize);
}

TEST(SortKindChoice, ValuesWithoutTheNameAndDateBitsShowSize) {
  EXPECT_EQ(SortKindChoice(0), kSortBySize);
  EXPECT_EQ(SortKindChoice(8), kSortBySize);
  EXPECT_EQ(SortKindChoice(-4), kSortBySize);
}

TEST(ChosenSortKind, IsTheSumOfTheChosenKeys) {
  EXPECT_EQ(ChosenSortKind(true, false, false), 1);
  EXPECT_EQ(ChosenSortKind(false, true, false), 2);
  EXPECT_EQ(ChosenSortKind(false, false, true), 4);
  EXPECT_EQ(ChosenSortKind(false, false, false), 0);
}

TEST(ChosenSortDirection, AscendingIsOneDescendingZero) {
  EXPECT_EQ(ChosenSortDirection(true), 1);
  EXPECT_EQ(ChosenSortDirection(false), 0);
}

}  // namespace
}  // namespace bex
