// The current directory as the file list takes it.
#pragma once

#include <vector>

#include "filelist/file_list.h"

namespace bex {

// Every entry of "*.*" in the current directory that is not a folder, hidden
// and system files included, in the platform's order.
std::vector<FileEntry> ListCurrentFolder();

// The entries' places in the order Explorer shows (StrCmpLogicalW on the
// wide names).
std::vector<size_t> PlacesInExplorerOrder(const std::vector<FileEntry>& list);

}  // namespace bex
