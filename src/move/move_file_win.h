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

// Moves source to destination, to another drive too, never replacing
// anything; a failure is reported with both paths and leaves no part of the
// file at destination. True when the file is at destination.
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
