#include "common/system_dialogs_win.h"

#include <commctrl.h>

#include "common/module_function_win.h"

namespace bex {
namespace {

// The export `name` of a system library, loaded the first time and kept (as
// an import would be, and found where an import would be found); null when
// either is missing.
template <typename Function>
Function LibraryFunction(const wchar_t* library, const char* name) {
  HMODULE module = LoadLibraryW(library);
  return module ? ModuleFunction<Function>(module, name) : nullptr;
}

}  // namespace

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
