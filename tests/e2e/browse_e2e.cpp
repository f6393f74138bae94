// Browsing a folder in the real viewer under Wine, driven by keys: stepping
// through pictures and other files with wrap-around at both ends, the order
// of showing and decoding ahead, zoom keys and the typed-zoom dialog, the
// picture following the window, the keys that move the window or scroll the
// picture, menu shortcuts while the menu is closed, the sort dialog and
// Explorer's order, the message for a folder without pictures, and the help
// window of F1 with its wrapped descriptions.
#include <algorithm>
#include <cstdlib>
#include <gtest/gtest.h>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "common/code_page_win.h"
#include "common/wide_text.h"
#include "filelist/commands.h"
#include "filelist/help_text.h"
#include "support/bmp_writer.h"
#include "support/test_pictures.h"
#include "support/viewer_checks.h"
#include "support/viewer_driver.h"
#include "support/wine_paths.h"

namespace bex::test {
namespace {

constexpr Rgb kRed{255, 0, 0}, kGreen{0, 255, 0}, kBlue{0, 0, 255}, kWhite{255, 255, 255};
// The virtual desktop of the test run (tools/wine-env.sh). The test program
// does not ask the system: under Wine its metrics sometimes read 0 there.
constexpr SIZE kDesktop{1280, 1024};

// The plug-in that reads the test pictures.
ViewerOptions WithTestPlugin(const char* plugin = "testspi\\tst1.spi") {
  ViewerOptions options;
  options.plugins = {plugin};
  return options;
}

// One key press and the title it must give. An empty title: the key must
// change nothing; the next step, whose result would differ otherwise, shows it.
struct KeyStep {
  const char* label;
  WORD key;
  unsigned modifiers;
  std::string title;
};

void PressAndExpectTitles(const Viewer& viewer, const std::vector<KeyStep>& steps) {
  for (const KeyStep& step : steps) {
    viewer.PressKey(step.key, step.modifiers);
    if (step.title.empty()) continue;
    ASSERT_EQ(viewer.WaitForTitle(step.title), step.title) << "after " << step.label;
  }
}

// A child control of another process's dialog, by class and caption.
HWND Control(HWND dialog, const char* className, const char* caption = nullptr) {
  HWND control = FindWindowExA(dialog, nullptr, className, caption);
  if (!control) throw DriverError(std::string("the dialog has no ") + className + " control");
  return control;
}

// A control's rectangle in its dialog's client coordinates.
RECT RectInDialog(HWND dialog, HWND control) {
  RECT r{};
  GetWindowRect(control, &r);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

class Browse : public ::testing::Test {
 protected:
  Browse() { CreateDirectoryA(pictures_.c_str(), nullptr); }

  std::string Picture(const std::string& name) const { return pictures_ + "\\" + name; }

  // A viewer of the pictures folder showing the file name.
  Viewer StartOn(const std::string& name, const ViewerOptions& options = WithTestPlugin()) const {
    return StartShowing(folder_, Picture(name), options);
  }

  const std::string folder_ = ScratchFolderForTest();
  const std::string pictures_ = folder_ + "\\pics";
};

TEST_F(Browse, StepsSkipOtherFilesAndWrapAroundBothEnds) {
  WriteSolidBmp(Picture("a.bmp"), 220, 150, kRed);
  WriteFileBytes(Picture("b.txt"), "not a picture\r\n");
  WriteTestPicture(Picture("c.tst"), 240, 160, kGreen);
  WriteFileBytes(Picture("d.dat"), std::string(300, '\x7f'));
  WriteSolidBmp(Picture("e.bmp"), 260, 170, kBlue);
  WriteTestPicture(Picture("f.tst"), 280, 180, kWhite);
  Viewer viewer = StartOn("a.bmp");

  const struct {
    const char* label;
    WORD key;
    unsigned modifiers;
    const char* name;
    SIZE size;
  } steps[] = {
      {"Space", VK_SPACE, kNoModifier, "c.tst", {240, 160}},
      {"Space", VK_SPACE, kNoModifier, "e.bmp", {260, 170}},
      {"Space", VK_SPACE, kNoModifier, "f.tst", {280, 180}},
      {"Space at the last", VK_SPACE, kNoModifier, "a.bmp", {220, 150}},
      {"BackSpace at the first", VK_BACK, kNoModifier, "f.tst", {280, 180}},
      {"Shift+Space", VK_SPACE, kShift, "e.bmp", {260, 170}},
      {"Shift+BackSpace", VK_BACK, kShift, "f.tst", {280, 180}},
      {"Ctrl+BackSpace", VK_BACK, kCtrl, "e.bmp", {260, 170}},
      {"BackSpace", VK_BACK, kNoModifier, "c.tst", {240, 160}},
      {"BackSpace", VK_BACK, kNoModifier, "a.bmp", {220, 150}},
  };
  for (const auto& step : steps) {
    viewer.PressKey(step.key, step.modifiers);
    const std::string title = std::string(step.name) + " [100%]";
    ASSERT_EQ(viewer.WaitForTitle(title), title) << "after " << step.label;
    EXPECT_TRUE(ReachesClientSize(viewer, step.size)) << step.name;
  }
  EXPECT_TRUE(WaitUntil([&] { return viewer.PixelAt({10, 10}) == ColourRef(kRed); }));

  // A step keeps the zoom; only opening a file resets it.
  PressAndExpectTitles(viewer, {{"5", '5', kNoModifier, "a.bmp [50%]"},
                                {"Space", VK_SPACE, kNoModifier, "c.tst [50%]"}});
  EXPECT_TRUE(ReachesClientSize(viewer, {120, 80}));
}

TEST_F(Browse, FileThatCannotBeOpenedLeavesThePictureOnScreenTheOneStepsAndDeleteUse) {
  WriteSolidBmp(Picture("a.bmp"), 220, 150, kRed);
  WriteFileBytes(Picture("b.txt"), "not a picture\r\n");
  WriteSolidBmp(Picture("c.bmp"), 240, 160, kBlue);
  const std::string other = folder_ + "\\other";
  CreateDirectoryA(other.c_str(), nullptr);
  WriteFileBytes(other + "\\c.bmp", "BM not really a bitmap");
  Viewer viewer = StartOn("a.bmp");
  const auto expectShown = [&](const std::string& name, Rgb colour) {
    const std::string title = name + " [100%]";
    EXPECT_EQ(viewer.WaitForTitle(title), title);
    EXPECT_TRUE(WaitUntil([&] { return viewer.PixelAt({10, 10}) == ColourRef(colour); })) << name;
  };

  viewer.DropFiles({Picture("b.txt")});
  viewer.Answer(viewer.WaitForMessageBox("ファイルフォーマット異常"), IDOK);
  EXPECT_EQ(viewer.WaitForTitle("表示できません"), "表示できません");
  viewer.PressKey(VK_BACK);
  expectShown("c.bmp", kBlue);
  viewer.PressKey(VK_SPACE);
  expectShown("a.bmp", kRed);

  // A malformed bitmap of another folder under the name of a file of this one.
  viewer.DropFiles({other + "\\c.bmp"});
  viewer.Answer(viewer.WaitForMessageBox("Bex"), IDOK);
  viewer.PressKey(VK_SPACE);
  expectShown("c.bmp", kBlue);
  EXPECT_TRUE(DeletesTheShownFile(viewer));
  EXPECT_FALSE(FileExists(Picture("c.bmp")));
  EXPECT_TRUE(FileExists(other + "\\c.bmp"));
}

// Each dropped file that cannot be shown is reported with its cause, and
// only the caption changes: the picture, its size and its file stay.
TEST_F(Browse, ADropThatCannotBeShownNamesTheCauseAndChangesOnlyTheCaption) {
  WriteSolidBmp(Picture("a.bmp"), 220, 150, kRed);
  WriteFileBytes(Picture("b.txt"), "not a picture\r\n");
  // Described as 100000 x 100000 pixels by the bogus test plug-in.
  WriteTestPicture(Picture("huge.tst"), 10, 10, kGreen, "huge");
  const std::string tooLong = folder_ + "\\" + std::string(280 - folder_.size(), 'x') + ".bmp";
  Viewer viewer = StartOn("a.bmp", WithTestPlugin("testspi\\bogus.spi"));
  const struct {
    std::string path;
    const char* caption;
    std::string text;
  } cases[] = {
      {Picture("b.txt"), "ファイルフォーマット異常", Picture("b.txt") + " は表示できません"},
      {Picture("huge.tst"), "画像サイズ異常",
       Picture("huge.tst") +
           " は画像が大きすぎるため表示できません\n(表示できるのは6400万画素まで)"},
      {tooLong, "パス長エラー", tooLong + "\nはパスが長すぎるため扱えません。"},
  };
  for (const auto& c : cases) {
    viewer.DropFiles({c.path});
    const MessageBoxInfo box = viewer.WaitForMessageBox(c.caption);
    EXPECT_EQ(WithoutLineBreaks(box.text), WithoutLineBreaks(c.text));
    viewer.Answer(box, IDOK);
    EXPECT_EQ(viewer.WaitForTitle("表示できません"), "表示できません");
    EXPECT_TRUE(WaitUntil([&] {
      return viewer.PixelAt({10, 10}) == ColourRef(kRed);
    })) << c.caption;
    EXPECT_TRUE(ReachesClientSize(viewer, {220, 150})) << c.caption;
  }
  EXPECT_TRUE(DeletesTheShownFile(viewer));
  EXPECT_FALSE(FileExists(Picture("a.bmp")));
}

TEST_F(Browse, FileOpenedUnderAnotherSpellingStepsToTheFirstOrTheLastEntry) {
  WriteSolidBmp(Picture("a.bmp"), 220, 150, kRed);
  WriteSolidBmp(Picture("b.bmp"), 240, 160, kGreen);
  WriteSolidBmp(Picture("c.bmp"), 260, 170, kBlue);
  // The listing says b.bmp, so the list holds no entry named B.BMP.
  const struct {
    const char* label;
    WORD key;
    std::string first, second;
  } cases[] = {{"Space", VK_SPACE, "a.bmp [100%]", "b.bmp [100%]"},
               {"BackSpace", VK_BACK, "c.bmp [100%]", "b.bmp [100%]"}};
  for (const auto& c : cases) {
    Viewer viewer = StartOn("B.BMP");
    PressAndExpectTitles(
        viewer, {{c.label, c.key, kNoModifier, c.first}, {c.label, c.key, kNoModifier, c.second}});
  }
}

TEST_F(Browse, StepShowsThePictureDecodedAheadBeforeDecodingTheNext) {
  const Rgb colours[] = {kRed, kGreen, kBlue, kWhite};
  for (int i = 0; i < 4; ++i) {
    WriteTestPicture(Picture(std::to_string(i + 1) + ".tst"), 200, 150, colours[i]);
  }
  const PluginTrace trace(folder_ + "\\trace.log", kViewerClass);
  Viewer viewer = StartOn("1.tst", WithTestPlugin("testspi\\trace.spi"));

  // What the decodes after the start saw on the screen, and which file each read.
  auto decodes = [&] {
    std::vector<std::string> lines = trace.Decodes();
    lines.erase(lines.begin(), lines.begin() + std::min<size_t>(lines.size(), 2));
    return lines;
  };
  std::vector<std::string> expected;
  auto expectDecodes = [&](WORD key, const char* label, std::vector<std::string> more) {
    expected.insert(expected.end(), more.begin(), more.end());
    viewer.PressKey(key);
    WaitUntil([&] { return decodes().size() >= expected.size(); });
    EXPECT_EQ(decodes(), expected) << "after " << label;
  };
  // Once the opened picture is on screen both neighbours are decoded, the
  // next first, and the first step only shows what is ready.
  expected = {"Shown 1.tst [100%] FF0000", "GetPicture 2.tst", "Shown 1.tst [100%] FF0000",
              "GetPicture 4.tst"};
  WaitUntil([&] { return decodes().size() >= expected.size(); });
  EXPECT_EQ(decodes(), expected) << "before any key";
  expectDecodes(VK_SPACE, "the first Space", {"Shown 2.tst [100%] 00FF00", "GetPicture 3.tst"});
  expectDecodes(VK_SPACE, "the second Space", {"Shown 3.tst [100%] 0000FF", "GetPicture 4.tst"});
  expectDecodes(VK_BACK, "BackSpace", {"Shown 2.tst [100%] 00FF00", "GetPicture 1.tst"});
}

// Another program changes the neighbours decoded ahead: one is replaced by
// a file renamed to its name, another written over in place. Each step
// shows the file as it is then.
TEST_F(Browse, NeighbourReplacedOrWrittenOverOnDiskIsDecodedAgainBeforeItShows) {
  constexpr Rgb kYellow{255, 255, 0};
  const Rgb colours[] = {kRed, kGreen, kBlue, kWhite};
  for (int i = 0; i < 4; ++i) {
    WriteTestPicture(Picture(std::to_string(i + 1) + ".tst"), 200, 150, colours[i]);
  }
  const PluginTrace trace(folder_ + "\\trace.log");
  Viewer viewer = StartOn("1.tst", WithTestPlugin("testspi\\trace.spi"));
  const auto expectShown = [&](const std::string& name, Rgb colour) {
    const std::string title = name + " [100%]";
    EXPECT_EQ(viewer.WaitForTitle(title), title);
    EXPECT_TRUE(WaitUntil([&] { return viewer.PixelAt({10, 10}) == ColourRef(colour); })) << name;
  };
  // The neighbours are decoded one after the other, the next first: once
  // the one behind starts, the next one is done.
  ASSERT_TRUE(WaitUntil([&] {
    const std::vector<std::string> names = trace.DecodedNames();
    return std::find(names.begin(), names.end(), "4.tst") != names.end();
  }));

  ASSERT_TRUE(DeleteFileA(Picture("2.tst").c_str()));
  ASSERT_TRUE(MoveFileA(Picture("3.tst").c_str(), Picture("2.tst").c_str()));
  viewer.PressKey(VK_SPACE);
  expectShown("2.tst", kBlue);

  // The picture left behind, decoded when it was opened.
  WriteTestPicture(Picture("1.tst"), 210, 150, kYellow);
  viewer.PressKey(VK_BACK);
  expectShown("1.tst", kYellow);
}

TEST_F(Browse, ZoomKeysStepWithinTheirLimitsAndTheTitleFollows) {
  WriteSolidBmp(Picture("p.bmp"), 200, 150, kGreen);
  Viewer viewer = StartOn("p.bmp");
  PressAndExpectTitles(viewer, {
                                   {"Z", 'Z', kNoModifier, "p.bmp [110%]"},
                                   {"Shift+Z", 'Z', kShift, "p.bmp [100%]"},
                                   {"X", 'X', kNoModifier, "p.bmp [90%]"},
                                   {"Shift+X", 'X', kShift, "p.bmp [10%]"},
                                   {"X at 10 %", 'X', kNoModifier, ""},
                                   {"Z", 'Z', kNoModifier, "p.bmp [20%]"},
                                   {"keypad 5", VK_NUMPAD5, kNoModifier, "p.bmp [50%]"},
                                   {"keypad 0", VK_NUMPAD0, kNoModifier, "p.bmp [100%]"},
                                   {"Shift+keypad 3", VK_NUMPAD3, kShift, "p.bmp [300%]"},
                                   {"Shift+Z at 300 %", 'Z', kShift, "p.bmp [100%]"},
                                   {"Shift+keypad 9", VK_NUMPAD9, kShift, "p.bmp [900%]"},
                                   {"Z at 900 %", 'Z', kNoModifier, ""},
                                   {"X", 'X', kNoModifier, "p.bmp [890%]"},
                                   {"3", '3', kNoModifier, "p.bmp [30%]"},
                                   {"Shift+5", '5', kShift, "p.bmp [500%]"},
                                   {"Z at 500 %", 'Z', kNoModifier, ""},
                                   {"X", 'X', kNoModifier, "p.bmp [490%]"},
                                   {"Shift+1", '1', kShift, ""},
                                   {"Shift+6", '6', kShift, ""},
                                   {"Z", 'Z', kNoModifier, "p.bmp [500%]"},
                                   {"Shift+2", '2', kShift, "p.bmp [200%]"},
                               });
  EXPECT_TRUE(ReachesClientSize(viewer, {400, 300})) << "the window follows the zoomed picture";
}

TEST_F(Browse, TypedZoomTakesDigitsOnlyKeepsItsTextAndReportsNoWholeNumber) {
  WriteSolidBmp(Picture("p.bmp"), 200, 150, kBlue);
  Viewer viewer = StartOn("p.bmp");
  // Opens the dialog with a key and returns it with its edit field.
  auto open = [&](WORD key, unsigned modifiers) {
    viewer.PressKey(key, modifiers);
    const HWND dialog = viewer.WaitForDialog("入力値");
    return std::make_pair(dialog, Control(dialog, "Edit"));
  };
  auto replaceText = [&](HWND field, const std::string& text) {
    viewer.PressKey(VK_END);
    for (size_t i = ControlText(field).size(); i > 0; --i) viewer.PressKey(VK_BACK);
    viewer.TypeText(text);
  };

  auto [dialog, field] = open('0', kShift);
  RECT client{};
  GetClientRect(dialog, &client);
  EXPECT_EQ(client.right, 139);
  EXPECT_EQ(client.bottom, 78);
  const RECT main = viewer.OuterRect(), own = [&] {
    RECT r{};
    GetWindowRect(dialog, &r);
    return r;
  }();
  EXPECT_EQ(own.top, main.top + (main.bottom - main.top) / 2 - (own.bottom - own.top) / 2);
  EXPECT_EQ(own.left, main.left + (main.right - main.left) / 2 - (own.right - own.left) / 2);
  EXPECT_EQ(WindowText(Control(dialog, "Static", "倍率")), "倍率");
  EXPECT_EQ(ControlText(field), "");
  viewer.TypeText("a1b5c0 ");
  EXPECT_TRUE(WaitUntil([&] { return ControlText(field) == "150"; })) << ControlText(field);
  viewer.PressKey(VK_RETURN);
  EXPECT_EQ(viewer.WaitForTitle("p.bmp [150%]"), "p.bmp [150%]");
  EXPECT_TRUE(ReachesClientSize(viewer, {300, 225}));

  std::tie(dialog, field) = open(VK_NUMPAD0, kShift);
  EXPECT_EQ(ControlText(field), "150") << "the text of the last use is kept";
  replaceText(field, "1.5");
  EXPECT_TRUE(WaitUntil([&] { return ControlText(field) == "1.5"; })) << ControlText(field);
  viewer.PressKey(VK_RETURN);
  const MessageBoxInfo error = viewer.WaitForMessageBox("Bex");
  EXPECT_EQ(error.text, "'1.5' は整数ではありません.");
  viewer.Answer(error, IDOK);
  EXPECT_EQ(viewer.Title(), "p.bmp [150%]");

  std::tie(dialog, field) = open('0', kShift);
  EXPECT_EQ(ControlText(field), "1.5");
  replaceText(field, "495");
  EXPECT_TRUE(WaitUntil([&] { return ControlText(field) == "495"; })) << ControlText(field);
  viewer.PressKey(VK_ESCAPE);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(dialog); })) << "Escape closes the dialog";

