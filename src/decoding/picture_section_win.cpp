#include "decoding/picture_section_win.h"

namespace bex {
namespace {

// The bytes of a picture of width x height; 0 when it cannot be held.
uint64_t PictureBytes(int width, int height) {
  if (width <= 0 || height <= 0) return 0;
  const uint64_t bytes = uint64_t{static_cast<uint32_t>(width)} * static_cast<uint32_t>(height) * 4;
  return bytes <= 0x7FFFFFFFull ? bytes : 0;
}

}  // namespace

std::unique_ptr<PictureSection> PictureSection::Create(int width, int height) {
  const uint64_t bytes = PictureBytes(width, height);
  if (bytes == 0) return nullptr;
  HANDLE section = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                      static_cast<DWORD>(bytes), nullptr);
  return section ? On(section, width, height) : nullptr;
}

std::unique_ptr<PictureSection> PictureSection::On(HANDLE section, int width, int height) {
  const uint64_t bytes = PictureBytes(width, height);
  void* view =
      bytes ? MapViewOfFile(section, FILE_MAP_WRITE, 0, 0, static_cast<SIZE_T>(bytes)) : nullptr;
  if (!view) {
    CloseHandle(section);
    return nullptr;
  }
  return std::unique_ptr<PictureSection>(
      new PictureSection(section, static_cast<uint32_t*>(view), width, height));
}

PictureSection::~PictureSection() {
  UnmapViewOfFile(bits_);
  CloseHandle(section_);
}

}  // namespace bex
