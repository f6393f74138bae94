#include "wicspi/picture_colours.h"

#include <cmath>

namespace bex::wicspi {
namespace {

constexpr Chromaticity kD65{0.3127, 0.3290};
constexpr Chromaticity kIlluminantC{0.310, 0.316};
constexpr Chromaticity kDciWhite{0.314, 0.351};

struct Primaries {
  int code;
  Chromaticity red, green, blue, white;
};

// CICP colour primaries (ITU-T H.273, table 2).
constexpr Primaries kPrimaries[] = {
    {1, {0.640, 0.330}, {0.300, 0.600}, {0.150, 0.060}, kD65},          // BT.709, sRGB
    {2, {0.640, 0.330}, {0.300, 0.600}, {0.150, 0.060}, kD65},          // unspecified
    {4, {0.670, 0.330}, {0.210, 0.710}, {0.140, 0.080}, kIlluminantC},  // BT.470 M
    {5, {0.640, 0.330}, {0.290, 0.600}, {0.150, 0.060}, kD65},          // BT.601 625 lines
    {6, {0.630, 0.340}, {0.310, 0.595}, {0.155, 0.070}, kD65},          // BT.601 525 lines
    {7, {0.630, 0.340}, {0.310, 0.595}, {0.155, 0.070}, kD65},          // SMPTE 240M
    {8, {0.681, 0.319}, {0.243, 0.692}, {0.145, 0.049}, kIlluminantC},  // film
    {9, {0.708, 0.292}, {0.170, 0.797}, {0.131, 0.046}, kD65},          // BT.2020
    {11, {0.680, 0.320}, {0.265, 0.690}, {0.150, 0.060}, kDciWhite},    // DCI-P3
    {12, {0.680, 0.320}, {0.265, 0.690}, {0.150, 0.060}, kD65},         // Display P3
    {22, {0.630, 0.340}, {0.295, 0.605}, {0.155, 0.077}, kD65},         // EBU 3213
};

struct Transfer {
  int code;
  TransferCurve curve;
  double gamma;
};

// CICP transfer characteristics (table 3) that 8-bit pictures use.
constexpr Transfer kTransfers[] = {
    {1, TransferCurve::kSrgb, 1},    {2, TransferCurve::kSrgb, 1},  {4, TransferCurve::kGamma, 2.2},
    {5, TransferCurve::kGamma, 2.8}, {6, TransferCurve::kSrgb, 1},  {8, TransferCurve::kGamma, 1},
    {13, TransferCurve::kSrgb, 1},   {14, TransferCurve::kSrgb, 1}, {15, TransferCurve::kSrgb, 1},
};

template <typename Entry, size_t N>
const Entry* Find(const Entry (&table)[N], int code) {
  for (const Entry& entry : table) {
    if (entry.code == code) return &entry;
  }
  return nullptr;
}

bool IsNear(const Chromaticity& a, const Chromaticity& b) {
  constexpr double kTolerance = 0.001;
  return std::fabs(a.x - b.x) <= kTolerance && std::fabs(a.y - b.y) <= kTolerance;
}

bool IsSrgb(const ColourEncoding& e) {
  const ColourEncoding s = ColourEncoding::Srgb();
  return e.transfer == TransferCurve::kSrgb && IsNear(e.red, s.red) && IsNear(e.green, s.green) &&
         IsNear(e.blue, s.blue) && IsNear(e.white, s.white);
}

std::optional<ColourEncoding> UnlessSrgb(const ColourEncoding& e) {
  return IsSrgb(e) ? std::nullopt : std::optional<ColourEncoding>(e);
}

Chromaticity PngChromaticity(const uint32_t* pair) {
  return {pair[0] / 100000.0, pair[1] / 100000.0};
}

}  // namespace

ColourEncoding ColourEncoding::Srgb() {
  const Primaries& bt709 = kPrimaries[0];
  return {bt709.red, bt709.green, bt709.blue, bt709.white, TransferCurve::kSrgb, 1};
}

std::optional<ColourEncoding> EncodingOfCicp(int primaries, int transfer) {
  const Primaries* p = Find(kPrimaries, primaries);
  const Transfer* t = Find(kTransfers, transfer);
  if (!p || !t) return std::nullopt;
  return UnlessSrgb({p->red, p->green, p->blue, p->white, t->curve, t->gamma});
}

std::optional<ColourEncoding> EncodingOfPngChunks(std::optional<uint32_t> gamma,
                                                  const uint32_t* chromaticities) {
  ColourEncoding e = ColourEncoding::Srgb();
  // 1/2.2 within libpng's tolerance stands for sRGB's curve.
  constexpr uint32_t kSrgbGamma = 45455, kGammaTolerance = 500;
  if (gamma && (*gamma == 0 || *gamma > 1000000)) return std::nullopt;  // nonsense: ignored
  if (gamma && (*gamma < kSrgbGamma - kGammaTolerance || *gamma > kSrgbGamma + kGammaTolerance)) {
    e.transfer = TransferCurve::kGamma;
    e.gamma = 100000.0 / *gamma;
  }
  if (chromaticities) {
    e.white = PngChromaticity(chromaticities);
    e.red = PngChromaticity(chromaticities + 2);
    e.green = PngChromaticity(chromaticities + 4);
    e.blue = PngChromaticity(chromaticities + 6);
  }
  return UnlessSrgb(e);
}

}  // namespace bex::wicspi
