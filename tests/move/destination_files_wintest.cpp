// The data files' reading and whole-file replacing, on real files under Wine:
// a replace that cannot finish leaves the old file as it was and no
// temporary file beside it.
#include <gtest/gtest.h>

#include "common/code_page_win.h"
#include "move/destination_files_win.h"
#include "support/linux_host.h"
#include "support/test_files.h"
#include "support/wine_paths.h"

namespace bex {
namespace {

using test::FileExists;
using test::FilesIn;
using test::HoldOpen;
using test::ReadFileBytes;
using test::WriteFileBytes;

std::wstring Wide(const std::string& path) { return FromCp932(path); }

class DataFiles : public ::testing::Test {
 protected:
  std::string Path(const std::string& name) const { return folder_ + "\\" + name; }
  const std::string folder_ = test::NewScratchFolder("data-files");
};

TEST_F(DataFiles, LieBesideTheProgramWhateverTheCurrentDirectory) {
  wchar_t program[MAX_PATH];
  GetModuleFileNameW(nullptr, program, MAX_PATH);
  std::wstring expected = program;
  expected = expected.substr(0, expected.find_last_of(L'\\') + 1) + L"M_DIR.DAT";
  SetCurrentDirectoryA(folder_.c_str());
  EXPECT_EQ(DataFilePath(kDestinationsFileName), expected);
}

TEST_F(DataFiles, ExistFoundByADirectorySearchOfAnyKind) {
  WriteFileBytes(Path("file"), "");
  CreateDirectoryA(Path("folder").c_str(), nullptr);
  EXPECT_TRUE(PathExists(Path("file")));
  EXPECT_TRUE(PathExists(Path("folder")));
  EXPECT_FALSE(PathExists(Path("missing")));
  EXPECT_FALSE(PathExists(Path("missing\\file")));
}

TEST_F(DataFiles, AreReadWholeOrNotAtAll) {
  const std::string bytes = std::string("A : C:\\x\r\n\tB : [\x95\x5C]\r\n") + '\0' + "tail";
  WriteFileBytes(Path("M_DIR.DAT"), bytes);
  EXPECT_EQ(ReadWholeFile(Wide(Path("M_DIR.DAT"))), bytes);
  WriteFileBytes(Path("empty"), "");
  EXPECT_EQ(ReadWholeFile(Wide(Path("empty"))), "");
  EXPECT_EQ(ReadWholeFile(Wide(Path("missing"))), std::nullopt);
  CreateDirectoryA(Path("folder").c_str(), nullptr);
  EXPECT_EQ(ReadWholeFile(Wide(Path("folder"))), std::nullopt);
}

TEST_F(DataFiles, OfManyMegabytesAreReadWhole) {
  std::string bytes;
  for (int i = 0; bytes.size() <= (17u << 20); ++i)
    bytes += "A : C:\\" + std::to_string(i) + "\r\n";
  WriteFileBytes(Path("M_DIR.DAT"), bytes);
  DWORD error = ERROR_GEN_FAILURE;
  EXPECT_TRUE(ReadWholeFile(Wide(Path("M_DIR.DAT")), &error) == bytes);
  EXPECT_EQ(error, DWORD{ERROR_SUCCESS});
}

TEST_F(DataFiles, HeldOpenWithoutSharingDoNotReadAndSayWhy) {
  WriteFileBytes(Path("M_DIR.DAT"), "A : C:\\x\r\n");
  auto holder = HoldOpen(Path("M_DIR.DAT"));
  DWORD error = ERROR_SUCCESS;
  EXPECT_EQ(ReadWholeFile(Wide(Path("M_DIR.DAT")), &error), std::nullopt);
  EXPECT_EQ(error, DWORD{ERROR_SHARING_VIOLATION});
  holder.reset();
  EXPECT_EQ(ReadWholeFile(Wide(Path("M_DIR.DAT")), &error), "A : C:\\x\r\n");
}

TEST_F(DataFiles, AreCreatedAndReplacedWithoutATemporaryFileLeft) {
  EXPECT_EQ(ReplaceFileContent(Wide(Path("R_DIR.DAT")), "C:\\long\\first\r\n"),
            DWORD{ERROR_SUCCESS});
  EXPECT_EQ(ReadFileBytes(Path("R_DIR.DAT")), "C:\\long\\first\r\n");
  EXPECT_EQ(ReplaceFileContent(Wide(Path("R_DIR.DAT")), "D:\r\n"), DWORD{ERROR_SUCCESS});
  EXPECT_EQ(ReadFileBytes(Path("R_DIR.DAT")), "D:\r\n");
  EXPECT_EQ(ReplaceFileContent(Wide(Path("R_DIR.DAT")), ""), DWORD{ERROR_SUCCESS});
  EXPECT_EQ(ReadFileBytes(Path("R_DIR.DAT")), "");
  EXPECT_EQ(FilesIn(folder_), std::vector<std::string>{"R_DIR.DAT"});
  // In a folder whose name code page 932 cannot hold, as the program's may be.
  const std::wstring outside = Wide(folder_) + L"\\M\u00fcller";
  ASSERT_TRUE(CreateDirectoryW(outside.c_str(), nullptr));
  EXPECT_EQ(ReplaceFileContent(outside + L"\\R_DIR.DAT", "E:\r\n"), DWORD{ERROR_SUCCESS});
  EXPECT_EQ(ReadWholeFile(outside + L"\\R_DIR.DAT"), "E:\r\n");
}

TEST_F(DataFiles, ThatCannotBeReplacedStayAsTheyWere) {
  CreateDirectoryA(Path("M_DIR.DAT").c_str(), nullptr);
  EXPECT_NE(ReplaceFileContent(Wide(Path("M_DIR.DAT")), "-\r\n"), DWORD{ERROR_SUCCESS})
      << "a folder of that name";
  EXPECT_TRUE(GetFileAttributesA(Path("M_DIR.DAT").c_str()) & FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_NE(ReplaceFileContent(Wide(Path("missing\\M_DIR.DAT")), "-\r\n"), DWORD{ERROR_SUCCESS});
  EXPECT_EQ(FilesIn(folder_), std::vector<std::string>{"M_DIR.DAT"});
}

TEST_F(DataFiles, HeldOpenByAnotherProgramStayAsTheyWere) {
  WriteFileBytes(Path("R_DIR.DAT"), "C:\\old\r\n");
  HANDLE reader =
      CreateFileA(Path("R_DIR.DAT").c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                  nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(reader, INVALID_HANDLE_VALUE);
  EXPECT_NE(ReplaceFileContent(Wide(Path("R_DIR.DAT")), "D:\r\n"), DWORD{ERROR_SUCCESS});
  CloseHandle(reader);
  EXPECT_EQ(ReadFileBytes(Path("R_DIR.DAT")), "C:\\old\r\n");
  EXPECT_EQ(FilesIn(folder_), std::vector<std::string>{"R_DIR.DAT"});
}

TEST_F(DataFiles, ThatDoNotFitOnTheDiskStayAsTheyWere) {
  const std::optional<test::MappedDrive> drive = test::MappedDrive::Map("small", DRIVE_FIXED, 64);
  if (!drive) GTEST_SKIP() << "no small file system could be mounted (needs root)";
  const std::string path = drive->Root() + "\\R_DIR.DAT";
  ASSERT_EQ(ReplaceFileContent(Wide(path), "C:\\old\r\n"), DWORD{ERROR_SUCCESS});

  const DWORD error = ReplaceFileContent(Wide(path), std::string(100 * 1024, 'x'));
  EXPECT_EQ(error, DWORD{ERROR_DISK_FULL}) << SystemErrorText(error);
  EXPECT_EQ(ReadFileBytes(path), "C:\\old\r\n");
  EXPECT_EQ(FilesIn(drive->Root()), std::vector<std::string>{"R_DIR.DAT"});
}

TEST(SystemErrorText, IsTheSystemsSentenceWithoutALineBreakAtTheEnd) {
  const std::string text = SystemErrorText(ERROR_DISK_FULL);
  ASSERT_FALSE(text.empty());
  EXPECT_NE(text.back(), '\n');
  EXPECT_NE(text.back(), '\r');
}

}  // namespace
}  // namespace bex
