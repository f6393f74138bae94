// TBexForm1: the viewer's one main window. It owns the whole viewing state;
// its operations live in the subsystem folders (app, image, filelist, move),
// each file implementing the members of its own feature.
#pragma once

#include <windows.h>

#include <shellapi.h>

#include <array>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/settings_file_win.h"
#include "filelist/commands.h"
#include "filelist/file_stepper.h"
#include "image/layout.h"
#include "image/mouse.h"
#include "image/spi_host_win.h"
#include "move/destination_history.h"
#include "move/destination_tree.h"

namespace bex {

class ImageArea;
class TInput_Form;
struct MoveMenuItem;

// Bits of OptionFlags, persisted in the settings file.
enum OptionBit : int {
  kOptionTopmost = 1,
  kOptionNoSecondLaunch = 2,
  kOptionSaveBounds = 4,
};

// Posted by a later launch: wParam is a global atom naming one file.
constexpr UINT kHandOffMessage = WM_USER + 1;  // 1025
constexpr char kMainWindowClass[] = "TBexForm1";
constexpr char kInstanceLockName[] = "Bex Lock";
constexpr char kApplicationTitle[] = "Bex";

class TBexForm1 {
 public:
  // Creates the (hidden) window and runs the start-up sequence: settings,
  // plug-ins, window bounds and options, the first command-line file.
  explicit TBexForm1(const std::vector<std::string>& args);
  ~TBexForm1();
  TBexForm1(const TBexForm1&) = delete;
  TBexForm1& operator=(const TBexForm1&) = delete;

  HWND Handle() const { return hwnd_; }
  void Show();

  // Marks a handler of the main window running for its lifetime. Files that
  // arrive (a hand-off, a drop) while a handler runs a modal loop (a message
  // box, a dialog, a menu) are held, so that the command in progress ends on
  // the file it started with; they open in arrival order once the outermost
  // handler has returned.
  class HandlerScope {
   public:
    explicit HandlerScope(TBexForm1& form);
    ~HandlerScope();
    HandlerScope(const HandlerScope&) = delete;
    HandlerScope& operator=(const HandlerScope&) = delete;

   private:
    TBexForm1& form_;
  };

  // --- app: lifecycle and options -------------------------------------
  void FormShow();
  // The close step; false when a refused settings write keeps the window open.
  bool FormClose();
  void TOP1Click();
  void KKOFF1Click();
  void SetFitMode(int mode);
  void ShowVersion();
  void QQuit1Click();
  void HHelp1Click();
  void HandOffReceived(WPARAM atom);
  // Opens the first of names and hands the rest to a new copy, or holds them
  // while another handler runs.
  void FilesArrived(std::vector<std::string> names);
  void OpenHeldFiles();

  // --- image: opening and showing -------------------------------------
  // A folder's first picture (OpenFolder), or the file (OpenImageFile).
  void OpenPath(const std::string& path);
  bool OpenImageFile(const std::string& path);
  // Shows the first entry of the folder, in the sort order of the moment,
  // that can be shown, and makes the folder the current one.
  void OpenFolder(const std::string& folder);
  // Shows the first of names and hands the others to a new copy.
  void OpenFiles(const std::vector<std::string>& names);
  // Makes the file at path the shown one if it decodes (see OpenImageFile).
  bool LoadShownFile(const std::string& path);
  bool LoadIntoSlot(const std::string& name, int slot);
  void ShowPicture();
  void OpenWithDialog();
  void DropFiles(HDROP drop);
  void HandOverRest(const std::vector<std::string>& names);

  // --- image: zoom and fitting --------------------------------------------
  void ApplyZoom();
  void NbaiClick(int tag);
  void Win_NonClick(int tag);
  void ZoomStepUpKey(bool shift);
  void ZoomStepDownKey(bool shift);
  void ZoomByPadKey(int digit, bool shift);
  std::optional<int> TypedZoom();

  // --- image: scrolling the client area ---------------------------------
  int ScrollX() const { return scrollX_; }
  int ScrollY() const { return scrollY_; }
  // Moves the view to (x, y), kept within the scroll range.
  void ScrollTo(int x, int y);
  SIZE ClientSize() const;
  // The displayed picture's size (Image1's bounds).
  int ImageWidth() const;
  int ImageHeight() const;

  // --- image: mouse events of the window and the image area --------------
  void ImageMouse(UINT msg, WPARAM keys, int x, int y);
  void Image1MouseDown(bool shift, int x, int y);
  void Image1MouseMove(int x, int y);
  void Image1DblClick();
  void MouseWheel(int delta);

  // --- filelist: the folder's list and stepping -----------------------------
  // FileList, CurrentIndex, ShownFileRemoved, SlotsReady and the slot roles
  // PrevSlot, CurrentSlot and NextSlot.
  FileStepper& Files() { return *stepper_; }
  void InvalidateFileList();
  void EnsureFileList();
  void StepImage(bool forward);
  void ReleaseLists();

