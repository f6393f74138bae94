// The program's own icon from its resources, for its windows.
#pragma once

#include <windows.h>

namespace bex {

// The icon at size × size pixels; kept for the whole run. Null when the
// running module carries no icon (the test programs).
HICON ProgramIcon(int size);

// Gives window the program's small and large icon at the window's DPI.
void SetProgramIcons(HWND window);

}  // namespace bex
