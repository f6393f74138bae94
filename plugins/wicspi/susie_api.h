// The Susie Plug-in interface as this plug-in exports it: the picture
// information record, the result codes and the progress callback.
#pragma once

#include <windows.h>

namespace bex::wicspi {

// Results of GetPictureInfo, GetPicture and GetPreview.
enum SpiResult : int {
  kSpiNotImplemented = -1,
  kSpiOk = 0,
  kSpiAborted = 1,        // the progress callback asked to stop
  kSpiUnknownFormat = 2,  // no codec reads the data
  kSpiBrokenData = 3,
  kSpiNoMemory = 4,  // also for pictures too large to hand out
  kSpiMemoryError = 5,
  kSpiFileReadError = 6,
  kSpiInternalError = 8,
};

// Low bits of the flag argument: where the picture comes from.
constexpr unsigned kSpiInputMask = 7;
constexpr unsigned kSpiInputFile = 0;    // name of a file; len is the offset of the picture
constexpr unsigned kSpiInputMemory = 1;  // address of the picture; len is its size

// IsSupported reads this many bytes of the file's head; a host that passes an
// address instead of a file handle provides at least as many.
constexpr DWORD kSpiHeadBytes = 2048;

#pragma pack(push, 1)
struct PictureInfo {
  LONG left;
  LONG top;
  LONG width;
  LONG height;
  WORD xDensity;
  WORD yDensity;
  SHORT bitsPerPixel;
  HLOCAL textInfo;  // the caller frees it
};
#pragma pack(pop)
// Byte-packed: 26 bytes in a 32-bit module, 30 in a 64-bit one (.sph).
static_assert(sizeof(PictureInfo) == 22 + sizeof(HLOCAL), "the interface's record is byte-packed");

// Called with the rows done so far and the total; a non-zero answer aborts.
// The data is pointer-wide in a 64-bit module.
using ProgressCallback = int(WINAPI*)(int done, int total, LONG_PTR data);

}  // namespace bex::wicspi
