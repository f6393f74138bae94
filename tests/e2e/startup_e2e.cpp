// The viewer's start under Wine, driven from outside: first-run and
// install-error messages, window bounds from the settings file or centred,
// the first picture and its layout and the helpers started before it shows,
// files that cannot be shown, what the close writes, and several files on
// the command line.
#include <algorithm>
#include <gtest/gtest.h>
#include <iterator>
#include <ostream>
#include <string>
#include <vector>

#include "support/bmp_writer.h"
#include "support/test_pictures.h"
#include "support/viewer_checks.h"
#include "support/viewer_driver.h"
#include "support/wine_paths.h"

namespace bex::test {
namespace {

constexpr Rgb kRed{255, 0, 0}, kGreen{0, 255, 0}, kBlue{0, 0, 255}, kWhite{255, 255, 255},
    kBlack{0, 0, 0};
constexpr SIZE kDesignedSize{207, 141};

// The virtual desktop's size as the viewer reads it (SM_CXVIRTUALSCREEN, SM_CYVIRTUALSCREEN).
SIZE DesktopSize() { return {GetSystemMetrics(78), GetSystemMetrics(79)}; }

// Where the viewer puts a window of the designed size without saved bounds.
RECT CentredDesignedWindow() {
  const SIZE desk = DesktopSize();
  const LONG left = (desk.cx - kDesignedSize.cx) / 2, top = (desk.cy - kDesignedSize.cy) / 2;
  return {left, top, left + kDesignedSize.cx, top + kDesignedSize.cy};
}

::testing::AssertionResult SameRect(const RECT& actual, const RECT& expected) {
  if (EqualRect(&actual, &expected)) return ::testing::AssertionSuccess();
  auto text = [](const RECT& r) {
    return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + ")-(" +
           std::to_string(r.right) + "," + std::to_string(r.bottom) + ")";
  };
  return ::testing::AssertionFailure()
         << "window at " << text(actual) << ", expected " << text(expected);
}

::testing::AssertionResult SameSize(SIZE actual, SIZE expected) {
  if (actual.cx == expected.cx && actual.cy == expected.cy) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << actual.cx << " x " << actual.cy << ", expected " << expected.cx << " x " << expected.cy;
}

class Startup : public ::testing::Test {
 protected:
  std::string Path(const std::string& name) const { return folder_ + "\\" + name; }

  // The settings file's lines after the viewer has closed.
  std::vector<std::string> SettingsLines() const {
    return NonEmptyLines(ReadFileBytes(Path("bex.ini")).value_or(""));
  }

  // Outer size of a viewer window around a client area of the given size,
  // measured on a viewer started for that purpose.
  SIZE OuterSizeForClient(SIZE client) {
    Viewer probe = Viewer::Start(NewScratchFolder("frame"), "");
    const SIZE outer = probe.OuterSizeForClient(client);
    probe.Close();
    return outer;
  }

