// The main window's life: creation and the start-up sequence, the window
// procedure and its routing of messages, the close step.
#include "app/main_window_win.h"

#include <shellapi.h>

#include "app/open_image_win.h"
#include "common/bex_error.h"
#include "common/dpi_win.h"
#include "common/files_win.h"
#include "common/message_box_win.h"
#include "common/program_icon_win.h"
#include "common/start_trace_win.h"
#include "common/wide_text.h"

namespace bex {
namespace {

constexpr DWORD kMainStyle = WS_OVERLAPPEDWINDOW | WS_HSCROLL | WS_VSCROLL;
// The window's outer size as designed at 96 dpi.
constexpr int kDesignWidth = 207;
constexpr int kDesignHeight = 141;
// Posted to itself: open the files held while a handler ran.
constexpr UINT kOpenHeldFilesMessage = WM_APP + 1;
// Runs once the layout has not changed for a moment and the window is idle
// (a window resize changes it many times).
constexpr UINT_PTR kDisplayCopiesTimer = 1;
constexpr UINT kDisplayCopiesDelayMs = 200;

static_assert(DecoderSlots::kCount == PictureSlots::kCount);

// Whatever acts on the shown picture or the slots waits until a first view
// has its whole picture: input, commands, steps, arriving files, the
// close, the viewer's own posted messages.
bool NeedsWholePicture(UINT msg) {
  return (msg >= WM_KEYFIRST && msg <= WM_KEYLAST) ||
         (msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST) || msg == WM_CLOSE || msg == WM_DROPFILES ||
         msg == WM_HSCROLL || msg == WM_VSCROLL || msg == WM_TIMER || msg == WM_COMMAND ||
         msg == kHandOffMessage || (msg >= WM_APP && msg <= 0xBFFF);
}

// Bit 30 of a key message: the key was down before this message.
bool KeyRepeated(LPARAM lParam) { return (lParam & (LPARAM{1} << 30)) != 0; }

LRESULT CALLBACK MainWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* window = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!window || !window->Handle()) return DefWindowProcW(hwnd, msg, wParam, lParam);
  return window->HandleMessage(msg, wParam, lParam);
}

// A Unicode window, so that its title shows every file name as it is; the
// class keeps its name, by which later launches find the window.
void RegisterMainWindowClass() {
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof wc;
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = MainWindowProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hIcon = ProgramIcon(GetSystemMetrics(SM_CXICON));
  wc.hIconSm = ProgramIcon(GetSystemMetrics(SM_CXSMICON));
  if (!wc.hIcon) wc.hIcon = LoadIcon(nullptr, IDI_APPLICATION);
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  wc.lpszClassName = kMainWindowClassWide;
  RegisterClassExW(&wc);
}

}  // namespace

// The first picture's helpers and decode first: the window, and the
// settings beyond the few they need, do not concern them.
MainWindow::MainWindow(const std::vector<std::wstring>& args) {
  DecodeFirstPictureAhead(args);
  desktop_ = {GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN)};
  CreateMainWindow();
  ReadStartupSettings();
  view_->FillClientArea();
  folder_->SetSortOrder(options_->DefaultSortKind(), options_->DefaultSortDirection());
  // The folder a step lists before any file was opened.
  view_->SetShownFile(CurrentDirectory(), L"");
  const FileArrivals::HandlerScope opening(*arrivals_);
  OpenCommandLine(args);
}

MainWindow::~MainWindow() {
  view_.reset();
  if (hwnd_ && IsWindow(hwnd_)) {
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
  }
}

