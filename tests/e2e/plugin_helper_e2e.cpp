// Plug-ins in helper processes, in the real viewer under Wine: a module that
// crashes, exits, hangs, overflows its stack, leaks or takes its time costs
// at most the file it was asked about, whether that file is opened or decoded
// ahead; no helper outlives the viewer, however it ends; and while a
// neighbour is decoded ahead the window answers, paints, moves and takes
// keys, and no decode holds a file open that the viewer deletes.
#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "support/plugin_misdeeds.h"
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

INSTANTIATE_TEST_SUITE_P(Misdeeds, MisbehavingPlugin, AllMisdeeds(), MisdeedName);

TEST_F(PluginHelpers, NoneIsLeftAfterTheViewerClosesOrIsKilled) {
  // A module that hangs for good, as long as the default cut-off.
  SetEnvironmentVariableA("BEX_PLUGIN_TIMEOUT_MS", nullptr);
  WriteTestPicture(Picture("a.tst"), 200, 150, kRed);
  WriteTestPicture(Picture("b.tst"), 200, 150, kGreen);
  WriteTestPicture(Picture("c.tst"), 200, 150, kBlue, "loop");
  for (const bool killed : {false, true}) {
    Viewer viewer = StartShowing(folder_, Picture("a.tst"), WithUnrulyPlugin());
    // One helper for each of the three slots a step needs.
    EXPECT_TRUE(WaitUntil([&] { return HelpersOf(viewer) == 3; })) << HelpersOf(viewer);
    // c.tst, decoded ahead, hangs in its module.
    viewer.PressKey(VK_SPACE);
    ASSERT_EQ(viewer.WaitForTitle("b.tst [100%]"), "b.tst [100%]");
    if (killed) {
      viewer.Kill();
    } else {
      EXPECT_TRUE(viewer.Close()) << "the window closes while a neighbour is decoded";
    }
    EXPECT_TRUE(WaitUntil([&] { return HelpersOf(viewer) == 0; }))
        << HelpersOf(viewer) << " helpers left after the viewer was "
        << (killed ? "killed" : "closed");
  }
}

// a.tst, b.tst, then c.tst that takes 5 s; d.tst.
class WhileANeighbourDecodes : public PluginHelpers {
 protected:
  WhileANeighbourDecodes() {
    SetEnvironmentVariableA("BEX_PLUGIN_TIMEOUT_MS", nullptr);
    WriteTestPicture(Picture("a.tst"), 200, 150, kRed);
    WriteTestPicture(Picture("b.tst"), 200, 150, kGreen);
    WriteTestPicture(Picture("c.tst"), 200, 150, kBlue, "slow");
    WriteTestPicture(Picture("d.tst"), 200, 150, kRed);
  }

  // Shows b.tst, after which c.tst is decoded ahead; returns when that began.
  Viewer ShowingBWhileCDecodes() {
    Viewer viewer = StartShowing(folder_, Picture("a.tst"), WithUnrulyPlugin());
    viewer.PressKey(VK_SPACE);
    EXPECT_EQ(viewer.WaitForTitle("b.tst [100%]"), "b.tst [100%]");
    EXPECT_TRUE(WaitUntil([&] { return DecodesOfC() == 1; }));
    return viewer;
  }

  // How often the module began to decode c.tst; a decode given up and
  // started again counts twice.
  size_t DecodesOfC() const { return CountOf(trace_.DecodedNames()); }
  // Whether the one decode of c.tst, 5 s long, is still under way.
  bool StillDecoding() const { return DecodesOfC() == 1 && CountOf(trace_.FinishedNames()) == 0; }

 private:
  static size_t CountOf(const std::vector<std::string>& names) {
    return static_cast<size_t>(std::count(names.begin(), names.end(), "c.tst"));
  }
  const PluginTrace trace_{folder_ + "\\trace.log"};
};

