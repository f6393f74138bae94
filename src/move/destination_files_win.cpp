// Reading and writing "M_DIR.DAT" and "R_DIR.DAT".
#include "move/destination_files_win.h"

#include <algorithm>

#include "common/cp932.h"
#include "common/message_box_win.h"
#include "move/filing_win.h"

namespace bex {
namespace {

// Data files are a few kilobytes; anything this large is not one of ours.
constexpr LONGLONG kLargestDataFile = 16 << 20;
// WriteFile takes a 32-bit count; the content goes in pieces of this size.
constexpr size_t kWritePiece = 1 << 20;

class FileHandle {
 public:
  explicit FileHandle(HANDLE handle) : handle_(handle) {}
  ~FileHandle() { Close(); }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;

  bool Valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE Get() const { return handle_; }
  bool Close() {
    const bool closed = !Valid() || CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
    return closed;
  }

 private:
  HANDLE handle_;
};

// Writes bytes to a new file at path and flushes it to the disk. A write the
// system takes only in part (a full disk) counts as failed.
DWORD WriteFlushed(const std::string& path, std::string_view bytes) {
  FileHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.Valid()) return GetLastError();
  size_t done = 0;
  while (done < bytes.size()) {
    const DWORD piece = static_cast<DWORD>(std::min(bytes.size() - done, kWritePiece));
    DWORD written = 0;
    if (!WriteFile(file.Get(), bytes.data() + done, piece, &written, nullptr)) {
      return GetLastError();
    }
    if (written == 0) return ERROR_DISK_FULL;
    done += written;
  }
  if (!FlushFileBuffers(file.Get())) return GetLastError();
  if (!file.Close()) return GetLastError();
  return ERROR_SUCCESS;
}

}  // namespace

std::string DataFilePath(std::string_view name) { return ProgramFolder() + std::string(name); }

std::optional<std::string> ReadWholeFile(const std::string& path) {
  FileHandle file(CreateFileA(path.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  LARGE_INTEGER size;
  if (!file.Valid() || !GetFileSizeEx(file.Get(), &size) || size.QuadPart > kLargestDataFile) {
    return std::nullopt;
  }
  std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
  DWORD read = 0;
  if (!ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr)) {
    return std::nullopt;
  }
  bytes.resize(read);
  return bytes;
}

DWORD ReplaceFileContent(const std::string& path, std::string_view bytes) {
  const std::string folder(FolderPart(path));
  char temporary[MAX_PATH];
  if (!GetTempFileNameA(folder.empty() ? "." : folder.c_str(), "bex", 0, temporary)) {
    return GetLastError();
  }
  DWORD error = WriteFlushed(temporary, bytes);
  if (error == ERROR_SUCCESS &&
      !MoveFileExA(temporary, path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    error = GetLastError();
  }
  if (error != ERROR_SUCCESS) DeleteFileA(temporary);
  return error;
}

std::string SystemErrorText(DWORD error) {
  char* text = nullptr;
  const DWORD n = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string message = n ? std::string(text, n) : "エラー " + std::to_string(error);
  if (text) LocalFree(text);
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r')) {
    message.pop_back();
  }
  return message;
}

const DestinationTree& Filing::ReadDestinations() {
  const std::string path = DataFilePath(kDestinationsFileName);
  if (!PathExists(path)) return destinations_;
  if (const auto bytes = ReadWholeFile(path)) destinations_ = ParseDestinations(*bytes);
  return destinations_;
}

void Filing::ReplaceDestinations(DestinationTree tree) {
  destinations_ = std::move(tree);
  const DWORD error =
      ReplaceFileContent(DataFilePath(kDestinationsFileName), SerializeDestinations(destinations_));
  if (error != ERROR_SUCCESS) ShowMessage(owner_, "移動先フォルダーが保存できません", "保存エラー");
}

void Filing::LoadHistory() {
  const std::string path = DataFilePath(kHistoryFileName);
  if (!PathExists(path)) return;
  if (const auto bytes = ReadWholeFile(path)) history_ = ParseHistory(*bytes);
}

void Filing::RecordDestination(const std::string& destination) {
  LoadHistory();
  RecordInHistory(history_, FolderOfDestination(destination));
  const std::string path = DataFilePath(kHistoryFileName);
  const DWORD error = ReplaceFileContent(path, SerializeHistory(history_));
  if (error != ERROR_SUCCESS) {
    ShowMessage(owner_, path + "\nに移動先の履歴を保存できません。\n" + SystemErrorText(error),
                "保存エラー");
  }
}

}  // namespace bex
