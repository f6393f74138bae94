#include "app/file_arrivals_win.h"

#include <utility>

namespace bex {

FileArrivals::HandlerScope::HandlerScope(FileArrivals& arrivals) : arrivals_(arrivals) {
  ++arrivals_.runningHandlers_;
}

FileArrivals::HandlerScope::~HandlerScope() {
  if (--arrivals_.runningHandlers_ == 0 && !arrivals_.held_.empty()) {
    PostMessageA(arrivals_.window_, arrivals_.wakeMessage_, 0, 0);
  }
}

bool FileArrivals::Hold(std::vector<std::wstring>& names) {
  // The arrival's own handler is one; any other is in a modal loop.
  if (runningHandlers_ <= 1) return false;
  held_.push_back(std::move(names));
  return true;
}

std::optional<std::vector<std::wstring>> FileArrivals::TakeHeld() {
  if (held_.empty()) return std::nullopt;
  std::vector<std::wstring> names = std::move(held_.front());
  held_.pop_front();
  return names;
}

}  // namespace bex