  // --- filelist: keys, popup menu, sorting, delete and copy ---------------
  void KeyPressed(int vk);
  void FormKeyDown(int vk, bool shift, bool ctrl);
  // Prepares PopupMenu1 (list current, J1 enabled, fit ticks) and returns
  // the state it shows.
  MenuState PopupMenu1Popup();
  void OpenPopupMenu(int screenX, int screenY);
  UINT TrackMenu(HMENU menu, int screenX, int screenY);
  void RunCommand(Command command);
  void SSort1Click();
  void KDel1Click();
  void KCClipBord1Click();
  void K1Click();
  // The full path of the shown file, or none (nothing shown yet, or after a
  // message for a path that does not fit the platform's buffers).
  std::optional<std::string> ShownFilePath() const;
  // Whether the file at path is still the one on screen and not removed: a
  // command decides its file before any dialog and checks it before acting.
  bool StillShown(const std::string& path);
  std::nullopt_t PathTooLong(const std::string& path) const;

  // --- move: the move menu ---------------------------------------------------
  // Opens MoveMenu at a tenth of the window's size from its top-left corner
  // and moves the shown file to the destination chosen there.
  void J1Click();
  // MoveMenu's items, from "M_DIR.DAT" and "R_DIR.DAT" as they are now.
  std::vector<MoveMenuItem> MoveMenuPopup();
  // Asks for the destination in the save dialog, starting in the item's
  // folder, moves the shown file there and steps to the next picture.
  void MoveShownFile(const MoveMenuItem& item);
  // "M_DIR.DAT" and "R_DIR.DAT" beside the program. The loads keep what the
  // fields hold when the file does not exist or does not read; the writes
  // replace a file only once its whole new content is on disk, never replace
  // one that exists but did not read, and report a failure.
  void LoadDestinations();
  void SaveDestinations();
  void LoadHistory();
  // Puts the folder of a completed move's destination at the top of History.
  void RecordDestination(const std::string& destination);

  // --- app: the settings dialog ----------------------------------------------
  void W1Click();

  // --- the window procedure's entry ------------------------------------
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);

  // Fields shared by the operations (see the feature files for their use).
  int DragMode = 0;
  bool SkipNextPress = false;
  int PressX = 0;
  int PressY = 0;
  int FitMode = 0;
  std::string ShownFileName;
  // Always a full path, and the process's current directory.
  std::string CurrentFolder;
  bool HasPicture = false;
  int ZoomPercent = 100;
  int DesktopWidth = 0;
  int DesktopHeight = 0;
  bool InstanceLockHeld = false;
  int OptionFlags = 0;
  int DefaultSortDirection = 1;
  int SortDirection = 1;
  int DefaultSortKind = 1;
  int SortKind = 1;
  std::unique_ptr<SettingsFile> Settings;
  std::array<TSpiload, 3> ImageSlots;
  std::string PluginFolder;
  HANDLE InstanceLock = nullptr;
  // The registered destinations as last read from "M_DIR.DAT" (or edited in
  // the settings dialog), and the recent destination folders.
  DestinationTree Destinations;
  DestinationHistory History;

 private:
  void CreateMainWindow();
  void CreateFileList();
  void CreatePopupMenu1();
  void ReadStartupSettings();
  void ApplyWindowBounds();
  void OpenCommandLine(const std::vector<std::string>& args);
  void WriteCloseSettings();
  void SetTitle(const std::string& title);
  void ReportCannotShow(const std::string& path);
  void OnSize();
  void OnDpiChanged(const RECT& suggested);
  void OnScroll(int bar, WPARAM wParam);
  void UpdateScrollBars();
  RECT OuterRect() const;
  // The outer bounds in screen coordinates that the window has, or gets back
  // when it is restored from being minimised or maximised.
  RECT RestoredRect() const;
  void SetOuterSize(int width, int height);

  WindowGeometry Geometry() const;
  void SetBar(int bar, bool shown, const ScrollRange& range, int pos);

  class FolderHost;

  HWND hwnd_ = nullptr;
  std::unique_ptr<ImageArea> image1_;
  std::unique_ptr<FolderHost> folderHost_;
  std::unique_ptr<FileStepper> stepper_;
  std::unique_ptr<TInput_Form> inputForm_;
  HMENU popupMenu1_ = nullptr;
  WheelAccumulator wheel_;
  int scrollX_ = 0;
  int scrollY_ = 0;
  bool updatingBars_ = false;
  bool inResize_ = false;
  std::string programPath_;
  bool closed_ = false;
  int runningHandlers_ = 0;
  std::deque<std::vector<std::string>> heldFiles_;
  // Why the last load of "M_DIR.DAT" or "R_DIR.DAT" found the file but could
  // not read it; ERROR_SUCCESS when it read or did not exist.
  DWORD destinationsReadError_ = ERROR_SUCCESS;
  DWORD historyReadError_ = ERROR_SUCCESS;
};

// The general error report: the text in a message box with an error icon and
// the application title as caption, with a period appended as the runtime does.
void ShowErrorReport(HWND owner, const std::string& text);

// True when the instance lock "Bex Lock" exists, held by this or another
// running viewer. The probe itself holds nothing.
bool InstanceLockExists();

// A plain message box with a fixed caption, no icon. Both boxes show over
// the dialog of owner's that the user is looking at, when one is open.
int ShowMessage(HWND owner, const std::string& text, const std::string& caption,
                UINT buttons = MB_OK);

}  // namespace bex
