// The filing of pictures: the registered destinations of "M_DIR.DAT", the
// recent destination folders of "R_DIR.DAT", the move menu built from both,
// and the move of the shown file to the destination chosen there.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "common/shown_file_win.h"
#include "move/destination_history.h"
#include "move/destination_tree.h"
#include "move/move_menu_model.h"

namespace bex {

class Filing {
 public:
  // Messages are owned by owner.
  explicit Filing(HWND owner) : owner_(owner) {}

  // --- the data files (destination_files_win.cpp) --------------------------
  // The registered destinations as "M_DIR.DAT" holds them now; what was last
  // read stays when the file does not exist or does not read.
  const DestinationTree& ReadDestinations();
  // Makes tree the registered destinations and saves them. The file is
  // replaced only once its whole new content is on disk, and never when it
  // exists but did not read (at the last load or now); a refused or failed
  // write is reported and leaves the file as it was.
  void ReplaceDestinations(DestinationTree tree);

  // --- the move menu and the move (move_menu_win.cpp) ----------------------
  // The move menu's items, from both data files as they are now.
  std::vector<MoveMenuItem> MoveMenuItems();
  // Whether a path is still the file on screen and not removed.
  using StillShown = std::function<bool(const std::string& path)>;

  // Opens the move menu at a screen point and asks for the destination of
  // the shown file in the save dialog, starting in the chosen item's folder,
  // and moves the file there if it is still shown then. The destination path
  // of a completed move.
  std::optional<std::string> MoveShownFile(const ShownFile& shown, const StillShown& stillShown,
                                           int screenX, int screenY);
  // Puts the folder of a completed move's destination at the top of the
  // history and saves it, unless the history file exists but did not read; a
  // refused or failed write is reported.
  void RecordDestination(const std::string& destination);

 private:
  void LoadHistory();
  std::optional<std::string> MoveTo(const ShownFile& shown, const StillShown& stillShown,
                                    const MoveMenuItem& item);

  HWND owner_;
  DestinationTree destinations_;
  DestinationHistory history_;
  // Why the last load of either file found it but could not read it;
  // ERROR_SUCCESS when it read or did not exist.
  DWORD destinationsReadError_ = ERROR_SUCCESS;
  DWORD historyReadError_ = ERROR_SUCCESS;
};

}  // namespace bex
