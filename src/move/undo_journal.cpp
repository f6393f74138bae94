#include "move/undo_journal.h"

#include <algorithm>
#include <optional>

#include "common/cp932.h"
#include "move/text_lines.h"

namespace bex {
namespace {

constexpr char kSeparator = '\t';

std::vector<std::string_view> Fields(std::string_view line) {
  std::vector<std::string_view> fields;
  size_t start = 0;
  for (size_t tab = line.find(kSeparator); tab != std::string_view::npos;
       tab = line.find(kSeparator, start)) {
    fields.push_back(line.substr(start, tab - start));
    start = tab + 1;
  }
  fields.push_back(line.substr(start));
  return fields;
}

// "X:\..." or "\\server\...": the viewer writes only full paths, and a
// relative one would be taken from whatever folder is current at the undo.
bool IsFullPath(std::string_view path) {
  const bool drive = path.size() >= 3 && path[1] == ':' && path[2] == '\\' &&
                     ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
  return drive || path.substr(0, 2) == "\\\\";
}

// "2024-05-01 13:45:07"
bool IsLocalTime(std::string_view text) {
  constexpr std::string_view kForm = "0000-00-00 00:00:00";
  if (text.size() != kForm.size()) return false;
  for (size_t i = 0; i < text.size(); ++i) {
    const bool digit = text[i] >= '0' && text[i] <= '9';
    if (kForm[i] == '0' ? !digit : text[i] != kForm[i]) return false;
  }
  return true;
}

std::optional<uint64_t> ByteCount(std::string_view text) {
  if (text.empty() || text.size() > 19) return std::nullopt;
  uint64_t value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<uint64_t>(c - '0');
  }
  return value;
}

std::optional<UndoEntry> ParseEntry(std::string_view line) {
  const std::vector<std::string_view> fields = Fields(line);
  if (fields.size() < 2 || !IsFullPath(fields[1])) return std::nullopt;
  if (fields.size() == 3 && fields[0] == "M" && IsFullPath(fields[2])) {
    return UndoEntry{UndoKind::kMove, std::string(fields[1]), std::string(fields[2])};
  }
  if (fields.size() == 2 && fields[0] == "D") {
    return UndoEntry{UndoKind::kDelete, std::string(fields[1]), {}};
  }
  if (fields.size() == 4 && fields[0] == "D" && IsLocalTime(fields[2])) {
    if (const std::optional<uint64_t> size = ByteCount(fields[3])) {
      return UndoEntry{
          UndoKind::kDelete, std::string(fields[1]), {}, std::string(fields[2]), *size};
    }
  }
  return std::nullopt;
}

}  // namespace

UndoJournal ParseUndoJournal(std::string_view fileBytes) {
  UndoJournal journal;
  for (const std::string_view line : SplitLines(fileBytes)) {
    if (auto entry = ParseEntry(line)) journal.push_back(std::move(*entry));
  }
  return journal;
}

std::string SerializeUndoJournal(const UndoJournal& journal) {
  std::string out;
  for (const UndoEntry& entry : journal) {
    if (entry.kind == UndoKind::kMove) {
      out += "M\t" + entry.original + '\t' + entry.movedTo;
    } else {
      out += "D\t" + entry.original;
      if (!entry.deletedAt.empty()) {
        out += '\t' + entry.deletedAt + '\t' + std::to_string(entry.size);
      }
    }
    out += "\r\n";
  }
  return out;
}

void RecordUndo(UndoJournal& journal, UndoEntry entry) {
  journal.insert(journal.begin(), std::move(entry));
  if (journal.size() > kUndoJournalKeep) journal.resize(kUndoJournalKeep);
}

bool ForgetUndo(UndoJournal& journal, const UndoEntry& entry) {
  const auto found = std::find(journal.begin(), journal.end(), entry);
  if (found == journal.end()) return false;
  journal.erase(found);
  return true;
}

UndoStep PlanUndo(const UndoEntry& entry, const UndoFacts& facts) {
  if (!facts.fileFound) return UndoStep::kReportGone;
  if (entry.kind == UndoKind::kMove) {
    return facts.originalTaken ? UndoStep::kAskForName : UndoStep::kMoveBack;
  }
  return facts.originalTaken ? UndoStep::kReportNameTaken : UndoStep::kRestoreFromBin;
}

std::string UndoSubject(const UndoEntry& entry) {
  return std::string(FileNamePart(entry.original)) +
         (entry.kind == UndoKind::kMove ? " の移動" : " の削除");
}

}  // namespace bex
