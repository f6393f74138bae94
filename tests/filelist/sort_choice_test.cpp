#include "filelist/sort_choice.h"

#include <gtest/gtest.h>

namespace bex {
namespace {

TEST(SortKindChoice, NameWinsOverDateDateOverExplorerOrderAndThatOverSize) {
  EXPECT_EQ(SortKindChoice(1), kSortByName);
  EXPECT_EQ(SortKindChoice(3), kSortByName);
  EXPECT_EQ(SortKindChoice(7), kSortByName);
  EXPECT_EQ(SortKindChoice(9), kSortByName);
  EXPECT_EQ(SortKindChoice(2), kSortByTime);
  EXPECT_EQ(SortKindChoice(6), kSortByTime);
  EXPECT_EQ(SortKindChoice(10), kSortByTime);
  EXPECT_EQ(SortKindChoice(8), kSortByExplorerOrder);
  EXPECT_EQ(SortKindChoice(12), kSortByExplorerOrder);
  EXPECT_EQ(SortKindChoice(4), kSortBySize);
}

TEST(SortKindChoice, ValuesWithoutTheNameDateAndExplorerBitsShowSize) {
  EXPECT_EQ(SortKindChoice(0), kSortBySize);
  EXPECT_EQ(SortKindChoice(16), kSortBySize);
  EXPECT_EQ(SortKindChoice(-12), kSortBySize);
}

TEST(SortKeyChoiceIndex, IsTheShownChoicesPlaceInTheDialogs) {
  EXPECT_EQ(SortKeyChoiceIndex(1), 0u);
  EXPECT_EQ(SortKeyChoiceIndex(2), 1u);
  EXPECT_EQ(SortKeyChoiceIndex(0), 2u);
  EXPECT_EQ(SortKeyChoiceIndex(8), 3u);
}

TEST(ChosenSortKind, IsTheSumOfTheChosenKeys) {
  EXPECT_EQ(ChosenSortKind(true, false, false, false), 1);
  EXPECT_EQ(ChosenSortKind(false, true, false, false), 2);
  EXPECT_EQ(ChosenSortKind(false, false, true, false), 4);
  EXPECT_EQ(ChosenSortKind(false, false, false, true), 8);
  EXPECT_EQ(ChosenSortKind(false, false, false, false), 0);
}

TEST(ChosenSortDirection, AscendingIsOneDescendingZero) {
  EXPECT_EQ(ChosenSortDirection(true), 1);
  EXPECT_EQ(ChosenSortDirection(false), 0);
}

}  // namespace
}  // namespace bex
