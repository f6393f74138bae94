// The program file as Windows sees it: the icon and version information it
// carries (and the plug-in's), the DPI awareness and common controls its
// manifest declares; its main window on a monitor of another DPI; and on a
// 144-dpi display, the designed size scaled by one and a half and a picture
// at 100 % drawn one picture pixel per screen pixel.
#include <windows.h>

#include <shellapi.h>

#include <gtest/gtest.h>
#include <set>
#include <string>
#include <vector>

#include "support/bmp_writer.h"
#include "support/test_pictures.h"
#include "support/viewer_driver.h"
#include "support/wine_paths.h"

namespace bex::test {
namespace {

// A run that was ended in the middle of a test at another DPI may have left
// the display's value behind: every run starts at the prefix's 96 dpi.
class DisplayAt96Dpi : public ::testing::Environment {
 public:
  void SetUp() override { DisplayDpiForNewProcesses::Reset(); }
};
const auto* const kDisplayAt96Dpi = ::testing::AddGlobalTestEnvironment(new DisplayAt96Dpi);

std::string ProgramFile() { return BuildDir() + "\\bex.exe"; }
std::string PluginFile() { return BuildDir() + "\\plugins\\wicspi.spi"; }

// The widths of the images in the file's first icon (0 stands for 256).
std::set<int> IconWidths(const std::string& file) {
#pragma pack(push, 2)
  struct GroupEntry {
    BYTE width, height, colours, reserved;
    WORD planes, bitCount;
    DWORD bytes;
    WORD id;
  };
#pragma pack(pop)
  std::set<int> widths;
  HMODULE module = LoadLibraryExA(file.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (!module) return widths;
  HRSRC group = FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(14));  // RT_GROUP_ICON
  const auto* header =
      group ? static_cast<const WORD*>(LockResource(LoadResource(module, group))) : nullptr;
  if (header) {
    const auto* entries = reinterpret_cast<const GroupEntry*>(header + 3);
    for (WORD i = 0; i < header[2]; ++i) widths.insert(entries[i].width ? entries[i].width : 256);
  }
  FreeLibrary(module);
  return widths;
}

SIZE IconSize(HICON icon) {
  ICONINFO info{};
  if (!GetIconInfo(icon, &info)) return {0, 0};
  BITMAP bits{};
  GetObjectA(info.hbmMask, sizeof bits, &bits);
  if (info.hbmColor) DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  // A mask without colour bitmap holds the AND and XOR halves one above the other.
  return {bits.bmWidth, info.hbmColor ? bits.bmHeight : bits.bmHeight / 2};
}

struct VersionInfo {
  DWORD fileVersionMS = 0, fileVersionLS = 0;
  std::string Text(const char* name) const {
    void* value = nullptr;
    UINT length = 0;
    const std::string path = std::string("\\StringFileInfo\\041104b0\\") + name;
    if (!VerQueryValueA(block.data(), path.c_str(), &value, &length) || length == 0) return "";
    return static_cast<const char*>(value);
  }
  std::vector<char> block;
};

VersionInfo ReadVersionInfo(const std::string& file) {
  VersionInfo info;
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeA(file.c_str(), &ignored);
  if (size == 0) return info;
  info.block.resize(size);
  if (!GetFileVersionInfoA(file.c_str(), 0, size, info.block.data())) return {};
  void* fixed = nullptr;
  UINT length = 0;
  if (VerQueryValueA(info.block.data(), "\\", &fixed, &length) &&
      length >= sizeof(VS_FIXEDFILEINFO)) {
    info.fileVersionMS = static_cast<VS_FIXEDFILEINFO*>(fixed)->dwFileVersionMS;
    info.fileVersionLS = static_cast<VS_FIXEDFILEINFO*>(fixed)->dwFileVersionLS;
  }
  return info;
}

TEST(ProgramFile, CarriesItsIconAtFourSizes) {
  EXPECT_EQ(IconWidths(ProgramFile()), (std::set<int>{16, 32, 48, 256}));
  HICON largeIcon = nullptr, smallIcon = nullptr;
  ASSERT_EQ(ExtractIconExA(ProgramFile().c_str(), 0, &largeIcon, &smallIcon, 1), 2u);
  EXPECT_EQ(IconSize(largeIcon).cx, 32);
  EXPECT_EQ(IconSize(smallIcon).cx, 16);
  DestroyIcon(largeIcon);
  DestroyIcon(smallIcon);
}

TEST(ProgramFile, CarriesTheVersionOfTheVersionBox) {
  const VersionInfo info = ReadVersionInfo(ProgramFile());
  EXPECT_EQ(info.fileVersionMS, MAKELONG(19, 0));
  EXPECT_EQ(info.fileVersionLS, 0u);
  EXPECT_EQ(info.Text("ProductName"), "Bex");
  EXPECT_EQ(info.Text("FileVersion"), "0.19");
  EXPECT_EQ(info.Text("ProductVersion"), "0.19");
  EXPECT_EQ(info.Text("FileDescription"), "Bex 画像ビューア");
  EXPECT_EQ(info.Text("LegalCopyright").rfind("Copyright", 0), 0u);
  EXPECT_EQ(info.Text("OriginalFilename"), "bex.exe");
}

TEST(ProgramFile, PluginCarriesItsOwnVersion) {
  const VersionInfo info = ReadVersionInfo(PluginFile());
  EXPECT_EQ(info.fileVersionMS, MAKELONG(0, 1));
  EXPECT_EQ(info.Text("ProductName"), "Bex");
  EXPECT_EQ(info.Text("FileVersion"), "1.0");
  EXPECT_EQ(info.Text("ProductVersion"), "0.19");
  EXPECT_EQ(info.Text("OriginalFilename"), "wicspi.spi");
  EXPECT_NE(info.Text("FileDescription"), "");
}

// The activation context of the program file's manifest, as the system
// makes it when the program starts; released with the object.
class ProgramContext {
 public:
  explicit ProgramContext(const std::string& file) {
    ACTCTXA request{};
    request.cbSize = sizeof request;
    request.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
    request.lpSource = file.c_str();
    request.lpResourceName = MAKEINTRESOURCEA(1);  // CREATEPROCESS_MANIFEST_RESOURCE_ID
    context_ = CreateActCtxA(&request);
  }
  ~ProgramContext() {
    if (context_ != INVALID_HANDLE_VALUE) ReleaseActCtx(context_);
  }
  ProgramContext(const ProgramContext&) = delete;
  ProgramContext& operator=(const ProgramContext&) = delete;

