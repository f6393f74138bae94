// Deleting the shown file to the recycle bin.
#include <windows.h>

#include <shellapi.h>

#include "common/code_page_win.h"
#include "common/message_box_win.h"
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

}  // namespace

std::optional<FolderStepper::Recycled> FolderStepper::DeleteShownFile(
    const ShownFile& shown, const ReadyToActOn& readyToActOn) {
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
  if (ShowMessage(owner_, "このファイルを削除してもいいですか？", "削除確認", MB_OKCANCEL) !=
      IDOK) {
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
  Recycled recycled{*path};
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (GetFileAttributesExW(path->c_str(), GetFileExInfoStandard, &data)) {
    recycled.size = (uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
  }
  std::wstring list = *path;
  list.append(2, L'\0');
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
    ShowFailure(owner_, *path + FromCp932("\nを削除できませんでした。"), "削除エラー");
    return std::nullopt;
  }
  GetLocalTime(&recycled.deletedAt);
  SetWindowTextA(owner_, "削除完了");
  MarkShownFileRemoved();
  if (!intoTheBin) return std::nullopt;
  return recycled;
}

}  // namespace bex
