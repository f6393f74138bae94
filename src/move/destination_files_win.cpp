// Reading and writing "M_DIR.DAT", "R_DIR.DAT" and "UNDO.DAT".
#include "move/destination_files_win.h"

#include <algorithm>

#include "common/code_page_win.h"
#include "common/cp932.h"
#include "common/message_box_win.h"
#include "common/wide_text.h"
#include "move/file_handle_win.h"
#include "move/filing_win.h"

namespace bex {
namespace {

constexpr char kDestinationsNotSaved[] = "移動先フォルダーが保存できません";

// Writes bytes to a new file at path and flushes it to the disk. A write the
// system takes only in part (a full disk) counts as failed.
DWORD WriteFlushed(const std::wstring& path, std::string_view bytes) {
  FileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.Valid()) return GetLastError();
  size_t done = 0;
  while (done < bytes.size()) {
    const DWORD piece = static_cast<DWORD>(std::min(bytes.size() - done, kFilePiece));
    DWORD written = 0;
    if (!WriteFile(file.Get(), bytes.data() + done, piece, &written, nullptr)) {
      return GetLastError();
    }
    if (written == 0) return ERROR_DISK_FULL;
    done += written;
  }
  if (!FlushFileBuffers(file.Get())) return GetLastError();
  if (!file.Close()) return GetLastError();
  return ERROR_SUCCESS;
}

}  // namespace

std::wstring DataFilePath(std::string_view name) { return WideProgramFolder() + FromCp932(name); }

