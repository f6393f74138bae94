#include "common/file_version.h"

#include <gtest/gtest.h>

namespace bex {
namespace {

constexpr FileVersion kShown{100, 5, 7, 1};

FileLook Found(FileVersion version) { return {FileLook::Found::kVersion, version}; }
const FileLook kGone{FileLook::Found::kGone, {}};
const FileLook kUnknown{FileLook::Found::kUnknown, {}};

TEST(OutOfDate, AFileWrittenOverReplacedOrGoneIs) {
  EXPECT_FALSE(OutOfDate(kShown, Found(kShown)));
  EXPECT_TRUE(OutOfDate(kShown, Found({100, 6, 7, 1}))) << "written over";
  EXPECT_TRUE(OutOfDate(kShown, Found({100, 5, 8, 1}))) << "replaced";
  EXPECT_TRUE(OutOfDate(kShown, kGone));
  EXPECT_TRUE(OutOfDate(std::nullopt, kGone));
}

// A version that cannot be told, then or now, is no change: the commands
// act and the steps keep the picture decoded ahead, as without the check.
TEST(OutOfDate, AVersionThatCannotBeToldIsNot) {
  EXPECT_FALSE(OutOfDate(kShown, kUnknown));
  EXPECT_FALSE(OutOfDate(std::nullopt, kUnknown));
  EXPECT_FALSE(OutOfDate(std::nullopt, Found(kShown)));
}

}  // namespace
}  // namespace bex
