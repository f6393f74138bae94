// The mouse and the ways files reach a running viewer, in the real viewer
// under Wine with real input and real processes: dragging the window or the
// picture, double clicks and the wheel, the single-instance hand-off of later
// launches, the lock key, files dropped on the window and the open dialog.
#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "common/code_page_win.h"
#include "support/bmp_writer.h"
#include "support/test_pictures.h"
#include "support/viewer_checks.h"
#include "support/viewer_driver.h"
#include "support/wine_paths.h"

namespace bex::test {
namespace {

constexpr Rgb kRed{255, 0, 0}, kGreen{0, 255, 0}, kBlue{0, 0, 255}, kWhite{255, 255, 255};
constexpr char kInstanceLock[] = "Bex Lock";

POINT Offset(const RECT& r, LONG dx, LONG dy) { return {r.left + dx, r.top + dy}; }

// Waits until the viewer has handled the input sent before: M opens its menu,
// which only happens after everything queued ahead of it, and Escape closes it.
void WaitForInputHandled(const Viewer& viewer) {
  viewer.PressKey('M');
  const HWND menu = viewer.WaitForPopupMenu();
  viewer.PressKey(VK_ESCAPE);
  if (!WaitUntil([&] { return !IsWindowVisible(menu); })) throw DriverError("the menu stays open");
}

// Drags the window with the left button from a client point by an offset in
// four steps, and after each step waits until the window has followed. Under
// Wine a pointer motion that the X server reports before it has moved the
// window is measured against the window's new place and counts twice.
::testing::AssertionResult DragWindow(const Viewer& viewer, POINT from, SIZE by) {
  const RECT start = viewer.OuterRect();
  const POINT press = viewer.ClientToScreenPoint(from);
  viewer.PressMouse(MouseButton::kLeft, from);
  constexpr int kSteps = 4;
  for (int i = 1; i <= kSteps; ++i) {
    const SIZE moved{by.cx * i / kSteps, by.cy * i / kSteps};
    SendMouseMoves({{press.x + moved.cx, press.y + moved.cy}});
    ::testing::AssertionResult followed =
        ReachesRect(viewer, RectAt(Offset(start, moved.cx, moved.cy), SizeOf(start)));
    if (!followed) {
      SendMouseButton(MouseButton::kLeft, false, {press.x + moved.cx, press.y + moved.cy});
      return followed << " at step " << i;
    }
  }
  viewer.ReleaseMouse(MouseButton::kLeft, from);
  return ::testing::AssertionSuccess();
}

// Wheel rotation in the platform's units (120 a notch), where the pointer is.
void SendWheelUnits(int units) {
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dwFlags = MOUSEEVENTF_WHEEL;
  in.mi.mouseData = static_cast<DWORD>(units);
  if (SendInput(1, &in, sizeof in) != 1) throw DriverError("SendInput refused the wheel");
}

bool InstanceLockExists() {
  HANDLE lock = OpenMutexA(SYNCHRONIZE, FALSE, kInstanceLock);
  if (lock) CloseHandle(lock);
  return lock != nullptr;
}

// The programs running now, to tell who may hold or have just taken the lock.
std::string ProgramsRunning() {
  std::string list = "programs running:";
  for (const std::string& path : RunningPrograms()) list += "\n  " + path;
  return list;
}

class MouseAndHandOff : public ::testing::Test {
 protected:
  MouseAndHandOff() { CreateDirectoryA(pictures_.c_str(), nullptr); }

  // A viewer of an earlier test that took the lock may still be ending on a
  // busy machine; the lock tests need a world without it.
  void SetUp() override {
    ASSERT_TRUE(WaitUntil([] { return !InstanceLockExists(); }, 3 * kWaitMs))
        << "an earlier viewer still holds the instance lock; " << ProgramsRunning();
  }

  std::string Picture(const std::string& name) const { return pictures_ + "\\" + name; }
  std::string Quoted(const std::string& name) const { return "\"" + Picture(name) + "\""; }
  // The name, under the pictures, of a test picture written alone in a folder
  // of its own: opening it decodes no other file ahead, so that a trace of
  // the decodes shows the opened files only.
  std::string WriteAlone(const std::string& name, int width, Rgb colour) const {
    const std::string lone = name + ".alone\\" + name;
    CreateDirectoryA(Picture(name + ".alone").c_str(), nullptr);
    WriteTestPicture(Picture(lone), width, 150, colour);
    return lone;
  }

