// The settings file through the platform's real profile functions: defaults,
// case-blind names, the integer and boolean forms, where writes land, and a
// refused write.
#include <windows.h>

#include <gtest/gtest.h>

#include "app/settings_file_win.h"
#include "common/bex_error.h"
#include "support/test_files.h"
#include "support/wine_paths.h"

namespace bex {
namespace {

using test::NewScratchFolder;
using test::ReadFileBytes;
using test::WriteFileBytes;

class SettingsFileTest : public ::testing::Test {
 protected:
  const std::string path_ = NewScratchFolder("ini") + "\\bex.ini";
  SettingsFile file_{path_};
};

TEST_F(SettingsFileTest, MissingFileGivesEveryDefault) {
  EXPECT_EQ(file_.ReadString(settings::kPluginFolder), "c:\\");
  EXPECT_FALSE(file_.ReadStored(settings::kPluginFolder)) << "no folder was stored";
  EXPECT_FALSE(file_.ReadBool(settings::kNoSecondLaunch));
  EXPECT_TRUE(file_.ReadBool(settings::kSaveBounds));
  EXPECT_EQ(file_.ReadInt(settings::kSortKind), 1);
  EXPECT_EQ(file_.ReadInt(settings::kHeight), 141);
  EXPECT_EQ(file_.ReadInt(settings::kTop, -5), -5);
  EXPECT_FALSE(test::FileExists(path_)) << "reading creates nothing";
}

TEST_F(SettingsFileTest, NamesMatchCaseBlindAndValuesTakeTheirForms) {
  WriteFileBytes(path_,
                 "[窓位置]\r\nheight=0x100\r\nWIDTH=$20\r\ntop=-3000\r\nLeft=abc\r\n"
                 "[設定]\r\n最前面=2\r\n窓位置保存=no\r\nspidir=D:\\spi\r\n");
  EXPECT_EQ(file_.ReadInt(settings::kHeight), 256);
  EXPECT_EQ(file_.ReadInt(settings::kWidth), 32);
  EXPECT_EQ(file_.ReadInt(settings::kTop, 0), -3000);
  EXPECT_EQ(file_.ReadInt(settings::kLeft, 77), 77) << "text that is no integer";
  EXPECT_TRUE(file_.ReadBool(settings::kTopmost));
  EXPECT_TRUE(file_.ReadBool(settings::kSaveBounds)) << "unreadable boolean gives the default";
  EXPECT_EQ(file_.ReadString(settings::kPluginFolder), "D:\\spi");
  EXPECT_EQ(file_.ReadStored(settings::kPluginFolder), "D:\\spi");
}

TEST_F(SettingsFileTest, WritesKeepPlacesAndAppendNewKeys) {
  WriteFileBytes(path_, "[設定]\r\nSPIDIR=old\r\nOther=1\r\n");
  file_.WriteString(settings::kPluginFolder, "D:\\new");
  file_.WriteBool(settings::kTopmost, true);
  file_.WriteInt(settings::kTop, -20);
  file_.WriteString(settings::kVersion, kSettingsVersion);
  const std::vector<std::string> lines = test::NonEmptyLines(ReadFileBytes(path_).value_or(""));
  const std::vector<std::string> expected = {"[設定]",   "SPIDIR=D:\\new", "Other=1",  "最前面=1",
                                             "[窓位置]", "Top=-20",        "[その他]", "Ver=0.19"};
  EXPECT_EQ(lines, expected);
}

TEST_F(SettingsFileTest, RefusedWriteRaisesTheWriteError) {
  WriteFileBytes(path_, "[設定]\r\nSPIDIR=kept\r\n");
  // Another program holds the file open without sharing.
  HANDLE held = CreateFileA(path_.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                            0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  try {
    file_.WriteString(settings::kPluginFolder, "changed");
    ADD_FAILURE() << "the write went through";
  } catch (const BexError& e) {
    EXPECT_EQ(std::string(e.what()), path_ + " に書き込めません");
  }
  CloseHandle(held);
  EXPECT_EQ(file_.ReadString(settings::kPluginFolder), "kept");
}

}  // namespace
}  // namespace bex
