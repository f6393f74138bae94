#include "common/files_win.h"

#include <windows.h>

#include <algorithm>

#include "common/code_page_win.h"
#include "common/companion_files.h"
#include "common/content_fingerprint.h"
#include "common/cp932.h"
#include "common/wide_text.h"
#include "shared/module_function_win.h"

namespace bex {

bool PathExists(const std::wstring& path) {
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(path.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return false;
  FindClose(search);
  return true;
}

bool PathExists(const std::string& path) { return PathExists(FromCp932(path)); }

std::wstring ProgramPath() {
  wchar_t path[MAX_PATH * 4];
  const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH * 4);
  return std::wstring(path, n);
}

std::wstring WideProgramFolder() { return std::wstring(FolderPart(ProgramPath())); }

std::optional<std::string> Cp932PathOf(const std::wstring& path) {
  if (std::optional<std::string> exact = ExactCp932(path)) return exact;
  wchar_t shortPath[MAX_PATH * 4];
  const DWORD n = GetShortPathNameW(path.c_str(), shortPath, MAX_PATH * 4);
  if (n == 0 || n >= MAX_PATH * 4) return std::nullopt;
  return ExactCp932(std::wstring_view(shortPath, n));
}

std::wstring LongPathOf(const std::wstring& path) {
  wchar_t longPath[MAX_PATH * 4];
  const DWORD n = GetLongPathNameW(path.c_str(), longPath, MAX_PATH * 4);
  return n > 0 && n < MAX_PATH * 4 ? std::wstring(longPath, n) : path;
}

// A folder whose name code page 932 cannot hold (a user folder named
// "Müller") is named by its short form, which can: the files there are then
// still the program's own, never those of a look-alike folder.
std::string ProgramFolder() {
  static const std::string folder = [] {
    if (std::optional<std::string> named = Cp932PathOf(WideProgramFolder())) return *named;
    // No form names it exactly (short names turned off): the system's own.
    char path[MAX_PATH * 4];
    const DWORD length = GetModuleFileNameA(nullptr, path, sizeof(path));
    return std::string(FolderPart(std::string_view(path, length)));
  }();
  return folder;
}

// Where the system has SetDefaultDllDirectories (Windows 8, Windows 7 with
// its update, Wine), the default search becomes the program's folder and the
// system folders; a module loaded with LOAD_WITH_ALTERED_SEARCH_PATH adds its
// own folder. Elsewhere an empty DLL directory removes the current directory
// (Wine ignores an empty one, hence the first choice).
void KeepCurrentFolderOutOfLibrarySearch() {
  using SetDefaultDirectories = BOOL(WINAPI*)(DWORD);
  const auto setDefault = ModuleFunction<SetDefaultDirectories>(GetModuleHandleA("kernel32.dll"),
                                                                "SetDefaultDllDirectories");
  if (!setDefault || !setDefault(LOAD_LIBRARY_SEARCH_DEFAULT_DIRS)) SetDllDirectoryA("");
}

std::wstring FullPath(const std::wstring& path) {
  constexpr DWORD kSize = MAX_PATH * 4;
  wchar_t buffer[kSize];
  const DWORD n = GetFullPathNameW(path.c_str(), kSize, buffer, nullptr);
  return n > 0 && n < kSize ? std::wstring(buffer, n) : std::wstring();
}

std::wstring CurrentDirectory() {
  wchar_t buffer[MAX_PATH];
  const DWORD n = GetCurrentDirectoryW(MAX_PATH, buffer);
  return n > 0 && n < MAX_PATH ? std::wstring(buffer, n) : std::wstring();
}

std::wstring FullPathOrAsGiven(const std::wstring& path) {
  const std::wstring full = FullPath(path);
  return full.empty() ? path : full;
}

FileLook VersionOf(const std::wstring& path) {
  // No read access is asked, so a file that another program holds open,
  // even for writing, still answers.
  HANDLE file = CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    const bool gone = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    return {gone ? FileLook::Found::kGone : FileLook::Found::kUnknown, {}};
  }
  BY_HANDLE_FILE_INFORMATION info;
  const BOOL answered = GetFileInformationByHandle(file, &info);
  CloseHandle(file);
  if (!answered) return {};
  const auto join = [](DWORD high, DWORD low) { return (uint64_t{high} << 32) | low; };
  return {FileLook::Found::kVersion,
          {join(info.nFileSizeHigh, info.nFileSizeLow),
           join(info.ftLastWriteTime.dwHighDateTime, info.ftLastWriteTime.dwLowDateTime),
           join(info.nFileIndexHigh, info.nFileIndexLow), info.dwVolumeSerialNumber}};
}

bool IsFolder(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsFile(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

namespace {

bool ReadAt(HANDLE file, uint64_t offset, std::string& bytes) {
  LARGE_INTEGER at;
  at.QuadPart = static_cast<LONGLONG>(offset);
  DWORD read = 0;
  return SetFilePointerEx(file, at, nullptr, FILE_BEGIN) &&
         ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) &&
         read == bytes.size();
}

}  // namespace

std::optional<uint64_t> ContentFingerprintOf(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  LARGE_INTEGER size;
  std::optional<uint64_t> fingerprint;
  if (GetFileSizeEx(file, &size)) {
    const uint64_t bytes = static_cast<uint64_t>(size.QuadPart);
    const FingerprintSpans spans = FingerprintSpansOf(bytes);
    std::string head(spans.headSize, '\0'), tail(spans.tailSize, '\0');
    if (ReadAt(file, 0, head) && ReadAt(file, spans.tailOffset, tail)) {
      fingerprint = ContentFingerprint(bytes, head, tail);
    }
  }
  CloseHandle(file);
  return fingerprint;
}

std::vector<std::wstring> CompanionsInFolder(const std::wstring& folder,
                                             const std::wstring& shownName) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW found;
  HANDLE search =
      FindFirstFileW(JoinPath(folder, CompanionSearchPattern(shownName)).c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
  } while (FindNextFileW(search, &found));
  FindClose(search);
  // Directory searches answer in the file system's own order.
  std::sort(names.begin(), names.end());
  return CompanionsAmong(shownName, names);
}

std::optional<FileBytes> ReadWholeFile(const std::wstring& path, uint64_t maxBytes) {
  constexpr DWORD kReadChunkBytes = 16u << 20;
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  std::unique_ptr<void, BOOL(WINAPI*)(HANDLE)> closer(file, CloseHandle);
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file, &size) || static_cast<uint64_t>(size.QuadPart) > maxBytes) {
    return std::nullopt;
  }
  FileBytes bytes;
  bytes.data.reset(new (std::nothrow) uint8_t[static_cast<size_t>(size.QuadPart)]);
  if (!bytes.data) return std::nullopt;
  // A file that shrinks while it is read yields what it still holds.
  while (bytes.size < static_cast<size_t>(size.QuadPart)) {
    const DWORD wanted = static_cast<DWORD>(
        std::min<size_t>(kReadChunkBytes, static_cast<size_t>(size.QuadPart) - bytes.size));
    DWORD read = 0;
    if (!ReadFile(file, bytes.data.get() + bytes.size, wanted, &read, nullptr)) return std::nullopt;
    if (read == 0) break;
    bytes.size += read;
  }
  return bytes;
}

}  // namespace bex
