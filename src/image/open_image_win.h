// Where files to open come from besides the command line and a later launch
// (the open dialog, files dropped on the window), entering an opened file's
// folder, and handing further files to a new copy of the program.
#pragma once

#include <windows.h>

#include <shellapi.h>

#include <optional>
#include <string>
#include <vector>

namespace bex {

// Makes the folder of path the process's current directory and answers it;
// a bare name stays in the current directory. None when the folder does not
// fit or cannot be entered, so that a same-named file of the previous folder
// is not shown instead.
std::optional<std::string> EnterFolderOf(const std::string& path);

// The files chosen in the open dialog, empty when it is cancelled.
std::vector<std::string> AskFilesToOpen(HWND owner);

// The files of a drop, which is finished.
std::vector<std::string> TakeDroppedFiles(HDROP drop);

// Starts a new copy of the program on names.
void OpenInNewViewer(HWND owner, const std::vector<std::string>& names);

}  // namespace bex
