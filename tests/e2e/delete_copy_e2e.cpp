// Deleting the shown file and copying its picture under Wine, driven from
// outside: the question, the recycle bin, the refused second delete, the step
// past the deleted file, the delete undone with U, and the clipboard at full
// and at displayed size, or kept as it was when the copy is too large.
#include <algorithm>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <regex>
#include <string>
#include <vector>

#include "support/bmp_writer.h"
#include "support/linux_host.h"
#include "support/viewer_checks.h"
#include "support/viewer_driver.h"
#include "support/wine_paths.h"

namespace bex::test {
namespace {

std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

std::string EnvironmentVariable(const char* name) {
  char value[MAX_PATH * 4];
  const DWORD n = GetEnvironmentVariableA(name, value, sizeof(value));
  return n > 0 && n < sizeof(value) ? std::string(value, n) : std::string();
}

// Where Wine's recycle bin keeps deleted files, and what it knows of each:
// the freedesktop trash under XDG_DATA_HOME (the test run sets it to a folder
// of the build).
std::string Trash(const std::string& part) {
  std::string data = EnvironmentVariable("XDG_DATA_HOME");
  if (data.empty()) data = EnvironmentVariable("HOME") + "/.local/share";
  return WindowsPathOf(data + "/Trash/" + part);
}
std::string TrashFolder() { return Trash("files"); }
std::string TrashInfo(const std::string& name) { return Trash("info/" + name + ".trashinfo"); }

// Makes the bin's record of a file say it was deleted at localTime
// ("2024-05-01 13:45:07").
void SetDeletionTime(const std::string& infoFile, std::string localTime) {
  localTime[10] = 'T';
  const std::optional<std::string> info = ReadFileBytes(infoFile);
  ASSERT_TRUE(info) << infoFile;
  WriteFileBytes(infoFile, std::regex_replace(*info, std::regex("DeletionDate=[^\n]*"),
                                              "DeletionDate=" + localTime));
}

void EmptyTheClipboard() {
  ASSERT_TRUE(WaitUntil([] { return OpenClipboard(nullptr) != FALSE; }));
  EmptyClipboard();
  CloseClipboard();
}

void PutTextOnTheClipboard(const std::string& text) {
  ASSERT_TRUE(WaitUntil([] { return OpenClipboard(nullptr) != FALSE; }));
  EmptyClipboard();
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
  char* target = static_cast<char*>(GlobalLock(block));
  std::copy_n(text.c_str(), text.size() + 1, target);
  GlobalUnlock(block);
  SetClipboardData(CF_TEXT, block);
  CloseClipboard();
}

std::string ClipboardText() {
  if (!WaitUntil([] { return OpenClipboard(nullptr) != FALSE; })) return "(busy)";
  std::string text;
  if (HANDLE data = GetClipboardData(CF_TEXT)) {
    text = static_cast<const char*>(GlobalLock(data));
    GlobalUnlock(data);
  }
  CloseClipboard();
  return text;
}

// The size of the bitmap the next copy puts on the emptied clipboard.
std::optional<SIZE> CopiedBitmapSize(const Viewer& viewer, WORD key, unsigned modifiers) {
  EmptyTheClipboard();
  viewer.PressKey(key, modifiers);
  std::optional<SIZE> size;
  WaitUntil([&] { return (size = ClipboardBitmapSize()).has_value(); });
  return size;
}

// D on a drive without a recycle bin: both questions answered.
void DeleteForGood(const Viewer& viewer, int secondAnswer = IDOK) {
  viewer.PressKey('D');
  viewer.Answer(viewer.WaitForMessageBox("削除確認"), IDOK);
  const MessageBoxInfo warning = viewer.WaitForMessageBox("削除確認");
  EXPECT_EQ(warning.text,
            "このドライブのファイルはごみ箱に入りません。\n完全に削除してもいいですか？");
  viewer.Answer(warning, secondAnswer);
}

class DeleteAndCopy : public ::testing::Test {
 protected:
  // Names unique in the recycle bin, which outlives the run (the processes
  // of a new Wine server get the same ids again), in this order by name.
  std::string Name(char letter) const {
    static const std::string run =
        std::to_string(GetCurrentProcessId()) + "-" + std::to_string(GetTickCount());
    return std::string(1, letter) + "-" + run + "-" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".bmp";
  }
  std::string Picture(char letter) const { return pictures_ + "\\" + Name(letter); }
  std::string Title(char letter) const { return Name(letter) + " [100%]"; }

