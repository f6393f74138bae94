#include "image/decoder_slots_win.h"

#include "common/files_win.h"

namespace bex {
namespace {

// Restores the window caption unless the decode succeeded.
class CaptionDuringDecode {
 public:
  explicit CaptionDuringDecode(HWND hwnd) : hwnd_(hwnd) {
    if (!hwnd_) return;
    char text[1024];
    GetWindowTextA(hwnd_, text, sizeof(text));
    saved_ = text;
    SetWindowTextA(hwnd_, "ファイルのロード中");
  }
  ~CaptionDuringDecode() {
    if (hwnd_ && !kept_) SetWindowTextA(hwnd_, saved_.c_str());
  }
  CaptionDuringDecode(const CaptionDuringDecode&) = delete;
  CaptionDuringDecode& operator=(const CaptionDuringDecode&) = delete;
  void Keep() { kept_ = true; }

 private:
  HWND hwnd_;
  std::string saved_;
  bool kept_ = false;
};

}  // namespace

void DecoderSlots::LoadPlugins(const std::string& folder) {
  for (DecoderSlot& slot : slots_) slot.LoadPlugins(folder);
}

bool DecoderSlots::Decode(const std::string& name, int slot, HWND progressWindow) {
  if (!PathExists(name)) return false;
  DecoderSlot& target = slots_[slot];
  if (!target.PrepareFile(name)) return false;
  CaptionDuringDecode caption(progressWindow);
  if (!target.DecodePicture()) return false;
  caption.Keep();
  return true;
}

void DecoderSlots::ReleasePictures() {
  for (DecoderSlot& slot : slots_) slot.ReleasePicture();
}

}  // namespace bex
