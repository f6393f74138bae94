// The viewer with our WIC plug-in in its plug-in folder shows photos: a JPEG
// and a PNG opened from the command line, titled and sized like a bitmap,
// through the 32-bit plug-in or the 64-bit one alone; a phone's and a
// camera's pictures (HEIC, AVIF, JPEG XL, DNG) stepped through, each upright.
#include <algorithm>
#include <array>
#include <gtest/gtest.h>
#include <string>
#include <tuple>

#include "support/desktop.h"
#include "support/test_files.h"
#include "support/test_pictures.h"
#include "support/viewer_driver.h"
#include "support/wine_paths.h"

namespace bex::test {
namespace {

// Colour channels within a JPEG's tolerance of the expected colour.
bool Near(COLORREF c, int r, int g, int b) {
  auto close = [](int a, int e) { return a - e < 24 && e - a < 24; };
  return close(GetRValue(c), r) && close(GetGValue(c), g) && close(GetBValue(c), b);
}

// A photo and the plug-in build.
class WicPlugin : public ::testing::TestWithParam<std::tuple<const char*, const char*>> {};

TEST_P(WicPlugin, ShowsThePhotoTitledAndSizedLikeABitmap) {
  const std::string folder = NewScratchFolder("wic");
  const std::string name = std::get<0>(GetParam());
  ASSERT_TRUE(CopyFileA((BuildDir() + "\\fixtures\\" + name).c_str(),
                        (folder + "\\" + name).c_str(), FALSE));
  ViewerOptions options;
  options.plugins = {std::string("plugins\\") + std::get<1>(GetParam())};
  Viewer viewer = Viewer::Start(folder, name, options);
  viewer.WaitForTitle(name + " [100%]");
  // The window follows the 64 x 32 picture (no narrower than a window can be).
  const SIZE client = viewer.ClientSize();
  EXPECT_GE(client.cx, 64);
  EXPECT_EQ(client.cy, 32);
  // The quadrants: red, lime / blue, white (painted right after the title).
  EXPECT_TRUE(WaitUntil([&] { return Near(viewer.PixelAt({8, 4}), 255, 0, 0); }));
  EXPECT_TRUE(Near(viewer.PixelAt({56, 4}), 0, 255, 0));
  EXPECT_TRUE(Near(viewer.PixelAt({8, 28}), 0, 0, 255));
  EXPECT_TRUE(Near(viewer.PixelAt({56, 28}), 255, 255, 255));
  viewer.Close();
}

// The first photo shrunk to the window comes reduced first; its whole
// picture takes its place before a zoom right after the start shows it at
// 100 %: black and white columns, which any reduced picture has as grey. A
// plug-in without the reduced route shows its first picture shrunk alike.
TEST(WicPluginFirstPicture, ReducedPictureGivesWayToTheWholeOne) {
  const std::string folder = NewScratchFolder("wic-reduced");
  ASSERT_TRUE(CopyFileA((BuildDir() + "\\fixtures\\stripes.jpg").c_str(),
                        (folder + "\\stripes.jpg").c_str(), FALSE));
  WriteTestPicture(folder + "\\p.bex", 1600, 1200, Rgb{0, 0, 255});
  const auto startShrunk = [&](const char* plugin, const std::string& name) {
    ViewerOptions options;
    options.plugins = {plugin};
    options.settings->Set("設定", "窓と画像の関係", 1);
    SetWindowBounds(*options.settings, {0, 0, 500, 400});
    Viewer viewer = Viewer::Start(folder, name, options);
    EXPECT_TRUE(WaitUntil([&] { return viewer.Title().rfind(name + " [", 0) == 0; }))
        << viewer.Title();
    EXPECT_NE(viewer.Title(), name + " [100%]") << "shown shrunk";
    return viewer;
  };

  Viewer whole = startShrunk("plugins\\wicspi.spi", "stripes.jpg");
  whole.PressKey(VK_NUMPAD0);
  EXPECT_EQ(whole.WaitForTitle("stripes.jpg [100%]"), "stripes.jpg [100%]");
  EXPECT_TRUE(WaitUntil([&] {
    for (int x = 20; x < 24; ++x) {
      const int level = x % 2 ? 255 : 0;
      if (!Near(whole.PixelAt({x, 20}), level, level, level)) return false;
    }
    return true;
  }));
  whole.Close();

  Viewer ordinary = startShrunk("testspi\\tst1.spi", "p.bex");
  EXPECT_TRUE(WaitUntil([&] { return Near(ordinary.PixelAt({20, 20}), 0, 0, 255); }));
  ordinary.Close();
}

// At 100 %, in a window that follows it or one of fixed size, a photo wider
// than the window comes first as the part of it in view; its whole picture
// takes its place before a zoom right after the start shows all of it: lime
// and white on the right.
TEST(WicPluginFirstPicture, PartInViewGivesWayToTheWholePicture) {
  const std::string folder = NewScratchFolder("wic-part");
  ASSERT_TRUE(CopyFileA((BuildDir() + "\\fixtures\\big.jpg").c_str(),
                        (folder + "\\big.jpg").c_str(), FALSE));
  for (const int fitMode : {0, 2}) {
    ViewerOptions options;
    options.plugins = {"plugins\\wicspi.spi"};
    options.settings->Set("設定", "窓と画像の関係", fitMode);
    SetWindowBounds(*options.settings, {0, 0, 1100, 700});
    Viewer viewer = Viewer::Start(folder, "big.jpg", options);
    EXPECT_EQ(viewer.WaitForTitle("big.jpg [100%]"), "big.jpg [100%]");
    viewer.PressKey(VK_NUMPAD5);
    EXPECT_EQ(viewer.WaitForTitle("big.jpg [50%]"), "big.jpg [50%]");
    EXPECT_TRUE(WaitUntil([&] {
      return Near(viewer.PixelAt({900, 100}), 0, 255, 0) &&
             Near(viewer.PixelAt({900, 400}), 255, 255, 255);
    })) << "fit mode "
        << fitMode;
    viewer.Close();
  }
}

// "wicspi.sph" -> "wicspisph".
std::string WithoutDots(std::string name) {
  name.erase(std::remove(name.begin(), name.end(), '.'), name.end());
  return name;
}

std::string PhotoAndPlugin(const ::testing::TestParamInfo<WicPlugin::ParamType>& info) {
  return WithoutDots(std::string(std::get<0>(info.param)) + std::get<1>(info.param));
}

INSTANTIATE_TEST_SUITE_P(Photos, WicPlugin,
                         ::testing::Combine(::testing::Values("quad.jpg", "quad.png"),
                                            ::testing::Values("wicspi.spi", "wicspi.sph")),
                         PhotoAndPlugin);

// The plug-in build: the codecs are built for each.
class WicPluginSteps : public ::testing::TestWithParam<const char*> {};

// Each file's quadrants upright (top left, top right, bottom left, bottom
// right) as red, green and blue.
TEST_P(WicPluginSteps, ShowsPhonesAndCamerasPicturesUpright) {
  constexpr int kR[] = {255, 0, 0}, kG[] = {0, 255, 0}, kB[] = {0, 0, 255}, kW[] = {255, 255, 255};
  const auto q = [](const int* a, const int* b, const int* c, const int* d) {
    return std::array<const int*, 4>{a, b, c, d};
  };
  const struct {
    const char* fixture;
    const char* name;
    int width, height;
    std::array<const int*, 4> quadrants;
  } photos[] = {
      {"turned.heic", "a.heic", 32, 64, q(kG, kW, kR, kB)},  // turned by the container
      {"quad.avif", "b.avif", 64, 32, q(kR, kG, kB, kW)},
      {"orient-6.jxl", "c.jxl", 32, 64, q(kB, kR, kW, kG)},  // turned by its header
      {"orient-6.dng", "d.dng", 32, 64, q(kB, kR, kW, kG)},  // the preview, turned by the file
      {"turned-grid.heic", "e.heic", 360, 720, q(kW, kG, kB, kR)},  // tiles, turned and mirrored
  };
  const std::string folder = NewScratchFolder("wic-steps");
  for (const auto& photo : photos) {
    ASSERT_TRUE(CopyFileA((BuildDir() + "\\fixtures\\" + photo.fixture).c_str(),
                          (folder + "\\" + photo.name).c_str(), FALSE));
  }
  ViewerOptions options;
  options.plugins = {std::string("plugins\\") + GetParam()};
  Viewer viewer = Viewer::Start(folder, photos[0].name, options);
  for (const auto& photo : photos) {
    if (&photo != &photos[0]) viewer.PressKey(VK_SPACE);
    viewer.WaitForTitle(std::string(photo.name) + " [100%]");
    EXPECT_EQ(viewer.ClientSize().cy, photo.height) << photo.name;
    const POINT centres[] = {{photo.width / 4, photo.height / 4},
                             {photo.width * 3 / 4, photo.height / 4},
                             {photo.width / 4, photo.height * 3 / 4},
                             {photo.width * 3 / 4, photo.height * 3 / 4}};
    for (int i = 0; i < 4; ++i) {
      const int* c = photo.quadrants[i];
      EXPECT_TRUE(WaitUntil([&] { return Near(viewer.PixelAt(centres[i]), c[0], c[1], c[2]); }))
          << photo.name << " quadrant " << i;
    }
  }
  viewer.Close();
}

std::string PluginName(const ::testing::TestParamInfo<const char*>& plugin) {
  return WithoutDots(plugin.param);
}

INSTANTIATE_TEST_SUITE_P(Builds, WicPluginSteps, ::testing::Values("wicspi.spi", "wicspi.sph"),
                         PluginName);

}  // namespace
}  // namespace bex::test
