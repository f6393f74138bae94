// Copying the shown picture to the clipboard, at full size or as displayed.
#include "display/picture_view_win.h"

namespace bex {
namespace {

// A device-dependent copy of a picture, which the clipboard then owns.
HBITMAP DeviceCopy(const Bitmap& picture) {
  HDC screen = GetDC(nullptr);
  HBITMAP copy = CreateCompatibleBitmap(screen, picture.Width(), picture.Height());
  if (copy) {
    HDC src = CreateCompatibleDC(screen);
    HDC dst = CreateCompatibleDC(screen);
    HGDIOBJ oldSrc = SelectObject(src, picture.Handle());
    HGDIOBJ oldDst = SelectObject(dst, copy);
    BitBlt(dst, 0, 0, picture.Width(), picture.Height(), src, 0, 0, SRCCOPY);
    SelectObject(dst, oldDst);
    SelectObject(src, oldSrc);
    DeleteDC(dst);
    DeleteDC(src);
  }
  ReleaseDC(nullptr, screen);
  return copy;
}

// Puts a picture on the clipboard as CF_BITMAP. Pictures are kept in 32 bits
// per pixel, so there is never a palette to add.
void PutOnClipboard(HWND owner, const Bitmap& picture) {
  HBITMAP copy = DeviceCopy(picture);
  if (!copy) return;
  if (!OpenClipboard(owner)) {
    DeleteObject(copy);
    return;
  }
  EmptyClipboard();
  if (!SetClipboardData(CF_BITMAP, copy)) DeleteObject(copy);
  CloseClipboard();
}

}  // namespace

void PictureView::CopyFullSize() const {
  if (const BitmapRef& picture = Picture()) PutOnClipboard(window_, *picture);
}

void PictureView::CopyAsDisplayed() const {
  if (const auto displayed = RenderDisplayed()) PutOnClipboard(window_, *displayed);
}

}  // namespace bex
