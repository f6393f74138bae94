// COM on the calling thread for the life of a scope.
#pragma once

#include <objbase.h>

#include "shared/module_function_win.h"

namespace bex {

// The thread may already be in a single-threaded apartment (then this only
// counts up and down again) or in the multithreaded one (then the objects we
// use, which are free-threaded or made for either, work there too). Nothing
// made inside the scope may outlive it.
// ole32 loads with the first scope rather than with the module: a process
// that never needs COM (a plug-in helper decoding a JPEG) starts without it
// and the user32 and gdi32 it brings, a good part of a start under Wine.
class ComScope {
 public:
  ComScope()
      : result_(Ole32().initialize ? Ole32().initialize(nullptr, COINIT_APARTMENTTHREADED)
                                   : E_NOTIMPL) {}
  ~ComScope() {
    if (SUCCEEDED(result_)) Ole32().uninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;

  bool usable() const { return SUCCEEDED(result_) || result_ == RPC_E_CHANGED_MODE; }

  // CoCreateInstance of an in-process server, for a usable scope.
  template <typename Interface>
  HRESULT CreateInstance(REFCLSID server, Interface** object) const {
    if (!Ole32().createInstance) return E_NOTIMPL;
    return Ole32().createInstance(server, nullptr, CLSCTX_INPROC_SERVER, __uuidof(Interface),
                                  reinterpret_cast<void**>(object));
  }

 private:
  struct Functions {
    decltype(&CoInitializeEx) initialize =
        LibraryFunction<decltype(&CoInitializeEx)>(L"ole32.dll", "CoInitializeEx");
    decltype(&CoUninitialize) uninitialize =
        LibraryFunction<decltype(&CoUninitialize)>(L"ole32.dll", "CoUninitialize");
    decltype(&CoCreateInstance) createInstance =
        LibraryFunction<decltype(&CoCreateInstance)>(L"ole32.dll", "CoCreateInstance");
  };
  static const Functions& Ole32() {
    static const Functions functions;
    return functions;
  }

  HRESULT result_;
};

}  // namespace bex