  std::tie(dialog, field) = open('0', kShift);
  EXPECT_EQ(viewer.Title(), "p.bmp [150%]") << "Escape changed nothing";
  EXPECT_EQ(ControlText(field), "495") << "a cancelled text is kept too";
  PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(dialog); })) << "the close box cancels";

  std::tie(dialog, field) = open(VK_NUMPAD0, kShift);
  EXPECT_EQ(viewer.Title(), "p.bmp [150%]") << "the close box changed nothing";
  PressAndExpectTitles(viewer, {{"Enter", VK_RETURN, kNoModifier, "p.bmp [495%]"},
                                {"Z at 495 %", 'Z', kNoModifier, "p.bmp [500%]"},
                                {"Z at 500 %", 'Z', kNoModifier, ""},
                                {"X", 'X', kNoModifier, "p.bmp [490%]"}});
}

TEST_F(Browse, TypedZoomIsBoundedAboveAndZeroIsTaken) {
  WriteSolidBmp(Picture("p.bmp"), 200, 150, kBlue);
  Viewer viewer = StartOn("p.bmp");
  auto typeZoom = [&](const std::string& text) {
    viewer.PressKey('0', kShift);
    const HWND field = Control(viewer.WaitForDialog("入力値"), "Edit");
    SetControlText(field, text);
    viewer.PressKey(VK_RETURN);
  };

  // Sides of at most 2^20 pixels: 200 x 524288 / 100 = 1048576.
  typeZoom("99999999");
  EXPECT_EQ(viewer.WaitForTitle("p.bmp [524288%]"), "p.bmp [524288%]");
  EXPECT_TRUE(WaitUntil([&] {
    const RECT r = viewer.OuterRect();
    return r.right - r.left == kDesktop.cx && r.bottom - r.top == kDesktop.cy;
  })) << "the window is capped by the desktop";
  EXPECT_TRUE(WaitUntil([&] { return viewer.PixelAt({20, 20}) == ColourRef(kBlue); }));

  typeZoom("0");
  EXPECT_EQ(viewer.WaitForTitle("p.bmp [0%]"), "p.bmp [0%]");
  PressAndExpectTitles(viewer, {{"Z at 0 %", 'Z', kNoModifier, "p.bmp [10%]"}});
}

