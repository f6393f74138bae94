// Feeds arbitrary bytes to the readers of "M_DIR.DAT", "R_DIR.DAT" and
// "UNDO.DAT", to the move menu and to the folder editor. A written file must
// read back to what it was written from, and nothing may crash.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <string>
#include <string_view>
#include <utility>

#include "move/destination_history.h"
#include "move/destination_tree.h"
#include "move/folder_editor.h"
#include "move/move_menu_model.h"
#include "move/undo_journal.h"

namespace bex {
namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

// What a save keeps of a tree, by the file format's rules: entries whose label
// has one character or five and more, the children of groups only, and TAB,
// CR and LF inside labels as spaces.
DestinationTree AsSaved(const DestinationTree& tree) {
  DestinationTree saved;
  for (const DestinationEntry& entry : tree) {
    const size_t length = entry.label.size();
    if (length != 1 && length < 5) continue;
    DestinationEntry kept{LabelSafeText(entry.label), {}};
    if (length >= 5 && entry.label[4] == '[') kept.children = AsSaved(entry.children);
    saved.push_back(std::move(kept));
  }
  return saved;
}

// The file written for a tree reads back as the tree saved, and writing that
// again gives the same bytes.
std::string CheckWrittenTreeReadsBack(const DestinationTree& tree) {
  const std::string written = SerializeDestinations(tree);
  const DestinationTree reread = ParseDestinations(written);
  Require(reread == AsSaved(tree));
  Require(SerializeDestinations(reread) == written);
  return written;
}

DestinationTree CheckDestinationsRoundTrip(std::string_view bytes) {
  const DestinationTree read = ParseDestinations(bytes);
  CheckWrittenTreeReadsBack(read);
  return read;
}

DestinationHistory CheckHistoryRoundTrip(std::string_view bytes) {
  DestinationHistory history = ParseHistory(bytes);
  Require(ParseHistory(SerializeHistory(history)) == history);
  const size_t before = history.size();
  RecordInHistory(history, FolderOfDestination(bytes));
  Require(history.size() <= std::max(before, kHistoryKeep));
  return history;
}

// The journal read back is the journal written; recording keeps at most
// kUndoJournalKeep entries, and an entry undone leaves once.
void CheckUndoJournalRoundTrip(std::string_view bytes) {
  // Journals without the UTF-8 mark are older ones in code page 932; each byte
  // as a character is enough to read them here.
  const auto widened = [](std::string_view text) { return std::wstring(text.begin(), text.end()); };
  UndoJournal journal = ParseUndoJournal(bytes, widened);
  Require(ParseUndoJournal(SerializeUndoJournal(journal), widened) == journal);
  if (!journal.empty()) {
    const UndoEntry newest = journal.front();
    UndoSubject(bytes.substr(0, 64), newest.kind);
    const size_t before = journal.size();
    Require(ForgetUndo(journal, newest) && journal.size() == before - 1);
    RecordUndo(journal, newest);
  }
  RecordUndo(journal, {UndoKind::kDelete, widened(bytes.substr(0, 64)), {}});
  Require(journal.size() <= kUndoJournalKeep);
}

void CheckEditorState(const FolderEditor& editor) {
  const int lines = static_cast<int>(editor.LevelEntries().size());
  Require(lines == 0 ? editor.Selection() == -1
                     : editor.Selection() >= 0 && editor.Selection() < lines);
  Require(editor.Buttons().paste == editor.CutEntry().has_value());
  Require(editor.Buttons().leave == (editor.EditorDepth() > 0));
}

// The keys the list handles, and one it leaves to the list box.
constexpr int kListKeys[] = {kKeyBackspace, kKeyLeft, kKeyRight, kKeyDelete, 'A'};

// Each byte chooses one editor action, its higher bits an argument.
void DriveEditor(DestinationTree tree, std::string_view script) {
  FolderEditor editor(std::move(tree));
  const std::string_view box = script.substr(0, 8);
  for (const char c : script.substr(0, 512)) {
    const unsigned char b = static_cast<unsigned char>(c);
    switch (b % 12) {
      case 0:
        editor.Select(b / 12 - 1);
        break;
      case 1:
        editor.ApplyEntryDialog(kEntryDialogAddFolder, box.substr(0, b % 3), box);
        break;
      case 2:
        editor.ApplyEntryDialog(kEntryDialogAddGroup, box.substr(0, 1), box);
        break;
      case 3:
        editor.ApplyEntryDialog(kEntryDialogChange,
                                editor.EntryDialogFor(kEntryDialogChange).boxes.shortcut,
                                box.substr(std::min<size_t>(b % 5, box.size())));
        break;
      case 4:
        editor.AddSeparator();
        break;
      case 5:
        editor.Delete();
        break;
      case 6:
        editor.MoveUp();
        break;
      case 7:
        editor.MoveDown();
        break;
      case 8:
        editor.Enter();
        break;
      case 9:
        editor.Leave();
        break;
      case 10:
        (b & 16) ? editor.Cut() : editor.Paste();
        break;
      default:
        editor.ListKeyDown(kListKeys[b / 12 % std::size(kListKeys)]);
        break;
    }
    CheckEditorState(editor);
  }
  CheckWrittenTreeReadsBack(editor.Tree());
}

}  // namespace
}  // namespace bex

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const bex::DestinationTree tree = bex::CheckDestinationsRoundTrip(bytes);
  const bex::DestinationHistory history = bex::CheckHistoryRoundTrip(bytes);
  bex::BuildMoveMenu(tree, history);
  bex::CheckUndoJournalRoundTrip(bytes);
  bex::DriveEditor(bex::ParseDestinations(bytes), bytes);
  return 0;
}
