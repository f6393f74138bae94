// The main window's life: creation and the start-up sequence, the window
// procedure, the close step and the option switches.
#include "app/main_form_win.h"

#include <windows.h>

#include <shellapi.h>

#include <cstdlib>
#include <utility>

#include "app/app_resources.h"
#include "app/program_icon_win.h"
#include "app/version.h"
#include "app/help_window_win.h"
#include "common/bex_error.h"
#include "common/cp932.h"
#include "common/dpi_win.h"
#include "common/files_win.h"
#include "filelist/folder_host_win.h"
#include "image/image_area_win.h"
#include "image/input_dialog_win.h"

namespace bex {
namespace {

constexpr DWORD kMainStyle = WS_OVERLAPPEDWINDOW | WS_HSCROLL | WS_VSCROLL;
// The window's outer size as designed at 96 dpi.
constexpr int kDesignWidth = 207;
constexpr int kDesignHeight = 141;
// Posted to itself: open the files held while a handler ran.
constexpr UINT kOpenHeldFilesMessage = WM_APP + 1;

LRESULT CALLBACK MainWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* form = reinterpret_cast<TBexForm1*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (!form || !form->Handle()) return DefWindowProcA(hwnd, msg, wParam, lParam);
  const TBexForm1::HandlerScope handler(*form);
  try {
    return form->HandleMessage(msg, wParam, lParam);
  } catch (const BexError& e) {
    ShowErrorReport(hwnd, e.what());
  } catch (const std::bad_alloc&) {
    ShowErrorReport(hwnd, "メモリが不足しています");
  }
  return 0;
}

void RegisterMainWindowClass() {
  WNDCLASSEXA wc = {};
  wc.cbSize = sizeof wc;
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = MainWindowProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hIcon = ProgramIcon(GetSystemMetrics(SM_CXICON));
  wc.hIconSm = ProgramIcon(GetSystemMetrics(SM_CXSMICON));
  if (!wc.hIcon) wc.hIcon = LoadIcon(nullptr, IDI_APPLICATION);
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  wc.lpszClassName = kMainWindowClass;
  RegisterClassExA(&wc);
}

std::string ModulePath() {
  char path[MAX_PATH * 4];
  const DWORD n = GetModuleFileNameA(nullptr, path, sizeof(path));
  return std::string(path, n);
}

}  // namespace

TBexForm1::TBexForm1(const std::vector<std::string>& args) {
  CreateMainWindow();
  CreateFileList();
  inputForm_ = std::make_unique<TInput_Form>();
  CreatePopupMenu1();
  DesktopWidth = GetSystemMetrics(SM_CXVIRTUALSCREEN);
  DesktopHeight = GetSystemMetrics(SM_CYVIRTUALSCREEN);
  programPath_ = ModulePath();
  ReadStartupSettings();
  RECT client;
  GetClientRect(hwnd_, &client);
  image1_->SetSize(client.right, client.bottom);
  HasPicture = false;
  ZoomPercent = 100;
  SortDirection = DefaultSortDirection;
  SortKind = DefaultSortKind;
  // The folder a step lists before any file was opened.
  CurrentFolder = CurrentDirectory();
  const HandlerScope opening(*this);
  OpenCommandLine(args);
}

TBexForm1::~TBexForm1() {
  image1_.reset();
  if (popupMenu1_) DestroyMenu(popupMenu1_);
  if (hwnd_ && IsWindow(hwnd_)) {
    SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
  }
}

