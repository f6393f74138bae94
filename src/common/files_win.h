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

}  // namespace bex
