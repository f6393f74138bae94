// Popup menus of the main window.
#pragma once

#include <windows.h>

namespace bex {

// Shows menu at a screen point on behalf of owner and answers the id of the
// chosen item (0 for none).
UINT TrackMenu(HWND owner, HMENU menu, int screenX, int screenY);

}  // namespace bex
