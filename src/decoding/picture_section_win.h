// A decoded picture as the plug-in helper writes it: 32-bit pixels, rows top
// down, in a section of shared memory that the viewer then maps as its
// bitmap (Bitmap::OnSection). The helper maps the section as plain memory:
// no GDI object is made, so that the helper starts without user32 and gdi32
// (loading them is a good part of a process's start under Wine).
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <memory>

namespace bex {

class PictureSection {
 public:
  // A new black picture of the given size; null when a side is not
  // positive or the memory cannot be had.
  static std::unique_ptr<PictureSection> Create(int width, int height);
  // The picture of width x height in section, which it owns from then on,
  // also when it fails (null: the section is too small or does not map).
  static std::unique_ptr<PictureSection> On(HANDLE section, int width, int height);
  ~PictureSection();
  PictureSection(const PictureSection&) = delete;
  PictureSection& operator=(const PictureSection&) = delete;

  int Width() const { return width_; }
  int Height() const { return height_; }
  HANDLE Section() const { return section_; }
  // Row 0 is the top row; pixels are 0x00RRGGBB.
  uint32_t* Bits() const { return bits_; }
  ptrdiff_t Stride() const { return static_cast<ptrdiff_t>(width_) * 4; }

 private:
  PictureSection(HANDLE section, uint32_t* bits, int width, int height)
      : section_(section), bits_(bits), width_(width), height_(height) {}
  HANDLE section_;
  uint32_t* bits_;
  int width_;
  int height_;
};

}  // namespace bex
