#include "support/viewer_driver.h"

#include <shlobj.h>

#include <algorithm>
#include <utility>

#include "support/wine_paths.h"

namespace bex::test {
namespace {

constexpr char kDialogClass[] = "#32770";
constexpr char kPopupMenuClass[] = "#32768";
constexpr int kMessageTextId = 0xFFFF;
// The file-name field of the common file dialogs: the explorer-style
// ComboBoxEx32, or the Edit of the old style.
constexpr int kFileNameComboId = 1148;
constexpr int kFileNameEditId = 1152;

std::string FileNameOf(const std::string& path) {
  return path.substr(path.find_last_of("\\/") + 1);
}

std::string FolderOf(const std::string& path) { return path.substr(0, path.find_last_of("\\/")); }

bool IsAbsolute(const std::string& path) {
  return (path.size() > 1 && path[1] == ':') || (!path.empty() && path[0] == '\\');
}

void CopyInto(const std::string& source, const std::string& folder) {
  const std::string target = folder + "\\" + FileNameOf(source);
  if (!CopyFileA(source.c_str(), target.c_str(), TRUE) && GetLastError() != ERROR_FILE_EXISTS) {
    throw DriverError("cannot copy " + source + " to " + folder + " (error " +
                      std::to_string(GetLastError()) + ")");
  }
}

std::optional<MessageBoxInfo> AsMessageBox(HWND window) {
  HWND text = GetDlgItem(window, kMessageTextId);
  if (!text) return std::nullopt;
  return MessageBoxInfo{window, WindowText(window), WindowText(text)};
}

std::string Describe(const MessageBoxInfo& box) {
  return "message box \"" + box.caption + "\": \"" + box.text + "\"";
}

// A launch ends at once when another viewer holds the instance lock: the
// copies still running say which.
std::string OtherCopiesRunning(const std::string& folder) {
  std::string list;
  for (const std::string& path : RunningPrograms()) {
    if (FileNameOf(path) == "bex.exe" && FolderOf(path) != folder) list += "\n  " + path;
  }
  return list.empty() ? list : "; other viewers running:" + list;
}

}  // namespace

std::vector<HWND> ViewerWindows() { return TopLevelWindows(kViewerClass); }

void SetWindowBounds(IniFile& settings, const RECT& outer) {
  settings.Set("窓位置", "Top", outer.top)
      .Set("窓位置", "Left", outer.left)
      .Set("窓位置", "Height", outer.bottom - outer.top)
      .Set("窓位置", "Width", outer.right - outer.left);
}

Viewer::Viewer(std::string folder, std::string workingFolder, Process process)
    : folder_(std::move(folder)),
      workingFolder_(std::move(workingFolder)),
      process_(std::move(process)) {}

Viewer::Viewer(Viewer&& other) noexcept
    : folder_(std::exchange(other.folder_, std::string())),
      workingFolder_(std::move(other.workingFolder_)),
      process_(std::move(other.process_)),
      window_(std::exchange(other.window_, nullptr)) {}

Viewer::~Viewer() {
  if (folder_.empty()) return;
  process_.Terminate();
  TerminateProcessesIn(folder_);
}

Viewer Viewer::Start(const std::string& folder, const std::string& args,
                     const ViewerOptions& options) {
  const std::string program = options.program.empty() ? BuildDir() + "\\bex.exe" : options.program;
  CopyInto(program, folder);
  // The plug-in helpers are shipped beside the program (builds before had none).
  for (const char* name : {"\\bexspi.exe", "\\bexspi64.exe"}) {
    const std::string helper = FolderOf(program) + name;
    if (GetFileAttributesA(helper.c_str()) != INVALID_FILE_ATTRIBUTES) CopyInto(helper, folder);
  }
  const std::string plugins = PluginFolderOf(folder);
  CreateDirectoryA(plugins.c_str(), nullptr);
  for (const std::string& plugin : options.plugins) {
    CopyInto(IsAbsolute(plugin) ? plugin : BuildDir() + "\\" + plugin, plugins);
  }
  if (options.settings) {
    IniFile settings = *options.settings;
    if (!settings.Has("設定", "SPIDIR")) settings.Set("設定", "SPIDIR", plugins);
    settings.WriteTo(folder + "\\bex.ini");
  }
  const std::string workingFolder = options.workingFolder.empty() ? folder : options.workingFolder;
  Viewer viewer(folder, workingFolder,
                Process::Launch(folder + "\\" + FileNameOf(program), args, workingFolder));
  viewer.process_.WaitForInputIdle();
  viewer.WaitForFirstWindow(options.messageBoxFirst);
  return viewer;
}

void Viewer::WaitForFirstWindow(bool messageBoxFirst) {
  std::optional<MessageBoxInfo> box;
  HWND main = nullptr;
  WaitUntil([&] {
    box = FindMessageBox();
    main = FindOwnWindow(kViewerClass);
    return box || main || !Running();
  });
  // A box beside the main window came after the start.
  if (box && !main && !messageBoxFirst) throw DriverError("the start showed a " + Describe(*box));
  if (box) return;
  if (main && messageBoxFirst) {
    throw DriverError("no message box at the start; main window \"" + WindowText(main) + "\"");
  }
  if (main) {
    window_ = main;
    return;
  }
  throw DriverError(ExitCode() ? "the viewer ended with code " + std::to_string(*ExitCode()) +
                                     " before it showed a window" + OtherCopiesRunning(folder_)
                               : "the viewer showed no window");
}

Viewer Viewer::WaitForOther(const std::vector<DWORD>& knownProcesses, DWORD timeoutMs) {
  HWND other = nullptr;
  WaitUntil(
      [&] {
        for (HWND window : ViewerWindows()) {
          if (std::find(knownProcesses.begin(), knownProcesses.end(), ProcessOfWindow(window)) ==
              knownProcesses.end()) {
            other = window;
            return true;
          }
        }
        return false;
      },
      timeoutMs);
  if (!other) throw DriverError("no viewer window of another process appeared");
  Process process = Process::Attach(ProcessOfWindow(other));
  const std::string folder = FolderOf(process.ProgramPath());
  Viewer viewer(folder, folder, std::move(process));
  viewer.window_ = other;
  return viewer;
}

std::string Viewer::ProgramPath() const { return process_.ProgramPath(); }

std::string Viewer::SettingsPath() const { return folder_ + "\\bex.ini"; }

std::string Viewer::PluginFolderOf(const std::string& folder) { return folder + "\\spi"; }

HWND Viewer::WaitForMainWindow(DWORD timeoutMs) {
  WaitUntil([&] { return (window_ = FindOwnWindow(kViewerClass)) || !Running(); }, timeoutMs);
  if (!window_) {
    const std::optional<MessageBoxInfo> box = FindMessageBox();
    throw DriverError("no main window" + (box ? "; showing a " + Describe(*box) : std::string()));
  }
  return window_;
}

std::string Viewer::Title() const { return WindowText(window_); }

std::wstring Viewer::WideTitle() const {
  wchar_t text[1024] = L"";
  const int length = GetWindowTextW(window_, text, 1024);
  return std::wstring(text, length > 0 ? length : 0);
}

std::wstring Viewer::WaitForWideTitle(const std::wstring& expected, DWORD timeoutMs) const {
  WaitUntil([&] { return WideTitle() == expected; }, timeoutMs);
  return WideTitle();
}

RECT Viewer::OuterRect() const {
  RECT r{};
  GetWindowRect(window_, &r);
  return r;
}

SIZE Viewer::ClientSize() const {
  RECT r{};
  GetClientRect(window_, &r);
  return {r.right, r.bottom};
}

POINT Viewer::ClientToScreenPoint(POINT client) const {
  ClientToScreen(window_, &client);
  return client;
}

std::string Viewer::WaitForTitle(const std::string& expected, DWORD timeoutMs) const {
  WaitUntil([&] { return Title() == expected; }, timeoutMs);
  return Title();
}

SIZE Viewer::OuterSizeForClient(SIZE client) const {
  const DWORD style = GetWindowLongA(window_, GWL_STYLE) & ~(WS_HSCROLL | WS_VSCROLL);
  const DWORD exStyle = GetWindowLongA(window_, GWL_EXSTYLE);
  RECT r{0, 0, client.cx, client.cy};
  AdjustWindowRectEx(&r, style, FALSE, exStyle);
  return {r.right - r.left, r.bottom - r.top};
}

void Viewer::BringToForeground() const {
  if (ProcessOfWindow(GetForegroundWindow()) == ProcessId()) return;
  const std::optional<MessageBoxInfo> box = FindMessageBox();
  HWND target = box ? box->window : window_;
  SetForegroundWindow(target);
  if (!WaitUntil([&] { return GetForegroundWindow() == target; })) {
    throw DriverError("the viewer does not come to the foreground");
  }
}

void Viewer::PressKey(WORD vk, unsigned modifiers) const {
  BringToForeground();
  SendKeyChord(vk, modifiers);
}

void Viewer::KeyDown(WORD vk) const {
  BringToForeground();
  SendKey(vk, true);
}

void Viewer::KeyUp(WORD vk) const { SendKey(vk, false); }

void Viewer::TypeText(const std::string& text) const {
  BringToForeground();
  SendText(text);
}

void Viewer::MoveMouse(POINT client) const { SendMouseMove(ClientToScreenPoint(client)); }

void Viewer::PressMouse(MouseButton button, POINT client) const {
  BringToForeground();
  SendMouseButton(button, true, ClientToScreenPoint(client));
}

void Viewer::ReleaseMouse(MouseButton button, POINT client) const {
  SendMouseButton(button, false, ClientToScreenPoint(client));
}

void Viewer::Click(MouseButton button, POINT client) const {
  PressMouse(button, client);
  ReleaseMouse(button, client);
}

void Viewer::DoubleClick(MouseButton button, POINT client) const {
  BringToForeground();
  SendDoubleClick(button, ClientToScreenPoint(client));
}

void Viewer::Drag(MouseButton button, POINT from, POINT to, unsigned modifiers) const {
  // Screen points are fixed at the press: a drag may move the window itself.
  const POINT start = ClientToScreenPoint(from);
  const POINT end{start.x + to.x - from.x, start.y + to.y - from.y};
  BringToForeground();
  // The pointer goes there first: its motion reports the X server's modifier
  // state, which would release the modifiers sent before it.
  SendMouseMove(start);
  SendModifiers(modifiers, true);
  SendMouseButton(button, true, start);
  constexpr int kSteps = 4;
  std::vector<POINT> path;
  for (int i = 1; i <= kSteps; ++i) {
    path.push_back(
        {start.x + (end.x - start.x) * i / kSteps, start.y + (end.y - start.y) * i / kSteps});
  }
  SendMouseMoves(path);
  SendMouseButton(button, false, end);
  SendModifiers(modifiers, false);
}

void Viewer::Wheel(int notches, POINT client) const {
  BringToForeground();
  SendWheel(notches, ClientToScreenPoint(client));
}

HWND Viewer::FindOwnWindow(const char* className, const char* caption) const {
  const std::vector<HWND> found = TopLevelWindows(className, caption, ProcessId());
  return found.empty() ? nullptr : found.front();
}

HWND Viewer::WaitForWindow(const char* className, const char* caption, DWORD timeoutMs) const {
  HWND found = nullptr;
  WaitUntil([&] { return (found = FindOwnWindow(className, caption)) != nullptr; }, timeoutMs);
  if (!found) {
    throw DriverError(std::string("no window of class ") + className +
                      (caption ? std::string(" captioned \"") + caption + "\"" : std::string()));
  }
  return found;
}

HWND Viewer::WaitForDialog(const std::string& caption, DWORD timeoutMs) const {
  return WaitForWindow(kDialogClass, caption.c_str(), timeoutMs);
}

HWND Viewer::WaitForPopupMenu(DWORD timeoutMs) const {
  return WaitForWindow(kPopupMenuClass, nullptr, timeoutMs);
}

MessageBoxInfo Viewer::WaitForMessageBox(const std::string& caption, DWORD timeoutMs) const {
  std::optional<MessageBoxInfo> box;
  WaitUntil([&] { return (box = FindMessageBox()) && box->caption == caption; }, timeoutMs);
  if (!box) throw DriverError("no message box \"" + caption + "\"");
  if (box->caption != caption) {
    throw DriverError("expected message box \"" + caption + "\", found a " + Describe(*box));
  }
  return *box;
}

std::optional<MessageBoxInfo> Viewer::FindMessageBox() const {
  for (HWND dialog : TopLevelWindows(kDialogClass, nullptr, ProcessId())) {
    if (std::optional<MessageBoxInfo> box = AsMessageBox(dialog)) return box;
  }
  return std::nullopt;
}

void Viewer::Answer(HWND dialog, int buttonId) const {
  PressDialogButton(dialog, buttonId);
  if (!WaitUntil([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); })) {
    throw DriverError("the dialog \"" + WindowText(dialog) + "\" stays open after button " +
                      std::to_string(buttonId));
  }
}

