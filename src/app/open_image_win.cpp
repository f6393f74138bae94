#include "app/open_image_win.h"

#include <commdlg.h>

#include <utility>

#include "common/command_line.h"
#include "common/cp932.h"
#include "common/files_win.h"

namespace bex {
namespace {

// The shown folder holds at most this many characters.
constexpr size_t kMaxFolderLength = 259;

}  // namespace

std::optional<ShownFile> EnterFolderOf(const std::string& path) {
  const std::string full = FullPath(path);
  std::string name(FileNamePart(full));
  std::string folder(FolderPart(full));
  if (name.empty() || folder.size() > kMaxFolderLength) return std::nullopt;
  if (!SetCurrentDirectoryA(folder.c_str())) return std::nullopt;
  ShownFile file;
  file.Set(std::move(folder), std::move(name));
  return file;
}

std::vector<std::string> AskFilesToOpen(HWND owner) {
  static char fileName[64 * 1024] = "*.*";
  OPENFILENAMEA ofn = {};
  ofn.lStructSize = sizeof(ofn);
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = "すべてのファイル(*.*)\0*.*\0";
  ofn.lpstrFile = fileName;
  ofn.nMaxFile = sizeof(fileName);
  ofn.lpstrDefExt = nullptr;
  // The current directory is the shown folder's, which the list relies on.
  ofn.Flags = OFN_ALLOWMULTISELECT | OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST |
              OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
  if (!GetOpenFileNameA(&ofn)) return {};
  // One file: its full path. Several: the folder, then each name, each
  // ended by a zero, the list by a second zero.
  std::vector<std::string> parts;
  for (const char* p = fileName; *p; p += parts.back().size() + 1) parts.emplace_back(p);
  if (parts.size() == 1) return parts;
  std::vector<std::string> paths;
  for (size_t i = 1; i < parts.size(); ++i) paths.push_back(JoinPath(parts[0], parts[i]));
  return paths;
}

std::vector<std::string> TakeDroppedFiles(HDROP drop) {
  auto nameAt = [drop](UINT i) {
    std::string name(DragQueryFileA(drop, i, nullptr, 0) + 1, '\0');
    name.resize(DragQueryFileA(drop, i, name.data(), static_cast<UINT>(name.size())));
    return name;
  };
  const UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
  std::vector<std::string> names;
  for (UINT i = 0; i < count; ++i) names.push_back(nameAt(i));
  DragFinish(drop);
  return names;
}

void OpenInNewViewer(HWND owner, const std::vector<std::string>& names) {
  const std::string parameters = BuildParameters(names);
  ShellExecuteA(owner, "open", ProgramPath().c_str(), parameters.c_str(), nullptr, SW_SHOW);
}

}  // namespace bex