TEST_F(Browse, PictureFollowingTheWindowIsFittedAgainOnEveryResize) {
  WriteSolidBmp(Picture("wide.bmp"), 1000, 500, kWhite);
  WriteSolidBmp(Picture("wider.bmp"), 1000, 500, kBlue);
  ViewerOptions options = WithTestPlugin();
  options.settings->Set("設定", "窓と画像の関係", 1);
  Viewer viewer = Viewer::Start(folder_, "\"" + Picture("wide.bmp") + "\"", options);
  ASSERT_TRUE(WaitUntil([&] { return viewer.Title().rfind("wide.bmp [", 0) == 0; }))
      << viewer.Title();
  auto resizeClientTo = [&](SIZE client) {
    const SIZE outer = viewer.OuterSizeForClient(client);
    SetWindowPos(viewer.Window(), nullptr, 0, 0, outer.cx, outer.cy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_ASYNCWINDOWPOS);
  };

  const struct {
    SIZE client;
    const char* title;
  } resizes[] = {{{400, 400}, "wide.bmp [40%]"},
                 {{300, 300}, "wide.bmp [30%]"},
                 {{600, 100}, "wide.bmp [20%]"}};
  for (const auto& resize : resizes) {
    resizeClientTo(resize.client);
    EXPECT_EQ(viewer.WaitForTitle(resize.title), resize.title);
  }

  // A chosen zoom resizes the window to the picture once; the next resize
  // fits the picture again.
  viewer.PressKey('Z');
  EXPECT_EQ(viewer.WaitForTitle("wide.bmp [30%]"), "wide.bmp [30%]");
  EXPECT_TRUE(ReachesClientSize(viewer, {300, 150}));
  resizeClientTo({500, 500});
  EXPECT_EQ(viewer.WaitForTitle("wide.bmp [50%]"), "wide.bmp [50%]");

  // The next picture, decoded ahead for another size, comes laid out for
  // this one, filling the width.
  viewer.PressKey(VK_SPACE);
  EXPECT_EQ(viewer.WaitForTitle("wider.bmp [50%]"), "wider.bmp [50%]");
  EXPECT_TRUE(WaitUntil([&] { return viewer.PixelAt({495, 245}) == ColourRef(kBlue); }));
  EXPECT_EQ(viewer.PixelAt({495, 255}), ColourRef({0, 0, 0}));
}

