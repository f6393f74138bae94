#include "move/folder_editor.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace bex {
namespace {

using Lines = std::vector<std::string>;

DestinationEntry Leaf(const std::string& label) { return {label, {}}; }

// Root: two folders, a separator, the group Work with two children, a folder.
DestinationTree ExampleTree() {
  return {Leaf("A : D:\\Keep"),
          Leaf("B : D:\\Later"),
          Leaf("-"),
          {"W : [Work]", {Leaf("1 : E:\\Scans"), Leaf("  : E:\\Misc")}},
          Leaf("Z : F:\\Archive")};
}

// The buttons in the page's order, as 1 (enabled) and 0.
std::string Enabled(const EditorButtons& b) {
  std::string s;
  for (bool on : {b.addFolder, b.change, b.addGroup, b.addSeparator, b.cut, b.paste, b.remove, b.up,
                  b.down, b.leave, b.enter}) {
    s += on ? '1' : '0';
  }
  return s;
}

//                        ADD CHG GR SP CT PS DEL UP DN OYA KO
constexpr char kOnlyAdding[] = "10110000000";

TEST(FolderEditorButtons, EmptyTreeEnablesOnlyTheAddButtons) {
  FolderEditor editor({});
  EXPECT_EQ(editor.Selection(), -1);
  EXPECT_EQ(Enabled(editor.Buttons()), kOnlyAdding);
}

TEST(FolderEditorButtons, FollowTheSelectedLine) {
  FolderEditor editor(ExampleTree());
  EXPECT_EQ(editor.Selection(), 0);
  EXPECT_EQ(Enabled(editor.Buttons()), "11111010100");
  editor.Select(2);  // the separator
  EXPECT_EQ(Enabled(editor.Buttons()), "10111011100");
  editor.Select(3);  // the group
  EXPECT_EQ(Enabled(editor.Buttons()), "11111011101");
  editor.Select(4);  // the last line
  EXPECT_EQ(Enabled(editor.Buttons()), "11111011000");
  editor.Select(7);  // no such line: the selection stays
  EXPECT_EQ(editor.Selection(), 4);
}

TEST(FolderEditorAdd, FirstEntryOfAnEmptyLevelIsSelected) {
  FolderEditor editor({});
  editor.AddFolder("X", "E:\\In");
  EXPECT_EQ(editor.ListLines(), Lines{"X : E:\\In"});
  EXPECT_EQ(editor.Selection(), 0);
  EXPECT_EQ(Enabled(editor.Buttons()), "11111010000");
}

TEST(FolderEditorAdd, NewEntryGoesBeforeTheSelectionAndIsSelected) {
  FolderEditor editor({Leaf("1 : a"), Leaf("2 : b"), Leaf("3 : c"), Leaf("4 : d")});
  editor.Select(1);
  editor.AddFolder("N", "E:\\New");
  EXPECT_EQ(editor.ListLines(), (Lines{"1 : a", "N : E:\\New", "2 : b", "3 : c", "4 : d"}));
  EXPECT_EQ(editor.Selection(), 1);
  editor.AddSeparator();
  editor.AddGroup("", "Web");
  EXPECT_EQ(editor.ListLines(),
            (Lines{"1 : a", "  : [Web]", "-", "N : E:\\New", "2 : b", "3 : c", "4 : d"}));
}

TEST(FolderEditorAdd, EmptyFolderBoxAddsNothing) {
  FolderEditor editor({});
  editor.ApplyEntryDialog(kEntryDialogAddFolder, "A", "");
  editor.ApplyEntryDialog(kEntryDialogAddGroup, "A", "");
  EXPECT_TRUE(editor.Tree().empty());
}

TEST(FolderEditorDialog, ModesChooseWordingPickerAndBoxes) {
  FolderEditor editor(ExampleTree());
  editor.Select(3);
  const EntryDialogSetup group = editor.EntryDialogFor(kEntryDialogAddGroup);
  EXPECT_EQ(group.title, "グループの指定");
  EXPECT_EQ(group.boxCaption, "ｸﾞﾙｰﾌﾟ指定");
  EXPECT_FALSE(group.showPicker);
  EXPECT_EQ(group.boxes.shortcut, "");
  EXPECT_EQ(group.boxes.folder, "");

  const EntryDialogSetup folder = editor.EntryDialogFor(kEntryDialogAddFolder);
  EXPECT_EQ(folder.title, "フォルダーの指定");
  EXPECT_EQ(folder.boxCaption, "ﾌｫﾙﾀﾞｰ指定");
  EXPECT_TRUE(folder.showPicker);
  EXPECT_EQ(folder.boxes.folder, "");

  const EntryDialogSetup change = editor.EntryDialogFor(kEntryDialogChange);
  EXPECT_EQ(change.title, "フォルダーの指定");
  EXPECT_EQ(change.boxes.shortcut, "W");
  EXPECT_EQ(change.boxes.folder, "[Work]");

  editor.Select(1);
  editor.Change(" ", "D:\\Later");
  EXPECT_EQ(editor.EntryDialogFor(kEntryDialogChange).boxes.shortcut, "");
}

TEST(FolderEditorDialog, ShortcutBoxTakesOneDigitOrCapital) {
  EXPECT_EQ(ShortcutBoxAfterChar('b'), "B");
  EXPECT_EQ(ShortcutBoxAfterChar('B'), "B");
  EXPECT_EQ(ShortcutBoxAfterChar('7'), "7");
  EXPECT_EQ(ShortcutBoxAfterChar('z'), "Z");
  for (char refused : {'-', ' ', '\b', '@', '[', '`', '{', '\x82'}) {
    EXPECT_EQ(ShortcutBoxAfterChar(refused), "なし") << int(refused);
  }
}

TEST(FolderEditorDialog, LabelsTakeOnlyAOneCharacterShortcut) {
  EXPECT_EQ(FolderLabel("X", "E:\\In"), "X : E:\\In");
  EXPECT_EQ(GroupLabel("", "Web"), "  : [Web]");
  EXPECT_EQ(FolderLabel(kNoShortcutText, "E:\\In"), "  : E:\\In");
  EXPECT_EQ(FolderLabel("AB", "E:\\In"), "  : E:\\In");
  // A double-byte or control character would move " : " off its place.
  EXPECT_EQ(FolderLabel("Ａ", "E:\\In"), "  : E:\\In");
  EXPECT_EQ(FolderLabel("\t", "E:\\In"), "  : E:\\In");
  // Whatever reached the box, only a digit or a capital is a shortcut: "&"
  // would be taken as the menu's accelerator mark.
  for (const char* box : {"&", "a", "-", "~"}) EXPECT_EQ(FolderLabel(box, "E:\\In"), "  : E:\\In");
}

// A paste, the edit menu or a text set from outside puts any text into the
// box; what it then shows is what typing the text's last character gives.
TEST(FolderEditorDialog, ShortcutBoxKeepsOnlyWhatItCanHoldAfterAnyChange) {
  for (const char* held : {"", "なし", "B", "7", "Z", "0"}) {
    EXPECT_EQ(ShortcutBoxAfterChange(held), held);
  }
  EXPECT_EQ(ShortcutBoxAfterChange("b"), "B");
  EXPECT_EQ(ShortcutBoxAfterChange("&"), "なし");
  EXPECT_EQ(ShortcutBoxAfterChange("Z&"), "なし");
  EXPECT_EQ(ShortcutBoxAfterChange("なしq"), "Q");
  EXPECT_EQ(ShortcutBoxAfterChange("AB"), "B");
  EXPECT_EQ(ShortcutBoxAfterChange("Ａ"), "なし");
  EXPECT_EQ(ShortcutBoxAfterChange("x\x82"), "なし");
}

TEST(FolderEditorDialog, TabsAndLineBreaksTypedIntoBoxesBecomeSpaces) {
  EXPECT_EQ(FolderLabel("A", "E:\\x\ty\r\nz"), "A : E:\\x y  z");
  EXPECT_EQ(GroupLabel("G", "a\tb"), "G : [a b]");
  FolderEditor editor({});
  editor.AddFolder("A", "\tE:\\x\r\n");
  EXPECT_EQ(ParseDestinations(SerializeDestinations(editor.Tree())), editor.Tree());
}

TEST(FolderEditorChange, KeepsChildrenAndBracketsDecideTheGroup) {
  FolderEditor editor(ExampleTree());
  editor.Select(3);
  editor.ApplyEntryDialog(kEntryDialogChange, "W", "[Jobs]");
  EXPECT_EQ(editor.Tree()[3].label, "W : [Jobs]");
  EXPECT_EQ(editor.Tree()[3].children.size(), 2u);
  EXPECT_EQ(editor.Selection(), 3);

  // Without brackets it is a folder whose children are not written.
  editor.Change("W", "Jobs");
  EXPECT_EQ(editor.Tree()[3].children.size(), 2u);
  const DestinationTree saved = ParseDestinations(SerializeDestinations(editor.Tree()));
  EXPECT_EQ(saved[3], Leaf("W : Jobs"));
}

TEST(FolderEditorChange, EmptyFolderBoxOrSeparatorChangesNothing) {
  FolderEditor editor(ExampleTree());
  editor.Change("Q", "");
  editor.Select(2);
  editor.Change("Q", "C:\\x");
  EXPECT_EQ(editor.Tree(), ExampleTree());
}

TEST(FolderEditorOrder, UpAndDownStayWithinTheLevel) {
  FolderEditor editor({Leaf("1 : a"), Leaf("2 : b"), Leaf("3 : c")});
  editor.MoveUp();
  EXPECT_EQ(editor.ListLines(), (Lines{"1 : a", "2 : b", "3 : c"}));
  editor.MoveDown();
  EXPECT_EQ(editor.ListLines(), (Lines{"2 : b", "1 : a", "3 : c"}));
  EXPECT_EQ(editor.Selection(), 1);
  editor.MoveDown();
  editor.MoveDown();
  EXPECT_EQ(editor.ListLines(), (Lines{"2 : b", "3 : c", "1 : a"}));
  EXPECT_EQ(editor.Selection(), 2);
  editor.MoveUp();
  EXPECT_EQ(editor.ListLines(), (Lines{"2 : b", "1 : a", "3 : c"}));
  EXPECT_EQ(editor.Selection(), 1);
}

TEST(FolderEditorDelete, RemovesTheEntryWithChildrenAndSelectsTheNext) {
  FolderEditor editor(ExampleTree());
  editor.Select(3);
  EXPECT_FALSE(editor.ListKeyDown(kKeyDelete));
  EXPECT_EQ(editor.ListLines(), (Lines{"A : D:\\Keep", "B : D:\\Later", "-", "Z : F:\\Archive"}));
  EXPECT_EQ(editor.Selection(), 3);
  editor.Delete();
  EXPECT_EQ(editor.Selection(), 2);

  FolderEditor empty({});
  EXPECT_FALSE(empty.ListKeyDown(kKeyDelete));
  empty.Delete();
  EXPECT_EQ(empty.Selection(), -1);
}

TEST(FolderEditorWalk, EnterSelectsFirstLineAndLeaveReselectsTheGroup) {
  FolderEditor editor(ExampleTree());
  editor.Select(3);
  editor.Enter();
  EXPECT_EQ(editor.EditorDepth(), 1);
  EXPECT_EQ(editor.EditorLevel(), std::vector<size_t>{3});
  EXPECT_EQ(editor.ListLines(), (Lines{"1 : E:\\Scans", "  : E:\\Misc"}));
  EXPECT_EQ(editor.Selection(), 0);
  EXPECT_TRUE(editor.Buttons().leave);

  editor.Select(1);
  EXPECT_TRUE(editor.ListKeyDown(kKeyLeft));
  EXPECT_EQ(editor.EditorDepth(), 0);
  EXPECT_EQ(editor.Selection(), 3);
  EXPECT_TRUE(editor.Buttons().enter);
  EXPECT_FALSE(editor.Buttons().leave);

  EXPECT_TRUE(editor.ListKeyDown(kKeyRight));
  EXPECT_TRUE(editor.ListKeyDown(kKeyBackspace));
  EXPECT_EQ(editor.Selection(), 3);
  // At the root leaving does nothing, but the key is still taken.
  EXPECT_TRUE(editor.ListKeyDown(kKeyBackspace));
  EXPECT_EQ(editor.EditorDepth(), 0);
  EXPECT_FALSE(editor.ListKeyDown('A'));
}

TEST(FolderEditorWalk, DoubleClickEntersOnlyLabelsEndingWithABracket) {
  FolderEditor editor(ExampleTree());
  for (int line : {0, 2, 4}) {
    editor.Select(line);
    editor.Enter();
    EXPECT_EQ(editor.EditorDepth(), 0);
    EXPECT_EQ(editor.Selection(), line);
  }
}

TEST(FolderEditorWalk, FolderEndingWithABracketOpensALevelThatIsNotSaved) {
  FolderEditor editor({Leaf("A : C:\\odd]")});
  editor.Enter();
  EXPECT_EQ(editor.EditorDepth(), 1);
  EXPECT_TRUE(editor.ListLines().empty());
  EXPECT_EQ(Enabled(editor.Buttons()), "10110000010");
  editor.AddFolder("B", "C:\\inner");
  EXPECT_EQ(editor.Selection(), 0);
  EXPECT_EQ(SerializeDestinations(editor.Tree()), "A : C:\\odd]\r\n");
}

TEST(FolderEditorCut, PasteMovesAnEntryToAnotherLevelAndANewCutKeepsIt) {
  FolderEditor editor(ExampleTree());
  editor.Cut();  // A
  EXPECT_EQ(editor.CutEntry(), Leaf("A : D:\\Keep"));
  EXPECT_TRUE(editor.Buttons().paste);
  EXPECT_EQ(editor.Selection(), 0);
  editor.Select(2);  // the group, now third
  editor.Enter();
  editor.Select(1);
  editor.Paste();
  EXPECT_FALSE(editor.CutEntry().has_value());
  EXPECT_FALSE(editor.Buttons().paste);
  EXPECT_EQ(editor.ListLines(), (Lines{"1 : E:\\Scans", "A : D:\\Keep", "  : E:\\Misc"}));
  EXPECT_EQ(editor.Selection(), 1);
  editor.Leave();
  editor.Select(0);
  editor.Cut();  // B
  EXPECT_EQ(SerializeDestinations(editor.Tree()),
            "-\r\n"
            "W : [Work]\r\n"
            "\t1 : E:\\Scans\r\n"
            "\tA : D:\\Keep\r\n"
            "\t  : E:\\Misc\r\n"
            "Z : F:\\Archive\r\n");
}

TEST(FolderEditorCut, GroupTravelsWithItsChildrenAndASecondCutDropsTheFirst) {
  FolderEditor editor(ExampleTree());
  editor.Select(3);
  editor.Cut();
  EXPECT_EQ(editor.CutEntry()->children.size(), 2u);
  EXPECT_EQ(editor.Selection(), 3);
  editor.Cut();  // Z replaces the waiting group
  EXPECT_EQ(editor.CutEntry(), Leaf("Z : F:\\Archive"));
  EXPECT_EQ(editor.Selection(), 2);
  editor.Paste();
  EXPECT_EQ(editor.ListLines(), (Lines{"A : D:\\Keep", "B : D:\\Later", "Z : F:\\Archive", "-"}));
  editor.Paste();  // nothing waits any more
  EXPECT_EQ(editor.Tree().size(), 4u);
}

TEST(FolderEditorCut, CutOfTheOnlyEntryEmptiesTheLevelAndPasteRefillsIt) {
  FolderEditor editor({Leaf("A : C:\\a")});
  editor.Cut();
  EXPECT_EQ(editor.Selection(), -1);
  EXPECT_EQ(Enabled(editor.Buttons()), "10110100000");
  editor.Cut();
  EXPECT_EQ(editor.CutEntry(), Leaf("A : C:\\a"));
  editor.Paste();
  EXPECT_EQ(editor.ListLines(), Lines{"A : C:\\a"});
  EXPECT_EQ(editor.Selection(), 0);
}

}  // namespace
}  // namespace bex
