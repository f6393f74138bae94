// The three decoder slots of the main window. The folder stepper decides
// which slot holds the previous, the shown and the next picture.
#pragma once

#include <windows.h>

#include <array>
#include <string>

#include "image/spi_host_win.h"

namespace bex {

class DecoderSlots {
 public:
  static constexpr int kCount = 3;

  // Every slot loads the usable modules of folder.
  void LoadPlugins(const std::string& folder);
  // Decodes the file `name` of the current directory into slot. While the
  // decode runs, a window given as progressWindow shows "ファイルのロード中"
  // as its caption, kept on success and restored on failure. False when the
  // file does not exist, no decoder reads it or the decode fails; throws
  // BexError for a bitmap the built-in reader rejects.
  bool Decode(const std::string& name, int slot, HWND progressWindow = nullptr);
  const DecoderSlot& operator[](int slot) const { return slots_[slot]; }
  void ReleasePictures();

 private:
  std::array<DecoderSlot, kCount> slots_;
};

}  // namespace bex
