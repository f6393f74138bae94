// The move of one file on real files under Wine, to a drive on another file
// system: copied under a temporary name and given its own only when whole,
// never over another file, with the leftovers of moves cut short removed.
#include <algorithm>
#include <gtest/gtest.h>

#include "common/code_page_win.h"
#include "move/move_file_win.h"
#include "support/linux_host.h"
#include "support/test_files.h"
#include "support/wine_paths.h"

namespace bex {
namespace {

using test::FilesIn;
using test::ReadFileBytes;
using test::WriteFileBytes;

TEST(MoveOneFile, ToAnotherDriveRemovesLeftoversKeepsCopiesInProgressAndReplacesNothing) {
  const std::optional<test::MappedDrive> drive = test::MappedDrive::Map("moves");
  ASSERT_TRUE(drive) << "no drive letter could be mapped to /dev/shm";
  const std::string folder = test::NewScratchFolder("move-one-file");
  const std::string source = folder + "\\a.bin";
  const std::string bytes(3 << 20, 'm');
  WriteFileBytes(source, bytes);
  WriteFileBytes(drive->Root() + "\\~bexmove0000abcd.tmp", "left by a viewer killed");
  WriteFileBytes(drive->Root() + "\\~bexmove0000beef.tmp", "being written by another");
  const auto inProgress = test::HoldOpen(drive->Root() + "\\~bexmove0000beef.tmp");
  WriteFileBytes(drive->Root() + "\\taken.bin", "someone's");

  EXPECT_NE(MoveOneFile(FromCp932(source), FromCp932(drive->Root() + "\\taken.bin")),
            DWORD{ERROR_SUCCESS});
  EXPECT_EQ(ReadFileBytes(drive->Root() + "\\taken.bin"), "someone's");
  EXPECT_EQ(ReadFileBytes(source), bytes);

  EXPECT_EQ(MoveOneFile(FromCp932(source), FromCp932(drive->Root() + "\\a.bin")),
            DWORD{ERROR_SUCCESS});
  EXPECT_EQ(ReadFileBytes(drive->Root() + "\\a.bin"), bytes);
  EXPECT_FALSE(test::FileExists(source));
  std::vector<std::string> files = FilesIn(drive->Root());
  std::sort(files.begin(), files.end());
  EXPECT_EQ(files, (std::vector<std::string>{"a.bin", "taken.bin", "~bexmove0000beef.tmp"}));
}

}  // namespace
}  // namespace bex
