// Small file helpers of the Win32 layer.
#pragma once

#include <string>

namespace bex {

// True when a directory search finds an entry of any kind at path (file or
// folder, whatever its attributes).
bool PathExists(const std::string& path);

// True when path names an existing folder.
bool IsFolder(const std::string& path);

}  // namespace bex
