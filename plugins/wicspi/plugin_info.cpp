#include "wicspi/plugin_info.h"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace bex::wicspi {
namespace {

// Number 0 is the interface version ("00IN": image import), 1 the plug-in's
// name; then each format has its file patterns (2n+2) and description (2n+3).
// Support is decided from the content, so the patterns only feed hosts' open
// dialogs: they list the plug-in's own decoders and the codecs Windows ships.
constexpr const char* kInfoTexts[] = {
    "00IN",
    "Bex WIC Plug-in 1.0 (libjpeg-turbo, libspng, libwebp, libheif, libjxl, LibRaw, Windows "
    "Imaging Component)",
    "*.jpg;*.jpeg;*.jpe;*.jfif",
    "JPEG",
    "*.png",
    "PNG",
    "*.gif",
    "GIF",
    "*.tif;*.tiff",
    "TIFF",
    "*.ico",
    "Icon",
    "*.jxr;*.wdp;*.hdp",
    "JPEG XR",
    "*.heic;*.heif;*.hif;*.avif",
    "HEIF (HEIC, AVIF)",
    "*.webp",
    "WebP",
    "*.jxl",
    "JPEG XL",
    "*.dng;*.cr2;*.cr3;*.crw;*.nef;*.nrw;*.arw;*.srf;*.sr2;*.raf;*.orf;*.rw2;*.pef;*.srw;*.erf;"
    "*.kdc;*.dcr;*.mos;*.mef;*.mrw;*.x3f;*.3fr;*.fff;*.iiq;*.rwl",
    "Camera RAW",
};

}  // namespace

int CopyPluginInfo(int infoNumber, char* buffer, int bufferLength) {
  if (infoNumber < 0 || infoNumber >= static_cast<int>(std::size(kInfoTexts))) return 0;
  if (!buffer || bufferLength <= 0) return 0;
  const char* text = kInfoTexts[infoNumber];
  const size_t length = std::min(std::strlen(text), static_cast<size_t>(bufferLength - 1));
  std::memcpy(buffer, text, length);
  buffer[length] = '\0';
  return static_cast<int>(length);
}

}  // namespace bex::wicspi