void MainWindow::CreateMainWindow() {
  RegisterMainWindowClass();
  HWND hwnd = CreateWindowExW(0, kMainWindowClassWide, L"Bex", kMainStyle, CW_USEDEFAULT,
                              CW_USEDEFAULT, kDesignWidth, kDesignHeight, nullptr, nullptr,
                              GetModuleHandleW(nullptr), this);
  if (!hwnd) throw BexError("ウィンドウを作成できません");
  hwnd_ = hwnd;
  NoteStartMoment("window");
  arrivals_ = std::make_unique<FileArrivals>(hwnd_, kOpenHeldFilesMessage);
  // The designed size is for 96 dpi; the window is now on its monitor.
  const int dpi = DpiOfWindow(hwnd_);
  SetWindowPos(hwnd_, nullptr, 0, 0, ScaleToDpi(kDesignWidth, dpi), ScaleToDpi(kDesignHeight, dpi),
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  SetProgramIcons(hwnd_);
  // The picture view first: hiding the bars resizes the client area, and the
  // resize handler lays out the bars around the image area.
  view_ =
      std::make_unique<PictureView>(hwnd_, desktop_, [this](UINT msg, WPARAM keys, int x, int y) {
        TakeWholePicture();
        mouse_->OnMouse(msg, keys, x, y);
      });
  view_->OnLayout([this] { SetTimer(hwnd_, kDisplayCopiesTimer, kDisplayCopiesDelayMs, nullptr); });
  ShowScrollBar(hwnd_, SB_BOTH, FALSE);
  display_ = std::make_unique<SlotDisplay>(hwnd_, slots_, *view_);
  folder_ = std::make_unique<FolderStepper>(hwnd_, *display_);
  mouse_ = std::make_unique<MouseGestures>(
      hwnd_, *view_,
      MouseGestures::Actions{[this](bool forward) { folder_->Step(forward); },
                             [this](int x, int y) { OpenCommandMenu(x, y); }});
  filing_ = std::make_unique<Filing>(hwnd_);
  commandMenu_ = std::make_unique<CommandMenu>();
}

// A helper takes a while to come up and load its modules: those the first
// picture needs (the 64-bit one for 64-bit modules) start now, load the
// plug-in folder and decode the picture while the window is made and the
// settings are read. The window's stored outer size is an upper bound of its
// client area: a picture that will follow the window is decoded reduced to
// fit it, one in a window of fixed size as the part of it that the size
// holds, and one that the window follows as the part that the desktop holds.
// The opening takes the decode over when its own box is within that. A
// bitmap needs no helper, and the slots of the neighbours start theirs when
// the picture is on screen.
void MainWindow::DecodeFirstPictureAhead(const std::vector<std::wstring>& args) {
  if (args.empty() || !IsFile(args[0]) || ReadWithoutPlugins(args[0])) return;
  const Options::FirstPictureSettings settings = Options::ReadForFirstPicture();
  const int slot = PictureSlots::kShownAtStart;
  slots_.LoadPluginsAhead(slot, settings.pluginFolder);
  FitBox fit;
  if (settings.fitMode == PictureView::kPictureFollowsWindow ||
      settings.fitMode == PictureView::kFixedWindow) {
    if (!settings.windowSize || settings.windowSize->cx <= 0 || settings.windowSize->cy <= 0) {
      return;
    }
    fit = {static_cast<uint32_t>(settings.windowSize->cx),
           static_cast<uint32_t>(settings.windowSize->cy),
           settings.fitMode == PictureView::kFixedWindow};
  } else if (settings.fitMode == PictureView::kWindowFollowsPicture) {
    fit = {static_cast<uint32_t>(GetSystemMetrics(SM_CXVIRTUALSCREEN)),
           static_cast<uint32_t>(GetSystemMetrics(SM_CYVIRTUALSCREEN)), true};
  }
  const std::wstring path = FullPath(args[0]);
  slots_.DecodeAhead(std::wstring(FileNamePart(path)), path, slot, fit);
}

void MainWindow::ReadStartupSettings() {
  options_ = std::make_unique<Options>(hwnd_);
  slots_.LoadPluginsWhenNeeded(options_->PluginFolder());
  options_->ApplyStoredBounds(desktop_.width, desktop_.height);
  options_->ApplyStoredSwitches();
  view_->SetFitMode(options_->StoredFitMode());
  options_->ReadDefaultSortOrder();
}

// A first file that cannot be shown is reported and start-up goes on.
void MainWindow::OpenCommandLine(const std::vector<std::wstring>& args) {
  if (args.empty()) return;
  try {
    OpenPath(args[0]);
  } catch (const BexError& e) {
    ShowErrorReport(hwnd_, e.what());
  }
  if (args.size() >= 2) OpenInNewViewer(hwnd_, {args.begin() + 1, args.end()});
}

void MainWindow::Show() {
  ShowWindow(hwnd_, SW_SHOW);
  DragAcceptFiles(hwnd_, TRUE);
  UpdateWindow(hwnd_);
  NoteStartMoment("painted");
}

bool MainWindow::CloseStep() {
  try {
    options_->WriteOnClose();
  } catch (const BexError& e) {
    ShowErrorReport(hwnd_, e.what());
    return false;
  }
  closed_ = true;
  folder_->StopDecoding();
  folder_->ReleaseList();
  slots_.ReleasePictures();
  return true;
}

void MainWindow::PrepareDisplayCopies() {
  KillTimer(hwnd_, kDisplayCopiesTimer);
  if (const std::optional<LayoutInput> layout = view_->NextLayout()) {
    slots_.PrepareDisplayCopies(*layout, {folder_->PrevSlot(), folder_->NextSlot()});
  }
}

// A later launch posted one of its file names as a global atom. The global
// atom table holds Unicode text: a name added by an ANSI sender reads right.
void MainWindow::OnHandOff(WPARAM atom) {
  wchar_t name[256];
  const UINT length = GlobalGetAtomNameW(static_cast<ATOM>(LOWORD(atom)), name, 256);
  if (length == 0) return;  // no such atom: nothing to open
  GlobalDeleteAtom(static_cast<ATOM>(LOWORD(atom)));
  FilesArrived({std::wstring(name, length)});
}

void MainWindow::FilesArrived(std::vector<std::wstring> names) {
  if (!arrivals_->Hold(names)) OpenPictures(names);
}

// The window moved to a monitor of another DPI. Window bounds stay in screen
// pixels: the window takes the place the system suggests, and a shown
// picture, drawn in device pixels, is laid out again at its zoom, which
// fits the window to the new frame sizes.
void MainWindow::OnDpiChanged(const RECT& suggested) {
  SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
               suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
  SetProgramIcons(hwnd_);
  view_->LayOutAgain();
}

RECT MainWindow::OuterRect() const {
  RECT r;
  GetWindowRect(hwnd_, &r);
  return r;
}

LRESULT MainWindow::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  const FileArrivals::HandlerScope handler(*arrivals_);
  try {
    return Route(msg, wParam, lParam);
  } catch (const BexError& e) {
    ShowErrorReport(hwnd_, e.what());
  } catch (const std::bad_alloc&) {
    ShowErrorReport(hwnd_, "メモリが不足しています");
  }
  return 0;
}

