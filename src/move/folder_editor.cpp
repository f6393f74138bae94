#include "move/folder_editor.h"

#include <algorithm>
#include <utility>

#include "common/cp932.h"

namespace bex {

const char kNoShortcutText[] = "なし";

namespace {

// Where the path or group name starts in "X : path".
constexpr size_t kLabelTextIndex = 4;

bool IsShortcutChar(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z'); }

bool IsUsedForGroup(EntryDialogMode mode) { return (mode & 2) != 0; }
bool IsFilledFromSelection(EntryDialogMode mode) { return (mode & 1) == 0; }

// The first character of text (one or two bytes), or empty.
std::string_view FirstCharacter(std::string_view text) {
  if (text.empty()) return text;
  const bool doubleByte = IsLeadByte(static_cast<unsigned char>(text[0])) && text.size() > 1;
  return text.substr(0, doubleByte ? 2 : 1);
}

}  // namespace

std::string ShortcutBoxAfterChar(char typed) {
  if (typed >= 'a' && typed <= 'z') return std::string(1, static_cast<char>(typed - 'a' + 'A'));
  if (IsShortcutChar(typed)) return std::string(1, typed);
  return kNoShortcutText;
}

std::string ShortcutBoxAfterChange(std::string_view text) {
  if (text.empty() || text == kNoShortcutText || (text.size() == 1 && IsShortcutChar(text[0]))) {
    return std::string(text);
  }
  const std::string_view last = LastCharacter(text);
  return last.size() == 1 ? ShortcutBoxAfterChar(last[0]) : kNoShortcutText;
}

std::string ShortcutFromBox(std::string_view shortcutBox) {
  return shortcutBox.size() == 1 && IsShortcutChar(shortcutBox[0]) ? std::string(shortcutBox)
                                                                   : std::string(" ");
}

std::string FolderLabel(std::string_view shortcutBox, std::string_view folderBox) {
  return ShortcutFromBox(shortcutBox) + " : " + LabelSafeText(folderBox);
}

std::string GroupLabel(std::string_view shortcutBox, std::string_view groupBox) {
  return ShortcutFromBox(shortcutBox) + " : [" + LabelSafeText(groupBox) + "]";
}

EditorButtons EditorButtonStates(const std::vector<DestinationEntry>& level, int selection,
                                 bool cutWaiting, int editorDepth) {
  const int n = static_cast<int>(level.size());
  const bool selected = selection >= 0 && selection < n;
  const std::string_view label = selected ? std::string_view(level[selection].label) : "";
  EditorButtons b{};
  b.addFolder = b.addGroup = b.addSeparator = true;
  b.cut = b.remove = selected;
  b.up = selection > 0;
  b.down = selected && selection < n - 1;
  b.enter = selected && IsEnterable(label);
  b.change = selected && !IsSeparatorLabel(label);
  b.paste = cutWaiting;
  b.leave = editorDepth > 0;
  return b;
}

FolderEditor::FolderEditor(DestinationTree tree) : tree_(std::move(tree)) { Reselect(0); }

const std::vector<DestinationEntry>& FolderEditor::LevelEntries() const {
  const std::vector<DestinationEntry>* level = &tree_;
  for (const size_t i : editorLevel_) level = &(*level)[i].children;
  return *level;
}

std::vector<DestinationEntry>& FolderEditor::Level() {
  return const_cast<std::vector<DestinationEntry>&>(std::as_const(*this).LevelEntries());
}

std::vector<std::string> FolderEditor::ListLines() const {
  std::vector<std::string> lines;
  for (const DestinationEntry& entry : LevelEntries()) lines.push_back(entry.label);
  return lines;
}

EditorButtons FolderEditor::Buttons() const {
  return EditorButtonStates(LevelEntries(), selection_, cutEntry_.has_value(), EditorDepth());
}

void FolderEditor::Select(int index) {
  if (index >= 0 && index < static_cast<int>(LevelEntries().size())) selection_ = index;
}

EntryDialogSetup FolderEditor::EntryDialogFor(EntryDialogMode mode) const {
  const bool group = IsUsedForGroup(mode);
  EntryDialogSetup setup{group ? "グループの指定" : "フォルダーの指定",
                         group ? "ｸﾞﾙｰﾌﾟ指定" : "ﾌｫﾙﾀﾞｰ指定",
                         !group,
                         {}};
  if (IsFilledFromSelection(mode) && HasSelection()) {
    const std::string_view label = LevelEntries()[selection_].label;
    const std::string_view first = FirstCharacter(label);
    if (first != " ") setup.boxes.shortcut = std::string(first);
    if (label.size() > kLabelTextIndex) setup.boxes.folder = label.substr(kLabelTextIndex);
  }
  return setup;
}

void FolderEditor::ApplyEntryDialog(EntryDialogMode mode, std::string_view shortcutBox,
                                    std::string_view folderBox) {
  if (IsFilledFromSelection(mode)) {
    Change(shortcutBox, folderBox);
  } else if (IsUsedForGroup(mode)) {
    AddGroup(shortcutBox, folderBox);
  } else {
    AddFolder(shortcutBox, folderBox);
  }
}

void FolderEditor::AddFolder(std::string_view shortcutBox, std::string_view folderBox) {
  if (!folderBox.empty()) Insert({FolderLabel(shortcutBox, folderBox), {}});
}

void FolderEditor::AddGroup(std::string_view shortcutBox, std::string_view groupBox) {
  if (!groupBox.empty()) Insert({GroupLabel(shortcutBox, groupBox), {}});
}

void FolderEditor::Change(std::string_view shortcutBox, std::string_view folderBox) {
  if (!Buttons().change || folderBox.empty()) return;
  Level()[selection_].label = FolderLabel(shortcutBox, folderBox);
}

void FolderEditor::AddSeparator() { Insert({"-", {}}); }

void FolderEditor::Delete() {
  if (!HasSelection()) return;
  std::vector<DestinationEntry>& level = Level();
  level.erase(level.begin() + selection_);
  Reselect(selection_);
}

void FolderEditor::MoveUp() {
  if (!Buttons().up) return;
  std::vector<DestinationEntry>& level = Level();
  std::swap(level[selection_], level[selection_ - 1]);
  --selection_;
}

void FolderEditor::MoveDown() {
  if (!Buttons().down) return;
  std::vector<DestinationEntry>& level = Level();
  std::swap(level[selection_], level[selection_ + 1]);
  ++selection_;
}

void FolderEditor::Enter() {
  if (!Buttons().enter) return;
  editorLevel_.push_back(static_cast<size_t>(selection_));
  Reselect(0);
}

void FolderEditor::Leave() {
  if (editorLevel_.empty()) return;
  const int groupLeft = static_cast<int>(editorLevel_.back());
  editorLevel_.pop_back();
  Reselect(groupLeft);
}

void FolderEditor::Cut() {
  if (!HasSelection()) return;
  std::vector<DestinationEntry>& level = Level();
  cutEntry_ = std::move(level[selection_]);
  level.erase(level.begin() + selection_);
  Reselect(selection_);
}

void FolderEditor::Paste() {
  if (!cutEntry_) return;
  DestinationEntry entry = std::move(*cutEntry_);
  cutEntry_.reset();
  Insert(std::move(entry));
}

bool FolderEditor::ListKeyDown(int virtualKey) {
  switch (virtualKey) {
    case kKeyBackspace:
    case kKeyLeft:
      Leave();
      return true;
    case kKeyRight:
      Enter();
      return true;
    case kKeyDelete:
      Delete();
      return false;
    default:
      return false;
  }
}

void FolderEditor::Insert(DestinationEntry entry) {
  std::vector<DestinationEntry>& level = Level();
  if (!HasSelection()) {
    level.push_back(std::move(entry));
    selection_ = static_cast<int>(level.size()) - 1;
    return;
  }
  level.insert(level.begin() + selection_, std::move(entry));
}

void FolderEditor::Reselect(int index) {
  const int last = static_cast<int>(LevelEntries().size()) - 1;
  selection_ = last < 0 ? -1 : std::max(0, std::min(index, last));
}

}  // namespace bex