  static ViewerOptions Options(bool noSecondLaunch, const char* plugin = "testspi\\tst1.spi") {
    ViewerOptions options;
    options.settings->Set("設定", "追加起動禁止", noSecondLaunch ? 1 : 0);
    options.plugins = {plugin};
    return options;
  }

  // A viewer showing the picture of that name, waited for.
  Viewer StartOn(const std::string& name, const ViewerOptions& options = Options(false)) const {
    return StartShowing(folder_, Picture(name), options);
  }

  // Four pictures a..d of one size, the viewer showing b.
  Viewer StartInFourPictures(const ViewerOptions& options = Options(false)) const {
    const Rgb colours[] = {kRed, kGreen, kBlue, kWhite};
    for (int i = 0; i < 4; ++i) {
      WriteSolidBmp(Picture(std::string(1, static_cast<char>('a' + i)) + ".bmp"), 300, 210,
                    colours[i]);
    }
    return StartOn("b.bmp", options);
  }

  // Another launch of the viewer's program; its exit code once it has ended.
  static std::optional<DWORD> LaunchAndWait(const Viewer& viewer, const std::string& args,
                                            const std::string& workingFolder = "") {
    const Process launch = viewer.LaunchAnother(args, workingFolder);
    return launch.WaitForExit();
  }

