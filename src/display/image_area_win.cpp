#include "display/image_area_win.h"

#include <windowsx.h>

#include "display/layout.h"
#include "display/resample.h"

namespace bex {
namespace {

constexpr char kImageAreaClass[] = "TBexImage";

void RegisterImageAreaClass(WNDPROC proc) {
  WNDCLASSA wc = {};
  if (GetClassInfoA(GetModuleHandleA(nullptr), kImageAreaClass, &wc)) return;
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = proc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = nullptr;  // the picture covers the whole area
  wc.lpszClassName = kImageAreaClass;
  RegisterClassA(&wc);
}

PixelsView ViewOf(const Bitmap& b) { return {b.Bits(), b.Width(), b.Height(), b.Stride()}; }

MutablePixelsView MutableViewOf(Bitmap& b) { return {b.Bits(), b.Width(), b.Height(), b.Stride()}; }

// Part of the picture drawn at the display size: the region's top-left is
// (left, top) of the displayed picture; its size is dst's.
std::shared_ptr<Bitmap> RenderRegion(const Bitmap& picture, int displayWidth, int displayHeight,
                                     int left, int top, int width, int height) {
  auto out = Bitmap::Create(width, height);
  if (!out) return nullptr;
  const DisplayRegion region{displayWidth, displayHeight, left, top};
  if (!ScaleForDisplay(ViewOf(picture), region, MutableViewOf(*out))) return nullptr;
  return out;
}

// Same size: the picture itself. Smaller: the area-averaged picture, made
// once for the size. Larger: only the part to paint, with repeated pixels.
bool PaintsShrunkCopy(const Bitmap& picture, int width, int height) {
  const bool same = picture.Width() == width && picture.Height() == height;
  return !same && static_cast<int64_t>(width) * height <=
                      static_cast<int64_t>(picture.Width()) * picture.Height();
}

void Blit(HDC dc, const RECT& to, const Bitmap& from, int fromX, int fromY) {
  HDC mem = CreateCompatibleDC(dc);
  HGDIOBJ old = SelectObject(mem, from.Handle());
  BitBlt(dc, to.left, to.top, to.right - to.left, to.bottom - to.top, mem, fromX, fromY, SRCCOPY);
  SelectObject(mem, old);
  DeleteDC(mem);
}

}  // namespace

std::optional<SIZE> DisplayCopySize(const Bitmap& picture, const LayoutInput& layout) {
  LayoutInput in = layout;
  in.pictureWidth = picture.Width();
  in.pictureHeight = picture.Height();
  const LayoutResult out = LayOutPicture(in);
  if (out.imageWidth <= 0 || out.imageHeight <= 0 ||
      !PaintsShrunkCopy(picture, out.imageWidth, out.imageHeight)) {
    return std::nullopt;
  }
  return SIZE{out.imageWidth, out.imageHeight};
}

BitmapRef MakeDisplayCopy(const Bitmap& picture, const LayoutInput& layout) {
  const std::optional<SIZE> size = DisplayCopySize(picture, layout);
  if (!size) return nullptr;
  return RenderRegion(picture, size->cx, size->cy, 0, 0, size->cx, size->cy);
}

ImageArea::ImageArea(HWND parent, MouseHandler onMouse) : onMouse_(std::move(onMouse)) {
  RegisterImageAreaClass(&ImageArea::WindowProc);
  hwnd_ = CreateWindowExA(0, kImageAreaClass, "", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, parent,
                          nullptr, GetModuleHandleA(nullptr), this);
}

ImageArea::~ImageArea() {
  if (hwnd_) {
    SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
  }
}

void ImageArea::SetPicture(BitmapRef picture, BitmapRef copy) {
  picture_ = std::move(picture);
  prepared_ = std::move(copy);
  shrunk_.reset();
  InvalidateRect(hwnd_, nullptr, FALSE);
}

void ImageArea::SetSize(int width, int height) {
  if (width == width_ && height == height_) return;
  width_ = width;
  height_ = height;
  shrunk_.reset();
  Place();
  InvalidateRect(hwnd_, nullptr, FALSE);
}

void ImageArea::MoveTo(int x, int y) {
  origin_ = {x, y};
  Place();
}

// The shown part moves by scrolling the window's content; what comes into
// view is painted.
void ImageArea::Place() {
  RECT client;
  GetClientRect(GetParent(hwnd_), &client);
  const VisibleSpan across = VisibleSpanOf(origin_.x, width_, client.right);
  const VisibleSpan down = VisibleSpanOf(origin_.y, height_, client.bottom);
  RECT now;
  GetClientRect(hwnd_, &now);
  const bool sameSize = now.right == across.windowSide && now.bottom == down.windowSide;
  SetWindowPos(hwnd_, nullptr, across.windowStart, down.windowStart, across.windowSide,
               down.windowSide, SWP_NOZORDER | SWP_NOACTIVATE);
  const POINT moved = {shown_.x - across.firstShown, shown_.y - down.firstShown};
  shown_ = {across.firstShown, down.firstShown};
  if (moved.x == 0 && moved.y == 0) return;
  if (sameSize) {
    ScrollWindowEx(hwnd_, moved.x, moved.y, nullptr, nullptr, nullptr, nullptr, SW_INVALIDATE);
  } else {
    InvalidateRect(hwnd_, nullptr, FALSE);
  }
}

void ImageArea::RepaintNow() {
  InvalidateRect(hwnd_, nullptr, FALSE);
  UpdateWindow(hwnd_);
}

const Bitmap* ImageArea::ShrunkPicture() const {
  const bool preparedFits =
      prepared_ && prepared_->Width() == width_ && prepared_->Height() == height_;
  if (!shrunk_) shrunk_ = preparedFits ? prepared_ : RenderDisplayed();
  return shrunk_.get();
}

std::shared_ptr<Bitmap> ImageArea::RenderDisplayed() const {
  if (!picture_ || width_ <= 0 || height_ <= 0) return nullptr;
  return RenderRegion(*picture_, width_, height_, 0, 0, width_, height_);
}

void ImageArea::Paint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd_, &ps);
  const RECT& r = ps.rcPaint;
  // The painted rectangle in the displayed picture's coordinates.
  RECT p = r;
  OffsetRect(&p, shown_.x, shown_.y);
  const Bitmap* whole = nullptr;
  std::shared_ptr<Bitmap> part;
  if (picture_ && picture_->Width() == width_ && picture_->Height() == height_) {
    whole = picture_.get();
  } else if (picture_ && PaintsShrunkCopy(*picture_, width_, height_)) {
    whole = ShrunkPicture();
  } else if (picture_ && r.right > r.left && r.bottom > r.top) {
    part =
        RenderRegion(*picture_, width_, height_, p.left, p.top, p.right - p.left, p.bottom - p.top);
  }
  if (whole) {
    Blit(dc, r, *whole, p.left, p.top);
  } else if (part) {
    Blit(dc, r, *part, 0, 0);
  } else {
    FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  }
  EndPaint(hwnd_, &ps);
}

LRESULT CALLBACK ImageArea::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<ImageArea*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (!self) return DefWindowProcA(hwnd, msg, wParam, lParam);
  // While the left button is held, the area keeps the mouse.
  if (msg == WM_LBUTTONDOWN || msg == WM_LBUTTONDBLCLK) SetCapture(hwnd);
  if (msg == WM_LBUTTONUP) ReleaseCapture();
  const bool mouse = msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST && msg != WM_MOUSEWHEEL;
  if (mouse || msg == WM_CAPTURECHANGED) {
    self->onMouse_(msg, wParam, GET_X_LPARAM(lParam) + self->shown_.x,
                   GET_Y_LPARAM(lParam) + self->shown_.y);
    return 0;
  }
  switch (msg) {
    case WM_PAINT:
      self->Paint();
      return 0;
    case WM_ERASEBKGND:
      return 1;
    default:
      return DefWindowProcA(hwnd, msg, wParam, lParam);
  }
}

}  // namespace bex