  void WritePictures(const std::string& letters) const {
    for (char letter : letters) {
      WriteSolidBmp(Picture(letter), 40, 30, Rgb{static_cast<uint8_t>(letter), 0, 0});
    }
  }

  // The undo journal's lines (after the UTF-8 mark) once the viewer has
  // written what it is expected to, each delete's time and fingerprint read
  // as kAnyTime and kAnyFingerprint.
  std::string JournalBecomes(const std::string& expected) const {
    static const std::regex time("\t[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2}\t");
    static const std::regex fingerprint("\t[0-9a-f]{16}(?=\t|\r)");
    return std::regex_replace(
        std::regex_replace(
            WithoutUtf8Mark(ContentOnceSized(program_ + "\\UNDO.DAT", kUtf8Mark + expected)), time,
            "\t" + std::string(kAnyTime) + "\t"),
        fingerprint, "\t" + std::string(kAnyFingerprint));
  }
  // The journal's line for a delete of the file at path.
  std::string DeleteLine(const std::string& path) const {
    return "D\t" + path + "\t" + kAnyTime + "\t" + std::to_string(ReadFileBytes(path)->size()) +
           "\t" + kAnyFingerprint + "\r\n";
  }
  static constexpr char kAnyTime[] = "0000-00-00 00:00:00";
  static constexpr char kAnyFingerprint[] = "****************";

  Viewer Show(char letter) const {
    Viewer viewer = Viewer::Start(program_, Quoted(Picture(letter)));
    EXPECT_EQ(viewer.WaitForTitle(Title(letter)), Title(letter));
    return viewer;
  }