  const std::string folder_ = ScratchFolderForTest();
  const std::string pictures_ = folder_ + "\\pics";
};

TEST_F(MouseAndHandOff, LeftDragMovesTheWindowByThePointersMovementOverPictureAndBackground) {
  WriteSolidBmp(Picture("a.bmp"), 300, 200, kRed);
  // One viewer at a time: both open centred, and the press must not land on
  // the other one's window.
  for (const bool withPicture : {true, false}) {
    Viewer viewer = withPicture ? StartOn("a.bmp") : Viewer::Start(ScratchFolderForTest(), "");
    const RECT start = viewer.OuterRect();
    const SIZE size = SizeOf(start);
    ASSERT_TRUE(DragWindow(viewer, {50, 50}, {80, 40})) << "with picture: " << withPicture;
    ASSERT_TRUE(DragWindow(viewer, {100, 60}, {-64, -32})) << "with picture: " << withPicture;
    ASSERT_TRUE(ReachesRect(viewer, RectAt(Offset(start, 16, 8), size)));

    // Released, the pointer moves over the window without taking it along.
    viewer.MoveMouse({60, 20});
    WaitForInputHandled(viewer);
    EXPECT_TRUE(ReachesRect(viewer, RectAt(Offset(start, 16, 8), size)));
  }
}

TEST_F(MouseAndHandOff, ShiftDragScrollsThePictureUpToItsEdges) {
  WriteCoordinateBmp(Picture("big.bmp"), 800, 600);
  ViewerOptions options = Options(false);
  options.settings->Set("設定", "窓と画像の関係", 2);
  SetWindowBounds(*options.settings, {300, 300, 300 + 330, 300 + 260});
  Viewer viewer = StartOn("big.bmp", options);
  const RECT window = viewer.OuterRect();
  const SIZE client = viewer.ClientSize();
  const POINT end{800 - client.cx, 600 - client.cy};

  const struct {
    const char* label;
    POINT from, to;
    POINT scroll;  // after the drag
  } drags[] = {
      {"left and up", {200, 150}, {120, 110}, {80, 40}},
      {"further", {300, 200}, {0, 0}, {380, 240}},
      {"beyond the ends", {290, 190}, {0, 0}, end},
      {"back", {0, 0}, {300, 200}, {end.x - 300, end.y - 200}},
      {"beyond the start", {10, 10}, {310, 210}, {0, 0}},
  };
  for (const auto& drag : drags) {
    viewer.Drag(MouseButton::kLeft, drag.from, drag.to, kShift);
    ASSERT_TRUE(ShowsPictureAt(viewer, {0, 0}, drag.scroll)) << "after the drag " << drag.label;
  }
  EXPECT_TRUE(ReachesRect(viewer, window)) << "the window stays";
}

TEST_F(MouseAndHandOff, ShiftDragOnAPictureThatFitsChangesNothing) {
  WriteCoordinateBmp(Picture("small.bmp"), 300, 200);
  Viewer viewer = StartOn("small.bmp");
  const RECT window = viewer.OuterRect();
  viewer.Drag(MouseButton::kLeft, {200, 150}, {120, 110}, kShift);
  EXPECT_TRUE(DragWindow(viewer, {20, 20}, {24, 12}));
  EXPECT_TRUE(ReachesRect(viewer, RectAt(Offset(window, 24, 12), SizeOf(window))))
      << "only the plain drag moved the window";
  EXPECT_TRUE(ShowsPictureAt(viewer, {0, 0}, {0, 0}));
}

TEST_F(MouseAndHandOff, DoubleClickStepsInTheUpperOuterThirdsOnly) {
  Viewer viewer = StartInFourPictures();
  const RECT window = viewer.OuterRect();
  const SIZE size = SizeOf(window);
  // Zones by the outer size: thirds of the width, the upper two thirds of the height.
  const LONG left = size.cx / 3 - 5, right = 2 * size.cx / 3 + 5, middle = size.cx / 2;
  const LONG upper = 2 * size.cy / 3 - 5, lower = 2 * size.cy / 3 + 5;
  ASSERT_LT(lower, viewer.ClientSize().cy);

  viewer.DoubleClick(MouseButton::kLeft, {left, 10});
  EXPECT_EQ(viewer.WaitForTitle("a.bmp [100%]"), "a.bmp [100%]") << "upper left: back";
  viewer.DoubleClick(MouseButton::kLeft, {right, upper});
  EXPECT_EQ(viewer.WaitForTitle("b.bmp [100%]"), "b.bmp [100%]") << "upper right: forward";
  for (const POINT at : {POINT{middle, 10}, POINT{left, lower}, POINT{right, lower}}) {
    viewer.DoubleClick(MouseButton::kLeft, at);
  }
  viewer.PressKey(VK_SPACE);
  EXPECT_EQ(viewer.WaitForTitle("c.bmp [100%]"), "c.bmp [100%]")
      << "the middle and the lower third did not step";

  // The second press of a double click starts no drag, even when it moves.
  const POINT at = viewer.ClientToScreenPoint({left, 10});
  SendMouseButton(MouseButton::kLeft, true, at);
  SendMouseButton(MouseButton::kLeft, false, at);
  SendMouseButton(MouseButton::kLeft, true, at);
  SendMouseMoves({{at.x + 40, at.y + 30}});
  SendMouseButton(MouseButton::kLeft, false, {at.x + 40, at.y + 30});
  EXPECT_EQ(viewer.WaitForTitle("b.bmp [100%]"), "b.bmp [100%]");
  WaitForInputHandled(viewer);
  EXPECT_TRUE(ReachesRect(viewer, window));
}

// A picture zoomed wider than 32767 pixels and scrolled to its right end:
// the pointer's coordinates on it are past the 16 bits of a mouse message,
// and a double click in the upper right third still steps forward.
TEST_F(MouseAndHandOff, DoubleClickOnAPictureWiderThan32767PixelsStepsByItsWholeCoordinates) {
  // The window, as wide as the desktop once zoomed, wholly on it.
  ViewerOptions options = Options(false);
  options.settings->Set("窓位置", "Left", 0).Set("窓位置", "Top", 0);
  Viewer viewer = StartInFourPictures(options);
  viewer.PressKey('0', kShift);
  const HWND field = FindWindowExA(viewer.WaitForDialog("入力値"), nullptr, "Edit", nullptr);
  ASSERT_TRUE(field);
  SetControlText(field, "20000");
  viewer.PressKey(VK_RETURN);
  ASSERT_EQ(viewer.WaitForTitle("b.bmp [20000%]"), "b.bmp [20000%]");
  PostMessageA(viewer.Window(), WM_HSCROLL, SB_RIGHT, 0);
  WaitForInputHandled(viewer);
  const POINT at{viewer.ClientSize().cx * 5 / 6, 10};
  EXPECT_TRUE(WaitUntil([&] { return viewer.PixelAt(at) == ColourRef(kGreen); }))
      << "the picture shows there";
  viewer.DoubleClick(MouseButton::kLeft, at);
  EXPECT_EQ(viewer.WaitForTitle("c.bmp [20000%]"), "c.bmp [20000%]") << "a step keeps the zoom";
}

TEST_F(MouseAndHandOff, WheelStepsOncePerNotchAndCarriesPartialRotations) {
  Viewer viewer = StartInFourPictures();
  viewer.Wheel(-1, {100, 100});
  EXPECT_EQ(viewer.WaitForTitle("c.bmp [100%]"), "c.bmp [100%]") << "a notch towards the user";
  viewer.Wheel(1, {100, 100});
  EXPECT_EQ(viewer.WaitForTitle("b.bmp [100%]"), "b.bmp [100%]") << "a notch away";

  SendWheelUnits(-40);
  SendWheelUnits(-40);
  viewer.PressKey(VK_SPACE);
  EXPECT_EQ(viewer.WaitForTitle("c.bmp [100%]"), "c.bmp [100%]") << "two thirds of a notch";
  SendWheelUnits(-40);
  EXPECT_EQ(viewer.WaitForTitle("d.bmp [100%]"), "d.bmp [100%]") << "the third 40 completes it";
}

TEST_F(MouseAndHandOff, RightButtonOpensThePopupMenu) {
  WriteSolidBmp(Picture("a.bmp"), 300, 200, kRed);
  Viewer viewer = StartOn("a.bmp");
  viewer.Click(MouseButton::kRight, {150, 100});
  const HWND menu = viewer.WaitForPopupMenu();
  viewer.PressKey(VK_ESCAPE);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(menu); }));
}

