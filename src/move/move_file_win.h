// Moving a file to a path the user names in the save dialog, as the move and
// its undo do it.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

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

}  // namespace bex
