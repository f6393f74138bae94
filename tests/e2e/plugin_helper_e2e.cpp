// Plug-ins in helper processes, in the real viewer under Wine: a module that
// crashes, exits, hangs, overflows its stack, leaks or takes its time costs
// at most the file it was asked about, whether that file is opened or decoded
// ahead; and no helper outlives the viewer, however it ends.
#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "support/test_pictures.h"
#include "support/viewer_checks.h"
#include "support/viewer_driver.h"
#include "support/wine_paths.h"

namespace bex::test {
namespace {

constexpr Rgb kRed{255, 0, 0}, kGreen{0, 255, 0}, kBlue{0, 0, 255};

ViewerOptions WithUnrulyPlugin() {
  ViewerOptions options;
  options.plugins = {"testspi\\unruly.spi"};
  return options;
}

// The plug-in helpers running from the program copy's folder.
size_t HelpersOf(const Viewer& viewer) {
  size_t count = 0;
  for (const std::string& path : RunningPrograms()) {
    if (lstrcmpiA(path.c_str(), (viewer.Folder() + "\\bexspi.exe").c_str()) == 0) ++count;
  }
  return count;
}

class PluginHelpers : public ::testing::Test {
 protected:
  PluginHelpers() {
    CreateDirectoryA(pictures_.c_str(), nullptr);
    // Modules that hang are cut off after 2 s instead of a minute.
    SetEnvironmentVariableA("BEX_PLUGIN_TIMEOUT_MS", "2000");
  }
  ~PluginHelpers() override { SetEnvironmentVariableA("BEX_PLUGIN_TIMEOUT_MS", nullptr); }

  std::string Picture(const std::string& name) const { return pictures_ + "\\" + name; }

  const std::string folder_ = ScratchFolderForTest();
  const std::string pictures_ = folder_ + "\\pics";
};

struct Misdeed {
  const char* variant;
  bool decodes;
};

class MisbehavingPlugin : public PluginHelpers, public ::testing::WithParamInterface<Misdeed> {
 protected:
  // The slow module must be waited for, up to the default cut-off.
  MisbehavingPlugin() {
    if (std::string(GetParam().variant) == "slow") {
      SetEnvironmentVariableA("BEX_PLUGIN_TIMEOUT_MS", nullptr);
    }
  }

  // a.tst, b.tst and c.tst, b.tst with the misdeed.
  void WritePictures() {
    WriteTestPicture(Picture("a.tst"), 200, 150, kRed);
    WriteTestPicture(Picture("b.tst"), 220, 150, kGreen, GetParam().variant);
    WriteTestPicture(Picture("c.tst"), 240, 150, kBlue);
  }
};

TEST_P(MisbehavingPlugin, OnTheOpenedFileCostsOnlyThatFile) {
  WritePictures();
  Viewer viewer = StartShowing(folder_, Picture("a.tst"), WithUnrulyPlugin());
  viewer.DropFiles({Picture("b.tst")});
  if (GetParam().decodes) {
    EXPECT_EQ(viewer.WaitForTitle("b.tst [100%]", 20000), "b.tst [100%]");
  } else {
    const MessageBoxInfo box = viewer.WaitForMessageBox("ファイルフォーマット異常", 20000);
    EXPECT_EQ(box.text, Picture("b.tst") + " は表示できません");
    viewer.Answer(box, IDOK);
    EXPECT_EQ(viewer.WaitForTitle("表示できません"), "表示できません");
  }
  viewer.PressKey(VK_SPACE);
  EXPECT_EQ(viewer.WaitForTitle("c.tst [100%]", 20000), "c.tst [100%]");
  EXPECT_TRUE(viewer.Running());
}

TEST_P(MisbehavingPlugin, OnTheNeighbourDecodedAheadIsPassedOverSilently) {
  WritePictures();
  Viewer viewer = StartShowing(folder_, Picture("a.tst"), WithUnrulyPlugin());
  viewer.PressKey(VK_SPACE);
  const char* expected = GetParam().decodes ? "b.tst [100%]" : "c.tst [100%]";
  EXPECT_EQ(viewer.WaitForTitle(expected, 20000), expected);
  EXPECT_FALSE(viewer.FindMessageBox());
  viewer.PressKey(VK_SPACE);
  EXPECT_EQ(viewer.WaitForTitle(GetParam().decodes ? "c.tst [100%]" : "a.tst [100%]", 20000),
            GetParam().decodes ? "c.tst [100%]" : "a.tst [100%]");
  EXPECT_TRUE(viewer.Running());
}

INSTANTIATE_TEST_SUITE_P(Misdeeds, MisbehavingPlugin,
                         ::testing::Values(Misdeed{"crash-ask", false},
                                           Misdeed{"crash-info", false},
                                           Misdeed{"crash-picture", false}, Misdeed{"exit", false},
                                           Misdeed{"loop", false}, Misdeed{"overflow", false},
                                           Misdeed{"slow", true}, Misdeed{"leak", true}),
                         [](const auto& param) {
                           std::string name = param.param.variant;
                           name.erase(std::remove(name.begin(), name.end(), '-'), name.end());
                           return name;
                         });

TEST_F(PluginHelpers, NoneIsLeftAfterTheViewerClosesOrIsKilled) {
  // A module that hangs for good, as long as the default cut-off.
  SetEnvironmentVariableA("BEX_PLUGIN_TIMEOUT_MS", nullptr);
  WriteTestPicture(Picture("a.tst"), 200, 150, kRed);
  WriteTestPicture(Picture("b.tst"), 200, 150, kGreen, "loop");
  for (const bool killed : {false, true}) {
    Viewer viewer = StartShowing(folder_, Picture("a.tst"), WithUnrulyPlugin());
    EXPECT_TRUE(WaitUntil([&] { return HelpersOf(viewer) == 3; })) << HelpersOf(viewer);
    if (killed) {
      // The viewer is killed while a helper hangs in its module.
      viewer.PressKey(VK_SPACE);
      viewer.Kill();
    } else {
      EXPECT_TRUE(viewer.Close());
    }
    EXPECT_TRUE(WaitUntil([&] { return HelpersOf(viewer) == 0; }))
        << HelpersOf(viewer) << " helpers left after the viewer was "
        << (killed ? "killed" : "closed");
  }
}

}  // namespace
}  // namespace bex::test
