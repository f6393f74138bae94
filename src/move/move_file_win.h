// Moving a file to a path the user names in the save dialog, as the move and
// its undo do it.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace bex {

// Asks in the save dialog, with title, for a path where nothing exists yet,
// starting in startFolder with name proposed; a path taken is refused with a
// message and the dialog opens again. None when the user cancels, or after
// a message when startFolder is missing or too long for the dialog.
std::optional<std::wstring> AskFreePath(HWND owner, const char* title,
                                        const std::wstring& startFolder, const std::wstring& name);

// Moves the file source to destination (full paths), to another volume too,
// never replacing anything. ERROR_SUCCESS, or the system's error code, the
// source then being as it was and nothing under destination. To another
// volume the file is copied under a temporary name (kPartialMovePattern) in
// destination's folder, flushed, and given its name only when whole; then the
// source is removed, so that a move cut short at any moment leaves the source
// whole and nothing under destination. What moves cut short left in
// destination's folder is removed first; a copy another viewer is still
// writing is open and stays.
DWORD MoveOneFile(const std::wstring& source, const std::wstring& destination);
constexpr wchar_t kPartialMovePattern[] = L"~bexmove*.tmp";

// MoveOneFile, a failure reported with both paths and the system's reason.
// True when the file is at destination.
bool MoveWithoutReplacing(HWND owner, const std::wstring& source, const std::wstring& destination);

struct PathMove {
  std::wstring source;
  std::wstring destination;
};

// Moves each file of a group with MoveWithoutReplacing, in order; when one
// fails, those already moved go back, so that the group stays together,
// and the user is told so. True when every file is at its destination.
bool MoveGroupWithoutReplacing(HWND owner, const std::vector<PathMove>& group);

// The first destination of group where something exists already; none when
// all are free.
std::optional<std::wstring> TakenDestination(const std::vector<PathMove>& group);

}  // namespace bex
