#include "filelist/sort_choice.h"

#include <gtest/gtest.h>

namespace bex {
namespace {

TEST(SortKeyChoiceIndex, IsTheShownChoicesPlaceInTheDialogs) {
  EXPECT_EQ(SortKeyChoiceIndex(1), 0u);
  EXPECT_EQ(SortKeyChoiceIndex(2), 1u);
  EXPECT_EQ(SortKeyChoiceIndex(0), 2u);
  EXPECT_EQ(SortKeyChoiceIndex(8), 3u);
}

// The dialogs show the key the list is sorted by (SortKeyOf).
TEST(SortKeyChoiceIndex, ShowsTheKeyTheListOrdersBy) {
  for (const int kind : {3, 6, 9, 10, 12, 24, 16, -12}) {
    EXPECT_EQ(kSortKeyChoices[SortKeyChoiceIndex(kind)], SortKeyOf(kind)) << kind;
  }
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
