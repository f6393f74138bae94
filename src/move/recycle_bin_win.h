// The shell's recycle bin, asked for a file by the full path it was deleted
// from: whether the bin holds it, and putting it back there.
#pragma once

#include <windows.h>

#include <string>

namespace bex {

// Whether the recycle bin holds a file deleted from path.
bool RecycleBinHolds(const std::wstring& path);

// Puts the file last deleted from path back there through the bin's own
// restore command. True only when a file is at path afterwards.
bool RestoreFromRecycleBin(HWND owner, const std::wstring& path);

}  // namespace bex
