// The moves and deletes a user can undo, newest first, and their text file
// "UNDO.DAT" beside the program (CR LF line ends). Viewers running side by
// side share the file: each change reads it again first. The file is UTF-8,
// marked by the byte order mark at its start, so that every file name is
// kept as it is; a file without the mark was written by an earlier version
// in code page 932, and is read as such.
//
// A line is a kind letter and the entry's paths, separated by TAB characters
// (no file name holds one):
//   M<TAB>original full path<TAB>full path the file was moved to
//   D<TAB>original full path<TAB>deletion time<TAB>size in bytes<TAB>fingerprint
// A delete went into the recycle bin; its local time ("2024-05-01 13:45:07"),
// size and content fingerprint (common/content_fingerprint.h; empty when the
// file could not be read) tell that file from others deleted from the same
// path. Lines of earlier versions lack the fingerprint, and the oldest the
// time and size too: they stand for the newest file deleted from there.
// Companions moved or deleted with the file follow on its line, a group of
// fields each: a move's original and new path, or a delete's original path,
// size and fingerprint (deleted at the file's time).
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace bex {

enum class UndoKind { kMove, kDelete };

struct UndoEntry {
  UndoKind kind = UndoKind::kMove;
  std::wstring original;                     // where the file was before
  std::wstring movedTo;                      // a move's destination; empty for a delete
  std::string deletedAt = {};                // a delete's local time; empty when not recorded
  uint64_t size = 0;                         // a delete's size in bytes
  std::optional<uint64_t> fingerprint = {};  // a delete's content fingerprint
  // The companions that went with the file, entries of the same kind
  // without companions of their own; they come back with it.
  std::vector<UndoEntry> companions = {};

  bool operator==(const UndoEntry& other) const {
    return kind == other.kind && original == other.original && movedTo == other.movedTo &&
           deletedAt == other.deletedAt && size == other.size && fingerprint == other.fingerprint &&
           companions == other.companions;
  }
};

using UndoJournal = std::vector<UndoEntry>;  // newest first

constexpr char kUndoJournalFileName[] = "UNDO.DAT";
// The oldest entries beyond this many are forgotten.
constexpr size_t kUndoJournalKeep = 100;

// The start of the file's content in UTF-8.
constexpr char kUtf8Mark[] = "\xEF\xBB\xBF";

// The entries of the file; lines that are no entry (hand-edited, cut short)
// are skipped. fromCp932 reads the text of a file without the UTF-8 mark.
using Cp932Reader = std::function<std::wstring(std::string_view)>;
UndoJournal ParseUndoJournal(std::string_view fileBytes, const Cp932Reader& fromCp932);

// The file's content: the UTF-8 mark, then one line per entry.
std::string SerializeUndoJournal(const UndoJournal& journal);

// Puts entry on top and leaves at most kUndoJournalKeep entries.
void RecordUndo(UndoJournal& journal, UndoEntry entry);

// Takes out the newest entry equal to entry, wherever other viewers' entries
// have put it meanwhile; false when there is none.
bool ForgetUndo(UndoJournal& journal, const UndoEntry& entry);

// What undoing an entry takes, from what the file system shows now.
enum class UndoStep {
  kMoveBack,          // the moved file returns to its original path
  kAskForName,        // the original name is taken: the user picks another in its folder
  kRestoreFromBin,    // the deleted file comes back from the recycle bin
  kReportGone,        // the file is no longer where the entry says: drop the entry
  kReportNameTaken,   // a deleted file's original name is taken: drop the entry
  kReportFolderGone,  // a moved file's folder is no longer there: drop the entry
};

struct UndoFacts {
  bool fileFound = false;      // at movedTo, or in the recycle bin for a delete
  bool originalTaken = false;  // something exists at the original path
  // The original folder is there; the bin makes it anew for a deleted file.
  bool originalFolderFound = true;
};

UndoStep PlanUndo(const UndoEntry& entry, const UndoFacts& facts);

// What undoing an entry of kind would undo, as the menu names it: the file's
// name (code page 932) and what happened to it ("a.jpg の移動").
std::string UndoSubject(std::string_view fileName, UndoKind kind);

}  // namespace bex