void TBexForm1::CreateMainWindow() {
  RegisterMainWindowClass();
  HWND hwnd = CreateWindowExA(0, kMainWindowClass, kApplicationTitle, kMainStyle, CW_USEDEFAULT,
                              CW_USEDEFAULT, kDesignWidth, kDesignHeight, nullptr, nullptr,
                              GetModuleHandleA(nullptr), this);
  if (!hwnd) throw BexError("ウィンドウを作成できません");
  hwnd_ = hwnd;
  // The designed size is for 96 dpi; the window is now on its monitor.
  const int dpi = DpiOfWindow(hwnd_);
  SetWindowPos(hwnd_, nullptr, 0, 0, ScaleToDpi(kDesignWidth, dpi), ScaleToDpi(kDesignHeight, dpi),
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  SetProgramIcons(hwnd_);
  // The image area first: hiding the bars resizes the client area, and the
  // resize handler lays out the bars around the image area.
  image1_ = std::make_unique<ImageArea>(
      hwnd_, [this](UINT msg, WPARAM keys, int x, int y) { ImageMouse(msg, keys, x, y); });
  ShowScrollBar(hwnd_, SB_BOTH, FALSE);
}

void TBexForm1::ReadStartupSettings() {
  const std::string iniPath = ProgramFolder() + "bex.ini";
  if (!PathExists(iniPath)) {
    ShowMessage(
        hwnd_,
        "初期起動です。\n環境設定を行ってください。\n(特にSusie Plug-inのあるフォルダーの登録)",
        "初期起動メッセージ");
  }
  Settings = std::make_unique<SettingsFile>(iniPath);
  PluginFolder = Settings->ReadString(settings::kPluginFolder);
  if (PluginFolder.size() < 3) {
    ShowMessage(hwnd_, "Susie Plug-inのフォルダー設定が異常です。\n設定画面で修正してください",
                "インストール異常");
  }
  for (TSpiload& slot : ImageSlots) slot.LoadPlugins(PluginFolder);
  ApplyWindowBounds();
  if (Settings->ReadBool(settings::kNoSecondLaunch)) KKOFF1Click();
  if (Settings->ReadBool(settings::kTopmost)) TOP1Click();
  if (Settings->ReadBool(settings::kSaveBounds)) OptionFlags |= kOptionSaveBounds;
  SetFitMode(Settings->ReadInt(settings::kFitMode));
  DefaultSortKind = Settings->ReadInt(settings::kSortKind);
  DefaultSortDirection = Settings->ReadInt(settings::kSortDirection);
}

// Each bound is applied as soon as it is read, so the defaults of Top and Left
// use the designed size; nothing is clamped to the desktop.
void TBexForm1::ApplyWindowBounds() {
  auto bounds = [this] { return OuterRect(); };
  auto place = [this](int left, int top, int width, int height) {
    SetWindowPos(hwnd_, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  };
  RECT r = bounds();
  const int top = Settings->ReadInt(settings::kTop, (DesktopHeight - (r.bottom - r.top)) / 2);
  place(r.left, top, r.right - r.left, r.bottom - r.top);
  r = bounds();
  const int left = Settings->ReadInt(settings::kLeft, (DesktopWidth - (r.right - r.left)) / 2);
  place(left, r.top, r.right - r.left, r.bottom - r.top);
  r = bounds();
  const int height = Settings->ReadInt(settings::kHeight, r.bottom - r.top);
  place(r.left, r.top, r.right - r.left, height);
  r = bounds();
  const int width = Settings->ReadInt(settings::kWidth, r.right - r.left);
  place(r.left, r.top, width, r.bottom - r.top);
}

// A first file that cannot be shown is reported and start-up goes on.
void TBexForm1::OpenCommandLine(const std::vector<std::string>& args) {
  if (args.empty()) return;
  try {
    OpenPath(args[0]);
  } catch (const BexError& e) {
    ShowErrorReport(hwnd_, e.what());
  }
  if (args.size() >= 2) HandOverRest({args.begin() + 1, args.end()});
}

void TBexForm1::Show() {
  ShowWindow(hwnd_, SW_SHOW);
  FormShow();
  UpdateWindow(hwnd_);
}

void TBexForm1::FormShow() { DragAcceptFiles(hwnd_, TRUE); }

bool TBexForm1::FormClose() {
  try {
    WriteCloseSettings();
  } catch (const BexError& e) {
    ShowErrorReport(hwnd_, e.what());
    return false;
  }
  closed_ = true;
  ReleaseLists();
  for (int slot : {Files().PrevSlot, Files().CurrentSlot, Files().NextSlot})
    ImageSlots[slot].ReleasePicture();
  return true;
}

void TBexForm1::WriteCloseSettings() {
  Settings->WriteString(settings::kPluginFolder, PluginFolder);
  if (OptionFlags & kOptionSaveBounds) {
    const RECT r = RestoredRect();
    Settings->WriteInt(settings::kTop, r.top);
    Settings->WriteInt(settings::kLeft, r.left);
    Settings->WriteInt(settings::kHeight, r.bottom - r.top);
    Settings->WriteInt(settings::kWidth, r.right - r.left);
  }
  Settings->WriteString(settings::kVersion, kSettingsVersion);
}

void TBexForm1::TOP1Click() {
  const bool topmost = (OptionFlags & kOptionTopmost) != 0;
  SetWindowPos(hwnd_, topmost ? HWND_NOTOPMOST : HWND_TOPMOST, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  OptionFlags ^= kOptionTopmost;
}

void TBexForm1::KKOFF1Click() {
  HANDLE h = CreateMutexA(nullptr, FALSE, kInstanceLockName);
  const DWORD error = GetLastError();
  if (h && error != ERROR_ALREADY_EXISTS) {
    InstanceLock = h;
    InstanceLockHeld = true;
    OptionFlags |= kOptionNoSecondLaunch;
    return;
  }
  if (h) {
    CloseHandle(h);
    if (InstanceLockHeld) CloseHandle(InstanceLock);
    InstanceLock = nullptr;
  }
  InstanceLockHeld = false;
  OptionFlags &= ~kOptionNoSecondLaunch;
}

bool InstanceLockExists() {
  SetLastError(ERROR_SUCCESS);
  HANDLE probe = CreateMutexA(nullptr, FALSE, kInstanceLockName);
  const bool existed = probe && GetLastError() == ERROR_ALREADY_EXISTS;
  if (probe) CloseHandle(probe);
  return existed;
}

void TBexForm1::SetFitMode(int mode) { FitMode = mode; }

void TBexForm1::ShowVersion() { ShowMessage(hwnd_, "BEX    Ver" BEX_VERSION_TEXT, "ﾊﾞｰｼﾞｮﾝ情報"); }

void TBexForm1::QQuit1Click() { std::exit(0); }

// Without a help file the viewer's own list of commands and keys stands in.
void TBexForm1::HHelp1Click() {
  const std::string helpFile = ProgramFolder() + "bex.hlp";
  if (PathExists(helpFile)) {
    WinHelpA(hwnd_, helpFile.c_str(), HELP_CONTENTS, 0);
  } else {
    HelpWindow().ShowModal(hwnd_);
  }
}

// A later launch posted one of its file names as a global atom.
void TBexForm1::HandOffReceived(WPARAM atom) {
  char name[256];
  const UINT length = GlobalGetAtomNameA(static_cast<ATOM>(LOWORD(atom)), name, sizeof(name));
  if (length == 0) return;  // no such atom: nothing to open
  GlobalDeleteAtom(static_cast<ATOM>(LOWORD(atom)));
  FilesArrived({std::string(name, length)});
}

void TBexForm1::FilesArrived(std::vector<std::string> names) {
  // This message's own handler is one; any other is in a modal loop.
  if (runningHandlers_ > 1) {
    heldFiles_.push_back(std::move(names));
    return;
  }
  OpenFiles(names);
}

void TBexForm1::OpenHeldFiles() {
  while (!heldFiles_.empty()) {
    const std::vector<std::string> names = std::move(heldFiles_.front());
    heldFiles_.pop_front();
    OpenFiles(names);
  }
}

TBexForm1::HandlerScope::HandlerScope(TBexForm1& form) : form_(form) { ++form_.runningHandlers_; }

TBexForm1::HandlerScope::~HandlerScope() {
  if (--form_.runningHandlers_ == 0 && !form_.heldFiles_.empty()) {
    PostMessageA(form_.hwnd_, kOpenHeldFilesMessage, 0, 0);
  }
}

// The window moved to a monitor of another DPI. Window bounds stay in screen
// pixels: the window takes the place the system suggests, and a shown
// picture, drawn in device pixels, is laid out again at its zoom, which
// fits the window to the new frame sizes.
void TBexForm1::OnDpiChanged(const RECT& suggested) {
  SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
               suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
  SetProgramIcons(hwnd_);
  if (HasPicture) ApplyZoom();
}

RECT TBexForm1::OuterRect() const {
  RECT r;
  GetWindowRect(hwnd_, &r);
  return r;
}

// GetWindowPlacement gives the restored bounds in workspace coordinates,
// which are counted from the work area of the window's monitor.
RECT TBexForm1::RestoredRect() const {
  WINDOWPLACEMENT placement = {};
  placement.length = sizeof placement;
  if (!GetWindowPlacement(hwnd_, &placement)) return OuterRect();
  RECT r = placement.rcNormalPosition;
  MONITORINFO monitor = {};
  monitor.cbSize = sizeof monitor;
  if (GetMonitorInfoA(MonitorFromRect(&r, MONITOR_DEFAULTTONEAREST), &monitor)) {
    OffsetRect(&r, monitor.rcWork.left - monitor.rcMonitor.left,
               monitor.rcWork.top - monitor.rcMonitor.top);
  }
  return r;
}

void TBexForm1::SetTitle(const std::string& title) { SetWindowTextA(hwnd_, title.c_str()); }

LRESULT TBexForm1::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_CLOSE:
      if (closed_ || FormClose()) DestroyWindow(hwnd_);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    case WM_SIZE:
      OnSize();
      return 0;
    case WM_DPICHANGED:
      OnDpiChanged(*reinterpret_cast<const RECT*>(lParam));
      return 0;
    case WM_HSCROLL:
      OnScroll(SB_HORZ, wParam);
      return 0;
    case WM_VSCROLL:
      OnScroll(SB_VERT, wParam);
      return 0;
    case WM_DROPFILES:
      DropFiles(reinterpret_cast<HDROP>(wParam));
      return 0;
    case WM_KEYDOWN:
      KeyPressed(static_cast<int>(wParam));
      return 0;
    case WM_SYSKEYDOWN:
      // Alt+F4 closes through the system; other Alt combinations are keys.
      if (wParam == VK_F4) return DefWindowProcA(hwnd_, msg, wParam, lParam);
      KeyPressed(static_cast<int>(wParam));
      return 0;
    case WM_MOUSEWHEEL:
      MouseWheel(GET_WHEEL_DELTA_WPARAM(wParam));
      return 0;
    case WM_LBUTTONDOWN:
      SetCapture(hwnd_);
      break;
    case WM_LBUTTONUP:
      ReleaseCapture();
      break;
    case WM_CAPTURECHANGED:
      ImageMouse(msg, 0, 0, 0);
      return 0;
    case kHandOffMessage:
      HandOffReceived(wParam);
      return 0;
    case kOpenHeldFilesMessage:
      OpenHeldFiles();
      return 0;
    default:
      break;
  }
  if (msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST) {
    ImageMouse(msg, wParam, static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
    return 0;
  }
  return DefWindowProcA(hwnd_, msg, wParam, lParam);
}

}  // namespace bex
