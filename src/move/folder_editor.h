// The registered-folder editor of the settings dialog as a model: it shows one
// level of a destination tree at a time, edits it with the page's buttons and
// keys, and tells which buttons are enabled. The dialog classes only show it.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "move/destination_tree.h"

namespace bex {

// What the folder-entry dialog is opened for. With bit value 1 clear it fills
// its boxes from the selected entry; with bit value 2 set it uses the group
// wording and hides the folder picker.
using EntryDialogMode = int;
constexpr EntryDialogMode kEntryDialogChange = 0;
constexpr EntryDialogMode kEntryDialogAddFolder = 1;
constexpr EntryDialogMode kEntryDialogAddGroup = 3;

// What the shortcut box shows after a refused character.
extern const char kNoShortcutText[];  // "なし"

// The shortcut box's text after one character was typed into it: a digit or
// an upper-case letter as typed, a lower-case letter upper-cased, anything
// else "なし".
std::string ShortcutBoxAfterChar(char typed);

// The shortcut box's text after its text changed by any route (typed, pasted,
// set): a text the box can hold (empty, "なし", one digit or upper-case
// letter) stays; any other is taken as if its last character had been typed.
std::string ShortcutBoxAfterChange(std::string_view text);

// The shortcut a label gets from the shortcut box: its text when that is one
// digit or upper-case letter, else a space (no shortcut), so that characters
// 2 to 4 of every label the editor makes are " : ".
std::string ShortcutFromBox(std::string_view shortcutBox);

// "X : path" and "X : [name]" from the boxes; TAB, CR and LF typed into a
// box are stored as spaces.
std::string FolderLabel(std::string_view shortcutBox, std::string_view folderBox);
std::string GroupLabel(std::string_view shortcutBox, std::string_view groupBox);

struct EntryDialogBoxes {
  std::string shortcut;
  std::string folder;
};

// How the folder-entry dialog looks for a mode, and the texts it opens with.
struct EntryDialogSetup {
  std::string title;       // "フォルダーの指定" or "グループの指定"
  std::string boxCaption;  // "ﾌｫﾙﾀﾞｰ指定" or "ｸﾞﾙｰﾌﾟ指定"
  bool showPicker;
  EntryDialogBoxes boxes;
};

// Enabled state of each button of the editor page.
struct EditorButtons {
  bool addFolder, change, addGroup, addSeparator, cut, paste, remove, up, down, leave, enter;
};

// The enabling rules for a level shown with selection (-1 for none), whether
// a cut entry waits and the number of groups between the root and the level.
EditorButtons EditorButtonStates(const std::vector<DestinationEntry>& level, int selection,
                                 bool cutWaiting, int editorDepth);

// Virtual-key codes the list reacts to.
constexpr int kKeyBackspace = 0x08;
constexpr int kKeyLeft = 0x25;
constexpr int kKeyRight = 0x27;
constexpr int kKeyDelete = 0x2E;

class FolderEditor {
 public:
  // Starts at the root of its own copy of tree, with the first line
  // selected and nothing cut.
  explicit FolderEditor(DestinationTree tree);

  // The edited tree, for saving; a waiting cut entry is not part of it.
  const DestinationTree& Tree() const { return tree_; }

  // The shown level as the indices of the groups leading to it from the root.
  const std::vector<size_t>& EditorLevel() const { return editorLevel_; }
  int EditorDepth() const { return static_cast<int>(editorLevel_.size()); }
  const std::optional<DestinationEntry>& CutEntry() const { return cutEntry_; }

  const std::vector<DestinationEntry>& LevelEntries() const;
  // The list's lines: the labels of the shown level, exactly.
  std::vector<std::string> ListLines() const;
  int Selection() const { return selection_; }
  EditorButtons Buttons() const;

  // A click in the list; indices outside the list are ignored.
  void Select(int index);

  // Opening and confirming the folder-entry dialog. An empty folder box
  // adds or changes nothing.
  EntryDialogSetup EntryDialogFor(EntryDialogMode mode) const;
  void ApplyEntryDialog(EntryDialogMode mode, std::string_view shortcutBox,
                        std::string_view folderBox);
  void AddFolder(std::string_view shortcutBox, std::string_view folderBox);
  void AddGroup(std::string_view shortcutBox, std::string_view groupBox);
  // Relabels the selected entry; its children stay.
  void Change(std::string_view shortcutBox, std::string_view folderBox);

  void AddSeparator();
  void Delete();
  void MoveUp();
  void MoveDown();
  // Into the selected entry when its label ends with "]" (also the list's
  // double click), and back out to the parent level with the group left
  // selected.
  void Enter();
  void Leave();
  // Cut replaces an entry still waiting, which is lost; paste puts the cut
  // entry, with its children, before the selection at the shown level.
  void Cut();
  void Paste();

  // A key pressed in the list; true when the list must not handle it too.
  bool ListKeyDown(int virtualKey);

 private:
  std::vector<DestinationEntry>& Level();
  // Puts entry before the selection (appends to an empty level) and selects it.
  void Insert(DestinationEntry entry);
  // Selects index, kept within the list (none when it is empty).
  void Reselect(int index);
  bool HasSelection() const { return selection_ >= 0; }

  DestinationTree tree_;
  std::vector<size_t> editorLevel_;
  std::optional<DestinationEntry> cutEntry_;
  int selection_ = -1;
};

}  // namespace bex
