// The exports of wicspi.spi, a Susie image plug-in ("00IN") that decodes
// every format the system's imaging codecs read.
#include <windows.h>

#include <new>

#include "wicspi/picture_bytes.h"
#include "wicspi/plugin_info.h"
#include "wicspi/susie_api.h"
#include "wicspi/wic_picture.h"

using bex::wicspi::PictureInfo;
using bex::wicspi::ProgressCallback;

namespace bex::wicspi {
namespace {

// No exception may cross into the host.
template <typename Body>
int Guarded(Body body) noexcept {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    return kSpiNoMemory;
  } catch (...) {
    return kSpiInternalError;
  }
}

int LoadBytes(const char* buffer, LONG length, unsigned flag, PictureBytes* bytes) {
  switch (flag & kSpiInputMask) {
    case kSpiInputFile:
      return bytes->LoadFile(buffer, length);
    case kSpiInputMemory:
      return bytes->UseMemory(buffer, length);
    default:
      return kSpiNotImplemented;
  }
}

// True for the file-handle form of IsSupported's second argument: handles are
// small numbers, addresses of a host's buffer never are.
bool IsFileHandle(DWORD handleOrAddress) { return (handleOrAddress & 0xFFFF0000u) == 0; }

// What _lopen returns when it fails, passed on by a careless host.
bool IsFailedOpen(DWORD handleOrAddress) { return handleOrAddress == DWORD(HFILE_ERROR); }

}  // namespace
}  // namespace bex::wicspi

extern "C" {

__declspec(dllexport) int WINAPI GetPluginInfo(int infoNumber, LPSTR buffer, int bufferLength) {
  return bex::wicspi::CopyPluginInfo(infoNumber, buffer, bufferLength);
}

__declspec(dllexport) int WINAPI IsSupported(LPCSTR /*fileName*/, DWORD handleOrAddress) {
  using namespace bex::wicspi;
  const int known = Guarded([&]() -> int {
    if (IsFailedOpen(handleOrAddress)) return 0;
    if (IsFileHandle(handleOrAddress)) {
      const std::vector<BYTE> head = ReadHead(reinterpret_cast<HANDLE>(ULONG_PTR{handleOrAddress}));
      return int{IsKnownPicture(head.data(), static_cast<DWORD>(head.size()))};
    }
    return int{
        IsKnownPicture(reinterpret_cast<const BYTE*>(ULONG_PTR{handleOrAddress}), kSpiHeadBytes)};
  });
  return known == 1 ? 1 : 0;
}

__declspec(dllexport) int WINAPI
    GetPictureInfo(LPCSTR buffer, LONG length, UINT flag, PictureInfo* info) {
  using namespace bex::wicspi;
  return Guarded([&]() -> int {
    if (!info) return kSpiInternalError;
    PictureBytes bytes;
    const int loaded = LoadBytes(buffer, length, flag, &bytes);
    return loaded != kSpiOk ? loaded : ReadPictureInfo(bytes.data(), bytes.size(), info);
  });
}

__declspec(dllexport) int WINAPI
    GetPicture(LPCSTR buffer, LONG length, UINT flag, HLOCAL* bitmapInfo, HLOCAL* pixels,
               ProgressCallback progress, LONG progressData) {
  using namespace bex::wicspi;
  return Guarded([&]() -> int {
    if (!bitmapInfo || !pixels) return kSpiInternalError;
    *bitmapInfo = nullptr;
    *pixels = nullptr;
    PictureBytes bytes;
    const int loaded = LoadBytes(buffer, length, flag, &bytes);
    return loaded != kSpiOk ? loaded
                            : DecodePicture(bytes.data(), bytes.size(), progress, progressData,
                                            bitmapInfo, pixels);
  });
}

// The whole picture serves as its own preview: decoding is fast enough, and a
// host gets the same upright picture either way.
__declspec(dllexport) int WINAPI
    GetPreview(LPCSTR buffer, LONG length, UINT flag, HLOCAL* bitmapInfo, HLOCAL* pixels,
               ProgressCallback progress, LONG progressData) {
  return GetPicture(buffer, length, flag, bitmapInfo, pixels, progress, progressData);
}

}  // extern "C"
