#include "wicspi/picture_bytes.h"

#include "wicspi/susie_api.h"

namespace bex::wicspi {
namespace {

// Files are read whole into the address space: beyond this a 32-bit host
// would have no room left for the decoded picture.
constexpr LONGLONG kMaxFileBytes = 512ll * 1024 * 1024;

class FileHandle {
 public:
  explicit FileHandle(HANDLE handle) : handle_(handle) {}
  ~FileHandle() {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
};

bool ReadFully(HANDLE file, BYTE* buffer, DWORD size) {
  while (size > 0) {
    DWORD read = 0;
    if (!ReadFile(file, buffer, size, &read, nullptr) || read == 0) return false;
    buffer += read;
    size -= read;
  }
  return true;
}

}  // namespace

// Others may keep the file open, even for writing, while the host shows it.
constexpr DWORD kSharing = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

int PictureBytes::LoadFile(const char* name, LONG offset) {
  if (!name || offset < 0) return kSpiFileReadError;
  const FileHandle file(CreateFileA(name, GENERIC_READ, kSharing, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  return LoadOpenedFile(file.get(), offset);
}

int PictureBytes::LoadFile(const wchar_t* name, LONG offset) {
  if (!name || offset < 0) return kSpiFileReadError;
  const FileHandle file(CreateFileW(name, GENERIC_READ, kSharing, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  return LoadOpenedFile(file.get(), offset);
}

int PictureBytes::LoadOpenedFile(HANDLE opened, LONG offset) {
  const HANDLE file = opened;
  if (file == INVALID_HANDLE_VALUE) return kSpiFileReadError;
  LARGE_INTEGER fileSize;
  if (!GetFileSizeEx(file, &fileSize) || fileSize.QuadPart < offset) return kSpiFileReadError;
  const LONGLONG size = fileSize.QuadPart - offset;
  if (size == 0) return kSpiUnknownFormat;
  if (size > kMaxFileBytes) return kSpiNoMemory;
  LARGE_INTEGER start;
  start.QuadPart = offset;
  if (!SetFilePointerEx(file, start, nullptr, FILE_BEGIN)) return kSpiFileReadError;
  fileBytes_.resize(static_cast<size_t>(size));
  if (!ReadFully(file, fileBytes_.data(), static_cast<DWORD>(size))) return kSpiFileReadError;
  data_ = fileBytes_.data();
  size_ = static_cast<DWORD>(size);
  return kSpiOk;
}

int PictureBytes::UseMemory(const void* data, LONG size) {
  if (!data || size <= 0) return kSpiUnknownFormat;
  data_ = static_cast<const BYTE*>(data);
  size_ = static_cast<DWORD>(size);
  return kSpiOk;
}

std::vector<BYTE> ReadHead(HANDLE file) {
  LARGE_INTEGER position;
  const LARGE_INTEGER zero{};
  if (!SetFilePointerEx(file, zero, &position, FILE_CURRENT)) return {};
  std::vector<BYTE> head(kSpiHeadBytes);
  DWORD read = 0;
  const BOOL ok = ReadFile(file, head.data(), kSpiHeadBytes, &read, nullptr);
  SetFilePointerEx(file, position, nullptr, FILE_BEGIN);
  head.resize(ok ? read : 0);
  return head;
}

}  // namespace bex::wicspi
