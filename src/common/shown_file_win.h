// The file whose picture is on screen: its bare name and the folder it was
// opened from, which is also the process's current directory.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace bex {

class ShownFile {
 public:
  const std::wstring& Name() const { return name_; }
  // Always a full path, of at most 259 characters.
  const std::wstring& Folder() const { return folder_; }
  void Set(std::wstring folder, std::wstring name) {
    folder_ = std::move(folder);
    name_ = std::move(name);
  }
  // Another file of the same folder is shown.
  void SetName(std::wstring name) { name_ = std::move(name); }

  // The full path, or none: nothing shown yet, or after a message owned by
  // owner for a path that does not fit the platform's buffers.
  std::optional<std::wstring> Path(HWND owner) const;
  // Whether path is this file: a command decides its file before any dialog
  // and checks it before acting.
  bool Is(const std::wstring& path) const;

 private:
  std::wstring folder_;
  std::wstring name_;
};

}  // namespace bex
