// The viewer's own help window, for when no help file lies beside the program:
// the help text of every menu command and key (filelist/help_text.h) in a
// read-only box, modal over the main window, closed by Escape or its close box.
#pragma once

#include <windows.h>

#include <string>

#include "common/table_dialog_win.h"

namespace bex {

constexpr char kHelpWindowCaption[] = "ﾍﾙﾌﾟ";

class HelpWindow : public TableDialog {
 public:
  HelpWindow();

 protected:
  void OnCreate() override;
  void OnRescaled() override;
  bool PreviewKey(HWND target, UINT msg, WPARAM key) override;

 private:
  // The help text as the view holds it before its wrapped lines are split.
  std::wstring text_;
};

}  // namespace bex
