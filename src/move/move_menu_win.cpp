// The move menu, the menu of destinations behind the J key, and the move of
// the shown file to the destination chosen there.
#include <windows.h>

#include <commdlg.h>

#include <optional>
#include <vector>

#include "common/files_win.h"
#include "common/menu_win.h"
#include "common/message_box_win.h"
#include "move/filing_win.h"

namespace bex {
namespace {

// The menu handles built from the menu's items. Command ids are positions in
// chosen_ plus one (TrackPopupMenu answers 0 when nothing was chosen).
class MoveMenuHandles {
 public:
  explicit MoveMenuHandles(const std::vector<MoveMenuItem>& items) : menu_(CreatePopupMenu()) {
    Append(menu_, items);
  }
  // Destroying the menu destroys its submenus.
  ~MoveMenuHandles() { DestroyMenu(menu_); }
  MoveMenuHandles(const MoveMenuHandles&) = delete;
  MoveMenuHandles& operator=(const MoveMenuHandles&) = delete;

  HMENU Handle() const { return menu_; }
  const MoveMenuItem* ItemOf(UINT id) const {
    return id >= 1 && id <= chosen_.size() ? chosen_[id - 1] : nullptr;
  }

 private:
  void Append(HMENU menu, const std::vector<MoveMenuItem>& items) {
    for (const MoveMenuItem& item : items) {
      if (IsSeparatorItem(item)) {
        AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
      } else if (item.role == kRoleGroup) {
        HMENU submenu = CreatePopupMenu();
        Append(submenu, item.children);
        AppendMenuA(menu, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(submenu),
                    item.caption.c_str());
      } else {
        chosen_.push_back(&item);
        AppendMenuA(menu, MF_STRING, chosen_.size(), item.caption.c_str());
      }
    }
  }

  HMENU menu_;
  std::vector<const MoveMenuItem*> chosen_;
};

enum class DialogOutcome { kCancelled, kChosen, kTooLong };

struct DialogAnswer {
  DialogOutcome outcome = DialogOutcome::kCancelled;
  std::string path;
};

// The save dialog for the destination, proposing name (a bare name or the
// path chosen before) and starting in startFolder; the process's current
// directory stays as it is, since the folder's file list depends on it.
DialogAnswer AskDestinationPath(HWND owner, const std::string& startFolder,
                                const std::string& name) {
  // Room for any path the dialog can give, so that a long one is seen whole
  // and refused rather than cut.
  std::vector<char> file(32768, '\0');
  name.copy(file.data(), file.size() - 1);
  OPENFILENAMEA dialog = {};
  dialog.lStructSize = sizeof(dialog);
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = "すべてのファイル(*.*)\0*.*\0";
  dialog.lpstrFile = file.data();
  dialog.nMaxFile = static_cast<DWORD>(file.size());
  dialog.lpstrInitialDir = startFolder.c_str();
  dialog.lpstrTitle = "移動先パスの指定";
  dialog.Flags = OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_ENABLESIZING | OFN_EXPLORER;
  if (!GetSaveFileNameA(&dialog)) return {};
  std::string path = file.data();
  const DialogOutcome outcome =
      path.size() < MAX_PATH ? DialogOutcome::kChosen : DialogOutcome::kTooLong;
  return {outcome, std::move(path)};
}

// A move to another volume copies, then deletes the source; failing on the
// way (a full disk, a vanished folder) it may leave the copy made so far.
// The destination was free before the move, so a file there while the source
// is still in place is that remainder, unless the move failed because
// something else took the name meanwhile.
void RemovePartialCopy(const std::string& source, const std::string& destination, DWORD error) {
  if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS) return;
  if (!PathExists(source) || !PathExists(destination)) return;
  SetFileAttributesA(destination.c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileA(destination.c_str());
}

}  // namespace

std::vector<MoveMenuItem> Filing::MoveMenuItems() {
  ReadDestinations();
  LoadHistory();
  return BuildMoveMenu(destinations_, history_);
}

std::optional<std::string> Filing::MoveShownFile(const ShownFile& shown,
                                                 const StillShown& stillShown, int screenX,
                                                 int screenY) {
  const std::vector<MoveMenuItem> items = MoveMenuItems();
  const MoveMenuHandles menu(items);
  const UINT id = TrackMenu(owner_, menu.Handle(), screenX, screenY);
  const MoveMenuItem* item = menu.ItemOf(id);
  if (!item) return std::nullopt;
  return MoveTo(shown, stillShown, *item);
}

std::optional<std::string> Filing::MoveTo(const ShownFile& shown, const StillShown& stillShown,
                                          const MoveMenuItem& item) {
  if (shown.Name().empty()) return std::nullopt;
  const std::optional<std::string> source = shown.Path(owner_);
  if (!source) return std::nullopt;
  const std::string startFolder = StartFolderOfItem(item, shown.Folder());
  std::string proposed = shown.Name();
  std::string destination;
  for (;;) {
    DialogAnswer answer = AskDestinationPath(owner_, startFolder, proposed);
    if (answer.outcome == DialogOutcome::kCancelled) return std::nullopt;
    if (answer.outcome == DialogOutcome::kTooLong) {
      ReportPathTooLong(owner_, answer.path);
      continue;
    }
    if (!PathExists(answer.path)) {
      destination = std::move(answer.path);
      break;
    }
    ShowMessage(owner_, "コピー先に同名ファイルが存在します。\nファイル名を変更してください。",
                "ファイル名エラー");
    proposed = std::move(answer.path);
  }
  if (!stillShown(*source)) return std::nullopt;
  if (!MoveFileExA(source->c_str(), destination.c_str(), MOVEFILE_COPY_ALLOWED)) {
    RemovePartialCopy(*source, destination, GetLastError());
    ShowMessage(owner_, *source + " → " + destination + "\nの移動に失敗しました。", "移動エラー");
    return std::nullopt;
  }
  return destination;
}

}  // namespace bex
