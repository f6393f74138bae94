// Drives the real viewer from a test program running under the same Wine
// server, the way a user would: it starts a private copy of bex.exe in a
// folder of its own (so "bex.ini", "M_DIR.DAT" and "R_DIR.DAT" belong to one
// test), finds its windows, types keys, moves and presses the mouse, answers
// message boxes and dialogs, reads titles, bounds, pixels and the clipboard,
// and stops the process again.
//
// Every wait has a deadline. Waits that a test cannot do without (the main
// window, a message box, a dialog) throw DriverError when the deadline
// passes, which GoogleTest reports as a failure of the running test; a
// Viewer's destructor ends its process and every copy started from its
// folder, and a watchdog ends the test program when one test runs far too
// long, so a hung viewer cannot hang the suite.
//
// Texts (titles, captions, message texts, settings) are code-page-932 bytes,
// as the test sources' Japanese literals are compiled.
#pragma once

#include <windows.h>

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "support/desktop.h"
#include "support/input.h"
#include "support/process.h"
#include "support/test_files.h"

namespace bex::test {

// Window class of the viewer's main window.
constexpr char kViewerClass[] = "TBexForm1";

// A wait that ran out, or a step of the driver that the system refused.
class DriverError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Visible main windows of the viewer, of every process.
std::vector<HWND> ViewerWindows();

struct ViewerOptions {
  // Written as bex.ini beside the program copy before the start; without a
  // "設定"/"SPIDIR" key, SPIDIR is set to the copy's plug-in folder (which
  // exists, so the start shows no install error). None: no bex.ini at all.
  std::optional<IniFile> settings = IniFile();
  // Files copied into the plug-in folder: absolute, or relative to the build folder.
  std::vector<std::string> plugins;
  // Current folder of the process; empty: the program copy's folder.
  std::string workingFolder;
  // The start ends when a message box of the process shows instead of the
  // main window (a box beside the main window comes after the start).
  bool messageBoxFirst = false;
  // Program to copy and start; empty: bex.exe of the build folder.
  std::string program;
};

// Sets the window bounds the viewer starts with ("窓位置" Top, Left, Height,
// Width) to an outer rectangle in screen pixels.
void SetWindowBounds(IniFile& settings, const RECT& outer);

struct MessageBoxInfo {
  HWND window = nullptr;
  std::string caption;
  std::string text;  // the static control with id 0xFFFF
};

class Viewer {
 public:
  Viewer(Viewer&& other) noexcept;
  Viewer& operator=(Viewer&&) = delete;
  // Ends the process and every process started from the program copy's folder.
  ~Viewer();

  // Copies the program into folder (unless it is there), prepares bex.ini
  // and the plug-in folder as options say, starts it with the command-line
  // parameters args and waits for its visible main window, or, with
  // options.messageBoxFirst, for a message box (WaitForMainWindow follows).
  static Viewer Start(const std::string& folder, const std::string& args,
                      const ViewerOptions& options = {});
  // Waits for a visible viewer main window of a process not in
  // knownProcesses (a copy the program started itself) and takes it over.
  static Viewer WaitForOther(const std::vector<DWORD>& knownProcesses, DWORD timeoutMs = kWaitMs);

  // The folder of the program copy, and the files the viewer keeps there.
  const std::string& Folder() const { return folder_; }
  std::string ProgramPath() const;
  std::string SettingsPath() const;
  static std::string PluginFolderOf(const std::string& folder);

  DWORD ProcessId() const { return process_.Id(); }
  HWND Window() const { return window_; }
  HWND WaitForMainWindow(DWORD timeoutMs = kWaitMs);

  std::string Title() const;
  // The title as the window holds it (GetWindowTextW), every character kept.
  std::wstring WideTitle() const;
  std::wstring WaitForWideTitle(const std::wstring& expected, DWORD timeoutMs = kWaitMs) const;
  RECT OuterRect() const;
  SIZE ClientSize() const;
  POINT ClientToScreenPoint(POINT client) const;
  // The title once it equals expected, or the last title seen at the deadline.
  std::string WaitForTitle(const std::string& expected, DWORD timeoutMs = kWaitMs) const;
  // Outer size of the main window around a client area of the given size
  // without scroll bars, from the window's styles.
  SIZE OuterSizeForClient(SIZE client) const;

