// A decoded picture in memory: a 32-bit top-down DIB section. Pictures are
// shared, not copied: the decoder slot that made one and the image area that
// shows it hold the same object, which lives while either holds it. A picture
// decoded by the plug-in helper lies in a section of shared memory that the
// helper wrote and the viewer's bitmap is made on, so it is never copied.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>

namespace bex {

class Bitmap {
 public:
  // A black picture of the given size, or null when it does not fit in memory
  // (or a side is not positive).
  static std::shared_ptr<Bitmap> Create(int width, int height);
  // Where a picture's section goes when the picture is destroyed, with the
  // section's size in bytes; without one the section is closed.
  using SectionReturn = std::function<void(HANDLE section, uint64_t bytes)>;
  // The picture of width x height whose pixels lie in section (another
  // process may have written them); the bitmap owns the section from then
  // on, also when it fails (null: the section is too small or does not map).
  static std::shared_ptr<Bitmap> OnSection(HANDLE section, int width, int height,
                                           SectionReturn giveBack = nullptr);
  ~Bitmap();
  Bitmap(const Bitmap&) = delete;
  Bitmap& operator=(const Bitmap&) = delete;

  int Width() const { return width_; }
  int Height() const { return height_; }
  HBITMAP Handle() const { return handle_; }
  // The shared memory holding the pixels, or null for a picture of this
  // process alone.
  HANDLE Section() const { return section_; }
  // Row 0 is the top row; pixels are 0x00RRGGBB.
  uint32_t* Bits() const { return bits_; }
  ptrdiff_t Stride() const { return static_cast<ptrdiff_t>(width_) * 4; }

 private:
  Bitmap(HBITMAP handle, HANDLE section, uint32_t* bits, int width, int height)
      : handle_(handle), section_(section), bits_(bits), width_(width), height_(height) {}
  static std::shared_ptr<Bitmap> Make(int width, int height, HANDLE section);
  HBITMAP handle_;
  HANDLE section_;
  SectionReturn giveBack_;
  uint32_t* bits_;
  int width_;
  int height_;
};

using BitmapRef = std::shared_ptr<const Bitmap>;

}  // namespace bex