TEST_F(Browse, WindowKeysMoveTheWindowAndStopOneStepBeyondTheDesktop) {
  Viewer viewer = Viewer::Start(folder_, "");
  const RECT start = viewer.OuterRect();
  const SIZE size = SizeOf(start);
  // The positions below are those of a 207 x 141 window on kDesktop.
  ASSERT_EQ(size.cx, 207);
  ASSERT_EQ(size.cy, 141);
  const LONG top = start.top;

  const struct {
    const char* label;
    WORD key;
    unsigned modifiers;
    POINT origin;  // left, top after the key
  } steps[] = {
      {"L", 'L', kNoModifier, {0, top}},
      {"Left", VK_LEFT, kNoModifier, {-50, top}},
      {"Left", VK_LEFT, kNoModifier, {-100, top}},
      {"Left", VK_LEFT, kNoModifier, {-150, top}},
      {"Left", VK_LEFT, kNoModifier, {-200, top}},
      {"Left", VK_LEFT, kNoModifier, {-250, top}},
      {"Left at the limit", VK_LEFT, kNoModifier, {-250, top}},
      {"Ctrl+Left", VK_LEFT, kCtrl, {0, top}},
      {"Shift+R (refresh), then Left", 'R', kShift, {0, top}},
      {"Left", VK_LEFT, kNoModifier, {-50, top}},
      {"R", 'R', kNoModifier, {1073, top}},
      {"Right", VK_RIGHT, kNoModifier, {1123, top}},
      {"Right", VK_RIGHT, kNoModifier, {1173, top}},
      {"Right", VK_RIGHT, kNoModifier, {1223, top}},
      {"Right", VK_RIGHT, kNoModifier, {1273, top}},
      {"Right beyond the edge", VK_RIGHT, kNoModifier, {1280, top}},
      {"Right at the limit", VK_RIGHT, kNoModifier, {1280, top}},
      {"Ctrl+Shift+R", 'R', kCtrl | kShift, {1073, top}},
      {"T", 'T', kNoModifier, {1073, 0}},
      {"Up", VK_UP, kNoModifier, {1073, -50}},
      {"Up", VK_UP, kNoModifier, {1073, -100}},
      {"Up", VK_UP, kNoModifier, {1073, -150}},
      {"Up at the limit", VK_UP, kNoModifier, {1073, -150}},
      {"B", 'B', kNoModifier, {1073, 883}},
      {"Down", VK_DOWN, kNoModifier, {1073, 933}},
      {"Down", VK_DOWN, kNoModifier, {1073, 983}},
      {"Down beyond the edge", VK_DOWN, kNoModifier, {1073, 1024}},
      {"Ctrl+Up", VK_UP, kCtrl, {1073, 0}},
      {"Ctrl+Shift+Left", VK_LEFT, kCtrl | kShift, {0, 0}},
      {"Ctrl+Down", VK_DOWN, kCtrl, {0, 883}},
      {"Ctrl+R", 'R', kCtrl, {1073, 883}},
      {"C", 'C', kNoModifier, {536, 441}},
      {"Ctrl+Right", VK_RIGHT, kCtrl, {1073, 441}},
      {"Ctrl+Shift+C", 'C', kCtrl | kShift, {536, 441}},
  };
  for (const auto& step : steps) {
    viewer.PressKey(step.key, step.modifiers);
    ASSERT_TRUE(ReachesRect(viewer, RectAt(step.origin, size))) << "after " << step.label;
  }
}

