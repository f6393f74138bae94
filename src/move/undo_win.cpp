// Undoing the newest move or delete of the undo journal.
#include <windows.h>

#include <cstdio>

#include "common/code_page_win.h"
#include "common/companion_files.h"
#include "common/files_win.h"
#include "common/message_box_win.h"
#include "common/wide_text.h"
#include "move/destination_files_win.h"
#include "move/filing_win.h"
#include "move/move_file_win.h"
#include "move/recycle_bin_win.h"

namespace bex {
namespace {

constexpr char kUndoErrorCaption[] = "元に戻すエラー";
constexpr char kOtherNameTitle[] = "戻し先パスの指定 (元の名前は使用中)";

// "2024-05-01 13:45:07", as the journal keeps it.
std::string JournalTime(const SYSTEMTIME& t) {
  char text[32];
  snprintf(text, sizeof(text), "%04u-%02u-%02u %02u:%02u:%02u", t.wYear, t.wMonth, t.wDay, t.wHour,
           t.wMinute, t.wSecond);
  return text;
}

std::wstring GoneText(const UndoEntry& entry) {
  const std::wstring kept =
      entry.kind == UndoKind::kMove
          ? entry.movedTo + FromCp932("\nが見つからないため、移動を")
          : entry.original + FromCp932("\nがごみ箱に見つからないため、削除を");
  return kept + FromCp932("元に戻せません。\nこの記録は消去します。");
}

// What cannot be undone, and where the file stays.
std::wstring KeptText(const UndoEntry& entry) {
  if (entry.kind == UndoKind::kDelete) {
    return FromCp932("削除を元に戻せません。\nファイルはごみ箱に残します。この記録は消去します。");
  }
  return FromCp932("移動を元に戻せません。\nファイルは\n") + entry.movedTo +
         FromCp932("\nに残します。この記録は消去します。");
}

void ReportNotRestored(HWND owner, const std::wstring& path) {
  ShowMessage(owner, path + FromCp932("\nをごみ箱から元に戻せませんでした。"), kUndoErrorCaption);
}

}  // namespace

void Filing::RecordDelete(const BinnedFile& file, const SYSTEMTIME& deletedAt,
                          const std::vector<BinnedFile>& companions) {
  UndoEntry entry{UndoKind::kDelete,      file.path, {},
                  JournalTime(deletedAt), file.size, file.fingerprint};
  for (const BinnedFile& companion : companions) {
    entry.companions.push_back({UndoKind::kDelete,
                                companion.path,
                                {},
                                entry.deletedAt,
                                companion.size,
                                companion.fingerprint});
  }
  if (!RecycleBin().Holds(entry)) return;
  ChangeUndoJournal([&](UndoJournal& journal) { RecordUndo(journal, entry); });
}

Filing::UndoOffer Filing::OfferUndo() {
  DWORD error = ERROR_SUCCESS;
  const std::optional<UndoJournal> journal = ReadUndoJournal(&error);
  if (!journal) return {true, {}};
  if (journal->empty()) return {};
  // The menu is code page 932: a name it cannot hold is left out of it.
  const UndoEntry& newest = journal->front();
  const std::optional<std::string> name = ExactCp932(FileNamePart(newest.original));
  return {true, name ? UndoSubject(*name, newest.kind) : std::string()};
}

// The entry and its paths are decided here, before any dialog; the file is
// looked for again before it is moved.
std::optional<std::wstring> Filing::UndoNewest(const LetGo& letGo) {
  DWORD error = ERROR_SUCCESS;
  const std::optional<UndoJournal> journal = ReadUndoJournal(&error);
  if (!journal) {
    ShowMessage(owner_,
                DataFilePath(kUndoJournalFileName) +
                    FromCp932("\nを読み込めないため、元に戻せません。\n" + SystemErrorText(error)),
                kUndoErrorCaption);
    return std::nullopt;
  }
  if (journal->empty()) return std::nullopt;
  const UndoEntry entry = journal->front();
  // A deleted file is looked for and restored with one reading of the bin.
  std::optional<RecycleBin> bin;
  if (entry.kind == UndoKind::kDelete) bin.emplace();
  const bool found = bin ? bin->Holds(entry) : IsFile(entry.movedTo);
  const std::wstring folder(FolderPart(entry.original));
  switch (PlanUndo(entry, {found, PathExists(entry.original), IsFolder(folder)})) {
    case UndoStep::kMoveBack:
      return MoveBack(entry, entry.original, letGo);
    case UndoStep::kAskForName: {
      const std::optional<std::wstring> target =
          AskFreePath(owner_, kOtherNameTitle, std::wstring(FolderPart(entry.original)),
                      std::wstring(FileNamePart(entry.original)));
      if (!target) return std::nullopt;
      return MoveBack(entry, *target, letGo);
    }
    case UndoStep::kRestoreFromBin:
      return RestoreDeleted(entry, *bin);
    case UndoStep::kReportGone:
      ReportAndForget(entry, GoneText(entry));
      return std::nullopt;
    case UndoStep::kReportFolderGone:
      // Kept, it would fail again at every U and hide the entries under it.
      ReportAndForget(entry, entry.original + FromCp932("\nのフォルダーが見つからないため、") +
                                 KeptText(entry));
      return std::nullopt;
    case UndoStep::kReportNameTaken:
      // Kept, it would stand in the way of every entry under it.
      ReportAndForget(
          entry, entry.original + FromCp932("\nには別のファイルがあるため、") + KeptText(entry));
      return std::nullopt;
  }
  return std::nullopt;
}

// The companions still where the move put them come back beside the file;
// one whose place is taken keeps the whole group where it is.
std::optional<std::wstring> Filing::MoveBack(const UndoEntry& entry, const std::wstring& target,
                                             const LetGo& letGo) {
  if (!IsFile(entry.movedTo)) {
    ReportAndForget(entry, GoneText(entry));
    return std::nullopt;
  }
  std::vector<PathMove> group{{entry.movedTo, target}};
  for (const UndoEntry& companion : entry.companions) {
    if (!IsFile(companion.movedTo)) continue;
    const std::wstring back =
        target == entry.original
            ? companion.original
            : std::wstring(FolderPart(target)) +
                  CompanionNameBeside(FileNamePart(target), FileNamePart(companion.movedTo));
    if (PathExists(back)) {
      ShowMessage(owner_,
                  back + FromCp932("\nには別のファイルがあるため、関連ファイルとともに"
                                   "移動を元に戻せません。"),
                  kUndoErrorCaption);
      return std::nullopt;
    }
    group.push_back({companion.movedTo, back});
  }
  for (const PathMove& move : group) letGo(move.source);
  if (!MoveGroupWithoutReplacing(owner_, group)) return std::nullopt;
  ChangeUndoJournal([&](UndoJournal& journal) { ForgetUndo(journal, entry); });
  return target;
}

std::optional<std::wstring> Filing::RestoreDeleted(const UndoEntry& entry, const RecycleBin& bin) {
  switch (bin.Restore(owner_, entry)) {
    case RecycleBin::Restored::kRestored:
      break;
    case RecycleBin::Restored::kNotInTheBin:
      ReportAndForget(entry, GoneText(entry));
      return std::nullopt;
    case RecycleBin::Restored::kFailed:
      ReportNotRestored(owner_, entry.original);
      return std::nullopt;
  }
  // The companions the bin still holds come back with the file.
  for (const UndoEntry& companion : entry.companions) {
    if (!bin.Holds(companion) || PathExists(companion.original)) continue;
    if (bin.Restore(owner_, companion) == RecycleBin::Restored::kFailed) {
      ReportNotRestored(owner_, companion.original);
    }
  }
  ChangeUndoJournal([&](UndoJournal& journal) { ForgetUndo(journal, entry); });
  return entry.original;
}

void Filing::ReportAndForget(const UndoEntry& entry, const std::wstring& why) {
  ShowMessage(owner_, why, kUndoErrorCaption);
  ChangeUndoJournal([&](UndoJournal& journal) { ForgetUndo(journal, entry); });
}

}  // namespace bex