  const std::string folder_ = ScratchFolderForTest();
};

TEST_F(Startup, FirstStartWarnsCentresTheDesignedWindowAndCloseWritesTheSettings) {
  ViewerOptions options;
  options.settings.reset();
  options.messageBoxFirst = true;
  Viewer viewer = Viewer::Start(folder_, "", options);

  const MessageBoxInfo box = viewer.WaitForMessageBox("初期起動メッセージ");
  EXPECT_EQ(
      box.text,
      "初期起動です。\n環境設定を行ってください。\n(特にSusie Plug-inのあるフォルダーの登録)");
  viewer.Answer(box, IDOK);
  viewer.WaitForMainWindow();
  EXPECT_EQ(viewer.Title(), "Bex");
  const RECT centred = CentredDesignedWindow();
  EXPECT_TRUE(SameRect(viewer.OuterRect(), centred));
  EXPECT_FALSE(FileExists(viewer.SettingsPath())) << "nothing is written before the close";

  // No plug-in folder was chosen: none is stored.
  ASSERT_TRUE(viewer.Close());
  EXPECT_EQ(SettingsLines(), (std::vector<std::string>{
                                 "[窓位置]",
                                 "Top=" + std::to_string(centred.top),
                                 "Left=" + std::to_string(centred.left),
                                 "Height=141",
                                 "Width=207",
                                 "[その他]",
                                 "Ver=0.19",
                             }));
}

TEST_F(Startup, PluginFolderOfTwoCharactersWarnsAndStartsAnyway) {
  ViewerOptions options;
  options.settings->Set("設定", "SPIDIR", "c:");
  options.messageBoxFirst = true;
  Viewer viewer = Viewer::Start(folder_, "", options);

  const MessageBoxInfo box = viewer.WaitForMessageBox("インストール異常");
  EXPECT_EQ(box.text, "Susie Plug-inのフォルダー設定が異常です。\n設定画面で修正してください");
  viewer.Answer(box, IDOK);
  viewer.WaitForMainWindow();
  ASSERT_TRUE(viewer.Close());
  const std::vector<std::string> lines = SettingsLines();
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[1], "SPIDIR=c:") << "the folder is kept as it was read";
}

TEST_F(Startup, SavedBoundsAndTopmostAreApplied) {
  ViewerOptions options;
  options.settings->Set("設定", "最前面", "2")
      .Set("窓位置", "Top", "100")
      .Set("窓位置", "Left", "0x20")
      .Set("窓位置", "Height", "0x100")
      .Set("窓位置", "Width", "$12C");
  Viewer viewer = Viewer::Start(folder_, "", options);

  EXPECT_TRUE(SameRect(viewer.OuterRect(), RECT{32, 100, 32 + 300, 100 + 256}));
  EXPECT_TRUE(GetWindowLongA(viewer.Window(), GWL_EXSTYLE) & WS_EX_TOPMOST);
}

TEST_F(Startup, CloseWritesTheCurrentBoundsAfterTheKeysAlreadyThere) {
  ViewerOptions options;
  options.settings->Set("設定", "SPIDIR", Viewer::PluginFolderOf(folder_))
      .Set("設定", "Sort種類", 4);
  Viewer viewer = Viewer::Start(folder_, "", options);
  const RECT moved{50, 60, 50 + 300, 60 + 250};
  SetWindowPos(viewer.Window(), nullptr, moved.left, moved.top, 300, 250,
               SWP_NOZORDER | SWP_NOACTIVATE | SWP_ASYNCWINDOWPOS);
  ASSERT_TRUE(WaitUntil([&] {
    const RECT now = viewer.OuterRect();
    return EqualRect(&moved, &now) != FALSE;
  }));

  ASSERT_TRUE(viewer.Close());
  EXPECT_EQ(SettingsLines(), (std::vector<std::string>{
                                 "[設定]",
                                 "SPIDIR=" + Viewer::PluginFolderOf(folder_),
                                 "Sort種類=4",
                                 "[窓位置]",
                                 "Top=60",
                                 "Left=50",
                                 "Height=250",
                                 "Width=300",
                                 "[その他]",
                                 "Ver=0.19",
                             }));
}

// Minimised or maximised, the window is closed (from the taskbar, say): the
// bounds it would be restored to are saved, and the next start opens there.
class CloseWhileNotNormal : public Startup, public ::testing::WithParamInterface<int> {};

TEST_P(CloseWhileNotNormal, SavesTheRestoredBoundsForTheNextStart) {
  const RECT restored{90, 70, 90 + 320, 70 + 240};
  ViewerOptions options;
  SetWindowBounds(*options.settings, restored);
  {
    Viewer viewer = Viewer::Start(folder_, "", options);
    ASSERT_TRUE(SameRect(viewer.OuterRect(), restored));
    ShowWindowAsync(viewer.Window(), GetParam());
    ASSERT_TRUE(WaitUntil([&] {
      return GetParam() == SW_MINIMIZE ? IsIconic(viewer.Window()) : IsZoomed(viewer.Window());
    }));
    ASSERT_TRUE(viewer.Close());
  }
  const std::vector<std::string> lines = SettingsLines();
  const auto bounds = std::find(lines.begin(), lines.end(), "[窓位置]");
  ASSERT_GE(std::distance(bounds, lines.end()), 5) << "no bounds written";
  EXPECT_EQ(std::vector<std::string>(bounds + 1, bounds + 5),
            (std::vector<std::string>{"Top=70", "Left=90", "Height=240", "Width=320"}));

  ViewerOptions again;
  again.settings.reset();
  Viewer viewer = Viewer::Start(folder_, "", again);
  EXPECT_TRUE(SameRect(viewer.OuterRect(), restored));
  EXPECT_FALSE(IsIconic(viewer.Window()));
  EXPECT_FALSE(IsZoomed(viewer.Window()));
}

INSTANTIATE_TEST_SUITE_P(States, CloseWhileNotNormal, ::testing::Values(SW_MINIMIZE, SW_MAXIMIZE),
                         [](const ::testing::TestParamInfo<int>& state) {
                           return state.param == SW_MINIMIZE ? "Minimised" : "Maximised";
                         });

TEST_F(Startup, CloseLeavesTheBoundsAloneWhenSavingThemIsOff) {
  ViewerOptions options;
  options.settings->Set("設定", "窓位置保存", 0);
  Viewer viewer = Viewer::Start(folder_, "", options);
  ASSERT_TRUE(viewer.Close());
  for (const std::string& line : SettingsLines()) EXPECT_NE(line, "[窓位置]");
  EXPECT_EQ(SettingsLines().back(), "Ver=0.19");
}

// Whether the system refuses to open a read-only file for writing: Wine
// leaves that to the file's Unix permissions, which do not bind root.
bool ReadOnlyFilesRefuseWrites(const std::string& folder) {
  const std::string path = folder + "\\read-only-probe";
  WriteFileBytes(path, "");
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
  return h == INVALID_HANDLE_VALUE;
}

// Closes a viewer whose settings file refuses the write: the error shows
// under the application's title and the window stays.
void ExpectRefusedCloseKeepsTheWindow(const Viewer& viewer) {
  viewer.RequestClose();
  const MessageBoxInfo box = viewer.WaitForMessageBox("Bex");
  EXPECT_EQ(box.text, viewer.SettingsPath() + " に書き込めません.");
  viewer.Answer(box, IDOK);
  EXPECT_TRUE(viewer.Running());
  EXPECT_TRUE(IsWindowVisible(viewer.Window()));
  EXPECT_EQ(viewer.Title(), "Bex");
}

TEST_F(Startup, ReadOnlySettingsFileGivesTheWriteErrorAndTheWindowStays) {
  if (!ReadOnlyFilesRefuseWrites(folder_)) GTEST_SKIP() << "read-only files are writable here";
  Viewer viewer = Viewer::Start(folder_, "");
  const std::string before = ReadFileBytes(viewer.SettingsPath()).value();
  ASSERT_TRUE(SetFileAttributesA(viewer.SettingsPath().c_str(), FILE_ATTRIBUTE_READONLY));
  ExpectRefusedCloseKeepsTheWindow(viewer);
  EXPECT_EQ(ReadFileBytes(viewer.SettingsPath()).value_or(""), before);
  SetFileAttributesA(viewer.SettingsPath().c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(Startup, SettingsFileLockedByAnotherProgramGivesTheWriteErrorAndTheWindowStays) {
  Viewer viewer = Viewer::Start(folder_, "");
  const std::string before = ReadFileBytes(viewer.SettingsPath()).value();
  auto lock = HoldOpen(viewer.SettingsPath());
  ExpectRefusedCloseKeepsTheWindow(viewer);
  lock.reset();
  EXPECT_EQ(ReadFileBytes(viewer.SettingsPath()).value_or(""), before);
}

TEST_F(Startup, BitmapIsShownAtItsSizeUnderItsNameAndZoom) {
  const Quadrants colours{kRed, kGreen, kBlue, kWhite};
  WriteQuadrantBmp(Path("a.bmp"), 300, 200, colours);
  Viewer viewer = Viewer::Start(folder_, "\"" + Path("a.bmp") + "\"");

  EXPECT_EQ(viewer.WaitForTitle("a.bmp [100%]"), "a.bmp [100%]");
  EXPECT_TRUE(SameSize(viewer.ClientSize(), SIZE{300, 200}));
  const RECT centred = CentredDesignedWindow();
  EXPECT_EQ(viewer.OuterRect().left, centred.left) << "the window grows to the right";
  EXPECT_EQ(viewer.OuterRect().top, centred.top) << "the window grows downwards";
  const struct {
    POINT at;
    Rgb colour;
  } samples[] = {{{75, 50}, colours.topLeft},
                 {{225, 50}, colours.topRight},
                 {{75, 150}, colours.bottomLeft},
                 {{225, 150}, colours.bottomRight}};
  for (const auto& sample : samples) {
    EXPECT_TRUE(WaitUntil([&] { return viewer.PixelAt(sample.at) == ColourRef(sample.colour); }))
        << "pixel " << sample.at.x << "," << sample.at.y << " is " << std::hex
        << viewer.PixelAt(sample.at);
  }
}

// The trace plug-in tells what the window showed when each helper loaded it:
// only the helper of the first picture comes up before that picture is on
// screen, and the neighbours' helpers come up after it, for the decodes
// ahead.
TEST_F(Startup, OnlyTheFirstPicturesHelperStartsBeforeItIsOnScreen) {
  WriteTestPicture(Path("a.tst"), 200, 150, kRed);
  WriteTestPicture(Path("b.tst"), 200, 150, kGreen);
  WriteTestPicture(Path("c.tst"), 200, 150, kBlue);
  const PluginTrace trace(Path("trace.log"), kViewerClass);
  ViewerOptions options;
  options.plugins = {"testspi\\trace.spi"};
  Viewer viewer = Viewer::Start(folder_, "\"" + Path("a.tst") + "\"", options);
  ASSERT_EQ(viewer.WaitForTitle("a.tst [100%]"), "a.tst [100%]");
  ASSERT_TRUE(WaitUntil([&] { return trace.Lines({"GetPicture "}).size() == 3; }))
      << "the neighbours were not decoded ahead";

  std::vector<std::string> lines = trace.Lines({"Loaded ", "GetPicture "});
  ASSERT_EQ(lines.size(), 6u);
  EXPECT_EQ(lines[0].rfind("Loaded ", 0), 0u) << lines[0];
  EXPECT_NE(lines[0], "Loaded a.tst [100%] FF0000");
  EXPECT_EQ(lines[1], "GetPicture a.tst");
  lines.erase(lines.begin(), lines.begin() + 2);
  std::sort(lines.begin(), lines.end());
  EXPECT_EQ(lines,
            (std::vector<std::string>{"GetPicture b.tst", "GetPicture c.tst",
                                      "Loaded a.tst [100%] FF0000", "Loaded a.tst [100%] FF0000"}));
}

TEST_F(Startup, NamesWithBlanksAndDoubleByteCharactersOpen) {
  // The second byte of 表 in code page 932 is the byte of "\".
  for (const std::string name : {"my picture.bmp", "表.bmp"}) {
    WriteSolidBmp(Path(name), 220, 150, kGreen);
    Viewer viewer = Viewer::Start(folder_, "\"" + Path(name) + "\"");
    EXPECT_EQ(viewer.WaitForTitle(name + " [100%]"), name + " [100%]");
  }
}

TEST_F(Startup, FolderOpensOnItsFirstPictureByNameAndSpaceStepsOn) {
  const std::string pictures = Path("pics");
  ASSERT_TRUE(CreateDirectoryA(pictures.c_str(), nullptr));
  WriteSolidBmp(pictures + "\\c.bmp", 260, 170, kBlue);
  WriteSolidBmp(pictures + "\\b.bmp", 240, 160, kGreen);
  WriteFileBytes(pictures + "\\a.txt", "not a picture\r\n");
  // A folder named relative to the working folder, as a user types it.
  Viewer viewer = Viewer::Start(folder_, "pics");

  EXPECT_EQ(viewer.WaitForTitle("b.bmp [100%]"), "b.bmp [100%]");
  EXPECT_TRUE(SameSize(viewer.ClientSize(), SIZE{240, 160}));
  EXPECT_TRUE(WaitUntil([&] { return viewer.PixelAt({120, 80}) == ColourRef(kGreen); }));
  viewer.PressKey(VK_SPACE);
  EXPECT_EQ(viewer.WaitForTitle("c.bmp [100%]"), "c.bmp [100%]");
  viewer.PressKey(VK_SPACE);
  EXPECT_EQ(viewer.WaitForTitle("b.bmp [100%]"), "b.bmp [100%]") << "around the list's end";
}

TEST_F(Startup, BareNameOpensFromTheWorkingFolder) {
  WriteSolidBmp(Path("here.bmp"), 220, 150, kBlue);
  Viewer viewer = Viewer::Start(folder_, "here.bmp");
  EXPECT_EQ(viewer.WaitForTitle("here.bmp [100%]"), "here.bmp [100%]");
}

TEST_F(Startup, PictureWiderThanTheDesktopIsCappedToItsWidth) {
  const SIZE desk = DesktopSize();
  WriteSolidBmp(Path("wide.bmp"), desk.cx + 220, 60, kRed);
  Viewer viewer = Viewer::Start(folder_, Path("wide.bmp"));

  EXPECT_EQ(viewer.WaitForTitle("wide.bmp [100%]"), "wide.bmp [100%]");
  EXPECT_EQ(SizeOf(viewer.OuterRect()).cx, desk.cx);
  EXPECT_EQ(viewer.OuterRect().left, CentredDesignedWindow().left)
      << "the window is not moved back";
}

TEST_F(Startup, PictureTallerThanTheDesktopIsCappedToItsHeight) {
  const SIZE desk = DesktopSize();
  WriteSolidBmp(Path("tall.bmp"), 240, desk.cy + 150, kBlue);
  Viewer viewer = Viewer::Start(folder_, Path("tall.bmp"));

  EXPECT_EQ(viewer.WaitForTitle("tall.bmp [100%]"), "tall.bmp [100%]");
  EXPECT_EQ(SizeOf(viewer.OuterRect()).cy, desk.cy);
  EXPECT_EQ(viewer.OuterRect().top, CentredDesignedWindow().top);
}

struct FitExample {
  SIZE client;
  SIZE picture;
  const char* title;
};

void PrintTo(const FitExample& e, std::ostream* out) {
  *out << e.picture.cx << " x " << e.picture.cy << " in a client area of " << e.client.cx << " x "
       << e.client.cy;
}

class PictureFollowsWindow : public Startup, public ::testing::WithParamInterface<FitExample> {};

TEST_P(PictureFollowsWindow, ZoomComesFromTheTighterRatio) {
  const FitExample& example = GetParam();
  const SIZE outer = OuterSizeForClient(example.client);
  ViewerOptions options;
  options.settings->Set("設定", "窓と画像の関係", 1);
  SetWindowBounds(*options.settings, {40, 40, 40 + outer.cx, 40 + outer.cy});
  WriteSolidBmp(Path("p.bmp"), example.picture.cx, example.picture.cy, kWhite);
  Viewer viewer = Viewer::Start(folder_, Path("p.bmp"), options);

  EXPECT_EQ(viewer.WaitForTitle(example.title), example.title);
  EXPECT_TRUE(SameSize(viewer.ClientSize(), example.client)) << "the window keeps its size";
}

INSTANTIATE_TEST_SUITE_P(WorkedExamples, PictureFollowsWindow,
                         ::testing::Values(FitExample{{400, 400}, {1000, 500}, "p.bmp [40%]"},
                                           FitExample{{400, 200}, {300, 300}, "p.bmp [66%]"}));

TEST_F(Startup, FileThatCannotBeShownIsReportedAndTheStepsGoThroughItsFolder) {
  const std::string pics = Path("pics");
  CreateDirectoryA(pics.c_str(), nullptr);
  WriteFileBytes(pics + "\\note.txt", "not a picture\r\n");
  WriteSolidBmp(pics + "\\z.bmp", 220, 150, kRed);
  for (const std::string& path : {pics + "\\note.txt", pics + "\\missing.bmp"}) {
    ViewerOptions options;
    options.messageBoxFirst = true;
    Viewer viewer = Viewer::Start(folder_, "\"" + path + "\"", options);
    const MessageBoxInfo box = viewer.WaitForMessageBox("ファイルフォーマット異常");
    EXPECT_EQ(box.text, path + " は表示できません");
    viewer.Answer(box, IDOK);
    viewer.WaitForMainWindow();
    EXPECT_EQ(viewer.WaitForTitle("表示できません"), "表示できません");
    viewer.PressKey(VK_SPACE);
    EXPECT_EQ(viewer.WaitForTitle("z.bmp [100%]"), "z.bmp [100%]");
  }
}

// Shrunk to the window, the first picture comes reduced first; when its
// whole picture then fails, nothing of the file stays on screen and it is
// reported like any file that cannot be shown.
TEST_F(Startup, FirstPictureWhoseWholePictureFailsLeavesTheScreenAndIsReported) {
  WriteTestPicture(Path("p.tst"), 400, 300, kRed, "fitonly");
  WriteSolidBmp(Path("z.bmp"), 220, 150, kBlue);
  const PluginTrace trace(Path("trace.log"));
  ViewerOptions options;
  options.plugins = {"testspi\\wide.spi"};
  options.settings->Set("設定", "窓と画像の関係", 1);
  Viewer viewer = Viewer::Start(folder_, "\"" + Path("p.tst") + "\"", options);

  const MessageBoxInfo box = viewer.WaitForMessageBox("ファイルフォーマット異常");
  EXPECT_EQ(box.text, Path("p.tst") + " は表示できません");
  viewer.Answer(box, IDOK);
  EXPECT_EQ(viewer.WaitForTitle("表示できません"), "表示できません");
  EXPECT_EQ(trace.Lines({"GetPictureToFitW "}).size(), 1u) << "no reduced picture first";
  EXPECT_TRUE(WaitUntil([&] { return viewer.PixelAt({20, 20}) == ColourRef(kBlack); }));
  viewer.PressKey(VK_SPACE);
  EXPECT_TRUE(WaitUntil([&] { return viewer.Title().rfind("z.bmp [", 0) == 0; })) << viewer.Title();
}

TEST_F(Startup, MalformedBitmapIsReportedAsAnErrorAndStartGoesOn) {
  WriteFileBytes(Path("bad.bmp"), "BM not really a bitmap");
  ViewerOptions options;
  options.messageBoxFirst = true;
  Viewer viewer = Viewer::Start(folder_, Path("bad.bmp"), options);
  const MessageBoxInfo box = viewer.WaitForMessageBox("Bex");
  EXPECT_EQ(box.text, "ビットマップイメージが不正です.");
  viewer.Answer(box, IDOK);
  viewer.WaitForMainWindow();
  EXPECT_EQ(viewer.Title(), "Bex");
  ASSERT_TRUE(viewer.Close());
}

TEST_F(Startup, TwoFilesOnTheCommandLineGiveTwoWindows) {
  WriteSolidBmp(Path("a.bmp"), 220, 150, kRed);
  WriteSolidBmp(Path("b.bmp"), 240, 160, kBlue);
  Viewer first = Viewer::Start(folder_, Path("a.bmp") + " " + Path("b.bmp"));
  EXPECT_EQ(first.WaitForTitle("a.bmp [100%]"), "a.bmp [100%]");

  Viewer second = Viewer::WaitForOther({first.ProcessId()});
  EXPECT_EQ(second.WaitForTitle("b.bmp [100%]"), "b.bmp [100%]");
  EXPECT_TRUE(SameSize(second.ClientSize(), SIZE{240, 160}));
  EXPECT_EQ(first.Title(), "a.bmp [100%]");
}

TEST_F(Startup, RelativeNamesAreHandedOverWhole) {
  const std::string pics = Path("my pics");
  CreateDirectoryA(pics.c_str(), nullptr);
  WriteSolidBmp(pics + "\\a.bmp", 220, 150, kRed);
  WriteSolidBmp(pics + "\\b c.bmp", 240, 160, kBlue);
  Viewer first = Viewer::Start(folder_, "\"my pics\\a.bmp\" \"my pics\\b c.bmp\"");
  EXPECT_EQ(first.WaitForTitle("a.bmp [100%]"), "a.bmp [100%]");

  Viewer second = Viewer::WaitForOther({first.ProcessId()});
  EXPECT_EQ(second.WaitForTitle("b c.bmp [100%]"), "b c.bmp [100%]");
}

}  // namespace
}  // namespace bex::test