  // A window setting of the manifest in a namespace (QueryActCtxSettingsW);
  // empty without one.
  std::wstring Setting(const wchar_t* space, const wchar_t* name) const {
    using QuerySettingsFn =
        BOOL(WINAPI*)(DWORD, HANDLE, const wchar_t*, const wchar_t*, wchar_t*, SIZE_T, SIZE_T*);
    const auto query = reinterpret_cast<QuerySettingsFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "QueryActCtxSettingsW")));
    wchar_t value[256] = L"";
    SIZE_T length = 0;
    if (!query || context_ == INVALID_HANDLE_VALUE ||
        !query(0, context_, space, name, value, 256, &length)) {
      return L"";
    }
    return value;
  }

  // True when a program loading dll gets a side-by-side assembly's copy.
  bool RedirectsLibrary(const char* dll) const {
    ULONG_PTR cookie = 0;
    if (context_ == INVALID_HANDLE_VALUE || !ActivateActCtx(context_, &cookie)) return false;
    ACTCTX_SECTION_KEYED_DATA data{};
    data.cbSize = sizeof data;
    const BOOL found = FindActCtxSectionStringA(
        0, nullptr, ACTIVATION_CONTEXT_SECTION_DLL_REDIRECTION, dll, &data);
    DeactivateActCtx(0, cookie);
    return found != FALSE;
  }

 private:
  HANDLE context_ = INVALID_HANDLE_VALUE;
};

constexpr wchar_t kSettings2005[] = L"http://schemas.microsoft.com/SMI/2005/WindowsSettings";
constexpr wchar_t kSettings2016[] = L"http://schemas.microsoft.com/SMI/2016/WindowsSettings";

TEST(ProgramFile, DeclaresPerMonitorDpiAwarenessWithFallbacks) {
  const ProgramContext program(ProgramFile());
  EXPECT_EQ(program.Setting(kSettings2016, L"dpiAwareness"), L"PerMonitorV2, PerMonitor");
  EXPECT_EQ(program.Setting(kSettings2005, L"dpiAware"), L"true/pm");
}

TEST(ProgramFile, UsesCommonControls6) {
  EXPECT_TRUE(ProgramContext(ProgramFile()).RedirectsLibrary("comctl32.dll"));
}

constexpr Rgb kRed{255, 0, 0}, kGreen{0, 255, 0}, kBlue{0, 0, 255}, kWhite{255, 255, 255};

// WM_DPICHANGED as a move onto a monitor of dpi would send it, with the
// window's rectangle scaled from 96 dpi and moved by 30, 40. Returns the
// suggested rectangle without waiting: the window may get there in steps.
RECT MoveToMonitorOfDpi(const Viewer& viewer, int dpi) {
  const RECT r = viewer.OuterRect();
  const RECT suggested{r.left + 30, r.top + 40, r.left + 30 + (r.right - r.left) * dpi / 96,
                       r.top + 40 + (r.bottom - r.top) * dpi / 96};
  viewer.PostDpiChange(viewer.Window(), dpi, suggested);
  return suggested;
}

