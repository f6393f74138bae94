// The image area: the shown picture stretched to its displayed size at the top-left
// of the main window's scrollable client area. It holds the picture by
// reference (shared with the decoder slot), and hands its mouse events to the
// main window in the displayed picture's coordinates.
//
// Its window covers only the part of the picture in the client area: a
// window may not be wider or taller than 32767 pixels, nor can a mouse
// message carry larger coordinates, and a zoomed picture can be far larger.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>

#include "display/bitmap_win.h"
#include "display/layout.h"

namespace bex {

// The size of the shrunk copy of picture that the image area paints when it
// shows the picture laid out by layout (whose picture size is the picture's
// own); none when the area paints the picture itself or a part of it.
std::optional<SIZE> DisplayCopySize(const Bitmap& picture, const LayoutInput& layout);
// That copy, made ahead of showing the picture (on any thread); null when
// none is painted or it does not fit in memory.
BitmapRef MakeDisplayCopy(const Bitmap& picture, const LayoutInput& layout);

class ImageArea {
 public:
  using MouseHandler = std::function<void(UINT msg, WPARAM keys, int x, int y)>;

  ImageArea(HWND parent, MouseHandler onMouse);
  ~ImageArea();
  ImageArea(const ImageArea&) = delete;
  ImageArea& operator=(const ImageArea&) = delete;

  HWND Handle() const { return hwnd_; }
  const BitmapRef& Picture() const { return picture_; }
  // copy: the picture's display copy made ahead, if any; it is painted when
  // it has the displayed size.
  void SetPicture(BitmapRef picture, BitmapRef copy = nullptr);
  // The displayed picture's size.
  int Width() const { return width_; }
  int Height() const { return height_; }
  void SetSize(int width, int height);
  // Places the displayed picture's top-left corner at (x, y) of the parent's
  // client area (x and y are 0 or less when it is scrolled).
  void MoveTo(int x, int y);
  // Repaints now, without waiting for the message loop.
  void RepaintNow();

  // The full-size picture drawn at the area's size, the way the area paints
  // it; null without a picture or for an empty area.
  std::shared_ptr<Bitmap> RenderDisplayed() const;

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  // Sizes and places the window over the part of the picture in view.
  void Place();
  void Paint();
  // The picture at the area's size when that is smaller (kept until the
  // picture or the size changes), so painting and scrolling only copy.
  const Bitmap* ShrunkPicture() const;

  HWND hwnd_ = nullptr;
  MouseHandler onMouse_;
  BitmapRef picture_;
  int width_ = 0;
  int height_ = 0;
  POINT origin_ = {0, 0};  // the picture's top-left corner in the parent
  POINT shown_ = {0, 0};   // the picture's pixel at the window's top-left corner
  BitmapRef prepared_;
  mutable BitmapRef shrunk_;
};

}  // namespace bex
