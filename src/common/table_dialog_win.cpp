#include "common/table_dialog_win.h"

#include <commctrl.h>

#include <cstring>

#include "common/program_icon_win.h"

namespace bex {
namespace {

struct KindStyle {
  const char* className;
  DWORD style;
  DWORD exStyle;
  // A Unicode control: the character positions it tells (EM_LINEINDEX)
  // count characters, not the bytes of code page 932.
  bool unicode = false;
};

KindStyle StyleOf(ControlKind kind) {
  constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
  // Every control that takes the focus starts a group of its own, so that a
  // group of radio buttons ends at the next such control and the arrow keys
  // stay within the buttons.
  constexpr DWORD kFocusable = kChild | WS_TABSTOP | WS_GROUP;
  switch (kind) {
    case ControlKind::kLabel:
      return {"STATIC", kChild | SS_LEFT | SS_NOPREFIX, 0};
    case ControlKind::kButton:
      return {"BUTTON", kFocusable | BS_PUSHBUTTON, 0};
    case ControlKind::kDefaultButton:
      return {"BUTTON", kFocusable | BS_DEFPUSHBUTTON, 0};
    case ControlKind::kCheckBox:
      return {"BUTTON", kFocusable | BS_AUTOCHECKBOX, 0};
    case ControlKind::kRadioFirst:
      return {"BUTTON", kFocusable | BS_AUTORADIOBUTTON, 0};
    case ControlKind::kRadio:
      return {"BUTTON", kChild | BS_AUTORADIOBUTTON, 0};
    case ControlKind::kGroupBox:
      return {"BUTTON", kChild | BS_GROUPBOX, 0};
    case ControlKind::kEdit:
      return {"EDIT", kFocusable | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, true};
    case ControlKind::kListBox:
      return {"LISTBOX", kFocusable | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
              WS_EX_CLIENTEDGE};
    case ControlKind::kTabs:
      return {WC_TABCONTROLA, kChild | WS_CLIPSIBLINGS, 0};
    case ControlKind::kTextView:
      return {"EDIT", kFocusable | WS_VSCROLL | ES_MULTILINE | ES_READONLY, WS_EX_CLIENTEDGE, true};
  }
  return {"STATIC", kChild, 0};
}

// The control of c in dialog, not yet placed.
HWND CreateControl(HWND dialog, const ControlSpec& c) {
  const KindStyle ks = StyleOf(c.kind);
  const auto id = reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id));
  const char* caption = c.caption ? c.caption : "";
  if (!ks.unicode) {
    return CreateWindowExA(ks.exStyle, ks.className, caption, ks.style, 0, 0, 0, 0, dialog, id,
                           GetModuleHandleA(nullptr), nullptr);
  }
  const std::wstring className(ks.className, ks.className + std::strlen(ks.className));
  HWND control = CreateWindowExW(ks.exStyle, className.c_str(), L"", ks.style, 0, 0, 0, 0, dialog,
                                 id, GetModuleHandleA(nullptr), nullptr);
  SetWindowTextA(control, caption);
  return control;
}

// The dialogs' fonts are 12 pixels high at 96 dpi.
HFONT MakeFont(const char* face, int weight, int dpi) {
  return CreateFontA(-ScaleToDpi(12, dpi), 0, 0, 0, weight, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                     DEFAULT_PITCH | FF_DONTCARE, face);
}

// An empty dialog template; the controls are created from the table.
struct EmptyTemplate {
  DLGTEMPLATE header;
  WORD menu = 0, windowClass = 0, title = 0;
};

}  // namespace

TableDialog::TableDialog(std::string caption, int clientWidth, int clientHeight,
                         std::vector<ControlSpec> controls)
    : caption_(std::move(caption)),
      clientWidth_(clientWidth),
      clientHeight_(clientHeight),
      controls_(std::move(controls)) {}

TableDialog::~TableDialog() {
  if (hwnd_) DestroyWindow(hwnd_);
  for (HFONT f : fonts_) {
    if (f) DeleteObject(f);
  }
}

