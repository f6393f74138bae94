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

}  // namespace bex
