#include "common/system_dialogs_win.h"

#include <commctrl.h>

#include "shared/module_function_win.h"

namespace bex {

bool AskFileToOpen(OPENFILENAMEW* dialog) {
  static const auto ask =
      LibraryFunction<decltype(&GetOpenFileNameW)>(L"comdlg32.dll", "GetOpenFileNameW");
  return ask && ask(dialog);
}

bool AskFileToSave(OPENFILENAMEW* dialog) {
  static const auto ask =
      LibraryFunction<decltype(&GetSaveFileNameW)>(L"comdlg32.dll", "GetSaveFileNameW");
  return ask && ask(dialog);
}

bool RegisterCommonControls(DWORD classes) {
  static const auto init =
      LibraryFunction<decltype(&InitCommonControlsEx)>(L"comctl32.dll", "InitCommonControlsEx");
  const INITCOMMONCONTROLSEX which = {sizeof which, classes};
  return init && init(&which);
}

}  // namespace bex
