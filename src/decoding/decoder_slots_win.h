// The decoder slots of the main window. The folder stepper decides which
// slot holds the previous, the shown and the next picture, and which one
// decodes further ahead while keys are held. A decode runs on a thread of its
// own, so that the window goes on while a neighbour is decoded ahead; whoever
// needs its picture waits for it with the window live. The same thread makes
// the picture's display copy for the layout it will be shown with, so that a
// step only puts a ready copy on screen.
#pragma once

#include <windows.h>

#include <array>
#include <atomic>
#include <exception>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>

#include "decoding/spi_host_win.h"
#include "display/layout.h"

namespace bex {

class DecoderSlots {
 public:
  static constexpr int kCount = 4;

  DecoderSlots() = default;
  // Gives up the decodes under way.
  ~DecoderSlots();
  DecoderSlots(const DecoderSlots&) = delete;
  DecoderSlots& operator=(const DecoderSlots&) = delete;

  // Every slot loads the usable modules of folder, once its decode under
  // way has ended (its result is kept for FinishDecode).
  void LoadPlugins(const std::string& folder);
  // Every slot loads them when a file first needs them: a slot's helpers
  // start then, or when LoadPluginsAhead asks. Before any decode. A slot
  // loading the same folder ahead is left to it.
  void LoadPluginsWhenNeeded(const std::string& folder);
  // The slot loads the usable modules of folder in the background: the
  // helpers of the kinds of module the folder holds start and load them.
  // The decode started next in the slot follows the load instead of giving
  // it up. Should the load be given up, the slot loads the folder when a
  // file first needs it.
  void LoadPluginsAhead(int slot, const std::string& folder);
  // Starts decoding the file `name` at the full path `path` into slot before
  // anyone waits for it (the first picture while the window is made): as
  // StartDecode, with no one notified and no display copy yet. The
  // StartDecode of the same file whose fit box this one covers (or that
  // wants the whole picture as this one does) takes the decode over.
  void DecodeAhead(const std::wstring& name, const std::wstring& path, int slot,
                   FitBox firstViewBox);
  // Decodes the file `name` of the current directory into slot: StartDecode,
  // then FinishDecode.
  bool Decode(const std::wstring& name, int slot, HWND progressWindow = nullptr);
  // Starts decoding the file `name` of the current directory into slot and
  // returns at once; when the decode ends, notify (if any) is posted message
  // with the slot as wParam. One decode at a time per slot. With a layout
  // (its picture size left out), the display copy for it is made as well.
  // With a fit box given, the picture comes first reduced to it, or as the
  // part of it that a part box holds, where its module can (see
  // WaitForFirstView), then whole.
  void StartDecode(const std::wstring& name, int slot, HWND notify, UINT message,
                   const std::optional<LayoutInput>& layout = std::nullopt,
                   FitBox firstViewBox = {});
  // The first view of the slot's decode started with a fit box, once
  // decoded, with the whole picture's size in *whole; null when it has none
  // (its module has no such route, or the decode ended without one). The
  // window stays live meanwhile, as in FinishDecode; the whole picture
  // follows through FinishDecode.
  BitmapRef WaitForFirstView(int slot, SIZE* whole);
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
  // Gives the slot's decode up and lets its picture go.
  void Empty(int slot);
  // The copy of the slot's picture that the image area would paint at the
  // layout the copy was made for, or null (none needed or made).
  BitmapRef DisplayCopy(int slot);
  // The display copies of the given slots, for a layout that changed, made
  // again in the background where they no longer fit it. Slots still
  // decoding are left out.
  void PrepareDisplayCopies(const LayoutInput& layout, std::initializer_list<int> slots);
  // Slots are read only while no decode into them is under way.
  const DecoderSlot& operator[](int slot) const { return slots_[slot]; }
  // Gives up the decodes under way and lets the pictures go.
  void ReleasePictures();

 private:
  // A decode, a load of the plug-in folder ahead, or (without a slot) only
  // the display copy of a picture.
  struct Job {
    ~Job() {
      if (firstViewReady) CloseHandle(firstViewReady);
    }
    // A decode started ahead is taken over: who hears of its end, and the
    // layout of its display copy, come now. Its end is reported also when it
    // has already come.
    void TakeOver(HWND notifyWindow, UINT notifyMessage,
                  const std::optional<LayoutInput>& copyLayout);
    std::optional<LayoutInput> Layout();
    // Marks the job ended and reports it.
    void End();

    DecoderSlot* slot = nullptr;
    // Started by DecodeAhead, not yet taken over.
    bool ahead = false;
    // The folder loaded ahead.
    std::optional<std::string> folder;
    // The same for the decode that follows the load: the slot's folder once
    // the job is done, which a LoadPluginsWhenNeeded of it leaves alone.
    std::optional<std::string> folderAfter;
    // The load ahead the decode waits for.
    std::unique_ptr<Job> loadAhead;
    BitmapRef picture;
    std::optional<LayoutInput> layout;
    BitmapRef copy;
    std::wstring name;
    std::wstring path;
    HWND notify = nullptr;
    UINT message = 0;
    int index = 0;
    bool decoded = false;
    // The first view: set once it is decoded or none will come.
    FitBox fit;
    HANDLE firstViewReady = nullptr;
    BitmapRef firstView;
    SIZE whole = {};
    std::exception_ptr error;
    std::atomic<bool> ended{false};
    HANDLE thread = nullptr;
    // Guards notify, message, layout and ended against a take-over.
    SRWLOCK handover = SRWLOCK_INIT;
  };
  static DWORD WINAPI RunJob(void* job);
  void Run(std::unique_ptr<Job> job, int slot);
  // The decode ahead in slot that a decode of name with firstViewBox may
  // take over, or null.
  Job* DecodeToTakeOver(const std::wstring& name, int slot, FitBox firstViewBox);
  std::unique_ptr<Job> NewDecode(const std::wstring& name, const std::wstring& path, int slot,
                                 FitBox firstViewBox);

  std::array<DecoderSlot, kCount> slots_;
  std::array<BitmapRef, kCount> copies_;
  std::array<std::unique_ptr<Job>, kCount> jobs_;
};

}  // namespace bex
