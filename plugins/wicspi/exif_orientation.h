// The EXIF orientation of JPEG, PNG and TIFF files and of EXIF blocks, read from the file's bytes
// so that it does not depend on which metadata readers the system's codecs have.
#pragma once

#include <cstddef>
#include <cstdint>

namespace bex::wicspi {

// Orientation 1 means the stored picture is already upright.
constexpr int kUpright = 1;

// The orientation tag (1..8) of IFD 0 of a JPEG file's EXIF segment, a PNG
// file's eXIf chunk, a TIFF file or an EXIF block (a TIFF structure, perhaps
// after "Exif\0\0"); kUpright when there is none or it is damaged or out of
// range.
int ReadExifOrientation(const uint8_t* data, size_t size);

}  // namespace bex::wicspi
