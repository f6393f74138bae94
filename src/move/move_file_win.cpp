// Moving a file to a path the user names in the save dialog.
#include "move/move_file_win.h"

#include <cwchar>
#include <vector>

#include "common/code_page_win.h"
#include "common/files_win.h"
#include "common/message_box_win.h"
#include "common/system_dialogs_win.h"
#include "common/wide_text.h"
#include "move/destination_files_win.h"
#include "move/file_handle_win.h"

namespace bex {
namespace {

enum class DialogOutcome { kCancelled, kChosen, kTooLong };

struct DialogAnswer {
  DialogOutcome outcome = DialogOutcome::kCancelled;
  std::wstring path;
};

// The save dialog, proposing name (a bare name or the path chosen before)
// and starting in startFolder; the process's current directory stays as it
// is, since the folder's file list depends on it.
DialogAnswer AskPath(HWND owner, const char* title, const std::wstring& startFolder,
                     const std::wstring& name) {
  // Room for any path the dialog can give, so that a long one is seen whole
  // and refused rather than cut.
  std::vector<wchar_t> file(32768, L'\0');
  name.copy(file.data(), file.size() - 1);
  // The filter's texts, each ended by a zero; c_str adds the list's last.
  static constexpr char kFilter[] = "すべてのファイル(*.*)\0*.*\0";
  static const std::wstring filter = FromCp932(std::string_view(kFilter, sizeof kFilter - 1));
  const std::wstring wideTitle = FromCp932(title);
  OPENFILENAMEW dialog = {};
  dialog.lStructSize = sizeof(dialog);
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = filter.c_str();
  dialog.lpstrFile = file.data();
  dialog.nMaxFile = static_cast<DWORD>(file.size());
  dialog.lpstrInitialDir = startFolder.c_str();
  dialog.lpstrTitle = wideTitle.c_str();
  dialog.Flags = OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_ENABLESIZING | OFN_EXPLORER;
  if (!AskFileToSave(&dialog)) return {};
  std::wstring path = file.data();
  const DialogOutcome outcome =
      path.size() < MAX_PATH ? DialogOutcome::kChosen : DialogOutcome::kTooLong;
  return {outcome, std::move(path)};
}

// A copy being made for a move: "~bexmove" and eight hexadecimal digits,
// unique in its folder, with ".tmp" (kPartialMovePattern).
constexpr wchar_t kPartialMovePrefix[] = L"~bexmove";
constexpr int kPartialMoveTries = 64;

// Removes what moves cut short left in folder; a copy another viewer is still
// writing is open without sharing, and stays.
void RemoveLeftoverCopies(const std::wstring& folder) {
  WIN32_FIND_DATAW found;
  const HANDLE search = FindFirstFileW(JoinPath(folder, kPartialMovePattern).c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
      DeleteFileW(JoinPath(folder, found.cFileName).c_str());
    }
  } while (FindNextFileW(search, &found));
  FindClose(search);
}

// Copies all of from to to, both open. A write the system takes only in part
// (a full disk) counts as failed.
DWORD CopyContent(HANDLE from, HANDLE to) {
  std::vector<char> buffer(kFilePiece);
  for (;;) {
    DWORD read = 0;
    if (!ReadFile(from, buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr)) {
      return GetLastError();
    }
    if (read == 0) return ERROR_SUCCESS;
    DWORD written = 0;
    if (!WriteFile(to, buffer.data(), read, &written, nullptr)) return GetLastError();
    if (written < read) return ERROR_DISK_FULL;
  }
}

// Copies source to a new file at copy with the source's times, flushed to
// the disk; a copy that fails on the way is removed. Neither can be changed
// meanwhile: the source is shared for reading only, the copy not at all, so
// that no other viewer removes it as a leftover.
DWORD CopyFlushed(const std::wstring& source, const std::wstring& copy) {
  FileHandle from(CreateFileW(source.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!from.Valid()) return GetLastError();
  FileHandle to(CreateFileW(copy.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!to.Valid()) return GetLastError();
  DWORD error = CopyContent(from.Get(), to.Get());
  FILETIME created, accessed, written;
  if (error == ERROR_SUCCESS && GetFileTime(from.Get(), &created, &accessed, &written)) {
    SetFileTime(to.Get(), &created, &accessed, &written);
  }
  if (error == ERROR_SUCCESS && !FlushFileBuffers(to.Get())) error = GetLastError();
  if (!to.Close() && error == ERROR_SUCCESS) error = GetLastError();
  if (error != ERROR_SUCCESS) DeleteFileW(copy.c_str());
  return error;
}

// Copies source under a free temporary name in folder; the path used, or
// none with the system's error code in *error.
std::optional<std::wstring> CopyUnderPartialName(const std::wstring& source,
                                                 const std::wstring& folder, DWORD* error) {
  const DWORD seed = GetCurrentProcessId() * 0x10001u ^ GetTickCount();
  for (int attempt = 0; attempt < kPartialMoveTries; ++attempt) {
    wchar_t name[32];
    swprintf(name, 32, L"%ls%08lx.tmp", kPartialMovePrefix,
             static_cast<unsigned long>(seed + attempt));
    const std::wstring copy = JoinPath(folder, name);
    *error = CopyFlushed(source, copy);
    if (*error == ERROR_SUCCESS) return copy;
    if (*error != ERROR_FILE_EXISTS && *error != ERROR_ALREADY_EXISTS) return std::nullopt;
  }
  return std::nullopt;
}

// Removes the source of a move whose copy is whole at its place; a
// read-only source goes as well, as a move takes it. ERROR_SUCCESS, or the
// system's error code with the source as it was.
DWORD RemoveSource(const std::wstring& source, DWORD attributes) {
  if (attributes & FILE_ATTRIBUTE_READONLY) {
    SetFileAttributesW(source.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
  }
  if (DeleteFileW(source.c_str())) return ERROR_SUCCESS;
  const DWORD error = GetLastError();
  SetFileAttributesW(source.c_str(), attributes);
  return error;
}

DWORD MoveByCopy(const std::wstring& source, const std::wstring& destination) {
  const DWORD attributes = GetFileAttributesW(source.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return GetLastError();
  DWORD error = ERROR_SUCCESS;
  const std::optional<std::wstring> copy =
      CopyUnderPartialName(source, std::wstring(FolderPart(destination)), &error);
  if (!copy) return error;
  if (!MoveFileExW(copy->c_str(), destination.c_str(), MOVEFILE_WRITE_THROUGH)) {
    error = GetLastError();
    DeleteFileW(copy->c_str());
    return error;
  }
  // Kept in one place only: the copy goes when the source cannot.
  error = RemoveSource(source, attributes);
  if (error != ERROR_SUCCESS) {
    DeleteFileW(destination.c_str());
    return error;
  }
  SetFileAttributesW(destination.c_str(), attributes);
  return ERROR_SUCCESS;
}

}  // namespace

std::optional<std::wstring> AskFreePath(HWND owner, const char* title,
                                        const std::wstring& startFolder, const std::wstring& name) {
  // The dialog is given only a folder that is there: one too long for it
  // brings it down, and one that is missing makes it start elsewhere.
  if (startFolder.size() >= MAX_PATH) return ReportPathTooLong(owner, startFolder);
  if (!IsFolder(startFolder)) {
    const char* why = PathExists(startFolder) ? "\nはフォルダーではないため、移動できません。"
                                              : "\nが見つからないため、移動できません。";
    ShowFailure(owner, startFolder + FromCp932(why), "移動エラー");
    return std::nullopt;
  }
  std::wstring proposed = name;
  for (;;) {
    DialogAnswer answer = AskPath(owner, title, startFolder, proposed);
    if (answer.outcome == DialogOutcome::kCancelled) return std::nullopt;
    if (answer.outcome == DialogOutcome::kTooLong) {
      ReportPathTooLong(owner, answer.path);
      continue;
    }
    if (!PathExists(answer.path)) return std::move(answer.path);
    ShowMessage(owner, "コピー先に同名ファイルが存在します。\nファイル名を変更してください。",
                "ファイル名エラー");
    proposed = std::move(answer.path);
  }
}

DWORD MoveOneFile(const std::wstring& source, const std::wstring& destination) {
  RemoveLeftoverCopies(std::wstring(FolderPart(destination)));
  if (MoveFileExW(source.c_str(), destination.c_str(), 0)) return ERROR_SUCCESS;
  const DWORD error = GetLastError();
  return error == ERROR_NOT_SAME_DEVICE ? MoveByCopy(source, destination) : error;
}

bool MoveWithoutReplacing(HWND owner, const std::wstring& source, const std::wstring& destination) {
  const DWORD error = MoveOneFile(source, destination);
  if (error == ERROR_SUCCESS) return true;
  ShowFailure(owner,
              source + FromCp932(" → ") + destination +
                  FromCp932("\nの移動に失敗しました。\n" + SystemErrorText(error)),
              "移動エラー");
  return false;
}

bool MoveGroupWithoutReplacing(HWND owner, const std::vector<PathMove>& group) {
  for (size_t moved = 0; moved < group.size(); ++moved) {
    if (MoveWithoutReplacing(owner, group[moved].source, group[moved].destination)) continue;
    if (moved == 0) return false;
    while (moved-- > 0) MoveWithoutReplacing(owner, group[moved].destination, group[moved].source);
    ShowFailure(owner,
                group[0].source + FromCp932("\nは関連ファイルの1つが移動できないため、"
                                            "関連ファイルとともに元の場所に残しました。"),
                "移動エラー");
    return false;
  }
  return true;
}

std::optional<std::wstring> TakenDestination(const std::vector<PathMove>& group) {
  for (const PathMove& move : group) {
    if (PathExists(move.destination)) return move.destination;
  }
  return std::nullopt;
}

}  // namespace bex
