// Where files to open come from besides the command line and a later launch
// (the open dialog, files dropped on the window), entering an opened file's
// folder, and handing further files to a new copy of the program.
#pragma once

#include <windows.h>

#include <shellapi.h>

#include <optional>
#include <string>
#include <vector>

#include "common/shown_file_win.h"

namespace bex {

// Makes the folder of path the process's current directory and answers the
// file as its full folder and bare name, whatever form path has (relative,
// "D:name", a bare name). None when path names no file, or its folder does not
// fit or cannot be entered, so that a same-named file of the previous folder
// is not shown instead.
std::optional<ShownFile> EnterFolderOf(const std::wstring& path);

// The files chosen in the open dialog, empty when it is cancelled.
std::vector<std::wstring> AskFilesToOpen(HWND owner);

// The files of a drop, which is finished.
std::vector<std::wstring> TakeDroppedFiles(HDROP drop);

// Starts a new copy of the program on names.
void OpenInNewViewer(HWND owner, const std::vector<std::wstring>& names);

}  // namespace bex
