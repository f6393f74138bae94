// The three decoder slots of the main window. The folder stepper decides
// which slot holds the previous, the shown and the next picture. A decode
// runs on a thread of its own, so that the window goes on while a neighbour
// is decoded ahead; whoever needs its picture waits for it with the window
// live.
#pragma once

#include <windows.h>

#include <array>
#include <exception>
#include <memory>
#include <string>

#include "image/spi_host_win.h"

namespace bex {

class DecoderSlots {
 public:
  static constexpr int kCount = 3;

  DecoderSlots() = default;
  // Gives up the decodes under way.
  ~DecoderSlots();
  DecoderSlots(const DecoderSlots&) = delete;
  DecoderSlots& operator=(const DecoderSlots&) = delete;

  // Every slot loads the usable modules of folder, once its decode under
  // way has ended (its result is kept for FinishDecode).
  void LoadPlugins(const std::string& folder);
  // Decodes the file `name` of the current directory into slot: StartDecode,
  // then FinishDecode.
  bool Decode(const std::string& name, int slot, HWND progressWindow = nullptr);
  // Starts decoding the file `name` of the current directory into slot and
  // returns at once; when the decode ends, notify (if any) is posted message
  // with the slot as wParam. One decode at a time per slot.
  void StartDecode(const std::string& name, int slot, HWND notify, UINT message);
  // Whether the slot's decode has ended, or none was started.
  bool DecodeEnded(int slot) const;
  // Waits for the slot's decode to end and answers it. While it waits the
  // window stays live (it paints and answers messages sent to it; input and
  // posted messages wait their turn) and a window given as progressWindow
  // shows "ファイルのロード中" as its caption, kept on success and restored on
  // failure. False when the file does not exist, no decoder reads it, the
  // decode fails or none was started; throws BexError for a bitmap the
  // built-in reader rejects.
  bool FinishDecode(int slot, HWND progressWindow = nullptr);
  // Gives the slot's decode up: its result is dropped, the slot keeps its
  // earlier picture, and no module holds the file open any more.
  void CancelDecode(int slot);
  // Slots are read only while no decode into them is under way.
  const DecoderSlot& operator[](int slot) const { return slots_[slot]; }
  // Gives up the decodes under way and lets the pictures go.
  void ReleasePictures();

 private:
  struct Job {
    DecoderSlot* slot = nullptr;
    std::string name;
    std::string path;
    HWND notify = nullptr;
    UINT message = 0;
    int index = 0;
    bool decoded = false;
    std::exception_ptr error;
    HANDLE thread = nullptr;
  };
  static DWORD WINAPI RunJob(void* job);

  std::array<DecoderSlot, kCount> slots_;
  std::array<std::unique_ptr<Job>, kCount> jobs_;
};

}  // namespace bex
