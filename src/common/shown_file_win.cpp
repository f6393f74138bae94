#include "common/shown_file_win.h"

#include "common/message_box_win.h"
#include "common/wide_text.h"

namespace bex {

std::optional<std::wstring> ShownFile::Path(HWND owner) const {
  if (name_.empty() || folder_.empty()) return std::nullopt;
  const std::wstring path = JoinPath(folder_, name_);
  if (path.size() >= MAX_PATH) return ReportPathTooLong(owner, path);
  return path;
}

bool ShownFile::Is(const std::wstring& path) const {
  return !name_.empty() && JoinPath(folder_, name_) == path;
}

}  // namespace bex
