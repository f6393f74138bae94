// Moving a file to a path the user names in the save dialog.
#include "move/move_file_win.h"

#include <commdlg.h>

#include <vector>

#include "common/code_page_win.h"
#include "common/files_win.h"
#include "common/message_box_win.h"

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
  if (!GetSaveFileNameW(&dialog)) return {};
  std::wstring path = file.data();
  const DialogOutcome outcome =
      path.size() < MAX_PATH ? DialogOutcome::kChosen : DialogOutcome::kTooLong;
  return {outcome, std::move(path)};
}

// A move to another volume copies, then deletes the source; failing on the
// way (a full disk, a vanished folder) it may leave the copy made so far.
// The destination was free before the move, so a file there while the source
// is still in place is that remainder, unless the move failed because
// something else took the name meanwhile.
void RemovePartialCopy(const std::wstring& source, const std::wstring& destination, DWORD error) {
  if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS) return;
  if (!PathExists(source) || !PathExists(destination)) return;
  SetFileAttributesW(destination.c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileW(destination.c_str());
}

}  // namespace

std::optional<std::wstring> AskFreePath(HWND owner, const char* title,
                                        const std::wstring& startFolder, const std::wstring& name) {
  // The dialog is given only a folder that is there: one too long for it
  // brings it down, and one that is missing makes it start elsewhere.
  if (startFolder.size() >= MAX_PATH) return ReportPathTooLong(owner, startFolder);
  if (!IsFolder(startFolder)) {
    ShowMessage(owner, startFolder + FromCp932("\nが見つからないため、移動できません。"),
                "移動エラー");
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

bool MoveWithoutReplacing(HWND owner, const std::wstring& source, const std::wstring& destination) {
  if (MoveFileExW(source.c_str(), destination.c_str(), MOVEFILE_COPY_ALLOWED)) return true;
  RemovePartialCopy(source, destination, GetLastError());
  ShowMessage(owner,
              source + FromCp932(" → ") + destination + FromCp932("\nの移動に失敗しました。"),
              "移動エラー");
  return false;
}

bool MoveGroupWithoutReplacing(HWND owner, const std::vector<PathMove>& group) {
  for (size_t moved = 0; moved < group.size(); ++moved) {
    if (MoveWithoutReplacing(owner, group[moved].source, group[moved].destination)) continue;
    if (moved == 0) return false;
    while (moved-- > 0) MoveWithoutReplacing(owner, group[moved].destination, group[moved].source);
    ShowMessage(owner,
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
