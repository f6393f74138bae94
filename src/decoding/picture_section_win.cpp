#include "decoding/picture_section_win.h"

#include "shared/picture_limits.h"

namespace bex {

std::unique_ptr<PictureSection> PictureSection::Create(int width, int height) {
  const uint64_t bytes = BitmapBytes(width, height);
  if (bytes == 0) return nullptr;
  HANDLE section = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                      static_cast<DWORD>(bytes), nullptr);
  return section ? On(section, width, height) : nullptr;
}

std::unique_ptr<PictureSection> PictureSection::On(HANDLE section, int width, int height) {
  const uint64_t bytes = BitmapBytes(width, height);
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
