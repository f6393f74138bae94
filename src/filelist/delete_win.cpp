// Deleting the shown file to the recycle bin.
#include <windows.h>

#include <shellapi.h>

#include "common/code_page_win.h"
#include "common/files_win.h"
#include "common/message_box_win.h"
#include "common/wide_text.h"
#include "filelist/folder_stepper_win.h"

namespace bex {
namespace {

// The shell takes a list of paths in a buffer of this many characters, ended
// by two zeros.
constexpr size_t kShellPathBuffer = 264;

bool FileExists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Drives whose files the recycle bin cannot take: deleting there is for good.
bool RecycleBinTakes(const std::wstring& path) {
  wchar_t root[MAX_PATH];
  if (!GetVolumePathNameW(path.c_str(), root, MAX_PATH)) return true;
  switch (GetDriveTypeW(root)) {
    case DRIVE_REMOVABLE:
    case DRIVE_REMOTE:
    case DRIVE_RAMDISK:
    case DRIVE_CDROM:
      return false;
    default:
      return true;
  }
}

void ReportNotDeleted(HWND owner, const std::wstring& path) {
  ShowFailure(owner, path + FromCp932("\nを削除できませんでした。"), "削除エラー");
}

uint64_t SizeOf(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return 0;
  return (uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
}

// A file that another program holds without sharing its deletion would stay
// behind while the rest of its group went.
bool CanBeDeleted(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  CloseHandle(file);
  return true;
}

// The companions of the shown file at path, or none after a message when one
// of them cannot go with it.
std::optional<std::vector<std::wstring>> CompanionsToDelete(HWND owner, const ShownFile& shown) {
  std::vector<std::wstring> paths;
  for (const std::wstring& name : CompanionsInFolder(shown.Folder(), shown.Name())) {
    paths.push_back(JoinPath(shown.Folder(), name));
    if (paths.back().size() + 2 > kShellPathBuffer) return ReportPathTooLong(owner, paths.back());
    if (!CanBeDeleted(paths.back())) {
      ShowFailure(owner,
                  paths.back() + FromCp932("\nを削除できないため、関連ファイルとともに"
                                           "何も削除しませんでした。"),
                  "削除エラー");
      return std::nullopt;
    }
  }
  return paths;
}

std::string DeleteQuestion(size_t companions) {
  if (companions == 0) return "このファイルを削除してもいいですか？";
  return "このファイルと関連ファイル" + std::to_string(companions) + "件を削除してもいいですか？";
}

}  // namespace

std::optional<FolderStepper::Recycled> FolderStepper::DeleteShownFile(
    const ShownFile& shown, const ReadyToActOn& readyToActOn, bool withCompanions) {
  if (ShownFileRemoved()) {
    ShowMessage(owner_, "このファイルは既に削除されています", "メッセージ");
    return std::nullopt;
  }
  const auto path = shown.Path(owner_);
  if (!path) return std::nullopt;
  if (path->size() + 2 > kShellPathBuffer) return ReportPathTooLong(owner_, *path);
  // A file another program has removed leaves the list too.
  const auto reportGone = [&] {
    ShowFailure(owner_, *path + FromCp932("\nは既にありません。一覧から外します。"), "削除エラー");
    MarkShownFileRemoved();
    return std::nullopt;
  };
  if (!FileExists(*path)) return reportGone();
  std::vector<std::wstring> companions;
  if (withCompanions) {
    const auto found = CompanionsToDelete(owner_, shown);
    if (!found) return std::nullopt;
    companions = *found;
  }
  if (ShowMessage(owner_, DeleteQuestion(companions.size()), "削除確認", MB_OKCANCEL) != IDOK) {
    return std::nullopt;
  }
  const bool intoTheBin = RecycleBinTakes(*path);
  if (!intoTheBin &&
      ShowMessage(owner_,
                  "このドライブのファイルはごみ箱に入りません。\n完全に削除してもいいですか？",
                  "削除確認", MB_OKCANCEL) != IDOK) {
    return std::nullopt;
  }
  if (!readyToActOn(*path)) return std::nullopt;
  Recycled recycled{*path, SizeOf(*path), ContentFingerprintOf(*path)};
  // One shell operation takes the whole group: a list of paths, each ended
  // by a zero, and the list by another.
  std::wstring list = *path + L'\0';
  for (const std::wstring& companion : companions) {
    LetGoOf(std::wstring(FileNamePart(companion)));
    recycled.companions.push_back({companion, SizeOf(companion), ContentFingerprintOf(companion)});
    list += companion + L'\0';
  }
  list += L'\0';
  SHFILEOPSTRUCTW op = {};
  op.wFunc = FO_DELETE;
  op.pFrom = list.c_str();
  op.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION;
  const int result = SHFileOperationW(&op);
  // A failure or abort the shell reports, it has shown the user itself,
  // except that the file was already gone (Wine shows nothing then). It
  // may also report success although the file stayed (a read-only medium):
  // only a file that is gone counts as deleted, and then only we can tell.
  if (result != 0 || op.fAnyOperationsAborted) {
    if (!FileExists(*path)) return reportGone();
    return std::nullopt;
  }
  if (FileExists(*path)) {
    ReportNotDeleted(owner_, *path);
    return std::nullopt;
  }
  std::vector<std::wstring> companionsGone;
  for (const std::wstring& companion : companions) {
    if (!FileExists(companion)) {
      companionsGone.emplace_back(FileNamePart(companion));
    } else {
      ReportNotDeleted(owner_, companion);
    }
  }
  GetLocalTime(&recycled.deletedAt);
  SetWindowTextA(owner_, "削除完了");
  MarkShownFileRemoved();
  DropLeftEntries(companionsGone);
  if (!intoTheBin) return std::nullopt;
  return recycled;
}

}  // namespace bex