int TableDialog::ShowModal(HWND owner) {
  EmptyTemplate tpl = {};
  tpl.header.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
  hwnd_ = CreateDialogIndirectParamA(GetModuleHandleA(nullptr), &tpl.header, owner, DialogProc,
                                     reinterpret_cast<LPARAM>(this));
  if (!hwnd_) return kResultCancel;
  KeepDialogDpiLayoutOwn(hwnd_);
  SetWindowTextA(hwnd_, caption_.c_str());
  SetProgramIcons(hwnd_);
  // The dialog opens over its owner, so it takes the DPI of the owner's monitor.
  dpi_ = DpiOfWindow(owner ? owner : hwnd_);
  CreateControls();
  LayOut();
  OnCreate();
  Place(owner);
  const bool ownerWasEnabled = owner && IsWindowEnabled(owner);
  if (owner) EnableWindow(owner, FALSE);
  ShowWindow(hwnd_, SW_SHOW);
  result_ = 0;
  // The wide calls hand typed characters on as they are; the ANSI ones
  // would turn those code page 932 lacks into "?" before a Unicode edit box
  // sees them. WM_CHAR therefore carries UTF-16 units.
  MSG msg;
  while (result_ == 0 && GetMessageW(&msg, nullptr, 0, 0) > 0) {
    const bool key = msg.message == WM_KEYDOWN || msg.message == WM_CHAR;
    if (key && (msg.hwnd == hwnd_ || IsChild(hwnd_, msg.hwnd)) &&
        PreviewKey(msg.hwnd, msg.message, msg.wParam)) {
      continue;
    }
    if (IsDialogMessageW(hwnd_, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  if (msg.message == WM_QUIT) PostQuitMessage(static_cast<int>(msg.wParam));
  if (result_ == 0) result_ = kResultCancel;
  OnClose(result_);
  if (owner && ownerWasEnabled) EnableWindow(owner, TRUE);
  ShowWindow(hwnd_, SW_HIDE);
  if (owner) SetActiveWindow(owner);
  DestroyWindow(hwnd_);
  hwnd_ = nullptr;
  return result_;
}

// The controls are placed by LayOut.
void TableDialog::CreateControls() {
  for (const ControlSpec& c : controls_) CreateControl(hwnd_, c);
  ShowPage(1);
}

void TableDialog::LayOut() {
  SetFonts();
  SetClientSize(Scaled(clientWidth_), Scaled(clientHeight_));
  for (const ControlSpec& c : controls_) {
    SetWindowPos(Item(c.id), nullptr, Scaled(c.x), Scaled(c.y), Scaled(c.width), Scaled(c.height),
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

// The frame is taken as the system draws it at the dialog's DPI; where the
// window's frame turns out otherwise, the difference is made up.
void TableDialog::SetClientSize(int width, int height) {
  RECT r = {0, 0, width, height};
  AdjustWindowRectForDpi(&r, GetWindowLongA(hwnd_, GWL_STYLE), GetWindowLongA(hwnd_, GWL_EXSTYLE),
                         dpi_);
  SIZE outer = {r.right - r.left, r.bottom - r.top};
  for (int attempt = 0; attempt < 2; ++attempt) {
    SetWindowPos(hwnd_, nullptr, 0, 0, outer.cx, outer.cy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    RECT client;
    GetClientRect(hwnd_, &client);
    if (client.right == width && client.bottom == height) return;
    outer.cx += width - client.right;
    outer.cy += height - client.bottom;
  }
}

// The old fonts are deleted once no control uses them any more.
void TableDialog::SetFonts() {
  const HFONT old[] = {fonts_[0], fonts_[1], fonts_[2]};
  fonts_[0] = MakeFont("ＭＳ Ｐゴシック", FW_NORMAL, dpi_);
  fonts_[1] = MakeFont("ＭＳ Ｐゴシック", FW_BOLD, dpi_);
  fonts_[2] = MakeFont("ＭＳ ゴシック", FW_NORMAL, dpi_);
  const bool redraw = IsWindowVisible(hwnd_);
  SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(fonts_[0]), redraw);
  for (const ControlSpec& c : controls_) {
    SendMessageA(Item(c.id), WM_SETFONT, reinterpret_cast<WPARAM>(fonts_[static_cast<int>(c.font)]),
                 redraw);
  }
  for (HFONT f : old) {
    if (f) DeleteObject(f);
  }
}

// The dialog moved to a monitor of another DPI: everything is laid out
// again at the new DPI, at the place the system suggests.
void TableDialog::ChangeDpi(int dpi, const RECT& suggested) {
  dpi_ = dpi;
  LayOut();
  OnRescaled();
  SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  SetProgramIcons(hwnd_);
}

void TableDialog::ShowPage(int page) {
  for (const ControlSpec& c : controls_) {
    if (c.page != 0) ShowWindow(Item(c.id), c.page == page ? SW_SHOW : SW_HIDE);
  }
}

void TableDialog::OffsetPageControls(POINT origin) {
  for (const ControlSpec& c : controls_) {
    if (c.page != 0) {
      SetWindowPos(Item(c.id), nullptr, Scaled(c.x) + origin.x, Scaled(c.y) + origin.y, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
  }
}

void TableDialog::Place(HWND owner) {
  RECT o;
  if (!owner || !GetWindowRect(owner, &o)) return;
  const RECT d = OuterRect();
  const int w = d.right - d.left;
  const int h = d.bottom - d.top;
  int left = o.left + ((o.right - o.left) - w) / 2;
  int top = o.top + ((o.bottom - o.top) - h) / 2;
  if (left < 0) left = 0;
  if (top < 0) top = 0;
  SetWindowPos(hwnd_, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

RECT TableDialog::OuterRect() const {
  RECT r;
  GetWindowRect(hwnd_, &r);
  return r;
}

bool TableDialog::OnCommand(int id, int) {
  if (id == IDOK) {
    Close(kResultOk);
    return true;
  }
  if (id == IDCANCEL) {
    Close(kResultCancel);
    return true;
  }
  return false;
}

bool TableDialog::PreviewKey(HWND, UINT, WPARAM) { return false; }

bool TableDialog::OnMessage(UINT, WPARAM, LPARAM, LRESULT*) { return false; }

void TableDialog::Close(int result) {
  if (result == kResultOk && !MayConfirm()) return;
  result_ = result;
}

std::string TableDialog::ItemText(int id) const {
  HWND item = Item(id);
  std::string text(GetWindowTextLengthA(item) + 1, '\0');
  text.resize(GetWindowTextA(item, text.data(), static_cast<int>(text.size())));
  return text;
}

std::wstring TableDialog::WideItemText(int id) const {
  HWND item = Item(id);
  std::wstring text(GetWindowTextLengthW(item) + 1, L'\0');
  text.resize(GetWindowTextW(item, text.data(), static_cast<int>(text.size())));
  return text;
}

void TableDialog::SetItemText(int id, const std::string& text) {
  SetWindowTextA(Item(id), text.c_str());
}

void TableDialog::SetItemText(int id, const std::wstring& text) {
  SetWindowTextW(Item(id), text.c_str());
}

bool TableDialog::IsChecked(int id) const {
  return SendMessageA(Item(id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void TableDialog::SetChecked(int id, bool checked) {
  SendMessageA(Item(id), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void TableDialog::Enable(int id, bool enabled) { EnableWindow(Item(id), enabled); }

INT_PTR CALLBACK TableDialog::DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_INITDIALOG) {
    SetWindowLongPtrA(hwnd, DWLP_USER, lParam);
    return FALSE;
  }
  auto* self = reinterpret_cast<TableDialog*>(GetWindowLongPtrA(hwnd, DWLP_USER));
  if (!self) return FALSE;
  if (msg == WM_COMMAND) {
    return self->OnCommand(LOWORD(wParam), HIWORD(wParam)) ? TRUE : FALSE;
  }
  if (msg == WM_CLOSE) {
    self->Close(kResultCancel);
    return TRUE;
  }
  if (msg == WM_DPICHANGED) {
    self->ChangeDpi(LOWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
    return TRUE;
  }
  LRESULT result = 0;
  if (self->OnMessage(msg, wParam, lParam, &result)) {
    SetWindowLongPtrA(hwnd, DWLP_MSGRESULT, result);
    return TRUE;
  }
  return FALSE;
}

}  // namespace bex
