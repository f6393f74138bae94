#include "common/program_icon_win.h"

#include <map>

#include "common/dpi_win.h"
#include "common/program_resources.h"

namespace bex {

HICON ProgramIcon(int size) {
  static std::map<int, HICON> loaded;
  auto found = loaded.find(size);
  if (found != loaded.end()) return found->second;
  HANDLE icon = LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(BEX_ICON), IMAGE_ICON, size,
                           size, LR_DEFAULTCOLOR);
  return loaded[size] = static_cast<HICON>(icon);
}

void SetProgramIcons(HWND window) {
  const int dpi = DpiOfWindow(window);
  const HICON smallIcon = ProgramIcon(SystemMetricForDpi(SM_CXSMICON, dpi));
  const HICON largeIcon = ProgramIcon(SystemMetricForDpi(SM_CXICON, dpi));
  SendMessageA(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon));
  SendMessageA(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(largeIcon));
}

}  // namespace bex
