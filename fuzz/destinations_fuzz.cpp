// Feeds arbitrary bytes to the readers of "M_DIR.DAT" and "R_DIR.DAT", to the
// move menu and to the folder editor. A written file must read back to the
// tree it was written from, and nothing may crash.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <utility>

#include "move/destination_history.h"
#include "move/destination_tree.h"
#include "move/folder_editor.h"
#include "move/move_menu_model.h"

namespace bex {
namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

// The first save normalises a hand-made file; from then on saving and
// loading change nothing.
DestinationTree CheckDestinationsRoundTrip(std::string_view bytes) {
  const std::string written = SerializeDestinations(ParseDestinations(bytes));
  const DestinationTree reread = ParseDestinations(written);
  const std::string rewritten = SerializeDestinations(reread);
  Require(rewritten == written);
  Require(ParseDestinations(rewritten) == reread);
  return reread;
}

DestinationHistory CheckHistoryRoundTrip(std::string_view bytes) {
  DestinationHistory history = ParseHistory(bytes);
  Require(ParseHistory(SerializeHistory(history)) == history);
  const size_t before = history.size();
  RecordInHistory(history, FolderOfDestination(bytes));
  Require(history.size() <= std::max(before, kHistoryKeep));
  return history;
}

void CheckEditorState(const FolderEditor& editor) {
  const int lines = static_cast<int>(editor.LevelEntries().size());
  Require(lines == 0 ? editor.Selection() == -1
                     : editor.Selection() >= 0 && editor.Selection() < lines);
  Require(editor.Buttons().paste == editor.CutEntry().has_value());
  Require(editor.Buttons().leave == (editor.EditorDepth() > 0));
}

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
        editor.ListKeyDown(b);
        break;
    }
    CheckEditorState(editor);
  }
  CheckDestinationsRoundTrip(SerializeDestinations(editor.Tree()));
}

}  // namespace
}  // namespace bex

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const bex::DestinationTree tree = bex::CheckDestinationsRoundTrip(bytes);
  const bex::DestinationHistory history = bex::CheckHistoryRoundTrip(bytes);
  bex::BuildMoveMenu(tree, history);
  bex::DriveEditor(bex::ParseDestinations(bytes), bytes);
  return 0;
}
