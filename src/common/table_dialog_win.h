// Modal dialogs whose controls come from a table of class, caption, place and
// size in pixels as designed at 96 dpi; the dialog scales them, its client
// area and its fonts to the DPI of the owner's monitor, and again when the
// dialog moves to a monitor of another DPI. The dialog runs its own modal
// loop so that it can look at keys before the focused control does (Enter
// and Escape anywhere).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "common/dpi_win.h"

namespace bex {

enum class ControlKind {
  kLabel,
  kButton,
  kDefaultButton,
  kCheckBox,
  kRadioFirst,
  kRadio,
  kGroupBox,
  kEdit,  // a Unicode window, which keeps every character typed or pasted
  kListBox,
  kTabs,
  kTextView  // read-only text of several lines with a vertical scroll bar
};

enum class FontKind { kNormal, kBold, kFixed };

struct ControlSpec {
  int id;
  ControlKind kind;
  const char* caption;
  int x, y, width, height;
  FontKind font = FontKind::kNormal;
  // 0: always shown; n: shown while page n of the dialog's tabs is selected.
  int page = 0;
};

// Modal results, as the dialogs report them.
constexpr int kResultOk = 1;
constexpr int kResultCancel = 2;

class TableDialog {
 public:
  TableDialog(std::string caption, int clientWidth, int clientHeight,
              std::vector<ControlSpec> controls);
  virtual ~TableDialog();
  TableDialog(const TableDialog&) = delete;
  TableDialog& operator=(const TableDialog&) = delete;

  // Shows the dialog modally over owner; returns kResultOk or kResultCancel.
  int ShowModal(HWND owner);

  HWND Handle() const { return hwnd_; }
  HWND Item(int id) const { return GetDlgItem(hwnd_, id); }
  std::string ItemText(int id) const;
  // The text as the control holds it, every character kept.
  std::wstring WideItemText(int id) const;
  void SetItemText(int id, const std::string& text);
  void SetItemText(int id, const std::wstring& text);
  bool IsChecked(int id) const;
  void SetChecked(int id, bool checked);
  void Enable(int id, bool enabled);
  // Ends the modal loop with the given result; an OK only when MayConfirm.
  void Close(int result);
  // The window's outer rectangle, for placing it.
  RECT OuterRect() const;
  // A length of the designed layout at the dialog's DPI.
  int Scaled(int designPixels) const { return ScaleToDpi(designPixels, dpi_); }

 protected:
  // Called once the controls exist, before the dialog shows.
  virtual void OnCreate() {}
  // Called when the controls have been laid out again from the table for a
  // new DPI, to redo what OnCreate arranged beyond the table.
  virtual void OnRescaled() {}
  // Asked before the dialog closes with OK: false keeps it open, once the
  // user has been told why.
  virtual bool MayConfirm() { return true; }
  // Called when the modal loop ends, while the controls still exist.
  virtual void OnClose(int /*result*/) {}
  // Places the dialog; the default centres it on the owner.
  virtual void Place(HWND owner);
  // A button click or notification of control id; return true when handled.
  virtual bool OnCommand(int id, int code);
  // A key (WM_KEYDOWN) or character (WM_CHAR, a UTF-16 unit) seen before the
  // focused control; return true to swallow it.
  virtual bool PreviewKey(HWND target, UINT msg, WPARAM key);
  // Shows the controls of page (1-based) and hides those of other pages.
  void ShowPage(int page);
  // Places the controls of every page at their (scaled) table places counted
  // from origin, the top-left corner of the pages' area in the dialog.
  void OffsetPageControls(POINT origin);
  // Any other message of the dialog window.
  virtual bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result);

 private:
  static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  void CreateControls();
  // Fonts, client size and controls at dpi_.
  void LayOut();
  void SetFonts();
  void SetClientSize(int width, int height);
  void ChangeDpi(int dpi, const RECT& suggested);

  std::string caption_;
  int clientWidth_;
  int clientHeight_;
  std::vector<ControlSpec> controls_;
  HWND hwnd_ = nullptr;
  HFONT fonts_[3] = {};
  int dpi_ = kDesignDpi;
  int result_ = 0;
};

}  // namespace bex
