// An open file handle that closes itself, for the filing's own file work.
#pragma once

#include <windows.h>

#include <cstddef>

namespace bex {

// ReadFile and WriteFile take 32-bit counts; contents go in pieces of this
// size.
constexpr size_t kFilePiece = 1 << 20;

class FileHandle {
 public:
  explicit FileHandle(HANDLE handle) : handle_(handle) {}
  ~FileHandle() { Close(); }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;

  bool Valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE Get() const { return handle_; }
  bool Close() {
    const bool closed = !Valid() || CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
    return closed;
  }

 private:
  HANDLE handle_;
};

}  // namespace bex
