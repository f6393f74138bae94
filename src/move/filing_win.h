// The filing of pictures: the registered destinations of "M_DIR.DAT", the
// recent destination folders of "R_DIR.DAT", the move menu built from both,
// the move of the shown file to the destination chosen there, and the undo
// of moves and deletes recorded in "UNDO.DAT".
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "common/shown_file_win.h"
#include "move/destination_history.h"
#include "move/destination_tree.h"
#include "move/move_file_win.h"
#include "move/move_menu_model.h"
#include "move/recycle_bin_win.h"
#include "move/undo_journal.h"

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
  // exists but did not read (at the last load or now) or has changed since
  // the last load; a refused or failed write is reported and leaves the
  // file as it was.
  void ReplaceDestinations(DestinationTree tree);

  // --- the move menu and the move (move_menu_win.cpp) ----------------------
  // The move menu's items, from both data files as they are now.
  std::vector<MoveMenuItem> MoveMenuItems();
  // Whether a path is still the file on screen and not removed.
  using StillShown = std::function<bool(const std::wstring& path)>;
  // Told the path of a file just before it is moved, so that nothing holds
  // it open.
  using LetGo = std::function<void(const std::wstring& path)>;

  struct CompletedMove {
    std::wstring source;
    std::wstring destination;
    // The shown file's companions that went with it.
    std::vector<PathMove> companions = {};
  };
  // How the shown file goes. withoutDialog: a registered or recent folder
  // takes it at once under its own name, the save dialog opening only when
  // that name (or a companion's) is taken there or the folder is missing.
  // withCompanions: its companions (common/companion_files.h) go along, and
  // if one cannot go, the whole group stays. beforeDialog is told just
  // before the save dialog opens, which makes the folder it shows the
  // current directory while it is open.
  struct MoveManner {
    bool withoutDialog = false;
    bool withCompanions = false;
    std::function<void()> beforeDialog = [] {};
  };
  // Opens the move menu at a screen point and asks for the destination of
  // the shown file in the save dialog, starting in the chosen item's folder
  // (or takes that folder at once, as manner says), and moves the file there
  // if it is still shown then; letGo is told each companion before it moves.
  std::optional<CompletedMove> MoveShownFile(const ShownFile& shown, const StillShown& stillShown,
                                             int screenX, int screenY, const MoveManner& manner,
                                             const LetGo& letGo);
  // Puts the folder of a completed move's destination at the top of the
  // history and the move on top of the undo journal, and saves both, each
  // unless its file exists but did not read; a refused or failed write is
  // reported once both are done. A folder the history file cannot hold (code
  // page 932) is left out of it, and the user is told so.
  void RecordMove(const CompletedMove& move);

  // --- the undo journal (undo_win.cpp) -------------------------------------
  // A file handed to the recycle bin: its full path, size and content
  // fingerprint (none when it could not be read).
  struct BinnedFile {
    std::wstring path;
    uint64_t size = 0;
    std::optional<uint64_t> fingerprint = {};
  };
  // Records a delete of file at the local time deletedAt, with the
  // companions deleted along, as one entry on top of the undo journal when
  // the recycle bin holds the file (a delete for good cannot be undone).
  void RecordDelete(const BinnedFile& file, const SYSTEMTIME& deletedAt,
                    const std::vector<BinnedFile>& companions);
  struct UndoOffer {
    // The journal has an entry, or exists but does not read.
    bool available = false;
    // What the newest entry would undo ("a.jpg の移動"); empty without one.
    std::string subject;
  };
  // What undo offers, from the journal as it is now; nothing is reported.
  UndoOffer OfferUndo();
  // Undoes the newest entry of the journal: a moved file goes back to where
  // it was, or, that name being taken, where the user then says in its
  // folder; a deleted file comes back from the recycle bin. The entry then
  // leaves the journal, and so does one whose file is no longer there. Every
  // outcome but success is told to the user. The full path of the file that
  // came back. letGo is told the path of a file just before it is moved.
  // The companions of the entry come back with it.
  std::optional<std::wstring> UndoNewest(const LetGo& letGo);

 private:
  // Why the history file was found but did not read; ERROR_SUCCESS when it
  // read or does not exist.
  DWORD LoadHistory();
  // A message to show once the work at hand is done.
  struct Notice {
    std::wstring text;
    const char* caption;
  };
  std::optional<Notice> RecordDestination(const std::wstring& destination);
  std::optional<CompletedMove> MoveTo(const ShownFile& shown, const StillShown& stillShown,
                                      const MoveMenuItem& item, const MoveManner& manner,
                                      const LetGo& letGo);
  // The journal as its file holds it now: empty when there is none; none
  // when it exists but does not read, with the system's error code in *error.
  std::optional<UndoJournal> ReadUndoJournal(DWORD* error);
  // Reads the journal, applies change and writes it back; a journal that
  // does not read is left as it is, and that or a failed write is reported.
  void ChangeUndoJournal(const std::function<void(UndoJournal&)>& change);
  // The same, the report returned instead of shown.
  std::optional<Notice> WriteUndoJournalChange(const std::function<void(UndoJournal&)>& change);
  std::optional<std::wstring> MoveBack(const UndoEntry& entry, const std::wstring& target,
                                       const LetGo& letGo);
  std::optional<std::wstring> RestoreDeleted(const UndoEntry& entry, const RecycleBin& bin);
  void ReportAndForget(const UndoEntry& entry, const std::wstring& why);

  HWND owner_;
  DestinationTree destinations_;
  DestinationHistory history_;
  // Why the last load of the destinations found the file but could not read
  // it; ERROR_SUCCESS when it read or did not exist.
  DWORD destinationsReadError_ = ERROR_SUCCESS;
  // The file's content at the last load; none when it did not exist.
  std::optional<std::string> destinationsRead_;
  // The journal could not be written once: that was told, and is not again.
  bool undoUnavailableTold_ = false;
};

}  // namespace bex