LRESULT MainWindow::Route(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (NeedsWholePicture(msg)) TakeWholePicture();
  switch (msg) {
    case WM_CLOSE:
      if (closed_ || CloseStep()) DestroyWindow(hwnd_);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    case WM_SIZE:
      view_->OnSize();
      return 0;
    case WM_DPICHANGED:
      OnDpiChanged(*reinterpret_cast<const RECT*>(lParam));
      return 0;
    case WM_HSCROLL:
      view_->OnScroll(SB_HORZ, wParam);
      return 0;
    case WM_VSCROLL:
      view_->OnScroll(SB_VERT, wParam);
      return 0;
    case WM_DROPFILES:
      FilesArrived(TakeDroppedFiles(reinterpret_cast<HDROP>(wParam)));
      return 0;
    case WM_KEYDOWN:
      OnKey(static_cast<int>(wParam), KeyRepeated(lParam));
      return 0;
    case WM_SYSKEYDOWN:
      // Alt+F4 closes through the system; other Alt combinations are keys.
      if (wParam == VK_F4) return DefWindowProcW(hwnd_, msg, wParam, lParam);
      OnKey(static_cast<int>(wParam), KeyRepeated(lParam));
      return 0;
    case WM_MOUSEWHEEL:
      mouse_->OnWheel(GET_WHEEL_DELTA_WPARAM(wParam));
      return 0;
    case WM_LBUTTONDOWN:
      SetCapture(hwnd_);
      break;
    case WM_LBUTTONUP:
      ReleaseCapture();
      break;
    case WM_CAPTURECHANGED:
      mouse_->OnMouse(msg, 0, 0, 0);
      return 0;
    case kHandOffMessage:
      OnHandOff(wParam);
      return 0;
    case kDecodeEndedMessage:
      folder_->LoadFinished(static_cast<int>(wParam));
      return 0;
    case kWholePictureMessage:  // taken above
      return 0;
    case kDecodeNeighboursMessage:
      if (!closed_) folder_->DecodeNeighboursAhead();
      return 0;
    case WM_TIMER:
      if (wParam == kDisplayCopiesTimer && !closed_) PrepareDisplayCopies();
      return 0;
    case kOpenHeldFilesMessage:
      while (auto names = arrivals_->TakeHeld()) OpenPictures(*names);
      return 0;
    default:
      break;
  }
  if (msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST) {
    mouse_->OnMouse(msg, wParam, static_cast<short>(LOWORD(lParam)),
                    static_cast<short>(HIWORD(lParam)));
    return 0;
  }
  return DefWindowProcW(hwnd_, msg, wParam, lParam);
}

}  // namespace bex