TEST_F(Browse, ShiftArrowsScrollThePictureFiftyPixelsUpToItsEdges) {
  WriteCoordinateBmp(Picture("big.bmp"), 800, 600);
  ViewerOptions options = WithTestPlugin();
  options.settings->Set("設定", "窓と画像の関係", 2);
  SetWindowBounds(*options.settings, {100, 100, 100 + 330, 100 + 260});
  Viewer viewer = Viewer::Start(folder_, "\"" + Picture("big.bmp") + "\"", options);
  ASSERT_EQ(viewer.WaitForTitle("big.bmp [100%]"), "big.bmp [100%]");
  const SIZE client = viewer.ClientSize();
  ASSERT_LT(client.cx, 330);
  const POINT end{800 - client.cx, 600 - client.cy};

  const struct {
    const char* label;
    WORD key;
    int times;
    POINT scroll;
  } steps[] = {
      {"Shift+Right", VK_RIGHT, 1, {50, 0}},
      {"Shift+Down", VK_DOWN, 1, {50, 50}},
      {"Shift+Left", VK_LEFT, 1, {0, 50}},
      {"Shift+Left at the left end, then Shift+Down", VK_LEFT, 1, {0, 50}},
      {"Shift+Down", VK_DOWN, 1, {0, 100}},
      {"Shift+Right to the right end", VK_RIGHT, 20, {end.x, 100}},
      {"Shift+Down to the bottom end", VK_DOWN, 20, {end.x, end.y}},
      {"Shift+Up", VK_UP, 1, {end.x, end.y - 50}},
      {"Shift+Up to the top", VK_UP, 20, {end.x, 0}},
  };
  for (const auto& step : steps) {
    for (int i = 0; i < step.times; ++i) viewer.PressKey(step.key, kShift);
    ASSERT_TRUE(ShowsPictureAt(viewer, {0, 0}, step.scroll)) << "after " << step.label;
  }
  EXPECT_TRUE(ShowsPictureAt(viewer, {client.cx - 1, client.cy - 1}, {799, client.cy - 1}))
      << "the right edge of the picture is in view";
  EXPECT_EQ(viewer.Title(), "big.bmp [100%]");
}

TEST_F(Browse, MenuShortcutsActWhileTheMenuIsClosed) {
  WriteSolidBmp(Picture("a.bmp"), 220, 150, kRed);
  WriteSolidBmp(Picture("c.bmp"), 240, 160, kBlue);
  Viewer viewer = StartOn("a.bmp");
  PressAndExpectTitles(viewer, {{"Space", VK_SPACE, kNoModifier, "c.bmp [100%]"}});

  // The list stays as it was built until it is refreshed.
  WriteSolidBmp(Picture("b.bmp"), 260, 170, kGreen);
  PressAndExpectTitles(viewer, {{"Space", VK_SPACE, kNoModifier, "a.bmp [100%]"},
                                {"Shift+R", 'R', kShift, ""},
                                {"Space after the refresh", VK_SPACE, kNoModifier, "b.bmp [100%]"},
                                {"Space", VK_SPACE, kNoModifier, "c.bmp [100%]"}});

  // Shift+1 is no shortcut (1 alone is): it does nothing.
  PressAndExpectTitles(viewer, {{"Shift+1", '1', kShift, ""},
                                {"Z", 'Z', kNoModifier, "c.bmp [110%]"},
                                {"1", '1', kNoModifier, "c.bmp [10%]"}});

  // M opens the command menu at a tenth of the window from its top-left corner.
  viewer.PressKey('0');
  EXPECT_TRUE(ReachesClientSize(viewer, {240, 160}));
  const RECT window = viewer.OuterRect();
  const SIZE size = SizeOf(window);
  viewer.PressKey('M');
  const HWND menu = viewer.WaitForPopupMenu();
  RECT at{};
  GetWindowRect(menu, &at);
  EXPECT_EQ(at.left, window.left + size.cx / 10);
  EXPECT_EQ(at.top, window.top + size.cy / 10);
  viewer.PressKey(VK_ESCAPE);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(menu); }));
  EXPECT_TRUE(viewer.Running());
}