std::optional<std::string> ReadWholeFile(const std::wstring& path, DWORD* error) {
  DWORD ignored = ERROR_SUCCESS;
  DWORD& failure = error ? *error : ignored;
  FileHandle file(CreateFileW(path.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  LARGE_INTEGER size;
  if (!file.Valid() || !GetFileSizeEx(file.Get(), &size)) {
    failure = GetLastError();
    return std::nullopt;
  }
  std::string bytes;
  try {
    if (static_cast<ULONGLONG>(size.QuadPart) > bytes.max_size()) throw std::bad_alloc();
    bytes.resize(static_cast<size_t>(size.QuadPart));
  } catch (const std::bad_alloc&) {
    failure = ERROR_NOT_ENOUGH_MEMORY;
    return std::nullopt;
  }
  // A file that shrinks while it is read yields what it still holds.
  size_t done = 0;
  while (done < bytes.size()) {
    const DWORD piece = static_cast<DWORD>(std::min(bytes.size() - done, kFilePiece));
    DWORD read = 0;
    if (!ReadFile(file.Get(), bytes.data() + done, piece, &read, nullptr)) {
      failure = GetLastError();
      return std::nullopt;
    }
    if (read == 0) break;
    done += read;
  }
  bytes.resize(done);
  failure = ERROR_SUCCESS;
  return bytes;
}

DWORD ReplaceFileContent(const std::wstring& path, std::string_view bytes) {
  const std::wstring folder(FolderPart(path));
  wchar_t temporary[MAX_PATH];
  if (!GetTempFileNameW(folder.empty() ? L"." : folder.c_str(), L"bex", 0, temporary)) {
    return GetLastError();
  }
  DWORD error = WriteFlushed(temporary, bytes);
  if (error == ERROR_SUCCESS &&
      !MoveFileExW(temporary, path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    error = GetLastError();
  }
  if (error != ERROR_SUCCESS) DeleteFileW(temporary);
  return error;
}

std::string SystemErrorText(DWORD error) {
  char* text = nullptr;
  const DWORD n = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string message = n ? std::string(text, n) : "エラー " + std::to_string(error);
  if (text) LocalFree(text);
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r')) {
    message.pop_back();
  }
  return message;
}

namespace {

// A data file that exists but could not be read is never replaced: the tree
// or history in memory was not read from it, and writing it would lose what
// the file holds.
std::wstring NotReplacedText(const std::wstring& path, DWORD readError) {
  return path +
         FromCp932("\nを読み込めないため、上書きしませんでした。\n" + SystemErrorText(readError));
}

// Reads an existing data file into parse's result; the error of a file that
// exists but does not read, ERROR_SUCCESS otherwise (fields kept when absent).
template <typename Parsed, typename Parse>
DWORD LoadDataFile(const std::wstring& path, Parsed& into, Parse parse) {
  if (!PathExists(path)) return ERROR_SUCCESS;
  DWORD error = ERROR_SUCCESS;
  if (const auto bytes = ReadWholeFile(path, &error)) into = parse(*bytes);
  return error;
}

}  // namespace

const DestinationTree& Filing::ReadDestinations() {
  const std::wstring path = DataFilePath(kDestinationsFileName);
  destinationsReadError_ = ERROR_SUCCESS;
  destinationsRead_.reset();
  if (!PathExists(path)) return destinations_;
  destinationsRead_ = ReadWholeFile(path, &destinationsReadError_);
  if (destinationsRead_) destinations_ = ParseDestinations(*destinationsRead_);
  return destinations_;
}

// Refused when the tree was not read from the file it would replace: the
// last load failed, the file does not read now, or another viewer (or
// program) has written it since.
void Filing::ReplaceDestinations(DestinationTree tree) {
  destinations_ = std::move(tree);
  const std::wstring path = DataFilePath(kDestinationsFileName);
  DWORD readError = destinationsReadError_;
  std::optional<std::string> now;
  if (readError == ERROR_SUCCESS && PathExists(path)) now = ReadWholeFile(path, &readError);
  if (readError != ERROR_SUCCESS) {
    ShowMessage(
        owner_,
        FromCp932(std::string(kDestinationsNotSaved) + "\n") + NotReplacedText(path, readError),
        "保存エラー");
    return;
  }
  if (now != destinationsRead_) {
    ShowMessage(owner_,
                FromCp932(std::string(kDestinationsNotSaved) + "\n") + path +
                    FromCp932("\nは読み込んだ後にほかで変更されたため、上書きしませんでした。"),
                "保存エラー");
    return;
  }
  if (ReplaceFileContent(path, SerializeDestinations(destinations_)) != ERROR_SUCCESS) {
    ShowMessage(owner_, kDestinationsNotSaved, "保存エラー");
  }
}

DWORD Filing::LoadHistory() {
  return LoadDataFile(DataFilePath(kHistoryFileName), history_, ParseHistory);
}

// Both files are written before either message shows: a viewer ended while
// one is up has kept the record.
void Filing::RecordMove(const CompletedMove& move) {
  const std::optional<Notice> history = RecordDestination(move.destination);
  UndoEntry entry{UndoKind::kMove, move.source, move.destination};
  for (const PathMove& companion : move.companions) {
    entry.companions.push_back({UndoKind::kMove, companion.source, companion.destination});
  }
  const std::optional<Notice> undo =
      WriteUndoJournalChange([&](UndoJournal& journal) { RecordUndo(journal, entry); });
  for (const std::optional<Notice>& notice : {history, undo}) {
    if (notice) ShowMessage(owner_, notice->text, notice->caption);
  }
}

std::optional<Filing::Notice> Filing::RecordDestination(const std::wstring& destination) {
  const std::wstring folder(FolderPart(destination));
  const std::optional<std::string> historyFolder = ExactCp932(folder);
  if (!historyFolder) {
    return Notice{folder + FromCp932("\nは履歴ファイル(コードページ932)で表せない文字を含むため、"
                                     "移動先の履歴に記録しませんでした。"),
                  "メッセージ"};
  }
  const DWORD readError = LoadHistory();
  const std::wstring path = DataFilePath(kHistoryFileName);
  const std::wstring notSaved = path + FromCp932("\nに移動先の履歴を保存できません。\n");
  if (readError != ERROR_SUCCESS) {
    return Notice{notSaved + NotReplacedText(path, readError), "保存エラー"};
  }
  RecordInHistory(history_, FolderOfDestination(*historyFolder));
  const DWORD error = ReplaceFileContent(path, SerializeHistory(history_));
  if (error != ERROR_SUCCESS) {
    return Notice{notSaved + FromCp932(SystemErrorText(error)), "保存エラー"};
  }
  return std::nullopt;
}

std::optional<UndoJournal> Filing::ReadUndoJournal(DWORD* error) {
  UndoJournal journal;
  const auto parse = [](std::string_view bytes) { return ParseUndoJournal(bytes, FromCp932); };
  *error = LoadDataFile(DataFilePath(kUndoJournalFileName), journal, parse);
  if (*error != ERROR_SUCCESS) return std::nullopt;
  return journal;
}

void Filing::ChangeUndoJournal(const std::function<void(UndoJournal&)>& change) {
  if (const std::optional<Notice> notice = WriteUndoJournalChange(change)) {
    ShowMessage(owner_, notice->text, notice->caption);
  }
}

std::optional<Filing::Notice> Filing::WriteUndoJournalChange(
    const std::function<void(UndoJournal&)>& change) {
  const std::wstring path = DataFilePath(kUndoJournalFileName);
  const std::wstring notSaved = path + FromCp932("\nに元に戻すための記録を保存できません。\n");
  DWORD error = ERROR_SUCCESS;
  std::optional<UndoJournal> journal = ReadUndoJournal(&error);
  if (!journal) return Notice{notSaved + NotReplacedText(path, error), "保存エラー"};
  change(*journal);
  error = ReplaceFileContent(path, SerializeUndoJournal(*journal));
  // A folder that cannot be written stays so for the run: the move or delete
  // itself stands, and one word that undo is unavailable is enough.
  if (error == ERROR_SUCCESS || undoUnavailableTold_) return std::nullopt;
  undoUnavailableTold_ = true;
  return Notice{
      notSaved + FromCp932("この後の移動と削除は元に戻せません。\n" + SystemErrorText(error)),
      "保存エラー"};
}

}  // namespace bex
