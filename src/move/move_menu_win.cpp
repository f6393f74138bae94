// The move menu, the menu of destinations behind the J key, and the move of
// the shown file to the destination chosen there.
#include <windows.h>

#include <optional>
#include <vector>

#include "common/code_page_win.h"
#include "common/companion_files.h"
#include "common/files_win.h"
#include "common/menu_win.h"
#include "common/message_box_win.h"
#include "common/wide_text.h"
#include "move/filing_win.h"
#include "move/move_file_win.h"

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

// The companions' moves beside the shown file's move to destination: into
// the same folder, each under the destination's name before the extension.
std::vector<PathMove> CompanionMoves(const std::wstring& folder,
                                     const std::vector<std::wstring>& companions,
                                     const std::wstring& destination) {
  const std::wstring_view newName = FileNamePart(destination);
  std::vector<PathMove> moves;
  for (const std::wstring& name : companions) {
    moves.push_back({JoinPath(folder, name),
                     std::wstring(FolderPart(destination)) + CompanionNameBeside(newName, name)});
  }
  return moves;
}

// The path in folder under name, when folder is there and neither the name
// nor a companion's is taken in it; none sends the move to the save dialog.
std::optional<std::wstring> FreePathIn(const std::wstring& folder, const std::wstring& name,
                                       const std::wstring& shownFolder,
                                       const std::vector<std::wstring>& companions) {
  if (folder.size() >= MAX_PATH || !IsFolder(folder)) return std::nullopt;
  const std::wstring path = JoinPath(folder, name);
  if (path.size() >= MAX_PATH || PathExists(path)) return std::nullopt;
  if (TakenDestination(CompanionMoves(shownFolder, companions, path))) return std::nullopt;
  return path;
}

}  // namespace

std::vector<MoveMenuItem> Filing::MoveMenuItems() {
  ReadDestinations();
  LoadHistory();
  return BuildMoveMenu(destinations_, history_);
}

std::optional<Filing::CompletedMove> Filing::MoveShownFile(const ShownFile& shown,
                                                           const StillShown& stillShown,
                                                           int screenX, int screenY,
                                                           const MoveManner& manner,
                                                           const LetGo& letGo) {
  const std::vector<MoveMenuItem> items = MoveMenuItems();
  const MoveMenuHandles menu(items);
  const UINT id = TrackMenu(owner_, menu.Handle(), screenX, screenY);
  const MoveMenuItem* item = menu.ItemOf(id);
  if (!item) return std::nullopt;
  return MoveTo(shown, stillShown, *item, manner, letGo);
}

std::optional<Filing::CompletedMove> Filing::MoveTo(const ShownFile& shown,
                                                    const StillShown& stillShown,
                                                    const MoveMenuItem& item,
                                                    const MoveManner& manner, const LetGo& letGo) {
  if (shown.Name().empty()) return std::nullopt;
  const std::optional<std::wstring> source = shown.Path(owner_);
  if (!source) return std::nullopt;
  // Registered and recent folders are code page 932; the shown one may not be.
  const std::wstring start = item.role == kRoleCurrentFolder
                                 ? shown.Folder()
                                 : FromCp932(StartFolderOfItem(item, std::string_view()));
  const std::vector<std::wstring> companions =
      manner.withCompanions ? CompanionsInFolder(shown.Folder(), shown.Name())
                            : std::vector<std::wstring>();
  std::optional<std::wstring> destination;
  if (manner.withoutDialog && item.role != kRoleCurrentFolder) {
    destination = FreePathIn(start, shown.Name(), shown.Folder(), companions);
  }
  if (!destination) {
    manner.beforeDialog();
    destination = AskFreePath(owner_, "移動先パスの指定", start, shown.Name());
  }
  if (!destination || !stillShown(*source)) return std::nullopt;
  CompletedMove move{*source, *destination,
                     CompanionMoves(shown.Folder(), companions, *destination)};
  if (const std::optional<std::wstring> taken = TakenDestination(move.companions)) {
    ShowFailure(owner_,
                *taken + FromCp932("\nが既にあるため、関連ファイルとともに移動できません。"),
                "ファイル名エラー");
    return std::nullopt;
  }
  std::vector<PathMove> group{{move.source, move.destination}};
  for (const PathMove& companion : move.companions) {
    letGo(companion.source);
    group.push_back(companion);
  }
  if (!MoveGroupWithoutReplacing(owner_, group)) return std::nullopt;
  return move;
}

}  // namespace bex