void Viewer::ChooseFile(HWND fileDialog, const std::string& path) const {
  HWND field = GetDlgItem(fileDialog, kFileNameComboId);
  if (!field) field = GetDlgItem(fileDialog, kFileNameEditId);
  if (!field) throw DriverError("the dialog \"" + WindowText(fileDialog) + "\" has no name field");
  SetControlText(field, path);
  PressDialogButton(fileDialog, IDOK);
}

void Viewer::DropFiles(const std::vector<std::string>& paths, POINT client) const {
  // A drop handle is a global memory block of the receiving process: the
  // block is written there and its address posted as the handle.
  std::string block(sizeof(DROPFILES), '\0');
  DROPFILES header{};
  header.pFiles = sizeof(DROPFILES);
  header.pt = client;
  std::copy_n(reinterpret_cast<const char*>(&header), sizeof header, block.begin());
  for (const std::string& path : paths) block += path + '\0';
  block += '\0';
  void* remote = CopyIntoViewer(block, "the dropped names");
  PostMessageA(window_, WM_DROPFILES, reinterpret_cast<WPARAM>(remote), 0);
}

void Viewer::DropFiles(const std::vector<std::wstring>& paths, POINT client) const {
  DROPFILES header{};
  header.pFiles = sizeof(DROPFILES);
  header.pt = client;
  header.fWide = TRUE;
  std::string block(reinterpret_cast<const char*>(&header), sizeof header);
  for (const std::wstring& path : paths) {
    block.append(reinterpret_cast<const char*>(path.c_str()), (path.size() + 1) * sizeof(wchar_t));
  }
  block.append(sizeof(wchar_t), '\0');
  void* remote = CopyIntoViewer(block, "the dropped names");
  PostMessageA(window_, WM_DROPFILES, reinterpret_cast<WPARAM>(remote), 0);
}

