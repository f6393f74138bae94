#include "move/undo_journal.h"

#include <algorithm>
#include <optional>

#include "common/content_fingerprint.h"
#include "common/wide_text.h"
#include "move/text_lines.h"

namespace bex {
namespace {

constexpr wchar_t kSeparator = L'\t';

std::vector<std::wstring_view> Fields(std::wstring_view line) {
  std::vector<std::wstring_view> fields;
  size_t start = 0;
  for (size_t tab = line.find(kSeparator); tab != std::wstring_view::npos;
       tab = line.find(kSeparator, start)) {
    fields.push_back(line.substr(start, tab - start));
    start = tab + 1;
  }
  fields.push_back(line.substr(start));
  return fields;
}

// "X:\..." or "\\server\...": the viewer writes only full paths, and a
// relative one would be taken from whatever folder is current at the undo.
bool IsFullPath(std::wstring_view path) {
  const bool drive = path.size() >= 3 && path[1] == L':' && path[2] == L'\\' &&
                     ((path[0] >= L'A' && path[0] <= L'Z') || (path[0] >= L'a' && path[0] <= L'z'));
  return drive || path.substr(0, 2) == L"\\\\";
}

// "2024-05-01 13:45:07"
bool IsLocalTime(std::wstring_view text) {
  constexpr std::wstring_view kForm = L"0000-00-00 00:00:00";
  if (text.size() != kForm.size()) return false;
  for (size_t i = 0; i < text.size(); ++i) {
    const bool digit = text[i] >= L'0' && text[i] <= L'9';
    if (kForm[i] == L'0' ? !digit : text[i] != kForm[i]) return false;
  }
  return true;
}

std::optional<uint64_t> ByteCount(std::wstring_view text) {
  if (text.empty() || text.size() > 19) return std::nullopt;
  uint64_t value = 0;
  for (const wchar_t c : text) {
    if (c < L'0' || c > L'9') return std::nullopt;
    value = value * 10 + static_cast<uint64_t>(c - L'0');
  }
  return value;
}

// The groups of width fields from first on, each made an entry by make; none
// when one of them is no entry or fields are left over.
template <typename Make>
std::optional<std::vector<UndoEntry>> Companions(const std::vector<std::wstring_view>& fields,
                                                 size_t first, size_t width, Make make) {
  if ((fields.size() - first) % width != 0) return std::nullopt;
  std::vector<UndoEntry> companions;
  for (size_t i = first; i < fields.size(); i += width) {
    std::optional<UndoEntry> companion = make(&fields[i]);
    if (!companion) return std::nullopt;
    companions.push_back(std::move(*companion));
  }
  return companions;
}

// A move's fields: its original and new path.
std::optional<UndoEntry> MoveEntry(const std::wstring_view* fields) {
  if (!IsFullPath(fields[0]) || !IsFullPath(fields[1])) return std::nullopt;
  return UndoEntry{UndoKind::kMove, std::wstring(fields[0]), std::wstring(fields[1])};
}

std::optional<UndoEntry> ParseEntry(std::wstring_view line) {
  const std::vector<std::wstring_view> fields = Fields(line);
  if (fields.size() < 2 || !IsFullPath(fields[1])) return std::nullopt;
  if (fields.size() >= 3 && fields[0] == L"M") {
    std::optional<UndoEntry> entry = MoveEntry(&fields[1]);
    auto companions = Companions(fields, 3, 2, MoveEntry);
    if (!entry || !companions) return std::nullopt;
    entry->companions = std::move(*companions);
    return entry;
  }
  if (fields.size() == 2 && fields[0] == L"D") {
    return UndoEntry{UndoKind::kDelete, std::wstring(fields[1]), {}};
  }
  if (fields.size() >= 4 && fields[0] == L"D" && IsLocalTime(fields[2])) {
    // The time is all digits and punctuation: its units are its characters.
    const std::string deletedAt(fields[2].begin(), fields[2].end());
    // Earlier versions wrote no fingerprints: there a path follows each size.
    const bool fingerprinted = fields.size() >= 5 && !IsFullPath(fields[4]);
    // A delete's fields: its original path, its size and, where written, its fingerprint.
    const auto deleteEntry = [&](const std::wstring_view* file) -> std::optional<UndoEntry> {
      const std::optional<uint64_t> size = ByteCount(file[1]);
      const std::optional<uint64_t> fingerprint =
          fingerprinted ? ParseFingerprint(file[2]) : std::nullopt;
      if (!IsFullPath(file[0]) || !size || (fingerprinted && !file[2].empty() && !fingerprint)) {
        return std::nullopt;
      }
      return UndoEntry{UndoKind::kDelete, std::wstring(file[0]), {}, deletedAt, *size, fingerprint};
    };
    const std::wstring_view file[] = {fields[1], fields[3], fingerprinted ? fields[4] : L""};
    std::optional<UndoEntry> entry = deleteEntry(file);
    auto companions = Companions(fields, fingerprinted ? 5 : 4, fingerprinted ? 3 : 2, deleteEntry);
    if (!entry || !companions) return std::nullopt;
    entry->companions = std::move(*companions);
    return entry;
  }
  return std::nullopt;
}

// "<TAB>fingerprint", or "<TAB>" for a file that could not be read.
std::string FingerprintField(const UndoEntry& file) {
  return '\t' + (file.fingerprint ? FingerprintText(*file.fingerprint) : std::string());
}

}  // namespace

// Lines are split on the bytes: CR, LF and TAB are the same bytes in UTF-8
// and code page 932, and neither has them inside a character.
UndoJournal ParseUndoJournal(std::string_view fileBytes, const Cp932Reader& fromCp932) {
  const std::string_view mark = kUtf8Mark;
  const bool utf8 = fileBytes.substr(0, mark.size()) == mark;
  if (utf8) fileBytes.remove_prefix(mark.size());
  UndoJournal journal;
  for (const std::string_view line : SplitLines(fileBytes)) {
    if (auto entry = ParseEntry(utf8 ? Utf8ToWide(line) : fromCp932(line))) {
      journal.push_back(std::move(*entry));
    }
  }
  return journal;
}

std::string SerializeUndoJournal(const UndoJournal& journal) {
  std::string out = kUtf8Mark;
  for (const UndoEntry& entry : journal) {
    if (entry.kind == UndoKind::kMove) {
      out += "M\t" + WideToUtf8(entry.original) + '\t' + WideToUtf8(entry.movedTo);
      for (const UndoEntry& companion : entry.companions) {
        out += '\t' + WideToUtf8(companion.original) + '\t' + WideToUtf8(companion.movedTo);
      }
    } else {
      out += "D\t" + WideToUtf8(entry.original);
      if (!entry.deletedAt.empty()) {
        out += '\t' + entry.deletedAt + '\t' + std::to_string(entry.size) + FingerprintField(entry);
        for (const UndoEntry& companion : entry.companions) {
          out += '\t' + WideToUtf8(companion.original) + '\t' + std::to_string(companion.size) +
                 FingerprintField(companion);
        }
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
    if (!facts.originalFolderFound) return UndoStep::kReportFolderGone;
    return facts.originalTaken ? UndoStep::kAskForName : UndoStep::kMoveBack;
  }
  return facts.originalTaken ? UndoStep::kReportNameTaken : UndoStep::kRestoreFromBin;
}

std::string UndoSubject(std::string_view fileName, UndoKind kind) {
  return std::string(fileName) + (kind == UndoKind::kMove ? " の移動" : " の削除");
}

}  // namespace bex
