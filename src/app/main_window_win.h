// The viewer's one main window. It creates the window with the viewer's
// parts, the options, the picture view, the decoder slots, the folder stepper,
// the command menu and the filing of pictures, and routes the window's
// messages, keys, commands and mouse gestures to them.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/file_arrivals_win.h"
#include "app/options_win.h"
#include "decoding/decoder_slots_win.h"
#include "display/mouse_win.h"
#include "display/picture_view_win.h"
#include "filelist/command_menu_win.h"
#include "filelist/commands.h"
#include "filelist/folder_stepper_win.h"
#include "filelist/key_map.h"
#include "move/filing_win.h"

namespace bex {

// Posted by a later launch: wParam is a global atom naming one file.
constexpr UINT kHandOffMessage = WM_USER + 1;  // 1025
// The class later launches look for.
constexpr char kMainWindowClass[] = "TBexForm1";
constexpr wchar_t kMainWindowClassWide[] = L"TBexForm1";
// Posted by a decoder slot's thread: the decode into slot wParam has ended.
constexpr UINT kDecodeEndedMessage = WM_APP + 2;
// Posted to itself once an opened picture is on screen: its neighbours are
// decoded ahead when the window is idle.
constexpr UINT kDecodeNeighboursMessage = WM_APP + 3;
// Posted by the shown slot's thread: the whole picture that a first view
// (reduced, or the part in view) stands for has been decoded.
constexpr UINT kWholePictureMessage = WM_APP + 4;

class MainWindow {
 public:
  // Creates the (hidden) window and runs the start-up sequence: settings,
  // plug-ins, window bounds and options, the first command-line file.
  explicit MainWindow(const std::vector<std::wstring>& args);
  ~MainWindow();
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  HWND Handle() const { return hwnd_; }
  void Show();
  // Routes one message; an error that ends a command is reported here.
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);

 private:
  // The decoder slots and the picture view as stepping and opening use them.
  class SlotDisplay : public PictureSlots {
   public:
    SlotDisplay(HWND window, DecoderSlots& slots, PictureView& view)
        : window_(window), slots_(slots), view_(view) {}
    std::wstring ShownFileName() const override { return view_.Shown().Name(); }
    // Opening: decodes the file into the shown slot and shows it there. A
    // picture opened while none is on screen comes first reduced, when shown
    // shrunk, or as the part in view, when shown at 100 %, where its module
    // can: on screen at once, its whole picture in TakeWholePicture.
    bool LoadShownFile(const std::wstring& name, int slot);
    // Waits for the whole picture of a first view on screen, if any, and
    // puts it in its place. False when the whole picture did not decode: the
    // first view has then left the screen.
    bool TakeWholePicture();
    void StartLoad(const std::wstring& name, int slot) override;
    bool LoadEnded(int slot) const override { return slots_.DecodeEnded(slot); }
    bool FinishLoad(int slot, bool announced) override;
    void CancelLoad(int slot) override { slots_.CancelDecode(slot); }
    void EmptySlot(int slot) override { slots_.Empty(slot); }
    std::wstring SlotFileName(int slot) const override { return slots_[slot].FileName(); }
    bool SlotFileChanged(int slot) const override { return slots_[slot].FileChanged(); }
    void ShowSlot(int slot) override;

   private:
    HWND window_;
    DecoderSlots& slots_;
    PictureView& view_;
    // The slot still decoding the whole picture of the first view on screen.
    std::optional<int> wholePending_;
  };

  // --- creation and the window's life (main_window_win.cpp) ----------------
  void DecodeFirstPictureAhead(const std::vector<std::wstring>& args);
  void CreateMainWindow();
  void ReadStartupSettings();
  void OpenCommandLine(const std::vector<std::wstring>& args);
  // The close step; false when a refused settings write keeps the window open.
  bool CloseStep();
  LRESULT Route(UINT msg, WPARAM wParam, LPARAM lParam);
  void OnHandOff(WPARAM atom);
  // The neighbours' display copies, made again for a layout that changed.
  void PrepareDisplayCopies();
  void OnDpiChanged(const RECT& suggested);
  // Opens the first of names and hands the rest to a new copy, or holds them
  // while another handler runs.
  void FilesArrived(std::vector<std::wstring> names);
  RECT OuterRect() const;

  // --- opening and filing (open_route_win.cpp) ------------------------------
  // A folder's first picture (OpenFolder), or the file (OpenPicture).
  void OpenPath(const std::wstring& path);
  // Shows path, or tells that it cannot be shown.
  bool OpenPicture(const std::wstring& path);
  // Shows the first entry of the folder, in the sort order of the moment,
  // that can be shown, and makes the folder the current one.
  void OpenFolder(const std::wstring& folder);
  // Tells why path cannot be shown; the caption says so, and nothing else
  // changes. refusedAsTooLarge: a module described a picture beyond the
  // viewer's limit.
  void ReportCannotShow(const std::wstring& path, bool refusedAsTooLarge);
  // Makes the file at path the shown one if it decodes.
  bool LoadShownFile(const std::wstring& path);
  // The whole picture of a first view on screen in its place, or the file
  // reported as one that cannot be shown.
  void TakeWholePicture();
  // Opens the first of paths and hands the others to a new copy.
  void OpenPictures(const std::vector<std::wstring>& paths);
  void MoveShownFile();
  void DeleteShownFile();
  // Asked last before the shown file is deleted or moved: whether path is
  // still the file on screen, not removed and as it was decoded; if so,
  // nothing holds it open any more. A file changed meanwhile is shown anew,
  // and the user told why nothing was done.
  bool ReadyToActOn(const std::wstring& path);
  void ShowChangedFileAnew(const std::wstring& path);
  void UndoMoveOrDelete();

  // --- keys and commands (command_route_win.cpp) ----------------------------
  // repeated: the key was already down (it is held).
  void OnKey(int virtualKey, bool repeated);
  void RunKeyAction(const KeyCommand& key, bool repeated);
  // Builds the list when stale and enables and ticks the command menu; the
  // undo item counts as unavailable unless the journal is to be read.
  MenuState PrepareCommandMenu(bool readUndoJournal);
  void OpenCommandMenu(int screenX, int screenY);
  void RunCommand(Command command);
  void OpenHelp();

  // --- the settings dialog (settings_dialog_win.cpp) -----------------------
  void OpenSettings();

  HWND hwnd_ = nullptr;
  DesktopArea desktop_;
  DecoderSlots slots_;
  std::unique_ptr<CommandMenu> commandMenu_;
  std::unique_ptr<PictureView> view_;
  std::unique_ptr<SlotDisplay> display_;
  std::unique_ptr<FolderStepper> folder_;
  std::unique_ptr<MouseGestures> mouse_;
  std::unique_ptr<Filing> filing_;
  std::unique_ptr<Options> options_;
  std::unique_ptr<FileArrivals> arrivals_;
  bool closed_ = false;
  // The file opened last, by its path as given: the report of a whole
  // picture that does not come names it.
  std::wstring lastOpenedPath_;
};

}  // namespace bex
