// Feeds arbitrary bytes to the plug-in's readers of a file's head: the EXIF
// orientation of JPEG, PNG and TIFF files and of EXIF blocks, and the choice
// of decoder (which reads a TIFF's first directory and an ISO base media
// file's brands). The orientation is always one of the eight, and nothing may
// crash.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "wicspi/decoding_plan.h"
#include "wicspi/exif_orientation.h"

namespace {

using namespace std::string_view_literals;

// The bytes as they are and behind each reader's signature, so that every
// reader sees them.
constexpr std::string_view kSignatures[] = {""sv,
                                            "\xFF\xD8\xFF"sv,
                                            "\x89PNG\r\n\x1A\n"sv,
                                            "Exif\0\0"sv,
                                            "II*\0"sv,
                                            "MM\0*"sv,
                                            "\0\0\0\x18"
                                            "ftyp"sv};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace bex::wicspi;
  for (std::string_view signature : kSignatures) {
    std::vector<uint8_t> bytes(signature.begin(), signature.end());
    bytes.insert(bytes.end(), data, data + size);
    const int orientation = ReadExifOrientation(bytes.data(), bytes.size());
    if (orientation < 1 || orientation > 8) std::abort();
    static_cast<void>(FormatOf(bytes.data(), bytes.size()));
  }
  return 0;
}
