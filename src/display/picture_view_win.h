// The picture view of the main window: the image area at the top-left of the
// window's scrollable client area, the zoom and the relation of window and
// picture (the fit mode), the scroll bars, the shown file and the title, and
// copying the picture to the clipboard.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "common/shown_file_win.h"
#include "display/bitmap_win.h"
#include "display/image_area_win.h"
#include "display/layout.h"

namespace bex {

class ZoomInputDialog;

// The size of the virtual desktop over all monitors, read once at start.
struct DesktopArea {
  int width = 0;
  int height = 0;
};

class PictureView {
 public:
  // Fit modes: the window follows the picture, the picture follows the
  // window, or neither.
  static constexpr int kWindowFollowsPicture = 0;
  static constexpr int kPictureFollowsWindow = 1;
  static constexpr int kFixedWindow = 2;

  // Creates the image area in window; the area's mouse events go to onMouse.
  // The window's resizes must reach OnSize only once the view exists.
  PictureView(HWND window, DesktopArea desktop, ImageArea::MouseHandler onMouse);
  ~PictureView();
  PictureView(const PictureView&) = delete;
  PictureView& operator=(const PictureView&) = delete;

  // --- the shown file and its picture (picture_view_win.cpp) ---------------
  const ShownFile& Shown() const { return shown_; }
  // A file was opened: it is the shown one, whether its picture loads or not.
  void SetShownFile(std::wstring folder, std::wstring name);
  // Some slot holds a decoded picture: zoom keys and scrolling take effect.
  void NotePictureDecoded() { hasPicture_ = true; }
  bool HasPicture() const { return hasPicture_; }
  // The picture of the shown file, decoded, with its display copy if one was
  // made ahead: in the image area at once.
  void SetPicture(BitmapRef picture, BitmapRef copy) {
    area_->SetPicture(std::move(picture), std::move(copy));
    wholeSize_.reset();
  }
  // The first view of the shown file's picture: decoded reduced, about as
  // large as it is shown, or the part of it in view at 100 % in a picture
  // of its size. It stands for the whole picture of size whole and is laid
  // out as that. Only while no picture is on screen.
  void SetFirstView(BitmapRef firstView, SIZE whole);
  // The whole picture in the place of the first view, at the same layout,
  // painted at once.
  void ReplaceFirstView(BitmapRef whole, BitmapRef copy);
  // The whole picture did not come: the first view leaves the screen, which
  // shows no picture again under the title it had before.
  void DropFirstView();
  // Shows the picture of a newly opened file at 100 % and paints it at once.
  void ShowOpened();
  // A folder was opened: no file of it is shown yet, and its first picture
  // comes at 100 %.
  void ShowFolder(std::wstring folder);
  // The folder opened had nothing to show: the file shown before (whose
  // picture stayed on screen) is the shown one again, at its zoom.
  void KeepShowing(const ShownFile& file, int zoomPercent) {
    shown_ = file;
    zoomPercent_ = zoomPercent;
  }
  int ZoomPercent() const { return zoomPercent_; }
  // Shows another file of the folder, already decoded (with its display copy
  // if one was made ahead), and paints it at once.
  void ShowStepped(BitmapRef picture, BitmapRef copy, std::wstring name);
  // Lays the picture out by the fit mode and the zoom and sets the title to
  // the file name followed by the zoom.
  void ShowPicture();
  // How the next picture shown would be laid out (its picture size left
  // out); none before any picture was decoded.
  std::optional<LayoutInput> NextLayout() const;
  // How a newly opened picture is laid out (at 100 %), its size left out.
  LayoutInput OpeningLayout() const;
  // The box a newly opened picture is first shown in: shrunk to fit into it
  // when the picture follows the window (the client area); at 100 % from its
  // top left (part) when the window follows the picture, as it does no larger
  // than the desktop, and in a window of fixed size (the client area).
  struct OpeningBox {
    int width = 0;
    int height = 0;
    bool part = false;
  };
  OpeningBox OpeningFitBox() const;
  // Called after every layout of a picture and every change of the fit mode.
  void OnLayout(std::function<void()> handler) { onLayout_ = std::move(handler); }
  // The image area takes the client area's size (at start, without picture).
  void FillClientArea();

  // --- copying to the clipboard (clipboard_win.cpp) ------------------------
  // The full-size picture, or the picture drawn as displayed.
  void CopyFullSize() const;
  void CopyAsDisplayed() const;

  // --- zoom and fitting (zoom_win.cpp) --------------------------------------
  int FitMode() const { return fitMode_; }
  void SetFitMode(int mode);
  // A zoom item of the command menu: its percentage, or 0 to ask for one.
  void ZoomToPreset(int percent);
  void ZoomStepUp(bool shift);
  void ZoomStepDown(bool shift);
  void ZoomByPad(int digit, bool shift);
  // Lays a shown picture out again at its zoom (the window's DPI changed).
  void LayOutAgain();

  // --- the scrollable client area (scroll_win.cpp) --------------------------
  int ScrollX() const { return scrollX_; }
  int ScrollY() const { return scrollY_; }
  // Moves the view to (x, y), kept within the scroll range.
  void ScrollTo(int x, int y);
  SIZE ClientSize() const;
  // The displayed picture's size (the image area's bounds).
  int DisplayedWidth() const { return area_->Width(); }
  int DisplayedHeight() const { return area_->Height(); }
  void OnSize();
  void OnScroll(int bar, WPARAM wParam);

 private:
  void SetTitle(const std::wstring& title);
  const BitmapRef& Picture() const { return area_->Picture(); }
  std::shared_ptr<Bitmap> RenderDisplayed() const { return area_->RenderDisplayed(); }
  void ApplyZoom(int percent);
  std::optional<int> TypedZoom();
  WindowGeometry Geometry() const;
  void SetOuterSize(int width, int height);
  void UpdateScrollBars();
  void SetBar(int bar, bool shown, const ScrollRange& range, int pos);

  HWND window_;
  DesktopArea desktop_;
  std::unique_ptr<ImageArea> area_;
  std::unique_ptr<ZoomInputDialog> zoomInput_;
  ShownFile shown_;
  bool hasPicture_ = false;
  // The whole picture's size while the image area holds a first view.
  std::optional<SIZE> wholeSize_;
  std::wstring titleBeforeFirstView_;
  int zoomPercent_ = 100;
  int fitMode_ = kWindowFollowsPicture;
  int scrollX_ = 0;
  int scrollY_ = 0;
  bool updatingBars_ = false;
  bool inResize_ = false;
  std::function<void()> onLayout_;
};

}  // namespace bex