TEST_F(MouseAndHandOff, LaunchWithTheLockHeldHandsEveryFileToTheRunningViewer) {
  const Rgb colours[] = {kRed, kGreen, kBlue, kWhite};
  std::vector<std::string> names;
  for (int i = 0; i < 4; ++i) {
    names.push_back(
        WriteAlone(std::string(1, static_cast<char>('a' + i)) + ".tst", 200 + 20 * i, colours[i]));
  }
  const PluginTrace trace(folder_ + "\\trace.log");
  Viewer viewer = StartOn(names[0], Options(true, "testspi\\trace.spi"));
  ASSERT_TRUE(InstanceLockExists()) << ProgramsRunning();

  EXPECT_EQ(
      LaunchAndWait(viewer, Quoted(names[1]) + " " + Quoted(names[2]) + " " + Quoted(names[3])),
      DWORD{0});
  EXPECT_EQ(viewer.WaitForTitle("d.tst [100%]"), "d.tst [100%]");
  EXPECT_TRUE(ReachesClientSize(viewer, {260, 150}));
  EXPECT_EQ(trace.DecodedNames(), (std::vector<std::string>{"a.tst", "b.tst", "c.tst", "d.tst"}))
      << "each file was opened in turn";
  EXPECT_EQ(ViewerWindows(), std::vector<HWND>{viewer.Window()}) << "no second window";

  EXPECT_EQ(LaunchAndWait(viewer, ""), DWORD{0}) << "a launch without files";
  WaitForInputHandled(viewer);
  EXPECT_EQ(viewer.Title(), "d.tst [100%]");
  EXPECT_EQ(ViewerWindows(), std::vector<HWND>{viewer.Window()});
}

TEST_F(MouseAndHandOff, WithoutTheOptionEveryLaunchIsAViewerOfItsOwn) {
  WriteSolidBmp(Picture("a.bmp"), 220, 150, kRed);
  WriteSolidBmp(Picture("b.bmp"), 240, 160, kBlue);
  Viewer first = StartOn("a.bmp");
  EXPECT_FALSE(InstanceLockExists());
  const Process launch = first.LaunchAnother(Quoted("b.bmp"));
  Viewer second = Viewer::WaitForOther({first.ProcessId()});
  EXPECT_EQ(second.ProcessId(), launch.Id());
  EXPECT_EQ(second.WaitForTitle("b.bmp [100%]"), "b.bmp [100%]");
  EXPECT_EQ(first.Title(), "a.bmp [100%]");
}

