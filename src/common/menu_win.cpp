#include "common/menu_win.h"

namespace bex {

UINT TrackMenu(HWND owner, HMENU menu, int screenX, int screenY) {
  SetForegroundWindow(owner);
  const UINT id =
      TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_LEFTALIGN | TPM_TOPALIGN, screenX,
                     screenY, 0, owner, nullptr);
  // The menu closes properly only once the window has had a message.
  PostMessageA(owner, WM_NULL, 0, 0);
  return id;
}

}  // namespace bex
