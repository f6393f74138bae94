// The shown file and its picture: placing, laying out and titling.
#include "display/picture_view_win.h"

#include <algorithm>

#include "display/zoom_input_dialog_win.h"

namespace bex {

PictureView::PictureView(HWND window, DesktopArea desktop, ImageArea::MouseHandler onMouse)
    : window_(window),
      desktop_(desktop),
      area_(std::make_unique<ImageArea>(window, std::move(onMouse))),
      zoomInput_(std::make_unique<ZoomInputDialog>()) {}

PictureView::~PictureView() = default;

void PictureView::SetShownFile(std::wstring folder, std::wstring name) {
  shown_.Set(std::move(folder), std::move(name));
}

void PictureView::ShowOpened() {
  zoomPercent_ = 100;
  ShowPicture();
  area_->RepaintNow();
}

void PictureView::ShowFolder(std::wstring folder) {
  shown_.Set(std::move(folder), std::wstring());
  zoomPercent_ = 100;
}

void PictureView::ShowStepped(BitmapRef picture, BitmapRef copy, std::wstring name) {
  area_->SetPicture(std::move(picture), std::move(copy));
  shown_.SetName(std::move(name));
  ShowPicture();
  area_->RepaintNow();
}

void PictureView::SetFirstView(BitmapRef firstView, SIZE whole) {
  wchar_t title[1024];
  GetWindowTextW(window_, title, 1024);
  titleBeforeFirstView_ = title;
  area_->SetPicture(std::move(firstView));
  wholeSize_ = whole;
}

void PictureView::ReplaceFirstView(BitmapRef whole, BitmapRef copy) {
  SetPicture(std::move(whole), std::move(copy));
  area_->RepaintNow();
}

void PictureView::DropFirstView() {
  SetPicture(nullptr, nullptr);
  hasPicture_ = false;
  SetTitle(titleBeforeFirstView_);
  area_->RepaintNow();
}

std::optional<LayoutInput> PictureView::NextLayout() const {
  if (!hasPicture_) return std::nullopt;
  LayoutInput in = OpeningLayout();
  in.zoomPercent = zoomPercent_;
  return in;
}

LayoutInput PictureView::OpeningLayout() const {
  LayoutInput in;
  in.fitMode = fitMode_;
  in.window = Geometry();
  in.desktopWidth = desktop_.width;
  in.desktopHeight = desktop_.height;
  return in;
}

PictureView::OpeningBox PictureView::OpeningFitBox() const {
  if (fitMode_ == kWindowFollowsPicture) return {desktop_.width, desktop_.height, true};
  if (fitMode_ != kPictureFollowsWindow && fitMode_ != kFixedWindow) return {};
  const WindowGeometry g = Geometry();
  return {std::max(g.outerWidth - g.frameWidth, 0), std::max(g.outerHeight - g.frameHeight, 0),
          fitMode_ == kFixedWindow};
}

void PictureView::SetFitMode(int mode) {
  fitMode_ = mode;
  if (onLayout_) onLayout_();
}

void PictureView::ShowPicture() {
  const BitmapRef& picture = area_->Picture();
  if (!hasPicture_ || !picture) return;
  LayoutInput in = *NextLayout();
  in.pictureWidth = wholeSize_ ? wholeSize_->cx : picture->Width();
  in.pictureHeight = wholeSize_ ? wholeSize_->cy : picture->Height();
  const LayoutResult out = LayOutPicture(in);
  zoomPercent_ = out.zoomPercent;
  scrollX_ = 0;
  scrollY_ = 0;
  area_->SetSize(out.imageWidth, out.imageHeight);
  if (out.windowResized) SetOuterSize(out.outerWidth, out.outerHeight);
  UpdateScrollBars();
  SetTitle(shown_.Name() + L" [" + std::to_wstring(zoomPercent_) + L"%]");
  if (onLayout_) onLayout_();
}

void PictureView::FillClientArea() {
  const SIZE client = ClientSize();
  area_->SetSize(client.cx, client.cy);
}

void PictureView::SetTitle(const std::wstring& title) { SetWindowTextW(window_, title.c_str()); }

}  // namespace bex
