// The exports of a Susie plug-in module as the viewer calls them and the test
// modules declare them.
#pragma once

#include <windows.h>

#include <cstdint>

namespace bex {

// The picture-information record of the plug-in interface (26 bytes, packed).
#pragma pack(push, 1)
struct SpiPictureInfo {
  int32_t left;
  int32_t top;
  int32_t width;
  int32_t height;
  uint16_t xDensity;
  uint16_t yDensity;
  int16_t colorDepth;
  HLOCAL textInfo;  // the module's text about the picture; the host frees it
};
#pragma pack(pop)
// 64-bit modules (.sph) keep the packing; only the handle grows.
static_assert(sizeof(SpiPictureInfo) == 22 + sizeof(HLOCAL));

// The exports of a plug-in module, each once: name and parameters, in the
// order the host resolves them. All return an int and use the calling
// convention of the Windows API. Offsets and callback data are pointer-wide
// in 64-bit modules, as the handle of IsSupported is. GetPictureToFitW and
// GetPicturePartW are no Susie exports but our plug-in's own
// (plugins/wicspi): the picture reduced as far as it still covers its fit
// into a box, and the part of it at its top left that a box holds, or -1
// where it has none.
#define BEX_SPI_EXPORTS(X)                                                                    \
  X(GetPluginInfo, (int infoNo, LPSTR buf, int bufLen))                                       \
  X(IsSupported, (LPCSTR fileName, DWORD_PTR fileHandle))                                     \
  X(GetPictureInfo, (LPCSTR buf, LONG_PTR len, unsigned flag, SpiPictureInfo* info))          \
  X(GetPicture, (LPCSTR buf, LONG_PTR len, unsigned flag, HLOCAL* bitmapInfo, HLOCAL* bits,   \
                 FARPROC progress, LONG_PTR progressData))                                    \
  X(GetPreview, (LPCSTR buf, LONG_PTR len, unsigned flag, HLOCAL* bitmapInfo, HLOCAL* bits,   \
                 FARPROC progress, LONG_PTR progressData))                                    \
  X(GetArchiveInfo, (LPCSTR buf, LONG_PTR len, unsigned flag, HLOCAL* archiveInfo))           \
  X(GetFile, (LPCSTR src, LONG_PTR len, LPSTR dest, unsigned flag, FARPROC progress,          \
              LONG_PTR progressData))                                                         \
  X(IsSupportedW, (LPCWSTR fileName, DWORD_PTR fileHandle))                                   \
  X(GetPictureInfoW, (LPCWSTR buf, LONG_PTR len, unsigned flag, SpiPictureInfo* info))        \
  X(GetPictureW, (LPCWSTR buf, LONG_PTR len, unsigned flag, HLOCAL* bitmapInfo, HLOCAL* bits, \
                  FARPROC progress, LONG_PTR progressData))                                   \
  X(GetPreviewW, (LPCWSTR buf, LONG_PTR len, unsigned flag, HLOCAL* bitmapInfo, HLOCAL* bits, \
                  FARPROC progress, LONG_PTR progressData))                                   \
  X(GetPictureToFitW, (LPCWSTR buf, LONG_PTR len, unsigned flag, int boxWidth, int boxHeight, \
                       HLOCAL* bitmapInfo, HLOCAL* bits))                                     \
  X(GetPicturePartW, (LPCWSTR buf, LONG_PTR len, unsigned flag, int boxWidth, int boxHeight,  \
                      HLOCAL* bitmapInfo, HLOCAL* bits))

#define BEX_SPI_FUNCTION_TYPE(name, params) using Spi##name = int(WINAPI*) params;
BEX_SPI_EXPORTS(BEX_SPI_FUNCTION_TYPE)
#undef BEX_SPI_FUNCTION_TYPE

}  // namespace bex
