// Decoding through the Windows Imaging Component: which data a codec of the
// system reads, the size of its first frame, and that frame as the bottom-up
// 24-bit DIB the Susie interface hands out.
#pragma once

#include <windows.h>

#include "wicspi/susie_api.h"

namespace bex::wicspi {

// True when a codec of the system recognizes the head of a file (its
// signature; nothing beyond the given bytes is read).
bool IsKnownPicture(const BYTE* head, DWORD size);

// Fills `info` with the upright size of the picture's first frame and 24 bits
// per pixel; returns an SpiResult.
int ReadPictureInfo(const BYTE* data, DWORD size, PictureInfo* info);

// Decodes the first frame, upright, transparency over black, into two
// moveable local memory blocks that the caller owns from then on: the
// BITMAPINFO and the pixel rows. `progress` may be null. Returns an SpiResult;
// on failure no block is left allocated.
int DecodePicture(const BYTE* data, DWORD size, ProgressCallback progress, LONG progressData,
                  HLOCAL* bitmapInfo, HLOCAL* pixels);

}  // namespace bex::wicspi
