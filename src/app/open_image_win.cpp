#include "app/open_image_win.h"

#include <utility>

#include "common/code_page_win.h"
#include "common/command_line.h"
#include "common/files_win.h"
#include "common/system_dialogs_win.h"
#include "common/wide_text.h"

namespace bex {
namespace {

// The shown folder holds at most this many characters.
constexpr size_t kMaxFolderLength = 259;

}  // namespace

std::optional<ShownFile> EnterFolderOf(const std::wstring& path) {
  const std::wstring full = FullPath(path);
  std::wstring name(FileNamePart(full));
  std::wstring folder(FolderPart(full));
  if (name.empty() || folder.size() > kMaxFolderLength) return std::nullopt;
  if (!SetCurrentDirectoryW(folder.c_str())) return std::nullopt;
  ShownFile file;
  file.Set(std::move(folder), std::move(name));
  return file;
}

std::vector<std::wstring> AskFilesToOpen(HWND owner) {
  constexpr size_t kFileNameChars = 64 * 1024;
  static wchar_t fileName[kFileNameChars] = L"*.*";
  // The filter's texts, each ended by a zero; c_str adds the list's last.
  static constexpr char kFilter[] = "すべてのファイル(*.*)\0*.*\0";
  static const std::wstring filter = FromCp932(std::string_view(kFilter, sizeof kFilter - 1));
  OPENFILENAMEW ofn = {};
  ofn.lStructSize = sizeof(ofn);
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = filter.c_str();
  ofn.lpstrFile = fileName;
  ofn.nMaxFile = kFileNameChars;
  ofn.lpstrDefExt = nullptr;
  // The current directory is the shown folder's, which the list relies on.
  ofn.Flags = OFN_ALLOWMULTISELECT | OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST |
              OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
  if (!AskFileToOpen(&ofn)) return {};
  // One file: its full path. Several: the folder, then each name, each
  // ended by a zero, the list by a second zero.
  std::vector<std::wstring> parts;
  for (const wchar_t* p = fileName; *p; p += parts.back().size() + 1) parts.emplace_back(p);
  if (parts.size() == 1) return parts;
  std::vector<std::wstring> paths;
  for (size_t i = 1; i < parts.size(); ++i) paths.push_back(JoinPath(parts[0], parts[i]));
  return paths;
}

std::vector<std::wstring> TakeDroppedFiles(HDROP drop) {
  auto nameAt = [drop](UINT i) {
    std::wstring name(DragQueryFileW(drop, i, nullptr, 0) + 1, L'\0');
    name.resize(DragQueryFileW(drop, i, name.data(), static_cast<UINT>(name.size())));
    return name;
  };
  const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  std::vector<std::wstring> names;
  for (UINT i = 0; i < count; ++i) names.push_back(nameAt(i));
  DragFinish(drop);
  return names;
}

void OpenInNewViewer(HWND owner, const std::vector<std::wstring>& names) {
  const std::wstring parameters = BuildParameters(names);
  ShellExecuteW(owner, L"open", ProgramPath().c_str(), parameters.c_str(), nullptr, SW_SHOW);
}

}  // namespace bex
