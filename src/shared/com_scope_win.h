// COM on the calling thread for the life of a scope.
#pragma once

#include <objbase.h>

namespace bex {

// The thread may already be in a single-threaded apartment (then this only
// counts up and down again) or in the multithreaded one (then the objects we
// use, which are free-threaded or made for either, work there too). Nothing
// made inside the scope may outlive it.
class ComScope {
 public:
  ComScope() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  ~ComScope() {
    if (SUCCEEDED(result_)) CoUninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;

  bool usable() const { return SUCCEEDED(result_) || result_ == RPC_E_CHANGED_MODE; }

 private:
  HRESULT result_;
};

}  // namespace bex