TEST_F(Browse, SortDialogOrdersTheListOnlyWhenConfirmed) {
  // By name a, b, c; by size b (smallest), c, a (largest).
  WriteSolidBmp(Picture("a.bmp"), 300, 200, kRed);
  WriteSolidBmp(Picture("b.bmp"), 100, 80, kGreen);
  WriteSolidBmp(Picture("c.bmp"), 200, 150, kBlue);
  Viewer viewer = StartOn("a.bmp");
  const std::vector<std::string> captions = {"&N: 名前順", "&D: 日付順", "&S: サイズ順", "&F: 昇順",
                                             "&B: 降順"};
  // Opens the dialog with S and returns it with the captions of its ticked buttons.
  auto open = [&] {
    viewer.PressKey('S');
    const HWND dialog = viewer.WaitForDialog("Sort条件");
    std::vector<std::string> ticked;
    for (const std::string& caption : captions) {
      if (IsChecked(Control(dialog, "Button", caption.c_str()))) ticked.push_back(caption);
    }
    return std::make_pair(dialog, ticked);
  };
  auto waitTicked = [&](HWND dialog, const std::string& caption) {
    return WaitUntil([&] { return IsChecked(Control(dialog, "Button", caption.c_str())); });
  };

  auto [dialog, ticked] = open();
  EXPECT_EQ(ticked, (std::vector<std::string>{"&N: 名前順", "&F: 昇順"}));
  const RECT box1 = RectInDialog(dialog, Control(dialog, "Button", "種類"));
  const RECT box2 = RectInDialog(dialog, Control(dialog, "Button", "方向"));
  const RECT ok = RectInDialog(dialog, Control(dialog, "Button", "&OK"));
  RECT outer{};
  GetWindowRect(dialog, &outer);
  EXPECT_EQ(box2.left, 2 * box1.left + SizeOf(box1).cx);
  EXPECT_EQ(SizeOf(outer).cx, box2.right + 10);
  EXPECT_EQ(SizeOf(outer).cy, ok.bottom + 35);
  viewer.PressKey('D');
  EXPECT_TRUE(waitTicked(dialog, "&D: 日付順"));
  viewer.PressKey(VK_ESCAPE);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }));
  PressAndExpectTitles(viewer, {{"Space after Escape", VK_SPACE, kNoModifier, "b.bmp [100%]"},
                                {"BackSpace", VK_BACK, kNoModifier, "a.bmp [100%]"}});

  std::tie(dialog, ticked) = open();
  EXPECT_EQ(ticked, (std::vector<std::string>{"&N: 名前順", "&F: 昇順"}))
      << "Escape kept the condition";
  viewer.PressKey('S');
  viewer.PressKey('B');
  EXPECT_TRUE(waitTicked(dialog, "&S: サイズ順"));
  EXPECT_TRUE(waitTicked(dialog, "&B: 降順"));
  viewer.PressKey(VK_RETURN);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }));
  EXPECT_EQ(viewer.Title(), "a.bmp [100%]") << "the shown picture stays";
  PressAndExpectTitles(viewer, {{"Space by size descending", VK_SPACE, kNoModifier, "c.bmp [100%]"},
                                {"Space", VK_SPACE, kNoModifier, "b.bmp [100%]"},
                                {"Space at the last", VK_SPACE, kNoModifier, "a.bmp [100%]"}});

  std::tie(dialog, ticked) = open();
  EXPECT_EQ(ticked, (std::vector<std::string>{"&S: サイズ順", "&B: 降順"}));
  viewer.PressKey(VK_ESCAPE);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }));
}

// Explorer's order as the stored default: numbers by value and letter case
// ignored (by bytes FILE2 would come first and file10 before it), then
// descending from the sort dialog, which shows and keeps the choice.
TEST_F(Browse, ExplorerOrderStepsNumbersByValueWithoutRegardToCase) {
  WriteSolidBmp(Picture("file1.bmp"), 220, 150, kRed);
  WriteSolidBmp(Picture("file10.bmp"), 240, 160, kGreen);
  WriteSolidBmp(Picture("FILE2.bmp"), 260, 170, kBlue);
  ViewerOptions options = WithTestPlugin();
  options.settings->Set("設定", "Sort種類", 8);
  Viewer viewer = StartOn("file1.bmp", options);
  PressAndExpectTitles(viewer, {{"Space", VK_SPACE, kNoModifier, "FILE2.bmp [100%]"},
                                {"Space", VK_SPACE, kNoModifier, "file10.bmp [100%]"},
                                {"Space at the last", VK_SPACE, kNoModifier, "file1.bmp [100%]"}});

  const char* explorerOrder = "&E: エクスプローラー順";
  viewer.PressKey('S');
  HWND dialog = viewer.WaitForDialog("Sort条件");
  EXPECT_TRUE(IsChecked(Control(dialog, "Button", explorerOrder)));
  viewer.PressKey('B');
  EXPECT_TRUE(WaitUntil([&] { return IsChecked(Control(dialog, "Button", "&B: 降順")); }));
  viewer.PressKey(VK_RETURN);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }));
  PressAndExpectTitles(viewer, {{"Space descending", VK_SPACE, kNoModifier, "file10.bmp [100%]"},
                                {"Space", VK_SPACE, kNoModifier, "FILE2.bmp [100%]"}});

  viewer.PressKey('S');
  dialog = viewer.WaitForDialog("Sort条件");
  EXPECT_TRUE(IsChecked(Control(dialog, "Button", explorerOrder)));
  EXPECT_TRUE(IsChecked(Control(dialog, "Button", "&B: 降順")));
  viewer.PressKey(VK_ESCAPE);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }));
}