  const std::string program_ = NewScratchFolder("delete-copy");
  const std::string pictures_ = NewScratchFolder("delete-copy-pictures");
};

TEST_F(DeleteAndCopy, DeleteAsksRecyclesRefusesASecondTimeAndTheStepsSkipTheFile) {
  WritePictures("abc");
  const std::string bytes = *ReadFileBytes(Picture('a'));
  Viewer viewer = Show('a');

  viewer.PressKey('D');
  const MessageBoxInfo question = viewer.WaitForMessageBox("削除確認");
  EXPECT_EQ(question.text, "このファイルを削除してもいいですか？");
  viewer.Answer(question, IDOK);
  EXPECT_EQ(viewer.WaitForTitle("削除完了"), "削除完了");
  EXPECT_FALSE(FileExists(Picture('a')));
  EXPECT_EQ(ReadFileBytes(TrashFolder() + "\\" + Name('a')), bytes) << "in the recycle bin";

  viewer.PressKey('D');
  const MessageBoxInfo refusal = viewer.WaitForMessageBox("メッセージ");
  EXPECT_EQ(refusal.text, "このファイルは既に削除されています");
  viewer.Answer(refusal, IDOK);
  EXPECT_EQ(viewer.Title(), "削除完了");

  viewer.PressKey(VK_SPACE);
  EXPECT_EQ(viewer.WaitForTitle(Title('b')), Title('b'));
  viewer.PressKey(VK_BACK);
  EXPECT_EQ(viewer.WaitForTitle(Title('c')), Title('c')) << "back from the first wraps to the last";
  viewer.PressKey(VK_SPACE);
  EXPECT_EQ(viewer.WaitForTitle(Title('b')), Title('b'));

  viewer.PressKey('D');
  viewer.Answer(viewer.WaitForMessageBox("削除確認"), IDCANCEL);
  EXPECT_EQ(viewer.Title(), Title('b')) << "a new picture can be deleted again";
  EXPECT_TRUE(FileExists(Picture('b'))) << "cancelled";
}

TEST_F(DeleteAndCopy, UBringsTheDeletedFileBackFromTheRecycleBinAndShowsIt) {
  WritePictures("abc");
  const std::string bytes = *ReadFileBytes(Picture('a'));
  Viewer viewer = Show('a');
  const std::string journal = DeleteLine(Picture('a'));
  EXPECT_TRUE(DeletesTheShownFile(viewer));
  ASSERT_TRUE(FileExists(TrashFolder() + "\\" + Name('a')));
  EXPECT_EQ(JournalBecomes(journal), journal);

  viewer.PressKey('U');
  EXPECT_EQ(viewer.WaitForTitle(Title('a')), Title('a'));
  EXPECT_EQ(ReadFileBytes(Picture('a')), bytes);
  EXPECT_FALSE(FileExists(TrashFolder() + "\\" + Name('a'))) << "it left the recycle bin";
  EXPECT_FALSE(FileExists(TrashInfo(Name('a'))));
  EXPECT_EQ(JournalBecomes(""), "");
  viewer.PressKey(VK_SPACE);
  EXPECT_EQ(viewer.WaitForTitle(Title('b')), Title('b'));
  viewer.PressKey(VK_BACK);
  EXPECT_EQ(viewer.WaitForTitle(Title('a')), Title('a')) << "the folder was listed anew";
}

// Two files of one size deleted from the same path within a minute, which is
// all the time Wine's bin tells: U brings back the one deleted last, by its
// content, even where the bin's times point at the other (here made to). The
// older one cannot come back over it; that is said once, it stays in the bin,
// and the next U goes on to the entry under it.
TEST_F(DeleteAndCopy, UndoRestoresTheNewestOfTwoDeletesFromOnePathAndPassesTheOneInTheWay) {
  WritePictures("a");
  Viewer viewer = Show('a');
  // All three are 40 x 30 pictures of one size.
  const std::string aLine = DeleteLine(Picture('a'));
  const std::string pLine = "D\t" + Picture('p') + aLine.substr(aLine.find('\t', 2));
  ASSERT_TRUE(DeletesTheShownFile(viewer));
  const auto showAndDelete = [&](uint8_t blue) {
    WriteSolidBmp(Picture('p'), 40, 30, Rgb{0, 0, blue});
    const std::string bytes = *ReadFileBytes(Picture('p'));
    viewer.DropFiles({Picture('p')});
    EXPECT_EQ(viewer.WaitForTitle(Title('p')), Title('p'));
    EXPECT_TRUE(DeletesTheShownFile(viewer));
    return bytes;
  };
  const std::string first = showAndDelete(40);
  const std::string last = showAndDelete(120);
  ASSERT_EQ(JournalBecomes(pLine + pLine + aLine), pLine + pLine + aLine);
  // The bin's record of the first (under the plain name; the last has a
  // suffix) says it was deleted when the last was, and that of the last long before.
  const std::string recorded = WithoutUtf8Mark(*ReadFileBytes(program_ + "\\UNDO.DAT"));
  SetDeletionTime(TrashInfo(Name('p')), recorded.substr(recorded.find('\t', 2) + 1, 19));
  for (const std::string& name : FilesIn(Trash("info"))) {
    if (name.rfind(Name('p') + "-", 0) == 0) {
      SetDeletionTime(Trash("info/" + name), "2000-01-01 00:00:00");
    }
  }

  viewer.PressKey('U');
  EXPECT_EQ(viewer.WaitForTitle(Title('p')), Title('p'));
  EXPECT_TRUE(ReadFileBytes(Picture('p')) == last) << "the file deleted last";

  viewer.PressKey('U');
  const MessageBoxInfo box = viewer.WaitForMessageBox("元に戻すエラー");
  EXPECT_EQ(box.text, Picture('p') +
                          "\nには別のファイルがあるため、削除を元に戻せません。\n"
                          "ファイルはごみ箱に残します。この記録は消去します。");
  viewer.Answer(box, IDOK);
  const std::vector<std::string> binned = FilesIn(TrashFolder());
  EXPECT_EQ(std::count_if(binned.begin(), binned.end(),
                          [&](const std::string& name) {
                            return name.rfind(Name('p'), 0) == 0 &&
                                   ReadFileBytes(TrashFolder() + "\\" + name) == first;
                          }),
            1)
      << "the first is still in the bin";
  viewer.PressKey('U');
  EXPECT_EQ(viewer.WaitForTitle(Title('a')), Title('a')) << "the entry under it";
  EXPECT_TRUE(FileExists(Picture('a')));
  EXPECT_EQ(JournalBecomes(""), "");
}

// A journal that reads but cannot be replaced (here another program holds
// it open for reading; a program folder the user may not write does the
// same): the deletes stand, and the first says once that they cannot be
// undone.
TEST_F(DeleteAndCopy, AJournalThatCannotBeWrittenIsToldOnceAndTheDeletesStand) {
  WritePictures("abc");
  const std::string journal = program_ + "\\UNDO.DAT";
  WriteFileBytes(journal, "");
  const std::shared_ptr<void> reader(CreateFileA(journal.c_str(), GENERIC_READ, FILE_SHARE_READ,
                                                 nullptr, OPEN_EXISTING, 0, nullptr),
                                     CloseHandle);
  ASSERT_NE(reader.get(), INVALID_HANDLE_VALUE);
  Viewer viewer = Show('a');
  ASSERT_TRUE(DeletesTheShownFile(viewer));
  const MessageBoxInfo box = viewer.WaitForMessageBox("保存エラー");
  const std::string told = journal +
                           "\nに元に戻すための記録を保存できません。\n"
                           "この後の移動と削除は元に戻せません。\n";
  EXPECT_EQ(box.text.substr(0, told.size()), told);
  viewer.Answer(box, IDOK);
  EXPECT_FALSE(FileExists(Picture('a')));

  viewer.PressKey(VK_SPACE);
  ASSERT_EQ(viewer.WaitForTitle(Title('b')), Title('b'));
  ASSERT_TRUE(DeletesTheShownFile(viewer));
  // The version box shows once the delete command has ended, with no other before it.
  viewer.PressKey('V');
  viewer.Answer(viewer.WaitForMessageBox("ﾊﾞｰｼﾞｮﾝ情報"), IDOK);
  EXPECT_FALSE(FileExists(Picture('b')));
}

TEST_F(DeleteAndCopy, UndoingADeleteEmptiedFromTheRecycleBinSaysSoAndDropsTheEntry) {
  WritePictures("ab");
  Viewer viewer = Show('a');
  const std::string journal = DeleteLine(Picture('a'));
  EXPECT_TRUE(DeletesTheShownFile(viewer));
  ASSERT_EQ(JournalBecomes(journal), journal);
  ASSERT_TRUE(DeleteFileA(TrashInfo(Name('a')).c_str()));
  ASSERT_TRUE(DeleteFileA((TrashFolder() + "\\" + Name('a')).c_str()));

  viewer.PressKey('U');
  const MessageBoxInfo box = viewer.WaitForMessageBox("元に戻すエラー");
  EXPECT_EQ(box.text, Picture('a') +
                          "\nがごみ箱に見つからないため、削除を元に戻せません。\n"
                          "この記録は消去します。");
  viewer.Answer(box, IDOK);
  EXPECT_EQ(JournalBecomes(""), "");
  EXPECT_EQ(viewer.Title(), "削除完了");
  EXPECT_FALSE(FileExists(Picture('a')));
}

// Another program removed the file before D, or while the question was up
// (the shell then fails, showing nothing under Wine): the viewer says so, and
// the steps pass over the file.
TEST_F(DeleteAndCopy, AFileRemovedByAnotherProgramIsSaidToBeGoneAndLeavesTheList) {
  WritePictures("abc");
  Viewer viewer = Show('a');
  const auto deleteGone = [&](char letter, bool beforeD) {
    if (beforeD) {
      ASSERT_TRUE(DeleteFileA(Picture(letter).c_str()));
    }
    viewer.PressKey('D');
    if (!beforeD) {
      const MessageBoxInfo question = viewer.WaitForMessageBox("削除確認");
      ASSERT_TRUE(DeleteFileA(Picture(letter).c_str()));
      viewer.Answer(question, IDOK);
    }
    const MessageBoxInfo box = viewer.WaitForMessageBox("削除エラー");
    EXPECT_EQ(box.text, Picture(letter) + "\nは既にありません。一覧から外します。");
    viewer.Answer(box, IDOK);
    EXPECT_TRUE(TakesKeysAgain(viewer));
    viewer.PressKey(VK_SPACE);
  };
  deleteGone('a', false);
  EXPECT_EQ(viewer.WaitForTitle(Title('b')), Title('b'));
  deleteGone('b', true);
  EXPECT_EQ(viewer.WaitForTitle(Title('c')), Title('c'));
}

TEST_F(DeleteAndCopy, ADriveWithoutRecycleBinIsNamedBeforeTheFileIsDeletedForGood) {
  const std::optional<MappedDrive> drive = MappedDrive::Map("removable", DRIVE_REMOVABLE);
  ASSERT_TRUE(drive) << "no removable drive could be defined";
  const std::string picture = drive->Root() + "\\" + Name('a');
  WriteSolidBmp(picture, 40, 30, Rgb{9, 9, 9});
  Viewer viewer = Viewer::Start(program_, Quoted(picture));
  ASSERT_EQ(viewer.WaitForTitle(Title('a')), Title('a'));

  DeleteForGood(viewer, IDCANCEL);
  EXPECT_EQ(viewer.Title(), Title('a'));
  EXPECT_TRUE(FileExists(picture));

  DeleteForGood(viewer);
  EXPECT_EQ(viewer.WaitForTitle("削除完了"), "削除完了");
  EXPECT_FALSE(FileExists(picture));
  // The version box shows once the delete command has ended.
  viewer.PressKey('V');
  viewer.Answer(viewer.WaitForMessageBox("ﾊﾞｰｼﾞｮﾝ情報"), IDOK);
  EXPECT_FALSE(FileExists(program_ + "\\UNDO.DAT")) << "a delete for good cannot be undone";
}

// A removable drive (a delete there is for good) with a.bmp in its folder
// pics, and a same-named decoy at a place a wrong path would reach.
struct DriveWithDecoy {
  explicit DriveWithDecoy(const std::string& label, const std::string& decoyFolder)
      : drive(MappedDrive::Map(label, DRIVE_REMOVABLE)) {
    if (!drive) return;
    CreateDirectoryA(Folder().c_str(), nullptr);
    CreateDirectoryA((drive->Root() + decoyFolder).c_str(), nullptr);
    WriteSolidBmp(Shown(), 40, 30, Rgb{9, 9, 9});
    decoy = drive->Root() + decoyFolder + "\\a.bmp";
    WriteSolidBmp(decoy, 10, 10, Rgb{1, 2, 3});
  }
  std::string Folder() const { return drive->Root() + "\\pics"; }
  std::string Shown() const { return Folder() + "\\a.bmp"; }