TEST_F(WhileANeighbourDecodes, TheWindowAnswersRepaintsAndMoves) {
  Viewer viewer = ShowingBWhileCDecodes();
  DWORD longest = 0;
  for (int i = 0; i < 10; ++i) {
    const DWORD before = GetTickCount();
    DWORD_PTR result = 0;
    EXPECT_TRUE(SendMessageTimeoutA(viewer.Window(), WM_NULL, 0, 0, SMTO_NORMAL, 1000, &result));
    longest = std::max(longest, GetTickCount() - before);
  }
  EXPECT_LT(longest, 500u) << "the window answers at once";

  const RECT before = viewer.OuterRect();
  viewer.PressKey(VK_RIGHT);
  EXPECT_TRUE(WaitUntil([&] { return viewer.OuterRect().left > before.left; }, 2000))
      << "the window moves";
  viewer.PressKey('Z');
  EXPECT_EQ(viewer.WaitForTitle("b.tst [110%]", 2000), "b.tst [110%]");
  // The picture grew to 220 x 165: its new part is painted.
  EXPECT_TRUE(WaitUntil([&] { return viewer.PixelAt({215, 160}) == ColourRef(kGreen); }, 2000));
  EXPECT_TRUE(StillDecoding()) << "the checks ran while c.tst was decoded";

  viewer.PressKey(VK_SPACE);
  EXPECT_EQ(viewer.WaitForTitle("c.tst [110%]", 10000), "c.tst [110%]");
  EXPECT_EQ(DecodesOfC(), 1u);
}

TEST_F(WhileANeighbourDecodes, QuickStepsWaitForItAndEachIsOneStep) {
  Viewer viewer = StartShowing(folder_, Picture("a.tst"), WithUnrulyPlugin());
  for (int i = 0; i < 3; ++i) viewer.PressKey(VK_SPACE);
  EXPECT_EQ(viewer.WaitForTitle("ファイルのロード中", 3000), "ファイルのロード中")
      << "the step that needs c.tst waits for it";
  EXPECT_EQ(viewer.WaitForTitle("d.tst [100%]", 15000), "d.tst [100%]");
  viewer.PressKey('Z');
  EXPECT_EQ(viewer.WaitForTitle("d.tst [110%]"), "d.tst [110%]") << "no step was left over";
  EXPECT_EQ(DecodesOfC(), 1u) << "the steps waited for the decode under way";
}

TEST_F(WhileANeighbourDecodes, DeleteActsAtOnceOnTheShownFile) {
  Viewer viewer = ShowingBWhileCDecodes();
  EXPECT_TRUE(DeletesTheShownFile(viewer, 2000, 2000));
  EXPECT_FALSE(FileExists(Picture("b.tst")));
  EXPECT_TRUE(StillDecoding());
  viewer.PressKey(VK_SPACE);
  EXPECT_EQ(viewer.WaitForTitle("c.tst [100%]", 10000), "c.tst [100%]")
      << "the step shows the neighbour once it is ready";
  EXPECT_EQ(DecodesOfC(), 1u);
}

TEST_F(WhileANeighbourDecodes, TheMoveMenuOpensAtOnce) {
  Viewer viewer = ShowingBWhileCDecodes();
  viewer.PressKey('J');
  viewer.WaitForPopupMenu(2000);
  EXPECT_TRUE(StillDecoding());
  viewer.PressKey(VK_ESCAPE);
  viewer.PressKey(VK_SPACE);
  EXPECT_EQ(viewer.WaitForTitle("c.tst [100%]", 10000), "c.tst [100%]");
  EXPECT_EQ(DecodesOfC(), 1u);
}

// The only picture of the folder is decoded ahead again, as its own neighbour,
// while it is deleted.
TEST_F(PluginHelpers, DeletingTheFileTheHelperReadsSucceeds) {
  SetEnvironmentVariableA("BEX_PLUGIN_TIMEOUT_MS", nullptr);
  WriteTestPicture(Picture("a.tst"), 200, 150, kRed, "slow");
  WriteFileBytes(Picture("z.txt"), "not a picture");
  Viewer viewer = StartShowing(folder_, Picture("a.tst"), WithUnrulyPlugin());
  // The step decodes a.tst again before it shows it (5 s), then decodes it
  // ahead; the key D that follows acts while it does.
  viewer.PressKey(VK_SPACE);
  EXPECT_TRUE(DeletesTheShownFile(viewer, 10000, 3000));
  EXPECT_FALSE(FileExists(Picture("a.tst")));
}

}  // namespace
}  // namespace bex::test
