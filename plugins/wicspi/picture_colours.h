// The colours a picture's file declares for its pixels: an embedded ICC
// profile, or primaries and a transfer curve named by codes (the CICP codes
// of HEIF and AVIF, PNG's gAMA and cHRM chunks, JPEG XL's colour encoding).
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace bex::wicspi {

// How stored values become linear light.
enum class TransferCurve : uint8_t { kSrgb, kGamma };

// CIE 1931 xy chromaticity.
struct Chromaticity {
  double x = 0;
  double y = 0;
};

struct ColourEncoding {
  Chromaticity red, green, blue, white;
  TransferCurve transfer = TransferCurve::kSrgb;
  double gamma = 1;  // for kGamma: linear = stored ^ gamma

  // The primaries, white point and curve of sRGB.
  static ColourEncoding Srgb();
};

// Nothing declared (or sRGB declared by name) leaves both empty.
struct PictureColours {
  std::vector<uint8_t> icc;
  std::optional<ColourEncoding> encoding;

  bool declared() const { return !icc.empty() || encoding.has_value(); }
};

// The encoding named by CICP colour primaries and transfer characteristics
// (ITU-T H.273); none when the pair is sRGB's, or for codes this plug-in
// does not convert (PQ and HLG, which are beyond 8-bit sRGB anyway).
// Unspecified primaries count as BT.709's, and BT.709's camera curve and
// its kin as sRGB's, as pictures are shown on sRGB displays.
std::optional<ColourEncoding> EncodingOfCicp(int primaries, int transfer);

// The encoding of a PNG without iCCP and sRGB chunks, from its gAMA
// (gamma times 100000, as stored: the exponent that encodes) and cHRM
// (white, red, green, blue xy times 100000) chunks where present; none when
// neither is, or both say sRGB (a gamma of 1/2.2 counts as sRGB's curve, as
// in libpng).
std::optional<ColourEncoding> EncodingOfPngChunks(std::optional<uint32_t> gamma,
                                                  const uint32_t* chromaticities);

}  // namespace bex::wicspi
