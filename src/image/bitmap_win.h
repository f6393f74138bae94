// A decoded picture in memory: a 32-bit top-down DIB section. Pictures are
// shared, not copied: the decoder slot that made one and the image area that
// shows it hold the same object, which lives while either holds it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>

namespace bex {

class Bitmap {
 public:
  // A black picture of the given size, or null when it does not fit in memory
  // (or a side is not positive).
  static std::shared_ptr<Bitmap> Create(int width, int height);
  ~Bitmap();
  Bitmap(const Bitmap&) = delete;
  Bitmap& operator=(const Bitmap&) = delete;

  int Width() const { return width_; }
  int Height() const { return height_; }
  HBITMAP Handle() const { return handle_; }
  // Row 0 is the top row; pixels are 0x00RRGGBB.
  uint32_t* Bits() const { return bits_; }
  ptrdiff_t Stride() const { return static_cast<ptrdiff_t>(width_) * 4; }

 private:
  Bitmap(HBITMAP handle, uint32_t* bits, int width, int height)
      : handle_(handle), bits_(bits), width_(width), height_(height) {}
  HBITMAP handle_;
  uint32_t* bits_;
  int width_;
  int height_;
};

using BitmapRef = std::shared_ptr<const Bitmap>;

}  // namespace bex
