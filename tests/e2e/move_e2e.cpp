// Filing the shown picture under Wine, driven from outside: the move menu
// behind J built from "M_DIR.DAT" and "R_DIR.DAT", the save dialog, moves
// into registered folders, through the history, in place and to another
// drive, the failures, the history file the moves leave, and undoing moves
// with U through the journal "UNDO.DAT".
#include <windows.h>

#include <commdlg.h>

#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/code_page_win.h"
#include "move/destination_files_win.h"
#include "support/bmp_writer.h"
#include "support/linux_host.h"
#include "support/test_pictures.h"
#include "support/viewer_checks.h"
#include "support/viewer_driver.h"
#include "support/wine_paths.h"

namespace bex::test {
namespace {

constexpr char kDialogTitle[] = "移動先パスの指定";
constexpr char kOtherNameTitle[] = "戻し先パスの指定 (元の名前は使用中)";
// The command menu's rows: open, zoom, next, previous, two copies, move,
// delete, undo.
constexpr size_t kUndoRow = 8;
constexpr int kFileNameField = 1148;

std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

std::string CrLfLines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

// The text of a control of another process.
std::string ControlText(HWND control) {
  char text[1024] = "";
  DWORD_PTR length = 0;
  SendMessageTimeoutA(control, WM_GETTEXT, sizeof(text), reinterpret_cast<LPARAM>(text),
                      SMTO_ABORTIFHUNG, kWaitMs, &length);
  return std::string(text, length);
}

// The folder a file dialog of the viewer shows: CDM_GETFOLDERPATH answered
// into memory of the viewer's process. Empty when the dialog does not say.
std::string DialogFolder(const Viewer& viewer, HWND dialog) {
  HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE,
                               viewer.ProcessId());
  if (!process) return "";
  // The viewer's dialogs are Unicode: the path comes in UTF-16.
  wchar_t folder[MAX_PATH * 2] = L"";
  void* remote =
      VirtualAllocEx(process, nullptr, sizeof(folder), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  DWORD_PTR length = 0;
  if (remote &&
      SendMessageTimeoutW(dialog, CDM_GETFOLDERPATH, MAX_PATH * 2 - 1,
                          reinterpret_cast<LPARAM>(remote), SMTO_ABORTIFHUNG, kWaitMs, &length)) {
    ReadProcessMemory(process, remote, folder, sizeof(folder) - sizeof(wchar_t), nullptr);
  }
  if (remote) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  CloseHandle(process);
  if (static_cast<LONG_PTR>(length) <= 0) return std::string();
  return ExactCp932(folder).value_or("(a folder code page 932 cannot hold)");
}

// The viewer's visible windows with their controls' texts, for the message
// of a failed wait.
std::string DescribeWindows(const Viewer& viewer) {
  std::string text = "windows of the viewer:";
  for (HWND window : TopLevelWindows(nullptr, nullptr, viewer.ProcessId())) {
    text += "\n  " + WindowClass(window) + " \"" + WindowText(window) + "\"";
    for (HWND c = GetWindow(window, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
      const std::string control = ControlText(c);
      if (!control.empty()) text += "\n    " + WindowClass(c) + " \"" + control + "\"";
    }
  }
  return text;
}

// The lines of the undo journal for moves, newest first.
std::string MoveLine(const std::string& from, const std::string& to) {
  return "M\t" + from + "\t" + to + "\r\n";
}

::testing::AssertionResult StartsWith(const std::string& text, const std::string& start) {
  if (text.rfind(start, 0) == 0) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << text << "\ndoes not start with\n" << start;
}

// The start of the message for a data file that did not read and so was not
// replaced, after the line that says what could not be saved.
std::string NotReplacedAsUnread(const std::string& path, const std::string& notSaved) {
  return path + notSaved + path + "\nを読み込めないため、上書きしませんでした。\n";
}

// The text rows of an open popup menu, top to bottom, and whether each shows
// as enabled: enabled text is drawn black, disabled text grey. A separator is
// a line too thin to be a row.
std::vector<bool> MenuRowsEnabled(HWND menu) {
  RECT r{};
  GetWindowRect(menu, &r);
  const ScreenImage image = CaptureScreen(r);
  const COLORREF background = image.At(image.width / 2, 3);
  std::vector<bool> rows;
  int rowHeight = 0;
  bool black = false;
  for (int y = 2; y < image.height - 2; ++y) {
    bool text = false;
    for (int x = 20; x < image.width - 4; ++x) {
      const COLORREF c = image.At(x, y);
      if (c == background) continue;
      text = true;
      if (c == RGB(0, 0, 0)) black = true;
    }
    if (text) {
      ++rowHeight;
      continue;
    }
    if (rowHeight > 4) rows.push_back(black);
    rowHeight = 0;
    black = false;
  }
  return rows;
}

// A file's last write time, read without opening the file (an open file
// cannot be replaced); none while there is no such file.
std::optional<FILETIME> LastWriteTime(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
  return data.ftLastWriteTime;
}

void SetLastWriteTime(const std::string& path, const FILETIME& time) {
  HANDLE file =
      CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  SetFileTime(file, nullptr, nullptr, &time);
  CloseHandle(file);
}

// A program folder with the viewer's data files, and a folder of pictures
// a.bmp, b.bmp, ... of different colours, shown in name order.
class Move : public ::testing::Test {
 protected:
  Move() { CreateDirectoryA(pictures_.c_str(), nullptr); }

  std::string Picture(const std::string& name) const { return pictures_ + "\\" + name; }
  std::string DataFile(const std::string& name) const { return program_ + "\\" + name; }

  void WritePictures(const std::vector<std::string>& names, int width = 40, int height = 30) {
    uint8_t shade = 0;
    for (const std::string& name : names) {
      shade = static_cast<uint8_t>(shade + 40);
      WriteSolidBmp(Picture(name), width, height, Rgb{shade, 0, 255});
    }
  }

  // A new folder beside the pictures.
  std::string Folder(const std::string& name) const {
    const std::string folder = program_ + "\\" + name;
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
  }

  void WriteDestinations(const std::vector<std::string>& lines) const {
    WriteFileBytes(DataFile("M_DIR.DAT"), CrLfLines(lines));
  }
  void WriteHistory(const std::vector<std::string>& lines) const {
    WriteFileBytes(DataFile("R_DIR.DAT"), CrLfLines(lines));
  }
  std::string History() const { return ReadFileBytes(DataFile("R_DIR.DAT")).value_or("(none)"); }
  std::optional<FILETIME> HistoryWriteTime() const { return LastWriteTime(DataFile("R_DIR.DAT")); }
  // The history once a move has written it again. The viewer writes it after
  // the next picture shows, by putting a new file in its place; the wait
  // watches the file's time without opening it, so it cannot stand in the
  // way.
  // Under Wine the replaced file is briefly absent: the wait also needs the
  // new file's content to be there.
  std::string HistoryWrittenAfter(const std::optional<FILETIME>& before) const {
    std::optional<std::string> content;
    WaitUntil([&] {
      const std::optional<FILETIME> now = HistoryWriteTime();
      if (!now || (before && CompareFileTime(&*now, &*before) == 0)) return false;
      content = ReadFileBytes(DataFile("R_DIR.DAT"));
      return content.has_value();
    });
    return content.value_or("(none)");
  }

  // The journal's lines (after the UTF-8 mark).
  std::string Journal() const {
    return WithoutUtf8Mark(ReadFileBytes(DataFile("UNDO.DAT")).value_or("(none)"));
  }
  // The undo journal once the viewer has written what it is expected to.
  std::string JournalBecomes(const std::string& expected) const {
    return WithoutUtf8Mark(ContentOnceSized(DataFile("UNDO.DAT"), kUtf8Mark + expected));
  }

  // Presses U and waits until the file that came back shows.
  void UndoShowing(const Viewer& viewer, const std::string& name) const {
    viewer.PressKey('U');
    EXPECT_EQ(viewer.WaitForTitle(name + " [100%]"), name + " [100%]") << DescribeWindows(viewer);
  }

  // Opens the command menu with M and reads which rows show as enabled.
  static std::vector<bool> CommandMenuRows(const Viewer& viewer) {
    viewer.PressKey('M');
    const HWND menu = viewer.WaitForPopupMenu();
    std::vector<bool> rows;
    // The menu window shows before its items are drawn.
    WaitUntil([&] { return (rows = MenuRowsEnabled(menu)).size() > kUndoRow; });
    viewer.PressKey(VK_ESCAPE);
    EXPECT_TRUE(WaitUntil([&] { return !viewer.FindOwnWindow("#32768"); }));
    return rows;
  }

  Viewer ShowPicture(const std::string& name, const IniFile& settings = IniFile()) const {
    ViewerOptions options;
    options.settings = settings;
    Viewer viewer = Viewer::Start(program_, Quoted(Picture(name)), options);
    EXPECT_EQ(viewer.WaitForTitle(name + " [100%]"), name + " [100%]");
    return viewer;
  }

  // Opens the move menu with J, types the keys that choose a destination and
  // returns the save dialog that opens, once it shows startFolder (the
  // dialog takes a bare name as a name in the folder it shows).
  static HWND ChooseInMoveMenu(const Viewer& viewer, const std::vector<WORD>& keys,
                               const std::string& startFolder) {
    viewer.PressKey('J');
    viewer.WaitForPopupMenu();
    for (WORD key : keys) viewer.PressKey(key);
    const HWND dialog = viewer.WaitForDialog(kDialogTitle);
    std::string shown;
    EXPECT_TRUE(WaitUntil([&] { return (shown = DialogFolder(viewer, dialog)) == startFolder; }))
        << "the dialog shows " << shown << ", expected " << startFolder;
    return dialog;
  }

  static std::string ProposedName(HWND dialog) {
    return ControlText(GetDlgItem(dialog, kFileNameField));
  }

  // Moves the shown picture with the keys, confirming the proposed name in
  // the start folder; waits for the next picture and returns the history
  // the move leaves.
  std::string MoveWithKeys(const Viewer& viewer, const std::vector<WORD>& keys,
                           const std::string& startFolder, const std::string& next) const {
    const std::optional<FILETIME> before = HistoryWriteTime();
    const HWND dialog = ChooseInMoveMenu(viewer, keys, startFolder);
    viewer.ChooseFile(dialog, ProposedName(dialog));
    EXPECT_EQ(viewer.WaitForTitle(next + " [100%]"), next + " [100%]") << DescribeWindows(viewer);
    return HistoryWrittenAfter(before);
  }

  // Moves the shown a.bmp with the key A into folder under its name; the
  // text of the "保存エラー" box that follows, answered.
  static std::string SaveErrorOfMovingA(const Viewer& viewer, const std::string& folder) {
    viewer.ChooseFile(ChooseInMoveMenu(viewer, {'A'}, folder), "a.bmp");
    const MessageBoxInfo box = viewer.WaitForMessageBox("保存エラー");
    viewer.Answer(box, IDOK);
    return box.text;
  }

  const std::string program_ = NewScratchFolder("move-" + TestLabel());
  const std::string pictures_ = program_ + "\\pictures";
};

// The destination tree and history of the manual's example, with folders of
// the test in place of the example's.
class MoveWithExampleFiles : public Move {
 protected:
  MoveWithExampleFiles() {
    WriteDestinations({
        "A : " + keep_,
        "B : " + later_,
        "-",
        "W : [Work]",
        "\t1 : " + scans_,
        "\t  : " + misc_,
        "\tR : [Reports]",
        "\t\t2 : " + done_,
        "Z : " + archive_,
    });
    WriteHistory({scans_, keep_, later_});
  }

  const std::string keep_ = Folder("keep"), later_ = Folder("later"), scans_ = Folder("scans"),
                    misc_ = Folder("misc"), done_ = Folder("done"), archive_ = Folder("archive");
};

TEST_F(MoveWithExampleFiles, JOpensTheMenuATenthOfTheWindowFromItsTopLeftCorner) {
  WritePictures({"a.bmp", "b.bmp"}, 300, 200);
  Viewer viewer = ShowPicture("a.bmp");
  // Near the desktop's left edge, so that the menu of long paths fits right of it.
  SetWindowPos(viewer.Window(), nullptr, 20, 30, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_ASYNCWINDOWPOS);
  ASSERT_TRUE(WaitUntil([&] { return viewer.OuterRect().left == 20; }));
  const RECT window = viewer.OuterRect();

  viewer.PressKey('J');
  RECT menu{};
  GetWindowRect(viewer.WaitForPopupMenu(), &menu);
  EXPECT_EQ(menu.left, window.left + (window.right - window.left) / 10);
  EXPECT_EQ(menu.top, window.top + (window.bottom - window.top) / 10);

  viewer.PressKey(VK_ESCAPE);
  EXPECT_TRUE(WaitUntil([&] { return !viewer.FindOwnWindow("#32768"); }));
  EXPECT_EQ(viewer.Title(), "a.bmp [100%]");
  EXPECT_TRUE(FileExists(Picture("a.bmp")));
}

TEST_F(MoveWithExampleFiles, AcceleratorsReachEveryLevelAndTheHistoryRecordsEachMove) {
  WritePictures({"a.bmp", "b.bmp", "c.bmp", "d.bmp", "e.bmp"});
  Viewer viewer = ShowPicture("a.bmp");

  const std::optional<FILETIME> before = HistoryWriteTime();
  const HWND dialog = ChooseInMoveMenu(viewer, {'W', '1'}, scans_);
  EXPECT_EQ(ProposedName(dialog), "a.bmp");
  viewer.ChooseFile(dialog, "a.bmp");
  EXPECT_EQ(viewer.WaitForTitle("b.bmp [100%]"), "b.bmp [100%]") << DescribeWindows(viewer);
  EXPECT_EQ(HistoryWrittenAfter(before), CrLfLines({scans_, keep_, later_}))
      << "the top entry is not repeated";
  EXPECT_TRUE(FileExists(scans_ + "\\a.bmp"));
  EXPECT_FALSE(FileExists(Picture("a.bmp")));

  EXPECT_EQ(MoveWithKeys(viewer, {'W', 'R', '2'}, done_, "c.bmp"),
            CrLfLines({done_, scans_, keep_, later_}));
  EXPECT_TRUE(FileExists(done_ + "\\b.bmp"));

  // The history submenu is the second item; its entries carry their numbers.
  EXPECT_EQ(MoveWithKeys(viewer, {VK_DOWN, VK_DOWN, VK_RIGHT, '3'}, keep_, "d.bmp"),
            CrLfLines({keep_, done_, scans_, keep_, later_}))
      << "only the top entry is compared";
  EXPECT_TRUE(FileExists(keep_ + "\\c.bmp"));

  EXPECT_EQ(MoveWithKeys(viewer, {'Z'}, archive_, "e.bmp"),
            CrLfLines({archive_, keep_, done_, scans_, keep_, later_}));
  EXPECT_TRUE(FileExists(archive_ + "\\d.bmp"));

  viewer.PressKey(VK_SPACE);
  EXPECT_EQ(viewer.WaitForTitle("e.bmp [100%]"), "e.bmp [100%]")
      << "the moved files have left the folder's list";
}

TEST_F(MoveWithExampleFiles, TheKeyThatOpensTheMenuDoesNotChooseADestinationJ) {
  const std::string jump = Folder("jump");
  WriteDestinations({"J : " + jump, "A : " + keep_});
  WritePictures({"a.bmp", "b.bmp"});
  Viewer viewer = ShowPicture("a.bmp");

  MoveWithKeys(viewer, {'A'}, keep_, "b.bmp");
  EXPECT_TRUE(FileExists(keep_ + "\\a.bmp"));
  EXPECT_FALSE(FileExists(jump + "\\a.bmp"));
}

TEST_F(Move, TheSameNameInTheCurrentFolderIsRefusedAndANewNameRenamesInPlace) {
  WritePictures({"a.bmp", "b.bmp"});
  Viewer viewer = ShowPicture("a.bmp");

  HWND dialog = ChooseInMoveMenu(viewer, {VK_DOWN, VK_RETURN}, pictures_);
  EXPECT_EQ(ProposedName(dialog), "a.bmp");
  viewer.ChooseFile(dialog, "a.bmp");
  const MessageBoxInfo box = viewer.WaitForMessageBox("ファイル名エラー");
  EXPECT_EQ(box.text, "コピー先に同名ファイルが存在します。\nファイル名を変更してください。");
  viewer.Answer(box, IDOK);

  dialog = viewer.WaitForDialog(kDialogTitle);
  EXPECT_TRUE(WaitUntil([&] { return DialogFolder(viewer, dialog) == pictures_; }));
  const std::optional<FILETIME> before = HistoryWriteTime();
  viewer.ChooseFile(dialog, "renamed.bmp");
  EXPECT_EQ(viewer.WaitForTitle("b.bmp [100%]"), "b.bmp [100%]");
  EXPECT_EQ(HistoryWrittenAfter(before), CrLfLines({pictures_}));
  EXPECT_TRUE(FileExists(Picture("renamed.bmp")));
  EXPECT_FALSE(FileExists(Picture("a.bmp")));
  viewer.PressKey(VK_BACK);
  EXPECT_EQ(viewer.WaitForTitle("renamed.bmp [100%]"), "renamed.bmp [100%]")
      << "the new name took the old one's place in the list";
}

TEST_F(Move, ARelativeFirstNameMovesAndDeletesTheFilesOnScreen) {
  WritePictures({"a.bmp", "b.bmp", "c.bmp"});
  // Where the relative folder leads once the viewer stands in it.
  const std::string decoys = Picture("pictures");
  CreateDirectoryA(decoys.c_str(), nullptr);
  for (const char* name : {"a.bmp", "b.bmp"}) {
    WriteSolidBmp(decoys + "\\" + name, 10, 10, Rgb{1, 2, 3});
  }
  Viewer viewer = Viewer::Start(program_, "pictures\\a.bmp");
  ASSERT_EQ(viewer.WaitForTitle("a.bmp [100%]"), "a.bmp [100%]");

  viewer.ChooseFile(ChooseInMoveMenu(viewer, {VK_DOWN, VK_RETURN}, pictures_),
                    Picture("renamed.bmp"));
  EXPECT_EQ(viewer.WaitForTitle("b.bmp [100%]"), "b.bmp [100%]") << DescribeWindows(viewer);
  EXPECT_TRUE(FileExists(Picture("renamed.bmp")));
  EXPECT_FALSE(FileExists(Picture("a.bmp")));
  EXPECT_TRUE(FileExists(decoys + "\\a.bmp"));

  EXPECT_TRUE(DeletesTheShownFile(viewer));
  EXPECT_FALSE(FileExists(Picture("b.bmp")));
  EXPECT_TRUE(FileExists(decoys + "\\b.bmp"));
}

TEST_F(Move, CancellingTheDialogChangesNothing) {
  WritePictures({"a.bmp", "b.bmp"});
  Viewer viewer = ShowPicture("a.bmp");

  viewer.Answer(ChooseInMoveMenu(viewer, {VK_DOWN, VK_RETURN}, pictures_), IDCANCEL);
  EXPECT_EQ(viewer.Title(), "a.bmp [100%]");
  EXPECT_TRUE(FileExists(Picture("a.bmp")));
  EXPECT_FALSE(FileExists(DataFile("R_DIR.DAT")));
}

TEST_F(Move, AFolderThatDoesNotExistGivesTheMoveErrorAndKeepsThePicture) {
  WritePictures({"a.bmp", "b.bmp"});
  Viewer viewer = ShowPicture("a.bmp");
  const std::string missing = pictures_ + "\\missing\\a.bmp";

  viewer.ChooseFile(ChooseInMoveMenu(viewer, {VK_DOWN, VK_RETURN}, pictures_), missing);
  const MessageBoxInfo box = viewer.WaitForMessageBox("移動エラー");
  // Too wide for the screen, the line is broken.
  EXPECT_EQ(WithoutLineBreaks(box.text),
            WithoutLineBreaks(Picture("a.bmp") + " → " + missing + "\nの移動に失敗しました。\n" +
                              SystemErrorText(ERROR_PATH_NOT_FOUND)));
  viewer.Answer(box, IDOK);
  EXPECT_EQ(viewer.Title(), "a.bmp [100%]");
  EXPECT_TRUE(FileExists(Picture("a.bmp")));
  EXPECT_FALSE(FileExists(DataFile("R_DIR.DAT")));
}

TEST_F(Move, ARegisteredFolderMissingTooLongOrAFileIsReportedBeforeAnyDialogAndNothingMoves) {
  WritePictures({"a.bmp", "b.bmp"});
  const std::string gone = Folder("gone");
  RemoveDirectoryA(gone.c_str());
  const std::string tooLong = program_ + "\\" + std::string(280 - program_.size(), 'x');
  const std::string file = Picture("b.bmp");
  WriteDestinations({"V : " + gone, "L : " + tooLong, "F : " + file});
  Viewer viewer = ShowPicture("a.bmp");
  const struct {
    WORD key;
    const char* caption;
    std::string text;
  } cases[] = {{'V', "移動エラー", gone + "\nが見つからないため、移動できません。"},
               {'L', "パス長エラー", tooLong + "\nはパスが長すぎるため扱えません。"},
               {'F', "移動エラー", file + "\nはフォルダーではないため、移動できません。"}};
  for (const auto& c : cases) {
    viewer.PressKey('J');
    viewer.WaitForPopupMenu();
    viewer.PressKey(c.key);
    const MessageBoxInfo box = viewer.WaitForMessageBox(c.caption);
    // A path too long for one line of the screen is broken into lines.
    EXPECT_EQ(WithoutLineBreaks(box.text), WithoutLineBreaks(c.text));
    RECT r{};
    GetWindowRect(box.window, &r);
    EXPECT_LE(r.right - r.left, 1280) << "the box fits the screen";
    EXPECT_FALSE(viewer.FindOwnWindow("#32770", kDialogTitle)) << "no dialog opens";
    viewer.Answer(box, IDOK);
    // Keys pressed while the box closes are dropped: wait until they count.
    EXPECT_TRUE(TakesKeysAgain(viewer));
    EXPECT_EQ(viewer.Title(), "a.bmp [100%]");
    EXPECT_TRUE(FileExists(Picture("a.bmp")));
  }
}

TEST_F(Move, AMoveToAnotherDriveCopiesAndDeletesAndUBringsTheFileBack) {
  const std::optional<MappedDrive> drive = MappedDrive::Map("other");
  ASSERT_TRUE(drive) << "no drive letter could be mapped to /dev/shm";
  const std::string archive = drive->Root() + "\\archive";
  ASSERT_TRUE(CreateDirectoryA(archive.c_str(), nullptr));
  WriteDestinations({"Z : " + archive});
  WritePictures({"a.bmp", "b.bmp"});
  const std::string bytes = *ReadFileBytes(Picture("a.bmp"));
  Viewer viewer = ShowPicture("a.bmp");

  EXPECT_EQ(MoveWithKeys(viewer, {'Z'}, archive, "b.bmp"), CrLfLines({archive}));
  EXPECT_EQ(ReadFileBytes(archive + "\\a.bmp"), bytes);
  EXPECT_EQ(ReadFileBytes(WindowsPathOf(drive->LinuxFolder() + "/archive/a.bmp")), bytes)
      << "the drive is the folder on the other file system";
  EXPECT_FALSE(FileExists(Picture("a.bmp")));

  UndoShowing(viewer, "a.bmp");
  EXPECT_EQ(ReadFileBytes(Picture("a.bmp")), bytes) << "back across the drives";
  EXPECT_FALSE(FileExists(archive + "\\a.bmp"));
}

// Keys typed ahead (J B Return, twice) reach the viewer while the move
// fails: none of them acts once the box is closed, so no file goes into the
// folder meant for the next one.
TEST_F(Move, AMoveThatFillsTheOtherDriveSaysWhyLeavesNoPartThereAndDropsTheKeysTypedAhead) {
  const std::optional<MappedDrive> drive = MappedDrive::Map("full", DRIVE_FIXED, 64);
  if (!drive) GTEST_SKIP() << "no small file system could be mounted (needs root)";
  const std::string target = drive->Root() + "\\big.bmp";
  const std::string keep = Folder("keep");
  WriteDestinations({"Z : " + drive->Root() + "\\", "B : " + keep});
  WritePictures({"big.bmp", "next.bmp"}, 200, 200);
  const std::string bytes = *ReadFileBytes(Picture("big.bmp"));
  ASSERT_GT(bytes.size(), 64u * 1024u);
  Viewer viewer = ShowPicture("big.bmp");

  viewer.ChooseFile(ChooseInMoveMenu(viewer, {'Z'}, drive->Root() + "\\"), target);
  const MessageBoxInfo box = viewer.WaitForMessageBox("移動エラー");
  EXPECT_EQ(box.text, Picture("big.bmp") + " → " + target + "\nの移動に失敗しました。\n" +
                          SystemErrorText(ERROR_DISK_FULL));
  SendText("jb\rjb\r");  // in one go: the box takes the first Return
  EXPECT_TRUE(WaitUntil([&] { return !viewer.FindMessageBox(); })) << DescribeWindows(viewer);
  EXPECT_TRUE(TakesKeysAgain(viewer)) << DescribeWindows(viewer);
  EXPECT_FALSE(FileExists(keep + "\\big.bmp"));
  EXPECT_EQ(ReadFileBytes(Picture("big.bmp")), bytes);
  EXPECT_EQ(viewer.Title(), "big.bmp [100%]");
  EXPECT_EQ(FilesIn(drive->Root()), std::vector<std::string>{}) << "no part of the file";
}

TEST_F(Move, AFullHistoryLosesItsOldestEntryAndAnUnchangedTopIsWrittenAgain) {
  const std::string keep = Folder("keep");
  WriteDestinations({"A : " + keep});
  std::vector<std::string> history;
  for (int i = 1; i <= 9; ++i) history.push_back("C:\\old\\" + std::to_string(i));
  WriteHistory(history);
  WritePictures({"a.bmp", "b.bmp", "c.bmp"});
  Viewer viewer = ShowPicture("a.bmp");

  history.insert(history.begin(), keep);
  history.pop_back();
  EXPECT_EQ(MoveWithKeys(viewer, {'A'}, keep, "b.bmp"), CrLfLines(history));

  const FILETIME longAgo{0, 0x01C00000};  // 1999
  SetLastWriteTime(DataFile("R_DIR.DAT"), longAgo);
  EXPECT_EQ(MoveWithKeys(viewer, {'A'}, keep, "c.bmp"), CrLfLines(history));
  const std::optional<FILETIME> written = HistoryWriteTime();
  ASSERT_TRUE(written);
  EXPECT_GT(CompareFileTime(&*written, &longAgo), 0) << "the file is written again";
}

// Another program holds the history open: it cannot be read, so the history
// in memory is not what the file holds, and the file is not replaced.
TEST_F(Move, AHistoryThatDoesNotReadIsNotReplacedAndTheMessageSaysWhy) {
  const std::string keep = Folder("keep");
  WriteDestinations({"A : " + keep});
  WriteHistory({"C:\\old", "C:\\older"});
  WritePictures({"a.bmp", "b.bmp"});
  Viewer viewer = ShowPicture("a.bmp");
  auto holder = HoldOpen(DataFile("R_DIR.DAT"));

  EXPECT_TRUE(StartsWith(
      SaveErrorOfMovingA(viewer, keep),
      NotReplacedAsUnread(DataFile("R_DIR.DAT"), "\nに移動先の履歴を保存できません。\n")));
  holder.reset();
  EXPECT_TRUE(FileExists(keep + "\\a.bmp")) << "the move stands";
  EXPECT_EQ(viewer.WaitForTitle("b.bmp [100%]"), "b.bmp [100%]");
  EXPECT_EQ(History(), CrLfLines({"C:\\old", "C:\\older"}));
}

TEST_F(Move, AHistoryThatCannotBeWrittenIsReportedAndTheOldFileStays) {
  const std::optional<MappedDrive> drive = MappedDrive::Map("fullprog", DRIVE_FIXED, 8192);
  if (!drive) GTEST_SKIP() << "no small file system could be mounted (needs root)";
  const std::string keep = Folder("keep");
  const std::string program = drive->Root() + "\\program";
  ASSERT_TRUE(CreateDirectoryA(program.c_str(), nullptr));
  WriteFileBytes(program + "\\M_DIR.DAT", CrLfLines({"A : " + keep}));
  WriteFileBytes(program + "\\R_DIR.DAT", CrLfLines({"C:\\old"}));
  WritePictures({"a.bmp", "b.bmp"});
  Viewer viewer = Viewer::Start(program, Quoted(Picture("a.bmp")));
  ASSERT_EQ(viewer.WaitForTitle("a.bmp [100%]"), "a.bmp [100%]");
  // Fill what is left of the drive.
  const std::string filler(1024 * 1024, 'x');
  for (int i = 0; i < 64; ++i) {
    HANDLE file = CreateFileA((program + "\\filler" + std::to_string(i)).c_str(), GENERIC_WRITE, 0,
                              nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    const bool full =
        file == INVALID_HANDLE_VALUE ||
        !WriteFile(file, filler.data(), static_cast<DWORD>(filler.size()), &written, nullptr) ||
        written < filler.size();
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    if (full) break;
  }

  EXPECT_TRUE(StartsWith(SaveErrorOfMovingA(viewer, keep),
                         program + "\\R_DIR.DAT\nに移動先の履歴を保存できません。\n"));
  // The undo journal is written next, on the same full drive; while it is,
  // its temporary file lies there.
  const MessageBoxInfo journalError = viewer.WaitForMessageBox("保存エラー");
  EXPECT_TRUE(StartsWith(journalError.text,
                         program + "\\UNDO.DAT\nに元に戻すための記録を保存できません。\n"));
  viewer.Answer(journalError, IDOK);
  EXPECT_TRUE(FileExists(keep + "\\a.bmp")) << "the move stands";
  EXPECT_EQ(viewer.WaitForTitle("b.bmp [100%]"), "b.bmp [100%]");
  EXPECT_EQ(ReadFileBytes(program + "\\R_DIR.DAT"), CrLfLines({"C:\\old"}));
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((program + "\\*.tmp").c_str(), &found);
  EXPECT_EQ(search, INVALID_HANDLE_VALUE) << "a temporary file was left: " << found.cFileName;
  if (search != INVALID_HANDLE_VALUE) FindClose(search);
}

TEST_F(MoveWithExampleFiles, UUndoesTheMovesNewestFirstAndShowsEachFileBack) {
  WritePictures({"a.bmp", "b.bmp", "c.bmp"});
  Viewer viewer = ShowPicture("a.bmp");
  MoveWithKeys(viewer, {'A'}, keep_, "b.bmp");
  const std::string history = MoveWithKeys(viewer, {'B'}, later_, "c.bmp");
  const std::optional<FILETIME> historyTime = HistoryWriteTime();
  const std::string movedA = MoveLine(Picture("a.bmp"), keep_ + "\\a.bmp");
  EXPECT_EQ(JournalBecomes(MoveLine(Picture("b.bmp"), later_ + "\\b.bmp") + movedA),
            MoveLine(Picture("b.bmp"), later_ + "\\b.bmp") + movedA);

  UndoShowing(viewer, "b.bmp");
  EXPECT_TRUE(FileExists(Picture("b.bmp")));
  EXPECT_FALSE(FileExists(later_ + "\\b.bmp"));
  EXPECT_EQ(JournalBecomes(movedA), movedA);

  UndoShowing(viewer, "a.bmp");
  EXPECT_TRUE(FileExists(Picture("a.bmp")));
  EXPECT_FALSE(FileExists(keep_ + "\\a.bmp"));
  EXPECT_EQ(JournalBecomes(""), "");
  EXPECT_EQ(History(), history) << "an undo leaves the history alone";
  const std::optional<FILETIME> historyNow = HistoryWriteTime();
  ASSERT_TRUE(historyTime && historyNow);
  EXPECT_EQ(CompareFileTime(&*historyNow, &*historyTime), 0);

  viewer.PressKey(VK_SPACE);
  EXPECT_EQ(viewer.WaitForTitle("b.bmp [100%]"), "b.bmp [100%]") << "the folder was listed anew";
  viewer.PressKey(VK_SPACE);
  EXPECT_EQ(viewer.WaitForTitle("c.bmp [100%]"), "c.bmp [100%]");
}

TEST_F(Move, UWithAnEmptyJournalDoesNothingAndItsItemIsGreyUntilAMove) {
  const std::string keep = Folder("keep");
  WriteDestinations({"A : " + keep});
  WritePictures({"a.bmp", "b.bmp"});
  Viewer viewer = ShowPicture("a.bmp");

  std::vector<bool> rows = CommandMenuRows(viewer);
  ASSERT_GT(rows.size(), kUndoRow);
  EXPECT_TRUE(rows[kUndoRow - 1]) << "delete";
  EXPECT_FALSE(rows[kUndoRow]) << "undo";
  viewer.PressKey('U');
  // The keys are handled in order: the version box shows once U has run.
  viewer.PressKey('V');
  std::optional<MessageBoxInfo> box;
  ASSERT_TRUE(WaitUntil([&] { return (box = viewer.FindMessageBox()).has_value(); }));
  EXPECT_EQ(box->caption, "ﾊﾞｰｼﾞｮﾝ情報") << box->text;
  viewer.Answer(*box, IDOK);
  EXPECT_EQ(viewer.Title(), "a.bmp [100%]");
  EXPECT_FALSE(FileExists(DataFile("UNDO.DAT")));

  MoveWithKeys(viewer, {'A'}, keep, "b.bmp");
  rows = CommandMenuRows(viewer);
  ASSERT_GT(rows.size(), kUndoRow);
  EXPECT_TRUE(rows[kUndoRow]) << "undo, after a move";
}

// The viewer is ended while the message that follows the move is up (its
// folder has nothing left to show): the move is in the journal already.
TEST_F(Move, TheJournalOutlivesTheViewerEndedDuringTheMessageAfterTheMove) {
  const std::string keep = Folder("keep");
  WriteDestinations({"A : " + keep});
  WritePictures({"a.bmp"});
  {
    Viewer viewer = ShowPicture("a.bmp");
    viewer.ChooseFile(ChooseInMoveMenu(viewer, {'A'}, keep), "a.bmp");
    viewer.WaitForMessageBox("検索エラー");
    viewer.Kill();
  }
  EXPECT_EQ(Journal(), MoveLine(Picture("a.bmp"), keep + "\\a.bmp"));
  Viewer viewer = Viewer::Start(program_, Quoted(keep + "\\a.bmp"));
  ASSERT_EQ(viewer.WaitForTitle("a.bmp [100%]"), "a.bmp [100%]");
  viewer.PressKey('U');
  EXPECT_TRUE(WaitUntil([&] { return FileExists(Picture("a.bmp")); }));
  EXPECT_FALSE(FileExists(keep + "\\a.bmp"));
  EXPECT_EQ(JournalBecomes(""), "");
}

// A move to another volume killed half-way through the copy leaves the
// source whole and nothing under the destination's name; the next move into
// that folder takes the name and removes what the killed one left.
TEST_F(Move, AMoveToAnotherDriveKilledHalfWayLeavesTheSourceWholeAndTheNextOneGoesThrough) {
  const std::optional<MappedDrive> drive = MappedDrive::Map("killed");
  ASSERT_TRUE(drive) << "no drive letter could be mapped to /dev/shm";
  const std::string archive = drive->Root() + "\\archive";
  ASSERT_TRUE(CreateDirectoryA(archive.c_str(), nullptr));
  WriteDestinations({"Z : " + archive});
  WritePictures({"big.bmp", "next.bmp"});
  {  // 200 MB after the picture, which the reader passes over
    const std::shared_ptr<void> file(CreateFileA(Picture("big.bmp").c_str(), GENERIC_WRITE, 0,
                                                 nullptr, OPEN_EXISTING, 0, nullptr),
                                     CloseHandle);
    LARGE_INTEGER size{};
    size.QuadPart = 200 << 20;
    ASSERT_TRUE(SetFilePointerEx(file.get(), size, nullptr, FILE_BEGIN) &&
                SetEndOfFile(file.get()));
  }
  const std::string bytes = *ReadFileBytes(Picture("big.bmp"));
  {
    Viewer viewer = ShowPicture("big.bmp");
    viewer.ChooseFile(ChooseInMoveMenu(viewer, {'Z'}, archive), "big.bmp");
    ASSERT_TRUE(WaitUntil([&] { return !FilesIn(archive).empty(); }));
    viewer.Kill();
  }
  EXPECT_FALSE(FileExists(archive + "\\big.bmp"));
  EXPECT_TRUE(ReadFileBytes(Picture("big.bmp")) == bytes) << "the source is whole";

  Viewer viewer = ShowPicture("big.bmp");
  MoveWithKeys(viewer, {'Z'}, archive, "next.bmp");
  EXPECT_EQ(FilesIn(archive), std::vector<std::string>{"big.bmp"});
  EXPECT_TRUE(ReadFileBytes(archive + "\\big.bmp") == bytes);
}

TEST_F(Move, UndoingAMoveWhoseNameWasTakenMeanwhileAsksForAnotherNameAndReplacesNothing) {
  const std::string keep = Folder("keep");
  WriteDestinations({"A : " + keep});
  WritePictures({"a.bmp", "b.bmp"});
  const std::string moved = *ReadFileBytes(Picture("a.bmp"));
  Viewer viewer = ShowPicture("a.bmp");
  MoveWithKeys(viewer, {'A'}, keep, "b.bmp");
  const std::string journal = MoveLine(Picture("a.bmp"), keep + "\\a.bmp");
  ASSERT_EQ(JournalBecomes(journal), journal);
  WriteSolidBmp(Picture("a.bmp"), 10, 10, Rgb{1, 2, 3});
  const std::string newcomer = *ReadFileBytes(Picture("a.bmp"));
  const auto askedInThePictures = [&] {
    const HWND dialog = viewer.WaitForDialog(kOtherNameTitle);
    EXPECT_TRUE(WaitUntil([&] { return DialogFolder(viewer, dialog) == pictures_; }));
    return dialog;
  };

  viewer.PressKey('U');
  HWND dialog = askedInThePictures();
  EXPECT_EQ(ProposedName(dialog), "a.bmp");
  viewer.Answer(dialog, IDCANCEL);
  EXPECT_EQ(viewer.Title(), "b.bmp [100%]");
  EXPECT_EQ(Journal(), journal) << "a cancelled undo keeps its entry";

  viewer.PressKey('U');
  viewer.ChooseFile(askedInThePictures(), "a.bmp");
  viewer.Answer(viewer.WaitForMessageBox("ファイル名エラー"), IDOK);
  viewer.ChooseFile(askedInThePictures(), "a-back.bmp");
  EXPECT_EQ(viewer.WaitForTitle("a-back.bmp [100%]"), "a-back.bmp [100%]")
      << DescribeWindows(viewer);
  EXPECT_EQ(ReadFileBytes(Picture("a.bmp")), newcomer);
  EXPECT_EQ(ReadFileBytes(Picture("a-back.bmp")), moved);
  EXPECT_FALSE(FileExists(keep + "\\a.bmp"));
  EXPECT_EQ(JournalBecomes(""), "");
}

TEST_F(Move, UndoingAMoveWhoseFileIsGoneSaysSoDropsTheEntryAndTouchesNothing) {
  const std::string keep = Folder("keep");
  WriteDestinations({"A : " + keep});
  WritePictures({"a.bmp", "b.bmp", "c.bmp"});
  Viewer viewer = ShowPicture("a.bmp");
  MoveWithKeys(viewer, {'A'}, keep, "b.bmp");
  MoveWithKeys(viewer, {'A'}, keep, "c.bmp");
  const std::string movedA = MoveLine(Picture("a.bmp"), keep + "\\a.bmp");
  const std::string both = MoveLine(Picture("b.bmp"), keep + "\\b.bmp") + movedA;
  ASSERT_EQ(JournalBecomes(both), both);
  ASSERT_TRUE(MoveFileA((keep + "\\b.bmp").c_str(), (keep + "\\elsewhere.bmp").c_str()));

  viewer.PressKey('U');
  const MessageBoxInfo box = viewer.WaitForMessageBox("元に戻すエラー");
  EXPECT_EQ(box.text, keep +
                          "\\b.bmp\nが見つからないため、移動を元に戻せません。\n"
                          "この記録は消去します。");
  viewer.Answer(box, IDOK);
  EXPECT_EQ(JournalBecomes(movedA), movedA);
  EXPECT_EQ(viewer.Title(), "c.bmp [100%]");
  EXPECT_TRUE(FileExists(keep + "\\elsewhere.bmp"));
  EXPECT_FALSE(FileExists(Picture("b.bmp")));

  UndoShowing(viewer, "a.bmp");
}

// The folder a file was moved from is gone: U says so once, leaves the file
// where it is and drops the entry, and the next U undoes the move before it.
TEST_F(Move, UndoingAMoveWhoseFolderIsGoneSaysSoOnceAndTheNextUGoesOn) {
  const std::string keep = Folder("keep");
  const std::string gone = program_ + "\\gone\\x.bmp";
  WritePictures({"a.bmp", "b.bmp", "x.bmp"});
  for (const char* name : {"a.bmp", "x.bmp"}) {
    ASSERT_TRUE(MoveFileA(Picture(name).c_str(), (keep + "\\" + name).c_str()));
  }
  const std::string movedA = MoveLine(Picture("a.bmp"), keep + "\\a.bmp");
  WriteFileBytes(DataFile("UNDO.DAT"), kUtf8Mark + MoveLine(gone, keep + "\\x.bmp") + movedA);
  Viewer viewer = ShowPicture("b.bmp");

  viewer.PressKey('U');
  const MessageBoxInfo box = viewer.WaitForMessageBox("元に戻すエラー");
  EXPECT_EQ(WithoutLineBreaks(box.text),
            WithoutLineBreaks(gone +
                              "\nのフォルダーが見つからないため、移動を元に戻せません。\n"
                              "ファイルは\n" +
                              keep + "\\x.bmp\nに残します。この記録は消去します。"));
  viewer.Answer(box, IDOK);
  EXPECT_EQ(JournalBecomes(movedA), movedA);
  EXPECT_TRUE(FileExists(keep + "\\x.bmp"));
  UndoShowing(viewer, "a.bmp");
}

// Another program holds the journal open: it cannot be read, so it is not
// replaced, and undo cannot know what to undo.
TEST_F(Move, AJournalThatDoesNotReadIsNotReplacedAndUSaysWhy) {
  const std::string keep = Folder("keep");
  WriteDestinations({"A : " + keep});
  WritePictures({"a.bmp", "b.bmp"});
  const std::string journal = MoveLine("C:\\old\\x.bmp", "C:\\new\\x.bmp");
  WriteFileBytes(DataFile("UNDO.DAT"), journal);
  Viewer viewer = ShowPicture("a.bmp");
  auto holder = HoldOpen(DataFile("UNDO.DAT"));

  viewer.PressKey('U');
  const MessageBoxInfo box = viewer.WaitForMessageBox("元に戻すエラー");
  EXPECT_TRUE(
      StartsWith(box.text, DataFile("UNDO.DAT") + "\nを読み込めないため、元に戻せません。\n"));
  viewer.Answer(box, IDOK);

  EXPECT_TRUE(StartsWith(
      SaveErrorOfMovingA(viewer, keep),
      NotReplacedAsUnread(DataFile("UNDO.DAT"), "\nに元に戻すための記録を保存できません。\n")));
  holder.reset();
  EXPECT_EQ(viewer.WaitForTitle("b.bmp [100%]"), "b.bmp [100%]");
  EXPECT_TRUE(FileExists(keep + "\\a.bmp")) << "the move stands";
  EXPECT_EQ(ReadFileBytes(DataFile("UNDO.DAT")), journal);
}

// 😀.bmp, whose name code page 932 cannot hold, moves into a registered
// folder of a code-page-932 name and comes back with U; the history gets
// that folder in code page 932 and the destinations file stays byte for byte.
TEST_F(Move, ANameCodePage932CannotHoldMovesIntoARegisteredFolderAndComesBackWithU) {
  const std::string keep = Folder("保管");
  WriteDestinations({"A : " + keep});
  const std::optional<std::string> destinations = ReadFileBytes(DataFile("M_DIR.DAT"));
  WritePictures({"a.bmp"});
  const std::wstring emoji = FromCp932(Picture("")) + L"\U0001F600.bmp";
  const std::wstring title = L"\U0001F600.bmp [100%]";
  WriteFileBytes(emoji, BmpBytes(40, 30, [](int, int) { return Rgb{255, 0, 0}; }));
  Viewer viewer = ShowPicture("a.bmp");
  viewer.PressKey(VK_SPACE);
  ASSERT_EQ(viewer.WaitForWideTitle(title), title);

  const std::optional<FILETIME> before = HistoryWriteTime();
  const HWND dialog = ChooseInMoveMenu(viewer, {'A'}, keep);
  PostMessageA(dialog, WM_COMMAND, IDOK, 0);  // the proposed name: the file's own
  EXPECT_EQ(viewer.WaitForTitle("a.bmp [100%]"), "a.bmp [100%]") << DescribeWindows(viewer);
  EXPECT_EQ(HistoryWrittenAfter(before), keep + "\r\n");
  EXPECT_TRUE(FileExists(FromCp932(keep) + L"\\\U0001F600.bmp"));
  EXPECT_FALSE(FileExists(emoji));
  EXPECT_EQ(ReadFileBytes(DataFile("M_DIR.DAT")), destinations);

  viewer.PressKey('U');
  EXPECT_EQ(viewer.WaitForWideTitle(title), title);
  EXPECT_TRUE(FileExists(emoji));

  // Into a folder code page 932 cannot hold, named in the save dialog, the
  // move works; only its history line is left out, and the user is told.
  const std::wstring cafe = FromCp932(program_) + L"\\caf\u00e9";
  ASSERT_TRUE(CreateDirectoryW(cafe.c_str(), nullptr));
  const std::optional<std::string> history = ReadFileBytes(DataFile("R_DIR.DAT"));
  const HWND again = ChooseInMoveMenu(viewer, {'A'}, keep);
  const std::wstring target = cafe + L"\\\U0001F600.bmp";
  SendMessageTimeoutW(GetDlgItem(again, kFileNameField), WM_SETTEXT, 0,
                      reinterpret_cast<LPARAM>(target.c_str()), SMTO_ABORTIFHUNG, kWaitMs, nullptr);
  PostMessageA(again, WM_COMMAND, IDOK, 0);
  const MessageBoxInfo box = viewer.WaitForMessageBox("メッセージ");
  EXPECT_NE(box.text.find("移動先の履歴に記録しませんでした"), std::string::npos) << box.text;
  viewer.Answer(box, IDOK);
  EXPECT_TRUE(FileExists(target));
  EXPECT_FALSE(FileExists(emoji));
  EXPECT_EQ(ReadFileBytes(DataFile("R_DIR.DAT")), history);
  EXPECT_EQ(ReadFileBytes(DataFile("M_DIR.DAT")), destinations);
}

// Two-key filing of a shoot: the shown picture's raw file and sidecars
// (same name before the extension, any letter case) go with it; others stay.
class FilingCompanions : public Move {
 protected:
  FilingCompanions() {
    WriteDestinations({"A : " + keep_});
    WritePictures({"a.bmp", "b.bmp"});
    for (const char* name : {"A.xmp", "a.CR2", "a.MOV", "a.txt", "ab.xmp"}) {
      WriteFileBytes(Picture(name), name);
    }
  }

  static IniFile FilingSettings() {
    return IniFile().Set("設定", "移動ダイアログ省略", 1).Set("設定", "関連ファイル連動", 1);
  }

  // Where each file of the group is, in the pictures or in keep.
  void ExpectGroupIn(const std::string& folder, const std::string& stem = "a") const {
    for (const std::string ext : {".bmp", ".CR2", ".MOV"}) {
      EXPECT_TRUE(FileExists(folder + "\\" + stem + ext)) << folder << "\\" << stem << ext;
    }
    EXPECT_TRUE(FileExists(folder + "\\" + (stem == "a" ? "A" : stem) + ".xmp")) << folder;
    for (const char* name : {"a.txt", "ab.xmp"}) EXPECT_TRUE(FileExists(Picture(name))) << name;
  }

  const std::string keep_ = Folder("keep");
};

TEST_F(FilingCompanions, TwoKeysFileThePhotoWithItsCompanionsAndUBringsTheGroupBack) {
  Viewer viewer = ShowPicture("a.bmp", FilingSettings());
  viewer.PressKey('J');
  viewer.WaitForPopupMenu();
  viewer.PressKey('A');
  EXPECT_EQ(viewer.WaitForTitle("b.bmp [100%]"), "b.bmp [100%]") << DescribeWindows(viewer);
  EXPECT_FALSE(viewer.FindOwnWindow("#32770")) << "no dialog";
  ExpectGroupIn(keep_);
  std::string line = "M\t" + Picture("a.bmp") + "\t" + keep_ + "\\a.bmp";
  for (const char* name : {"A.xmp", "a.CR2", "a.MOV"}) {
    line += "\t" + Picture(name) + "\t" + keep_ + "\\" + name;
  }
  EXPECT_EQ(JournalBecomes(line + "\r\n"), line + "\r\n");

  UndoShowing(viewer, "a.bmp");
  ExpectGroupIn(pictures_);
  EXPECT_EQ(JournalBecomes(""), "");
}

TEST_F(FilingCompanions, DDeletesTheGroupAfterOneQuestionAndUBringsItBack) {
  Viewer viewer = ShowPicture("a.bmp", FilingSettings());
  viewer.PressKey('D');
  const MessageBoxInfo question = viewer.WaitForMessageBox("削除確認");
  EXPECT_EQ(question.text, "このファイルと関連ファイル3件を削除してもいいですか？");
  viewer.Answer(question, IDOK);
  EXPECT_EQ(viewer.WaitForTitle("削除完了"), "削除完了");
  for (const char* name : {"a.bmp", "A.xmp", "a.CR2", "a.MOV"}) {
    EXPECT_FALSE(FileExists(Picture(name))) << name;
  }
  UndoShowing(viewer, "a.bmp");
  ExpectGroupIn(pictures_);
}

TEST_F(FilingCompanions, ANameTakenInTheFolderOpensTheDialogAndTheGroupTakesTheNewName) {
  WriteFileBytes(keep_ + "\\A.XMP", "other");
  Viewer viewer = ShowPicture("a.bmp", FilingSettings());
  const HWND dialog = ChooseInMoveMenu(viewer, {'A'}, keep_);
  viewer.ChooseFile(dialog, "c.bmp");
  EXPECT_EQ(viewer.WaitForTitle("b.bmp [100%]"), "b.bmp [100%]") << DescribeWindows(viewer);
  ExpectGroupIn(keep_, "c");
  EXPECT_EQ(ReadFileBytes(keep_ + "\\A.XMP"), "other");
}

TEST_F(FilingCompanions, OffByDefaultTheDialogAsksAndTheCompanionsStay) {
  Viewer viewer = ShowPicture("a.bmp");
  MoveWithKeys(viewer, {'A'}, keep_, "b.bmp");
  EXPECT_TRUE(FileExists(keep_ + "\\a.bmp"));
  for (const char* name : {"A.xmp", "a.CR2", "a.MOV"}) EXPECT_TRUE(FileExists(Picture(name)));
}

}  // namespace
}  // namespace bex::test