TEST_F(MouseAndHandOff, KeyKTakesAndReleasesTheLock) {
  for (const char* name : {"a.bmp", "b.bmp", "c.bmp"}) WriteSolidBmp(Picture(name), 220, 150, kRed);
  Viewer first = StartOn("a.bmp");
  first.PressKey('K');
  ASSERT_TRUE(WaitUntil(InstanceLockExists)) << "K takes the lock; " << ProgramsRunning();
  EXPECT_EQ(LaunchAndWait(first, Quoted("b.bmp")), DWORD{0});
  EXPECT_EQ(first.WaitForTitle("b.bmp [100%]"), "b.bmp [100%]");

  first.PressKey('K', kShift);
  ASSERT_TRUE(WaitUntil([] { return !InstanceLockExists(); })) << "K again releases it";
  const Process launch = first.LaunchAnother(Quoted("c.bmp"));
  Viewer second = Viewer::WaitForOther({first.ProcessId()});
  EXPECT_EQ(second.WaitForTitle("c.bmp [100%]"), "c.bmp [100%]");
  EXPECT_EQ(first.Title(), "b.bmp [100%]");
}

TEST_F(MouseAndHandOff, RelativeNamesOpenTheFilesOfTheLaunchingFolder) {
  WriteSolidBmp(Picture("x.bmp"), 220, 150, kRed);
  const std::string other = folder_ + "\\other";
  CreateDirectoryA(other.c_str(), nullptr);
  CreateDirectoryA((other + "\\sub").c_str(), nullptr);
  WriteSolidBmp(other + "\\x.bmp", 260, 170, kBlue);
  WriteSolidBmp(other + "\\sub\\y.bmp", 280, 180, kGreen);
  Viewer viewer = StartOn("x.bmp", Options(true));

  EXPECT_EQ(LaunchAndWait(viewer, "x.bmp", other), DWORD{0});
  EXPECT_TRUE(ReachesClientSize(viewer, {260, 170})) << "the other folder's x.bmp";
  EXPECT_TRUE(WaitUntil([&] { return viewer.PixelAt({10, 10}) == ColourRef(kBlue); }));
  EXPECT_EQ(LaunchAndWait(viewer, "sub\\y.bmp", other), DWORD{0});
  EXPECT_EQ(viewer.WaitForTitle("y.bmp [100%]"), "y.bmp [100%]");
  EXPECT_TRUE(ReachesClientSize(viewer, {280, 180}));
}

TEST_F(MouseAndHandOff, NameTooLongForAnAtomIsShownByTheLaunchItself) {
  WriteSolidBmp(Picture("a.bmp"), 220, 150, kRed);
  Viewer first = StartOn("a.bmp", Options(true));
  // A full path of 258 characters: longer than an atom's 255.
  const std::string stem = Picture("");
  const std::string name = std::string(258 - stem.size() - 4, 'n') + ".bmp";
  ASSERT_GT(name.size(), 4u);
  WriteSolidBmp(Picture(name), 240, 160, kGreen);

  const Process launch = first.LaunchAnother(Quoted(name));
  Viewer second = Viewer::WaitForOther({first.ProcessId()});
  EXPECT_EQ(second.ProcessId(), launch.Id());
  EXPECT_EQ(second.WaitForTitle(name + " [100%]"), name + " [100%]");
  EXPECT_EQ(first.Title(), "a.bmp [100%]");
}

TEST_F(MouseAndHandOff, HandOffWhoseAtomCannotBeReadIsIgnored) {
  WriteSolidBmp(Picture("a.bmp"), 220, 150, kRed);
  Viewer viewer = StartOn("a.bmp", Options(true));
  const ATOM gone = GlobalAddAtomA("a name nobody holds");
  GlobalDeleteAtom(gone);
  PostMessageA(viewer.Window(), WM_USER + 1, gone, 0);
  WaitForInputHandled(viewer);
  EXPECT_TRUE(viewer.Running());
  EXPECT_EQ(viewer.Title(), "a.bmp [100%]");
}

TEST_F(MouseAndHandOff, HandOffDuringTheDeleteQuestionOpensOnceTheShownFileIsDeleted) {
  WriteSolidBmp(Picture("a.bmp"), 220, 150, kRed);
  WriteSolidBmp(Picture("b.bmp"), 240, 160, kBlue);
  Viewer viewer = StartOn("a.bmp");
  viewer.PressKey('D');
  const MessageBoxInfo question = viewer.WaitForMessageBox("削除確認");

  const ATOM atom = GlobalAddAtomA(Picture("b.bmp").c_str());
  ASSERT_NE(atom, 0);
  PostMessageA(viewer.Window(), WM_USER + 1, atom, 0);
  char name[256];
  ASSERT_TRUE(WaitUntil([&] { return GlobalGetAtomNameA(atom, name, sizeof(name)) == 0; }))
      << "the viewer takes the name while the question is open";
  EXPECT_EQ(viewer.Title(), "a.bmp [100%]");
  viewer.Answer(question, IDOK);

  EXPECT_EQ(viewer.WaitForTitle("b.bmp [100%]"), "b.bmp [100%]");
  EXPECT_FALSE(FileExists(Picture("a.bmp")));
  EXPECT_TRUE(FileExists(Picture("b.bmp")));
}