void Viewer::PostDpiChange(HWND window, int dpi, const RECT& suggested) const {
  const std::string rect(reinterpret_cast<const char*>(&suggested), sizeof suggested);
  void* remote = CopyIntoViewer(rect, "the suggested rectangle");
  PostMessageA(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(remote));
}

void* Viewer::CopyIntoViewer(const std::string& bytes, const std::string& what) const {
  HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, ProcessId());
  void* remote = process ? VirtualAllocEx(process, nullptr, bytes.size(), MEM_COMMIT | MEM_RESERVE,
                                          PAGE_READWRITE)
                         : nullptr;
  const bool written =
      remote && WriteProcessMemory(process, remote, bytes.data(), bytes.size(), nullptr);
  if (process) CloseHandle(process);
  if (!written) throw DriverError("cannot write " + what + " into the viewer");
  return remote;
}

COLORREF Viewer::PixelAt(POINT client) const {
  BringToForeground();
  return ScreenPixel(ClientToScreenPoint(client));
}

ScreenImage Viewer::CaptureClient() const {
  BringToForeground();
  const SIZE size = ClientSize();
  const POINT origin = ClientToScreenPoint({0, 0});
  return CaptureScreen({origin.x, origin.y, origin.x + size.cx, origin.y + size.cy});
}

Process Viewer::LaunchAnother(const std::string& args, const std::string& workingFolder) const {
  return Process::Launch(ProgramPath(), args,
                         workingFolder.empty() ? workingFolder_ : workingFolder);
}

void Viewer::RequestClose() const { PostMessageA(window_, WM_CLOSE, 0, 0); }

bool Viewer::Close(DWORD timeoutMs) {
  RequestClose();
  if (WaitForExit(timeoutMs)) return true;
  Kill();
  return false;
}

std::optional<DWORD> Viewer::WaitForExit(DWORD timeoutMs) const {
  return process_.WaitForExit(timeoutMs);
}

void Viewer::Kill() { process_.Terminate(); }

}  // namespace bex::test