// On a 144-dpi display the zoom input and sort dialogs are one and a half
// times their 96-dpi design (within a pixel, as the scaled lengths round),
// the sort dialog still fitted around its frames.
TEST_F(Browse, ZoomAndSortDialogsScaleWithTheDisplay) {
  const DisplayDpiForNewProcesses dpi(144);
  WriteSolidBmp(Picture("a.bmp"), 200, 150, kBlue);
  Viewer viewer = StartOn("a.bmp");
  auto aboutAt = [](LONG actual, double expected) { return std::abs(actual - expected) <= 1; };

  viewer.PressKey('0', kShift);
  HWND dialog = viewer.WaitForDialog("入力値");
  RECT client{};
  GetClientRect(dialog, &client);
  EXPECT_TRUE(aboutAt(client.right, 139 * 1.5)) << client.right;
  EXPECT_TRUE(aboutAt(client.bottom, 78 * 1.5)) << client.bottom;
  viewer.PressKey(VK_ESCAPE);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(dialog); }));

  viewer.PressKey('S');
  dialog = viewer.WaitForDialog("Sort条件");
  const RECT box1 = RectInDialog(dialog, Control(dialog, "Button", "種類"));
  const RECT box2 = RectInDialog(dialog, Control(dialog, "Button", "方向"));
  const RECT ok = RectInDialog(dialog, Control(dialog, "Button", "&OK"));
  RECT outer{};
  GetWindowRect(dialog, &outer);
  EXPECT_TRUE(aboutAt(box1.left, 8 * 1.5) && aboutAt(box1.top, 4 * 1.5))
      << box1.left << "," << box1.top;
  EXPECT_TRUE(aboutAt(SizeOf(box1).cx, 164 * 1.5) && aboutAt(SizeOf(box1).cy, 106 * 1.5));
  EXPECT_TRUE(aboutAt(ok.top, 118 * 1.5) && aboutAt(SizeOf(ok).cx, 80 * 1.5));
  EXPECT_EQ(box2.left, 2 * box1.left + SizeOf(box1).cx);
  EXPECT_TRUE(aboutAt(SizeOf(outer).cx, box2.right + 10 * 1.5)) << SizeOf(outer).cx;
  EXPECT_TRUE(aboutAt(SizeOf(outer).cy, ok.bottom + 35 * 1.5)) << SizeOf(outer).cy;
  viewer.PressKey(VK_ESCAPE);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }));
}

TEST_F(Browse, FolderWithoutPicturesIsReportedAndLaterFilesAreFound) {
  WriteSolidBmp(Picture("a.bmp"), 220, 150, kRed);
  WriteFileBytes(Picture("note.txt"), "not a picture\r\n");
  Viewer viewer = StartOn("a.bmp");
  ASSERT_TRUE(DeletesTheShownFile(viewer));

  viewer.PressKey(VK_SPACE);
  const MessageBoxInfo box = viewer.WaitForMessageBox("検索エラー");
  EXPECT_EQ(box.text, "表示可能ファイルが見つかりません");
  viewer.Answer(box, IDOK);
  EXPECT_EQ(viewer.Title(), "削除完了") << "the delete's title stays";

  WriteSolidBmp(Picture("b.bmp"), 240, 160, kGreen);
  PressAndExpectTitles(viewer, {{"Space", VK_SPACE, kNoModifier, "b.bmp [100%]"}});
}

TEST_F(Browse, AFolderDroppedWithNothingToShowKeepsTheShownFileForEveryCommand) {
  WriteSolidBmp(Picture("a.bmp"), 220, 150, kRed);
  const std::string empty = folder_ + "\\empty";
  CreateDirectoryA(empty.c_str(), nullptr);
  WriteFileBytes(empty + "\\note.txt", "not a picture\r\n");
  Viewer viewer = StartOn("a.bmp");

  viewer.DropFiles({empty});
  const MessageBoxInfo box = viewer.WaitForMessageBox("検索エラー");
  EXPECT_EQ(box.text, "表示可能ファイルが見つかりません");
  viewer.Answer(box, IDOK);
  EXPECT_EQ(viewer.Title(), "a.bmp [100%]");
  EXPECT_TRUE(DeletesTheShownFile(viewer));
  EXPECT_FALSE(FileExists(Picture("a.bmp")));
}

// A line of the text that starts with the shortcut and has the caption as
// its second column (indented or not).
::testing::AssertionResult ListsCommand(const std::string& text, const std::string& shortcut,
                                        const std::string& caption) {
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    std::istringstream columns(line);
    std::string key, item;
    std::getline(columns, key, '\t');
    std::getline(columns, item, '\t');
    if (key == shortcut && (item == caption || item == "　" + caption)) {
      return ::testing::AssertionSuccess();
    }
  }
  return ::testing::AssertionFailure() << "no line \"" << shortcut << "\t" << caption << "\"";
}

TEST_F(Browse, F1WithoutAHelpFileListsEveryMenuCommandAndEscapeClosesTheList) {
  WriteSolidBmp(Picture("a.bmp"), 220, 150, kRed);
  Viewer viewer = StartOn("a.bmp");
  ASSERT_FALSE(FileExists(viewer.Folder() + "\\bex.hlp"));

  viewer.PressKey(VK_F1);
  const HWND help = viewer.WaitForDialog("ﾍﾙﾌﾟ");
  const std::string text = ControlText(Control(help, "Edit"));
  for (const MenuItem& item : CommandMenuItems()) {
    if (item.Kind != MenuItemKind::kCommand) continue;
    EXPECT_TRUE(ListsCommand(text, ShortcutText(item.Keys), PlainCaption(item.Caption)))
        << item.Name;
  }

  viewer.PressKey(VK_ESCAPE);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(help); }));
  EXPECT_TRUE(viewer.Running()) << "Escape closes the list, not the viewer";
  PressAndExpectTitles(viewer, {{"Z after the list", 'Z', kNoModifier, "a.bmp [110%]"}});
}

// Names code page 932 cannot hold beside names it holds. The ANSI listing
// showed café.bmp as a second cafe.bmp and passed over 한글.bmp and 😀.bmp.
class WideNames : public Browse {
 protected:
  struct Named {
    std::wstring name;
    Rgb colour;
  };

