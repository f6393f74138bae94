// The answers of the plug-in's GetPluginInfo: interface version, name, and
// pairs of file patterns and format descriptions.
#pragma once

namespace bex::wicspi {

// Copies the text of info number `infoNumber` into `buffer` (at most
// `bufferLength` bytes, always NUL-terminated when there is room for it) and
// returns the number of characters copied; 0 for an unknown number or no room.
int CopyPluginInfo(int infoNumber, char* buffer, int bufferLength);

}  // namespace bex::wicspi
