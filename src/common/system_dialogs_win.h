// The system's file dialogs and common controls. Their libraries (comdlg32,
// comctl32) load when a dialog first needs them rather than with the
// program: they bring more libraries of their own, and the first picture
// does not wait for them.
#pragma once

#include <windows.h>

#include <commdlg.h>

namespace bex {

// GetOpenFileNameW and GetSaveFileNameW; false as well when the library
// does not load.
bool AskFileToOpen(OPENFILENAMEW* dialog);
bool AskFileToSave(OPENFILENAMEW* dialog);
// InitCommonControlsEx for the classes (ICC_ flags) a dialog's controls use.
bool RegisterCommonControls(DWORD classes);

}  // namespace bex
