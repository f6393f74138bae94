// Small file helpers of the Win32 layer.
#pragma once

#include <string>

namespace bex {

// True when a directory search finds an entry of any kind at path (file or
// folder, whatever its attributes).
bool PathExists(const std::string& path);

// The program's own folder, up to and including its last "\" or ":".
std::string ProgramFolder();

// The program file's full path.
std::string ProgramPath();

// The current directory follows the pictures being viewed: a library placed
// among them must never be loaded, neither for a plug-in nor for a system
// library. Takes it out of the library search for the whole process; called
// first thing at start-up.
void KeepCurrentFolderOutOfLibrarySearch();

}  // namespace bex
