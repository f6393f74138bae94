// A plain Susie plug-in for WebP alone, written the way a straightforward
// dedicated plug-in is, as the yardstick of our plug-in's WebP decoding
// (tools/codecbench.sh): the file read whole, libwebp's simple decoder into
// a buffer of its own (BGR, or BGRA when the picture has alpha), then the
// rows turned over into a bottom-up DIB of 24 or 32 bits.
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <vector>
#include <webp/decode.h>

#include "shared/spi_exports.h"

namespace {

constexpr int kOk = 0, kUnknownFormat = 2, kBrokenData = 3, kNoMemory = 4, kReadError = 6;
constexpr unsigned kFromMemory = 1;

bool IsWebp(const BYTE* head, size_t size) {
  return size >= 12 && std::memcmp(head, "RIFF", 4) == 0 && std::memcmp(head + 8, "WEBP", 4) == 0;
}

// The picture's bytes: the host's memory, or the file from the offset on.
int Load(LPCSTR buffer, LONG_PTR length, unsigned flag, std::vector<BYTE>* file, const BYTE** data,
         size_t* size) {
  if ((flag & 7) == kFromMemory) {
    *data = reinterpret_cast<const BYTE*>(buffer);
    *size = static_cast<size_t>(length);
    return kOk;
  }
  const HANDLE handle = CreateFileA(buffer, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return kReadError;
  const DWORD total = GetFileSize(handle, nullptr);
  DWORD read = 0;
  const bool ok =
      total != INVALID_FILE_SIZE && total >= DWORD(length) &&
      SetFilePointer(handle, LONG(length), nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER;
  if (ok) {
    file->resize(total - DWORD(length));
    ReadFile(handle, file->data(), DWORD(file->size()), &read, nullptr);
  }
  CloseHandle(handle);
  if (!ok || read != file->size()) return kReadError;
  *data = file->data();
  *size = file->size();
  return kOk;
}

// A WebP picture's bytes and features.
struct LoadedWebp {
  std::vector<BYTE> file;
  const BYTE* data = nullptr;
  size_t size = 0;
  WebPBitstreamFeatures features{};
};

int LoadWebp(LPCSTR buffer, LONG_PTR length, unsigned flag, LoadedWebp* webp) {
  const int loaded = Load(buffer, length, flag, &webp->file, &webp->data, &webp->size);
  if (loaded != kOk) return loaded;
  if (!IsWebp(webp->data, webp->size)) return kUnknownFormat;
  return WebPGetFeatures(webp->data, webp->size, &webp->features) == VP8_STATUS_OK ? kOk
                                                                                   : kBrokenData;
}

}  // namespace

extern "C" {

__declspec(dllexport) int WINAPI GetPluginInfo(int infoNumber, LPSTR buffer, int bufferLength) {
  static const char* const kInfo[] = {"00IN", "WebP plug-in (libwebp)", "*.webp", "WebP"};
  if (infoNumber < 0 || infoNumber >= 4 || bufferLength <= 0) return 0;
  lstrcpynA(buffer, kInfo[infoNumber], bufferLength);
  return lstrlenA(buffer);
}

__declspec(dllexport) int WINAPI IsSupported(LPCSTR /*fileName*/, DWORD_PTR handleOrAddress) {
  BYTE head[12];
  if (handleOrAddress & ~DWORD_PTR{0xFFFF})
    return IsWebp(reinterpret_cast<const BYTE*>(handleOrAddress), 12);
  DWORD read = 0;
  if (!ReadFile(reinterpret_cast<HANDLE>(handleOrAddress), head, sizeof head, &read, nullptr))
    return 0;
  return IsWebp(head, read);
}

__declspec(dllexport) int WINAPI
    GetPictureInfo(LPCSTR buffer, LONG_PTR length, unsigned flag, bex::SpiPictureInfo* info) {
  LoadedWebp webp;
  const int loaded = LoadWebp(buffer, length, flag, &webp);
  if (loaded != kOk) return loaded;
  const WebPBitstreamFeatures& features = webp.features;
  *info = bex::SpiPictureInfo{
      0, 0, features.width, features.height, 0, 0, int16_t(features.has_alpha ? 32 : 24), nullptr};
  return kOk;
}

__declspec(dllexport) int WINAPI
    GetPicture(LPCSTR buffer, LONG_PTR length, unsigned flag, HLOCAL* bitmapInfo, HLOCAL* bits,
               FARPROC /*progress*/, LONG_PTR /*progressData*/) {
  LoadedWebp webp;
  const int loaded = LoadWebp(buffer, length, flag, &webp);
  if (loaded != kOk) return loaded;
  const bool alpha = webp.features.has_alpha;
  const int pixelBytes = alpha ? 4 : 3;
  int width = 0, height = 0;
  uint8_t* decoded = alpha ? WebPDecodeBGRA(webp.data, webp.size, &width, &height)
                           : WebPDecodeBGR(webp.data, webp.size, &width, &height);
  if (!decoded) return kBrokenData;
  const size_t rowBytes = size_t(width) * pixelBytes;
  const size_t stride = (rowBytes + 3) & ~size_t{3};
  *bitmapInfo = LocalAlloc(LMEM_MOVEABLE | LMEM_ZEROINIT, sizeof(BITMAPINFOHEADER));
  *bits = LocalAlloc(LMEM_MOVEABLE, stride * height);
  if (!*bitmapInfo || !*bits) {
    WebPFree(decoded);
    if (*bitmapInfo) LocalFree(*bitmapInfo);
    if (*bits) LocalFree(*bits);
    *bitmapInfo = *bits = nullptr;
    return kNoMemory;
  }
  auto* header = static_cast<BITMAPINFOHEADER*>(LocalLock(*bitmapInfo));
  header->biSize = sizeof(BITMAPINFOHEADER);
  header->biWidth = width;
  header->biHeight = height;
  header->biPlanes = 1;
  header->biBitCount = WORD(pixelBytes * 8);
  header->biCompression = BI_RGB;
  header->biSizeImage = DWORD(stride * height);
  auto* dib = static_cast<uint8_t*>(LocalLock(*bits));
  for (int y = 0; y < height; ++y) {
    uint8_t* row = dib + (height - 1 - y) * stride;
    std::memcpy(row, decoded + y * rowBytes, rowBytes);
    std::memset(row + rowBytes, 0, stride - rowBytes);
  }
  LocalUnlock(*bits);
  LocalUnlock(*bitmapInfo);
  WebPFree(decoded);
  return kOk;
}

}  // extern "C"
