// Bringing a file in and showing it: OpenImageFile and its four sources
// (command line, hand-off, open dialog, dropped files), decoding into a slot,
// and the layout of the picture by FitMode and ZoomPercent.
#include <windows.h>

#include <commdlg.h>
#include <shellapi.h>

#include <utility>

#include "app/main_form_win.h"
#include "common/command_line.h"
#include "common/cp932.h"
#include "common/files_win.h"
#include "image/image_area_win.h"
#include "image/layout.h"

namespace bex {
namespace {

// CurrentFolder holds at most this many characters.
constexpr size_t kMaxFolderLength = 259;

// Restores the window caption unless the decode succeeded.
class CaptionDuringDecode {
 public:
  CaptionDuringDecode(HWND hwnd, bool show) : hwnd_(hwnd) {
    char text[1024];
    GetWindowTextA(hwnd_, text, sizeof(text));
    saved_ = text;
    if (show) SetWindowTextA(hwnd_, "ファイルのロード中");
  }
  ~CaptionDuringDecode() {
    if (!kept_) SetWindowTextA(hwnd_, saved_.c_str());
  }
  void Keep() { kept_ = true; }

 private:
  HWND hwnd_;
  std::string saved_;
  bool kept_ = false;
};

}  // namespace

// A file that cannot be shown changes nothing but the caption: the picture
// on screen keeps its name and folder, so that every command still acts on it.
bool TBexForm1::OpenImageFile(const std::string& path) {
  SetForegroundWindow(hwnd_);
  if (LoadShownFile(path)) {
    ZoomPercent = 100;
    ShowPicture();
    image1_->RepaintNow();
    return true;
  }
  ReportCannotShow(path);
  return false;
}

void TBexForm1::ReportCannotShow(const std::string& path) {
  ShowMessage(hwnd_, path + " は表示できません", "ファイルフォーマット異常");
  SetWindowTextA(hwnd_, "表示できません");
}

void TBexForm1::OpenPath(const std::string& path) {
  if (IsFolder(path)) {
    OpenFolder(path);
  } else {
    OpenImageFile(path);
  }
}

// No file is shown from the new folder yet, so the step forward starts at
// the list's first entry and passes over the ones that cannot be shown.
void TBexForm1::OpenFolder(const std::string& folder) {
  SetForegroundWindow(hwnd_);
  if (!SetCurrentDirectoryA(folder.c_str())) {
    ReportCannotShow(folder);
    return;
  }
  ShownFileName.clear();
  CurrentFolder = JoinPath(CurrentDirectory(), "");
  InvalidateFileList();
  Files().ShownFileRemoved = false;
  ZoomPercent = 100;
  StepImage(true);
}

// The file is decoded by its bare name from its own folder, as the steps
// decode its neighbours. CurrentFolder is the full folder, whatever form of
// the path was given (relative, "D:name", a bare name). A file that does not
// come leaves the folder of the picture on screen; with none on screen yet,
// the chosen folder is where the steps look.
bool TBexForm1::LoadShownFile(const std::string& path) {
  const std::string full = FullPath(path);
  const std::string name(FileNamePart(full));
  const std::string folder(FolderPart(full));
  if (name.empty() || folder.size() > kMaxFolderLength) return false;
  if (!SetCurrentDirectoryA(folder.c_str())) return false;
  const auto settle = [&](bool loaded) {
    if (loaded) ShownFileName = name;
    if (!loaded && !ShownFileName.empty()) {
      SetCurrentDirectoryA(CurrentFolder.c_str());
      return;
    }
    CurrentFolder = folder;
    InvalidateFileList();
    Files().ShownFileRemoved = false;
  };
  bool loaded = false;
  try {
    loaded = LoadIntoSlot(name, Files().CurrentSlot);
  } catch (...) {
    settle(false);
    throw;
  }
  settle(loaded);
  return loaded;
}

void TBexForm1::OpenFiles(const std::vector<std::string>& names) {
  if (names.empty()) return;
  OpenPath(names[0]);
  if (names.size() > 1) HandOverRest({names.begin() + 1, names.end()});
}

bool TBexForm1::LoadIntoSlot(const std::string& name, int slot) {
  if (!PathExists(name)) return false;
  TSpiload& target = ImageSlots[slot];
  if (!target.PrepareFile(name)) return false;
  CaptionDuringDecode caption(hwnd_, slot == Files().CurrentSlot);
  if (!target.DecodePicture()) return false;
  caption.Keep();
  if (slot == Files().CurrentSlot) image1_->SetPicture(target.Picture());
  HasPicture = true;
  return true;
}

void TBexForm1::ShowPicture() {
  const BitmapRef& picture = image1_->Picture();
  if (!HasPicture || !picture) return;
  LayoutInput in;
  in.pictureWidth = picture->Width();
  in.pictureHeight = picture->Height();
  in.zoomPercent = ZoomPercent;
  in.fitMode = FitMode;
  in.window = Geometry();
  in.desktopWidth = DesktopWidth;
  in.desktopHeight = DesktopHeight;
  const LayoutResult out = LayOutPicture(in);
  ZoomPercent = out.zoomPercent;
  scrollX_ = 0;
  scrollY_ = 0;
  image1_->SetSize(out.imageWidth, out.imageHeight);
  if (out.windowResized) SetOuterSize(out.outerWidth, out.outerHeight);
  UpdateScrollBars();
  SetTitle(ShownFileName + " [" + std::to_string(ZoomPercent) + "%]");
}

void TBexForm1::OpenWithDialog() {
  static char fileName[64 * 1024] = "*.*";
  OPENFILENAMEA ofn = {};
  ofn.lStructSize = sizeof(ofn);
  ofn.hwndOwner = hwnd_;
  ofn.lpstrFilter = "すべてのファイル(*.*)\0*.*\0";
  ofn.lpstrFile = fileName;
  ofn.nMaxFile = sizeof(fileName);
  ofn.lpstrDefExt = nullptr;
  // The current directory is the shown folder's, which the list relies on.
  ofn.Flags = OFN_ALLOWMULTISELECT | OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST |
              OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
  if (!GetOpenFileNameA(&ofn)) return;
  // One file: its full path. Several: the folder, then each name, each
  // ended by a zero, the list by a second zero.
  std::vector<std::string> parts;
  for (const char* p = fileName; *p; p += parts.back().size() + 1) parts.emplace_back(p);
  std::vector<std::string> paths;
  if (parts.size() == 1) {
    paths = parts;
  } else {
    for (size_t i = 1; i < parts.size(); ++i) paths.push_back(JoinPath(parts[0], parts[i]));
  }
  OpenFiles(paths);
}

void TBexForm1::DropFiles(HDROP drop) {
  auto nameAt = [drop](UINT i) {
    std::string name(DragQueryFileA(drop, i, nullptr, 0) + 1, '\0');
    name.resize(DragQueryFileA(drop, i, name.data(), static_cast<UINT>(name.size())));
    return name;
  };
  const UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
  std::vector<std::string> names;
  for (UINT i = 0; i < count; ++i) names.push_back(nameAt(i));
  DragFinish(drop);
  FilesArrived(std::move(names));
}

void TBexForm1::HandOverRest(const std::vector<std::string>& names) {
  const std::string parameters = BuildParameters(names);
  ShellExecuteA(hwnd_, "open", programPath_.c_str(), parameters.c_str(), nullptr, SW_SHOW);
}

}  // namespace bex