  // Keys go to the process's window in the foreground; when another process
  // has the foreground, the viewer's message box or main window gets it first.
  void PressKey(WORD vk, unsigned modifiers = kNoModifier) const;
  void KeyDown(WORD vk) const;
  void KeyUp(WORD vk) const;
  void TypeText(const std::string& text) const;

  // Mouse input at client points of the main window.
  void MoveMouse(POINT client) const;
  void PressMouse(MouseButton button, POINT client) const;
  void ReleaseMouse(MouseButton button, POINT client) const;
  void Click(MouseButton button, POINT client) const;
  void DoubleClick(MouseButton button, POINT client) const;
  // Press at from, move to to in a few steps, release, with modifiers held.
  void Drag(MouseButton button, POINT from, POINT to, unsigned modifiers = kNoModifier) const;
  // Wheel notches at a client point: positive rolls away from the user.
  void Wheel(int notches, POINT client) const;

  // A visible top-level window of this process, or null.
  HWND FindOwnWindow(const char* className, const char* caption = nullptr) const;
  // The same, waited for; throws DriverError at the deadline.
  HWND WaitForWindow(const char* className, const char* caption, DWORD timeoutMs = kWaitMs) const;
  HWND WaitForDialog(const std::string& caption, DWORD timeoutMs = kWaitMs) const;
  // An open popup menu of this process.
  HWND WaitForPopupMenu(DWORD timeoutMs = kWaitMs) const;
  MessageBoxInfo WaitForMessageBox(const std::string& caption, DWORD timeoutMs = kWaitMs) const;
  // Any message box of this process showing now.
  std::optional<MessageBoxInfo> FindMessageBox() const;
  // Presses a button (IDOK, IDCANCEL, ...) of a message box or dialog with a
  // posted command and waits until the box has closed.
  void Answer(HWND dialog, int buttonId) const;
  void Answer(const MessageBoxInfo& box, int buttonId) const { Answer(box.window, buttonId); }
  // Puts a full path into a common file dialog's name field and confirms;
  // does not wait (the dialog may ask again).
  void ChooseFile(HWND fileDialog, const std::string& path) const;

  // Drops files on the main window at a client point (WM_DROPFILES with a
  // block written into the viewer's memory).
  void DropFiles(const std::vector<std::string>& paths, POINT client = {0, 0}) const;
  // The same with the names in UTF-16 (a DROPFILES block with fWide set).
  void DropFiles(const std::vector<std::wstring>& paths, POINT client = {0, 0}) const;
  // Tells a window of the viewer that it is now on a monitor of another DPI
  // (WM_DPICHANGED with the rectangle the system would suggest), as a move
  // between monitors would; the rectangle is written into the viewer's memory.
  void PostDpiChange(HWND window, int dpi, const RECT& suggested) const;

  // Colour on the screen at a client point of the main window (0x00BBGGRR);
  // the viewer is brought to the foreground first.
  COLORREF PixelAt(POINT client) const;
  // The main window's client area as it shows on the screen.
  ScreenImage CaptureClient() const;

  // Starts another copy of the same program file with args, in the given
  // working folder or this viewer's.
  Process LaunchAnother(const std::string& args, const std::string& workingFolder = "") const;

  void RequestClose() const;
  // Asks the main window to close and waits for the process to end; ends it
  // by force when it does not. True when it ended by itself.
  bool Close(DWORD timeoutMs = kWaitMs);
  std::optional<DWORD> WaitForExit(DWORD timeoutMs = kWaitMs) const;
  // The exit code once the process has ended.
  std::optional<DWORD> ExitCode() const { return process_.WaitForExit(0); }
  bool Running() const { return process_.Running(); }
  void Kill();

 private:
  Viewer(std::string folder, std::string workingFolder, Process process);
  // Waits for the main window or a message box, whichever shows first.
  void WaitForFirstWindow(bool messageBoxFirst);
  void BringToForeground() const;
  // A block of the viewer's memory holding bytes; what names them for errors.
  void* CopyIntoViewer(const std::string& bytes, const std::string& what) const;

  std::string folder_;
  std::string workingFolder_;
  Process process_;
  HWND window_ = nullptr;
};

}  // namespace bex::test
