#include "image/bitmap_win.h"

namespace bex {

std::shared_ptr<Bitmap> Bitmap::Create(int width, int height) {
  if (width <= 0 || height <= 0) return nullptr;
  if (static_cast<uint64_t>(width) * static_cast<uint64_t>(height) * 4 > 0x7FFFFFFFull) {
    return nullptr;
  }
  BITMAPINFO bi = {};
  bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
  bi.bmiHeader.biWidth = width;
  bi.bmiHeader.biHeight = -height;  // top-down
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP handle = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!handle || !bits) {
    if (handle) DeleteObject(handle);
    return nullptr;
  }
  return std::shared_ptr<Bitmap>(new Bitmap(handle, static_cast<uint32_t*>(bits), width, height));
}

Bitmap::~Bitmap() { DeleteObject(handle_); }

}  // namespace bex