TEST_F(MouseAndHandOff, DroppedFilesShowTheFirstAndGiveTheRestToOneNewCopy) {
  WriteSolidBmp(Picture("x.bmp"), 200, 140, kWhite);
  std::vector<std::string> dropped;
  for (const char* name : {"a.tst", "b.tst", "c.tst"}) {
    dropped.push_back(Picture(WriteAlone(name, 220, kGreen)));
  }

  // Without the option each copy shows one file and starts the next.
  {
    Viewer first = StartOn("x.bmp");
    first.DropFiles(dropped, {30, 30});
    EXPECT_EQ(first.WaitForTitle("a.tst [100%]"), "a.tst [100%]");
    std::vector<std::string> others;
    WaitUntil([&] {
      others.clear();
      for (HWND window : ViewerWindows()) {
        if (ProcessOfWindow(window) != first.ProcessId()) others.push_back(WindowText(window));
      }
      std::sort(others.begin(), others.end());
      return others == std::vector<std::string>{"b.tst [100%]", "c.tst [100%]"};
    });
    EXPECT_EQ(others, (std::vector<std::string>{"b.tst [100%]", "c.tst [100%]"}));
  }

  // With the option the new copy hands both names back: all three show here in turn.
  const PluginTrace trace(folder_ + "\\trace.log");
  Viewer viewer = StartOn("x.bmp", Options(true, "testspi\\trace.spi"));
  viewer.DropFiles(dropped, {30, 30});
  EXPECT_EQ(viewer.WaitForTitle("c.tst [100%]"), "c.tst [100%]");
  EXPECT_EQ(trace.DecodedNames(), (std::vector<std::string>{"a.tst", "b.tst", "c.tst"}));
  EXPECT_EQ(ViewerWindows(), std::vector<HWND>{viewer.Window()});
}

// The dialog's library loads only when the dialog first opens.
TEST_F(MouseAndHandOff, FileChosenInTheOpenDialogIsShown) {
  WriteSolidBmp(Picture("x.bmp"), 200, 140, kWhite);
  WriteSolidBmp(Picture("y.bmp"), 220, 150, kGreen);
  Viewer viewer = StartOn("x.bmp");
  viewer.PressKey('F');
  viewer.ChooseFile(viewer.WaitForWindow("#32770", nullptr), Picture("y.bmp"));
  EXPECT_EQ(viewer.WaitForTitle("y.bmp [100%]"), "y.bmp [100%]");
}

// The global atom table holds Unicode text, and a drop block may hold UTF-16
// names: a name code page 932 cannot hold arrives whole either way.
TEST_F(MouseAndHandOff, AHandOffAndADropOfANameCodePage932CannotHoldOpenIt) {
  WriteSolidBmp(Picture("a.bmp"), 220, 150, kRed);
  const std::wstring hangul = FromCp932(Picture("")) + L"\ud55c\uae00.bmp";
  const std::wstring title = L"\ud55c\uae00.bmp [100%]";
  WriteFileBytes(hangul, BmpBytes(240, 160, [](int, int) { return kGreen; }));
  Viewer viewer = StartOn("a.bmp", Options(true));

  const ATOM atom = GlobalAddAtomW(hangul.c_str());
  ASSERT_NE(atom, 0);
  PostMessageW(viewer.Window(), WM_USER + 1, atom, 0);
  EXPECT_EQ(viewer.WaitForWideTitle(title), title);
  EXPECT_TRUE(WaitUntil([&] { return viewer.PixelAt({10, 10}) == ColourRef(kGreen); }));

  viewer.DropFiles(std::vector<std::string>{Picture("a.bmp")}, {30, 30});
  EXPECT_EQ(viewer.WaitForTitle("a.bmp [100%]"), "a.bmp [100%]");
  viewer.DropFiles(std::vector<std::wstring>{hangul}, {30, 30});
  EXPECT_EQ(viewer.WaitForWideTitle(title), title);
}

}  // namespace
}  // namespace bex::test
