#include "common/shown_file_win.h"

#include "common/cp932.h"
#include "common/message_box_win.h"

namespace bex {

std::optional<std::string> ShownFile::Path(HWND owner) const {
  if (name_.empty()) return std::nullopt;
  // A drive-relative folder ("D:") names the drive's current directory, which
  // the platform resolves; anything else is the folder joined with the name.
  if (LastCharacter(folder_) == ":") {
    const std::string relative = folder_ + name_;
    char full[MAX_PATH];
    const DWORD n = GetFullPathNameA(relative.c_str(), sizeof(full), full, nullptr);
    if (n == 0 || n >= sizeof(full)) return ReportPathTooLong(owner, relative);
    return std::string(full, n);
  }
  const std::string path = JoinPath(folder_, name_);
  if (path.size() >= MAX_PATH) return ReportPathTooLong(owner, path);
  return path;
}

}  // namespace bex
