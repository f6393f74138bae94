#include "common/shown_file_win.h"

#include "common/cp932.h"
#include "common/message_box_win.h"

namespace bex {

std::optional<std::string> ShownFile::Path(HWND owner) const {
  if (name_.empty() || folder_.empty()) return std::nullopt;
  const std::string path = JoinPath(folder_, name_);
  if (path.size() >= MAX_PATH) return ReportPathTooLong(owner, path);
  return path;
}

bool ShownFile::Is(const std::string& path) const {
  return !name_.empty() && JoinPath(folder_, name_) == path;
}

}  // namespace bex
