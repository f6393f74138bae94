// Where a picture comes from, as the host names it: a file (from an offset
// on) or a block of the host's memory; and the head of a file that
// IsSupported looks at.
#pragma once

#include <windows.h>

#include <vector>

namespace bex::wicspi {

class PictureBytes {
 public:
  // Reads the file from `offset` to its end; returns an SpiResult. The
  // name is code page 932 or, for the wide entry points, UTF-16.
  int LoadFile(const char* name, LONG offset);
  int LoadFile(const wchar_t* name, LONG offset);
  // Refers to the host's block, which outlives the call that decodes it.
  int UseMemory(const void* data, LONG size);

  const BYTE* data() const { return data_; }
  DWORD size() const { return size_; }

 private:
  int LoadOpenedFile(HANDLE file, LONG offset);

  std::vector<BYTE> fileBytes_;
  const BYTE* data_ = nullptr;
  DWORD size_ = 0;
};

// Up to kSpiHeadBytes from the file's current position, which is left where
// it was; empty when the handle cannot be read.
std::vector<BYTE> ReadHead(HANDLE file);

}  // namespace bex::wicspi
