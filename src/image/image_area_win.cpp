#include "image/image_area_win.h"

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

// Draws src scaled to dst's size with the platform's averaging stretch.
void StretchInto(const Bitmap& src, const Bitmap& dst, int mode) {
  HDC srcDc = CreateCompatibleDC(nullptr);
  HDC dstDc = CreateCompatibleDC(nullptr);
  HGDIOBJ oldSrc = SelectObject(srcDc, src.Handle());
  HGDIOBJ oldDst = SelectObject(dstDc, dst.Handle());
  SetStretchBltMode(dstDc, mode);
  SetBrushOrgEx(dstDc, 0, 0, nullptr);
  StretchBlt(dstDc, 0, 0, dst.Width(), dst.Height(), srcDc, 0, 0, src.Width(), src.Height(),
             SRCCOPY);
  SelectObject(dstDc, oldDst);
  SelectObject(srcDc, oldSrc);
  DeleteDC(dstDc);
  DeleteDC(srcDc);
}

}  // namespace

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

void ImageArea::SetPicture(BitmapRef picture) {
  picture_ = std::move(picture);
  shrunk_.reset();
  InvalidateRect(hwnd_, nullptr, FALSE);
}

void ImageArea::SetSize(int width, int height) {
  if (width == width_ && height == height_) return;
  width_ = width;
  height_ = height;
  shrunk_.reset();
  SetWindowPos(hwnd_, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  InvalidateRect(hwnd_, nullptr, FALSE);
}

void ImageArea::MoveTo(int x, int y) {
  SetWindowPos(hwnd_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void ImageArea::RepaintNow() {
  InvalidateRect(hwnd_, nullptr, FALSE);
  UpdateWindow(hwnd_);
}

const Bitmap* ImageArea::ShrunkPicture() const {
  if (!shrunk_) {
    shrunk_ = Bitmap::Create(width_, height_);
    if (!shrunk_) return nullptr;
    StretchInto(*picture_, *shrunk_, HALFTONE);
  }
  return shrunk_.get();
}

std::shared_ptr<Bitmap> ImageArea::RenderDisplayed() const {
  if (!picture_ || width_ <= 0 || height_ <= 0) return nullptr;
  auto out = Bitmap::Create(width_, height_);
  if (!out) return nullptr;
  const bool shrinking = width_ <= picture_->Width() && height_ <= picture_->Height();
  StretchInto(*picture_, *out, shrinking ? HALFTONE : COLORONCOLOR);
  return out;
}

void ImageArea::Paint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd_, &ps);
  const Bitmap* source = picture_.get();
  const bool shrinking = source && width_ <= source->Width() && height_ <= source->Height() &&
                         (width_ < source->Width() || height_ < source->Height());
  if (shrinking) source = ShrunkPicture();
  if (!source) {
    FillRect(dc, &ps.rcPaint, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  } else {
    HDC mem = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(mem, source->Handle());
    if (source->Width() == width_ && source->Height() == height_) {
      const RECT& r = ps.rcPaint;
      BitBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, mem, r.left, r.top, SRCCOPY);
    } else {
      SetStretchBltMode(dc, COLORONCOLOR);
      StretchBlt(dc, 0, 0, width_, height_, mem, 0, 0, source->Width(), source->Height(), SRCCOPY);
    }
    SelectObject(mem, old);
    DeleteDC(mem);
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
    self->onMouse_(msg, wParam, static_cast<short>(LOWORD(lParam)),
                   static_cast<short>(HIWORD(lParam)));
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
