// Copying the shown picture to the clipboard, at full size or as displayed.
#include "common/message_box_win.h"
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

constexpr char kCopyErrorCaption[] = "コピーエラー";

// Puts a device-dependent copy on the clipboard as CF_BITMAP; the clipboard
// owns it from then on.
void HandToClipboard(HWND owner, HBITMAP copy) {
  if (!OpenClipboard(owner)) {
    DeleteObject(copy);
    return;
  }
  EmptyClipboard();
  if (!SetClipboardData(CF_BITMAP, copy)) DeleteObject(copy);
  CloseClipboard();
}

// Puts a picture on the clipboard. Pictures are kept in 32 bits per pixel,
// so there is never a palette to add. False when there is no memory for the
// clipboard's copy: the clipboard then keeps what it held.
bool PutOnClipboard(HWND owner, const Bitmap& picture) {
  HBITMAP copy = DeviceCopy(picture);
  if (!copy) return false;
  HandToClipboard(owner, copy);
  return true;
}

}  // namespace

void PictureView::CopyFullSize() const {
  const BitmapRef& picture = Picture();
  if (picture && !PutOnClipboard(window_, *picture)) {
    ShowMessage(window_, "画像が大きすぎるため、クリップボードへコピーできませんでした。",
                kCopyErrorCaption);
  }
}

// Drawn as displayed, a picture can outgrow what a bitmap or the process's
// memory holds at a high zoom; at zoom 0 there is nothing to copy.
void PictureView::CopyAsDisplayed() const {
  if (!Picture() || DisplayedWidth() <= 0 || DisplayedHeight() <= 0) return;
  const std::shared_ptr<Bitmap> displayed = RenderDisplayed();
  if (!displayed || !PutOnClipboard(window_, *displayed)) {
    ShowMessage(window_,
                "表示中の画像が大きすぎるため、クリップボードへコピーできませんでした。\n"
                "倍率を下げてからコピーしてください。",
                kCopyErrorCaption);
  }
}

}  // namespace bex
