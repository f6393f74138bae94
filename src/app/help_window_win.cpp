#include "app/help_window_win.h"

#include <algorithm>
#include <iterator>
#include <vector>

#include "filelist/help_text.h"

namespace bex {
namespace {

constexpr int kTextId = 100;
constexpr int kWidth = 640;
constexpr int kHeight = 600;
// Tab stops in dialog units: after the key column and after the menu item's.
constexpr int kTabStops[] = {64, 200};

std::wstring TextOf(HWND view) {
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(view)) + 1, L'\0');
  text.resize(
      static_cast<size_t>(GetWindowTextW(view, text.data(), static_cast<int>(text.size()))));
  return text;
}

// Where the view wrapped a line of text within its last column: the
// position of the wrapped part and the tabs that lead to that column. One
// place a line at most: a further wrap moves once that part has a line of
// its own.
struct ColumnWrap {
  size_t at;
  size_t tabs;
};

std::vector<ColumnWrap> WrapsInLastColumns(HWND view, const std::wstring& text) {
  std::vector<ColumnWrap> wraps;
  const int lines = static_cast<int>(SendMessageW(view, EM_GETLINECOUNT, 0, 0));
  size_t lineWrapped = std::wstring::npos;
  for (int i = 1; i < lines; ++i) {
    const auto at = static_cast<size_t>(SendMessageW(view, EM_LINEINDEX, i, 0));
    if (at == 0 || at > text.size() || text[at - 1] == L'\n') continue;
    const size_t lineStart = text.rfind(L'\n', at - 1) + 1;  // npos + 1 is 0
    if (lineStart == lineWrapped) continue;
    const size_t lineEnd = std::min(text.find(L'\r', at), text.size());
    const size_t lastTab = text.rfind(L'\t', at - 1);
    const bool inLastColumn = lastTab != std::wstring::npos && lastTab >= lineStart &&
                              lastTab + 1 < at && text.find(L'\t', at) >= lineEnd;
    if (!inLastColumn) continue;
    const auto first = text.begin() + static_cast<ptrdiff_t>(lineStart);
    wraps.push_back({at, static_cast<size_t>(std::count(
                             first, first + static_cast<ptrdiff_t>(at - lineStart), L'\t'))});
    lineWrapped = lineStart;
  }
  return wraps;
}

// The view wraps a line too long for it at its left edge, under the keys.
// Each wrapped description goes on in a line of its own behind as many tabs
// as its first line has, so that it stays in its column; the wraps are
// found anew at every DPI, as the font's width decides them.
void ShowWithWrapsInColumns(HWND view, std::wstring text) {
  for (;;) {
    SetWindowTextW(view, text.c_str());
    const std::vector<ColumnWrap> wraps = WrapsInLastColumns(view, text);
    if (wraps.empty()) return;
    for (auto wrap = wraps.rbegin(); wrap != wraps.rend(); ++wrap) {
      text.insert(wrap->at, L"\r\n" + std::wstring(wrap->tabs, L'\t'));
    }
  }
}

}  // namespace

HelpWindow::HelpWindow()
    : TableDialog(kHelpWindowCaption, kWidth, kHeight,
                  {{kTextId, ControlKind::kTextView, nullptr, 0, 0, kWidth, kHeight}}) {}

void HelpWindow::OnCreate() {
  SendMessageA(Item(kTextId), EM_SETTABSTOPS, std::size(kTabStops),
               reinterpret_cast<LPARAM>(kTabStops));
  SetItemText(kTextId, HelpText());
  text_ = TextOf(Item(kTextId));
  ShowWithWrapsInColumns(Item(kTextId), text_);
  SetFocus(Item(kTextId));
}

void HelpWindow::OnRescaled() { ShowWithWrapsInColumns(Item(kTextId), text_); }

bool HelpWindow::PreviewKey(HWND, UINT msg, WPARAM key) {
  if (msg != WM_KEYDOWN || key != VK_ESCAPE) return false;
  Close(kResultCancel);
  return true;
}

}  // namespace bex
