// Deleting the shown file to the recycle bin, and copying its picture to the
// clipboard at full size or as displayed.
#include <windows.h>

#include <shellapi.h>

#include "app/main_form_win.h"
#include "common/cp932.h"
#include "image/image_area_win.h"

namespace bex {
namespace {

// The shell takes a list of paths in a buffer of this many bytes, ended by
// two zero bytes.
constexpr size_t kShellPathBuffer = 264;

bool FileExists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Drives whose files the recycle bin cannot take: deleting there is for good.
bool RecycleBinTakes(const std::string& path) {
  char root[MAX_PATH];
  const std::string full = path;
  if (!GetVolumePathNameA(full.c_str(), root, sizeof(root))) return true;
  switch (GetDriveTypeA(root)) {
    case DRIVE_REMOVABLE:
    case DRIVE_REMOTE:
    case DRIVE_RAMDISK:
    case DRIVE_CDROM:
      return false;
    default:
      return true;
  }
}

// A device-dependent copy of a picture, which the clipboard then owns.
HBITMAP DeviceCopy(const Bitmap& picture) {
  HDC screen = GetDC(nullptr);
  HBITMAP copy = CreateCompatibleBitmap(screen, picture.Width(), picture.Height());
  if (copy) {
    HDC src = CreateCompatibleDC(screen);
    HDC dst = CreateCompatibleDC(screen);
    HGDIOBJ oldSrc = SelectObject(src, picture.Handle());
    HGDIOBJ oldDst = SelectObject(dst, copy);
    BitBlt(dst, 0, 0, picture.Width(), picture.Height(), src, 0, 0, SRCCOPY);
    SelectObject(dst, oldDst);
    SelectObject(src, oldSrc);
    DeleteDC(dst);
    DeleteDC(src);
  }
  ReleaseDC(nullptr, screen);
  return copy;
}

// Puts a picture on the clipboard as CF_BITMAP. Pictures are kept in 32 bits
// per pixel, so there is never a palette to add.
void PutOnClipboard(HWND owner, const Bitmap& picture) {
  HBITMAP copy = DeviceCopy(picture);
  if (!copy) return;
  if (!OpenClipboard(owner)) {
    DeleteObject(copy);
    return;
  }
  EmptyClipboard();
  if (!SetClipboardData(CF_BITMAP, copy)) DeleteObject(copy);
  CloseClipboard();
}

}  // namespace

std::optional<std::string> TBexForm1::ShownFilePath() const {
  if (ShownFileName.empty() || CurrentFolder.empty()) return std::nullopt;
  const std::string path = JoinPath(CurrentFolder, ShownFileName);
  if (path.size() >= MAX_PATH) return PathTooLong(path);
  return path;
}

bool TBexForm1::StillShown(const std::string& path) {
  return !Files().ShownFileRemoved && !ShownFileName.empty() &&
         JoinPath(CurrentFolder, ShownFileName) == path;
}

std::nullopt_t TBexForm1::PathTooLong(const std::string& path) const {
  ShowMessage(hwnd_, path + "\nはパスが長すぎるため扱えません。", "パス長エラー");
  return std::nullopt;
}

void TBexForm1::KDel1Click() {
  if (Files().ShownFileRemoved) {
    ShowMessage(hwnd_, "このファイルは既に削除されています", "メッセージ");
    return;
  }
  const auto path = ShownFilePath();
  if (!path) return;
  if (path->size() + 2 > kShellPathBuffer) {
    PathTooLong(*path);
    return;
  }
  if (ShowMessage(hwnd_, "このファイルを削除してもいいですか？", "削除確認", MB_OKCANCEL) != IDOK) {
    return;
  }
  if (!RecycleBinTakes(*path) &&
      ShowMessage(hwnd_,
                  "このドライブのファイルはごみ箱に入りません。\n完全に削除してもいいですか？",
                  "削除確認", MB_OKCANCEL) != IDOK) {
    return;
  }
  if (!StillShown(*path)) return;
  std::string list = *path;
  list.append(2, '\0');
  SHFILEOPSTRUCTA op = {};
  op.wFunc = FO_DELETE;
  op.pFrom = list.c_str();
  op.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION;
  const int result = SHFileOperationA(&op);
  // A failure or abort the shell reports, it has shown the user itself. It
  // may also report success although the file stayed (a read-only medium):
  // only a file that is gone counts as deleted, and then only we can tell.
  if (result != 0 || op.fAnyOperationsAborted) return;
  if (FileExists(*path)) {
    ShowMessage(hwnd_, *path + "\nを削除できませんでした。", "削除エラー");
    return;
  }
  SetTitle("削除完了");
  Files().ShownFileRemoved = true;
}

void TBexForm1::KCClipBord1Click() {
  if (const BitmapRef& picture = image1_->Picture()) PutOnClipboard(hwnd_, *picture);
}

void TBexForm1::K1Click() {
  if (const auto displayed = image1_->RenderDisplayed()) PutOnClipboard(hwnd_, *displayed);
}

}  // namespace bex