TEST(ProgramWindow, EmptyWindowTakesTheSuggestedBoundsOnAMonitorOfAnotherDpi) {
  Viewer viewer = Viewer::Start(NewScratchFolder("dpi-change-empty"), "");
  const RECT suggested = MoveToMonitorOfDpi(viewer, 144);
  WaitUntil([&] {
    const RECT outer = viewer.OuterRect();
    return EqualRect(&suggested, &outer) != FALSE;
  });
  const RECT outer = viewer.OuterRect();
  EXPECT_TRUE(EqualRect(&suggested, &outer));
}

TEST(ProgramWindow, PictureStaysOnePixelPerPixelOnAMonitorOfAnotherDpi) {
  const std::string folder = NewScratchFolder("dpi-change-picture");
  WriteSolidBmp(folder + "\\a.bmp", 200, 100, kGreen);
  Viewer viewer = Viewer::Start(folder, "\"" + folder + "\\a.bmp\"");
  ASSERT_EQ(viewer.WaitForTitle("a.bmp [100%]"), "a.bmp [100%]");
  const RECT suggested = MoveToMonitorOfDpi(viewer, 144);
  // The window first takes the suggested bounds, then the picture's size
  // again: its left edge moves before its client area shrinks back, so the
  // size is read after the edge is seen moved.
  WaitUntil([&] {
    if (viewer.OuterRect().left != suggested.left) return false;
    const SIZE client = viewer.ClientSize();
    return client.cx == 200 && client.cy == 100;
  });
  EXPECT_EQ(viewer.OuterRect().left, suggested.left);
  EXPECT_EQ(viewer.OuterRect().top, suggested.top);
  EXPECT_EQ(viewer.ClientSize().cx, 200);
  EXPECT_EQ(viewer.ClientSize().cy, 100);
  EXPECT_EQ(viewer.Title(), "a.bmp [100%]");
}

class At144Dpi : public ::testing::Test {
 protected:
  std::string Path(const std::string& name) const { return folder_ + "\\" + name; }

  DisplayDpiForNewProcesses dpi_{144};
  const std::string folder_ = ScratchFolderForTest();
};

TEST_F(At144Dpi, ViewerOpensAtOneAndAHalfTimesTheDesignedSize) {
  Viewer viewer = Viewer::Start(folder_, "");
  // 207 × 141 at 150 %, rounded.
  EXPECT_EQ(viewer.OuterRect().right - viewer.OuterRect().left, 311);
  EXPECT_EQ(viewer.OuterRect().bottom - viewer.OuterRect().top, 212);
}

// Stored bounds are screen pixels, read and written as they are.
TEST_F(At144Dpi, StoredWindowBoundsAreScreenPixels) {
  const RECT stored{120, 100, 120 + 300, 100 + 200};
  ViewerOptions options;
  SetWindowBounds(*options.settings, stored);
  Viewer viewer = Viewer::Start(folder_, "", options);
  const RECT shown = viewer.OuterRect();
  EXPECT_TRUE(EqualRect(&stored, &shown));
  ASSERT_TRUE(viewer.Close());
  const std::string written = ReadFileBytes(Path("bex.ini")).value_or("");
  for (const char* line : {"Top=100", "Left=120", "Height=200", "Width=300"}) {
    EXPECT_NE(written.find(line), std::string::npos) << line << " in " << written;
  }
}

TEST_F(At144Dpi, PictureAt100PercentCoversItsOwnNumberOfScreenPixels) {
  const Quadrants colours{kRed, kGreen, kBlue, kWhite};
  WriteQuadrantBmp(Path("a.bmp"), 200, 100, colours);
  Viewer viewer = Viewer::Start(folder_, "\"" + Path("a.bmp") + "\"");
  ASSERT_EQ(viewer.WaitForTitle("a.bmp [100%]"), "a.bmp [100%]");
  ASSERT_EQ(viewer.ClientSize().cx, 200);
  ASSERT_EQ(viewer.ClientSize().cy, 100);
  // The quarters meet between pixels 99 and 100 across and 49 and 50 down.
  const struct {
    POINT at;
    Rgb colour;
  } samples[] = {{{0, 0}, kRed},   {{99, 49}, kRed},  {{100, 0}, kGreen},  {{199, 49}, kGreen},
                 {{0, 50}, kBlue}, {{99, 99}, kBlue}, {{100, 50}, kWhite}, {{199, 99}, kWhite}};
  ScreenImage shown;
  WaitUntil([&] {
    shown = viewer.CaptureClient();
    return shown.width == 200 && shown.height == 100 && shown.At(199, 99) == ColourRef(kWhite);
  });
  ASSERT_EQ(shown.width, 200);
  ASSERT_EQ(shown.height, 100);
  for (const auto& sample : samples) {
    EXPECT_EQ(shown.At(sample.at.x, sample.at.y), ColourRef(sample.colour))
        << "pixel " << sample.at.x << "," << sample.at.y;
  }
}

}  // namespace
}  // namespace bex::test
