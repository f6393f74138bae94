// Functions a loaded module exports, looked up by name at run time.
#pragma once

#include <windows.h>

#include <cstring>

namespace bex {

// The export `name` of module as a pointer of type Function; null when the
// module lacks it.
template <typename Function>
Function ModuleFunction(HMODULE module, const char* name) {
  const FARPROC address = GetProcAddress(module, name);
  Function function;
  static_assert(sizeof function == sizeof address);
  std::memcpy(&function, &address, sizeof function);
  return function;
}

// The export `name` of a system library, loaded the first time and kept (as
// an import would be, and found where an import would be found); null when
// either is missing. For libraries that only some uses need, so that the
// process starts without them.
template <typename Function>
Function LibraryFunction(const wchar_t* library, const char* name) {
  HMODULE module = LoadLibraryW(library);
  return module ? ModuleFunction<Function>(module, name) : nullptr;
}

}  // namespace bex
