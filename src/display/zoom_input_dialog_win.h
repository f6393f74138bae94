// ZoomInputDialog: the small dialog that asks for a zoom percentage. It lives for
// the whole run and keeps the text of its previous use.
#pragma once

#include <optional>
#include <string>

#include "common/table_dialog_win.h"

namespace bex {

class ZoomInputDialog : public TableDialog {
 public:
  ZoomInputDialog();
  // The confirmed text, or none when cancelled.
  std::optional<std::string> Ask(HWND mainWindow);

 protected:
  void OnCreate() override;
  void Place(HWND owner) override;
  bool PreviewKey(HWND target, UINT msg, WPARAM key) override;
  void OnClose(int result) override;

 private:
  std::string text_;
};

}  // namespace bex
