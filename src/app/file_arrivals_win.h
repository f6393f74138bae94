// Files that arrive from outside the running command: a later launch's
// hand-off, a drop on the window. While a handler of the main window runs a
// modal loop (a message box, a dialog, a menu) they are held, so that the
// command in progress ends on the file it started with; they open in arrival
// order once the outermost handler has returned.
#pragma once

#include <windows.h>

#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace bex {

class FileArrivals {
 public:
  // wakeMessage is posted to window when files wait for the handlers' end.
  FileArrivals(HWND window, UINT wakeMessage) : window_(window), wakeMessage_(wakeMessage) {}

  // Marks a handler running for its lifetime.
  class HandlerScope {
   public:
    explicit HandlerScope(FileArrivals& arrivals);
    ~HandlerScope();
    HandlerScope(const HandlerScope&) = delete;
    HandlerScope& operator=(const HandlerScope&) = delete;

   private:
    FileArrivals& arrivals_;
  };

  // Holds names when another handler than the arrival's own is running;
  // false when they may open now.
  bool Hold(std::vector<std::wstring>& names);
  // The earliest held names, taken out; none when nothing waits.
  std::optional<std::vector<std::wstring>> TakeHeld();

 private:
  HWND window_;
  UINT wakeMessage_;
  int runningHandlers_ = 0;
  std::deque<std::vector<std::wstring>> held_;
};

}  // namespace bex
