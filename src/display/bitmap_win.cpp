#include "display/bitmap_win.h"

#include "shared/picture_limits.h"

namespace bex {

std::shared_ptr<Bitmap> Bitmap::Create(int width, int height) {
  if (BitmapBytes(width, height) == 0) return nullptr;
  return Make(width, height, nullptr);
}

std::shared_ptr<Bitmap> Bitmap::OnSection(HANDLE section, int width, int height,
                                          SectionReturn giveBack) {
  if (BitmapBytes(width, height) == 0) {
    CloseHandle(section);
    return nullptr;
  }
  std::shared_ptr<Bitmap> bitmap = Make(width, height, section);
  if (bitmap) bitmap->giveBack_ = std::move(giveBack);
  return bitmap;
}

std::shared_ptr<Bitmap> Bitmap::Make(int width, int height, HANDLE section) {
  BITMAPINFO bi = {};
  bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
  bi.bmiHeader.biWidth = width;
  bi.bmiHeader.biHeight = -height;  // top-down
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP handle = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, section, 0);
  if (!handle || !bits) {
    if (handle) DeleteObject(handle);
    if (section) CloseHandle(section);
    return nullptr;
  }
  return std::shared_ptr<Bitmap>(
      new Bitmap(handle, section, static_cast<uint32_t*>(bits), width, height));
}

// The bitmap's view of the section goes first, then the section.
Bitmap::~Bitmap() {
  DeleteObject(handle_);
  if (!section_) return;
  if (giveBack_) {
    giveBack_(section_, BitmapBytes(width_, height_));
  } else {
    CloseHandle(section_);
  }
}

}  // namespace bex