  // Deletes the shown a.bmp and expects the decoy to stay.
  void ExpectDeleteTakesTheShownFile(const Viewer& viewer) const {
    ASSERT_EQ(viewer.WaitForTitle("a.bmp [100%]"), "a.bmp [100%]");
    DeleteForGood(viewer);
    EXPECT_EQ(viewer.WaitForTitle("削除完了"), "削除完了");
    EXPECT_FALSE(FileExists(Shown()));
    EXPECT_TRUE(FileExists(decoy)) << "the decoy " << decoy << " stays";
  }

  std::optional<MappedDrive> drive;
  std::string decoy;
};

TEST_F(DeleteAndCopy, ADriveRelativeNameDeletesTheFileOnScreen) {
  const DriveWithDecoy files("relative", "\\pics\\pics");
  ASSERT_TRUE(files.drive) << "no removable drive could be defined";
  // The viewer's current directory is on another drive: "X:pics" is X:\pics.
  Viewer viewer = Viewer::Start(program_, files.drive->Root() + "pics\\a.bmp");
  files.ExpectDeleteTakesTheShownFile(viewer);
}

TEST_F(DeleteAndCopy, StartedWithoutAFileTheStepsFolderIsTheCurrentOne) {
  const DriveWithDecoy files("nofile", "");
  ASSERT_TRUE(files.drive) << "no removable drive could be defined";
  ViewerOptions options;
  options.workingFolder = files.Folder();
  Viewer viewer = Viewer::Start(program_, "", options);
  viewer.PressKey(VK_SPACE);
  files.ExpectDeleteTakesTheShownFile(viewer);
}

TEST_F(DeleteAndCopy, CopiesThePictureAsDisplayedAndAtFullSize) {
  WriteSolidBmp(Picture('a'), 1000, 800, Rgb{0, 128, 255});
  Viewer viewer = Show('a');
  viewer.PressKey('5');
  ASSERT_EQ(viewer.WaitForTitle(Name('a') + " [50%]"), Name('a') + " [50%]");

  const std::optional<SIZE> displayed = CopiedBitmapSize(viewer, 'C', kCtrl);
  ASSERT_TRUE(displayed);
  EXPECT_EQ(displayed->cx, 500);
  EXPECT_EQ(displayed->cy, 400);

  const std::optional<SIZE> full = CopiedBitmapSize(viewer, 'C', kShift);
  ASSERT_TRUE(full);
  EXPECT_EQ(full->cx, 1000);
  EXPECT_EQ(full->cy, 800);
}

// Another program writes over the file on screen: a copy takes the picture
// on screen as it is, without opening the file again; a delete then acts on
// nothing, says why and shows the file as it is now.
TEST_F(DeleteAndCopy, AFileWrittenOverSinceItShowedIsCopiedAsShownButNotDeleted) {
  WritePictures("ab");
  Viewer viewer = Show('a');
  WriteSolidBmp(Picture('a'), 300, 200, Rgb{0, 0, 255});
  for (const unsigned modifier : {kShift, kCtrl}) {
    const std::optional<SIZE> copied = CopiedBitmapSize(viewer, 'C', modifier);
    ASSERT_TRUE(copied) << modifier;
    EXPECT_EQ(copied->cx, 40) << "the picture on screen is copied";
  }
  EXPECT_FALSE(viewer.FindMessageBox());

  viewer.PressKey('D');
  viewer.Answer(viewer.WaitForMessageBox("削除確認"), IDOK);
  const MessageBoxInfo box = viewer.WaitForMessageBox("ファイル変更");
  EXPECT_EQ(box.text, Picture('a') +
                          "\nは表示した後に変更されたため、何もしませんでした。\n"
                          "今の内容を表示します。");
  viewer.Answer(box, IDOK);
  EXPECT_EQ(viewer.WaitForTitle(Title('a')), Title('a'));
  EXPECT_TRUE(ReachesClientSize(viewer, {300, 200}));
  EXPECT_TRUE(FileExists(Picture('a')));
  EXPECT_TRUE(DeletesTheShownFile(viewer)) << "the file as shown now is deleted";
}

// Copies that cannot be made: at 5000 % the displayed picture (50000 x 40000)
// is beyond the 2 GiB a bitmap may take; at 2000 % it is drawn (1.28 GB), but
// the clipboard's copy does not fit beside it in the 32-bit viewer.
TEST_F(DeleteAndCopy, ACopyTooLargeToMakeSaysSoAndLeavesTheClipboardAlone) {
  WriteSolidBmp(Picture('a'), 1000, 800, Rgb{0, 128, 255});
  Viewer viewer = Show('a');
  for (const std::string zoom : {"5000", "2000"}) {
    viewer.PressKey('0', kShift);
    SetControlText(FindWindowExA(viewer.WaitForDialog("入力値"), nullptr, "Edit", nullptr), zoom);
    viewer.PressKey(VK_RETURN);
    const std::string title = Name('a') + " [" + zoom + "%]";
    ASSERT_EQ(viewer.WaitForTitle(title), title);
    PutTextOnTheClipboard("kept");

    viewer.PressKey('C', kCtrl);
    const MessageBoxInfo box = viewer.WaitForMessageBox("コピーエラー");
    EXPECT_EQ(box.text,
              "表示中の画像が大きすぎるため、クリップボードへコピーできませんでした。\n"
              "倍率を下げてからコピーしてください。")
        << zoom;
    viewer.Answer(box, IDOK);
    EXPECT_EQ(ClipboardText(), "kept") << zoom;
  }
}

TEST_F(DeleteAndCopy, CopyingBeforeAnyPictureLeavesTheClipboardAlone) {
  Viewer viewer = Viewer::Start(program_, "");
  PutTextOnTheClipboard("kept");

  viewer.PressKey('C', kShift);
  viewer.PressKey('C', kCtrl);
  // The keys are handled in order: once the version box shows, both copies ran.
  viewer.PressKey('V');
  viewer.Answer(viewer.WaitForMessageBox("ﾊﾞｰｼﾞｮﾝ情報"), IDOK);
  EXPECT_TRUE(viewer.Running());
  EXPECT_EQ(ClipboardText(), "kept");
}

}  // namespace
}  // namespace bex::test