  WideNames() {
    for (const Named& file : Files()) {
      WriteFileBytes(WidePicture(file.name),
                     BmpBytes(40, 30, [&](int, int) { return file.colour; }));
    }
  }

  // In the order of the steps: the names code page 932 holds by their bytes
  // there, then the others by UTF-16.
  static std::vector<Named> Files() {
    return {{L"cafe.bmp", kWhite},
            {L"\u4e88\u5b9a.bmp", {255, 255, 0}},
            {L"caf\u00e9.bmp", kBlue},
            {L"\ud55c\uae00.bmp", kGreen},
            {L"\U0001F600.bmp", kRed}};
  }

  std::wstring WidePicture(const std::wstring& name) const {
    return FromCp932(pictures_) + L"\\" + name;
  }

  // A viewer of the folder, which shows its first file.
  Viewer StartOnFolder() const {
    return Viewer::Start(folder_, "\"" + pictures_ + "\"", WithTestPlugin());
  }

  static void ExpectShown(const Viewer& viewer, const Named& file) {
    const std::wstring title = file.name + L" [100%]";
    EXPECT_EQ(viewer.WaitForWideTitle(title), title) << WideToUtf8(file.name);
    EXPECT_TRUE(WaitUntil([&] {
      return viewer.PixelAt({10, 10}) == ColourRef(file.colour);
    })) << WideToUtf8(file.name);
  }
};

TEST_F(WideNames, EachFileShowsOnceWithItsOwnPixelsUnderItsRealName) {
  Viewer viewer = StartOnFolder();
  for (const Named& file : Files()) {
    ExpectShown(viewer, file);
    viewer.PressKey(VK_SPACE);
  }
  ExpectShown(viewer, Files()[0]);  // round once: none passed over, none twice
}

TEST_F(WideNames, DOnCafeWithAnAccentDeletesItAndKeepsCafe) {
  Viewer viewer = StartOnFolder();
  ExpectShown(viewer, Files()[0]);
  viewer.PressKey(VK_SPACE);
  viewer.PressKey(VK_SPACE);
  ExpectShown(viewer, Files()[2]);
  EXPECT_TRUE(DeletesTheShownFile(viewer));
  EXPECT_FALSE(FileExists(WidePicture(L"caf\u00e9.bmp")));
  EXPECT_TRUE(FileExists(WidePicture(L"cafe.bmp")));
}

std::wstring Wide(const std::string& cp932) {
  std::wstring wide(cp932.size(), L'\0');
  wide.resize(MultiByteToWideChar(932, 0, cp932.data(), static_cast<int>(cp932.size()), wide.data(),
                                  static_cast<int>(wide.size())));
  return wide;
}

LRESULT AskControl(HWND control, UINT message, WPARAM wParam) {
  DWORD_PTR result = 0;
  SendMessageTimeoutA(control, message, wParam, 0, SMTO_ABORTIFHUNG, kWaitMs, &result);
  return static_cast<LRESULT>(result);
}

// A line of a multi-line edit control as the control shows it.
struct ShownLine {
  std::wstring text;    // without its line break
  bool startsTextLine;  // false where the control wrapped the line above
  int firstX;           // left edge of its first character after leading tabs
  int lastColumnX;      // left edge of its first character after its last tab
};

// The shown lines of an edit control, blank ones left out.
std::vector<ShownLine> ShownLines(HWND edit) {
  const std::wstring text = Wide(ControlText(edit));
  auto leftOf = [&](size_t at) {
    return static_cast<int>(static_cast<short>(LOWORD(AskControl(edit, EM_POSFROMCHAR, at))));
  };
  const int count = static_cast<int>(AskControl(edit, EM_GETLINECOUNT, 0));
  std::vector<ShownLine> lines;
  for (int i = 0; i < count; ++i) {
    const size_t start = AskControl(edit, EM_LINEINDEX, i);
    const size_t end = i + 1 < count ? AskControl(edit, EM_LINEINDEX, i + 1) : text.size();
    std::wstring line = text.substr(start, end - start);
    while (!line.empty() && (line.back() == L'\n' || line.back() == L'\r')) line.pop_back();
    const size_t first = line.find_first_not_of(L'\t');
    if (first == std::wstring::npos) continue;
    const size_t lastTab = line.rfind(L'\t');
    const size_t lastColumn = lastTab == std::wstring::npos ? first : lastTab + 1;
    lines.push_back({line, start == 0 || text[start - 1] == L'\n', leftOf(start + first),
                     leftOf(start + lastColumn)});
  }
  return lines;
}

// Whether a shown line is the start of a line of the help text.
bool BeginsAHelpLine(const ShownLine& line) {
  if (!line.startsTextLine) return false;
  std::istringstream help(HelpText());
  for (std::string row; std::getline(help, row);) {
    if (Wide(row).rfind(line.text, 0) == 0) return true;
  }
  return false;
}

// A description too long for the window wraps within its own column: every
// shown line either starts a line of the help text or goes on with the
// description above it, under that description's first character.
TEST_F(Browse, F1KeepsAWrappedDescriptionInItsColumn) {
  WriteSolidBmp(Picture("a.bmp"), 220, 150, kRed);
  for (const int dpi : {96, 144}) {
    std::optional<DisplayDpiForNewProcesses> display;
    if (dpi != 96) display.emplace(dpi);
    Viewer viewer = StartOn("a.bmp");
    viewer.PressKey(VK_F1);
    const HWND help = viewer.WaitForDialog("ﾍﾙﾌﾟ");
    int descriptionX = -1;
    size_t continued = 0;
    for (const ShownLine& line : ShownLines(Control(help, "Edit"))) {
      if (BeginsAHelpLine(line)) {
        descriptionX = line.lastColumnX;
        continue;
      }
      ++continued;
      EXPECT_EQ(line.firstX, descriptionX) << dpi << " dpi: " << line.text;
    }
    EXPECT_GT(continued, 0u) << dpi << " dpi: some description wraps";
    viewer.PressKey(VK_ESCAPE);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(help); }));
  }
}

}  // namespace
}  // namespace bex::test
