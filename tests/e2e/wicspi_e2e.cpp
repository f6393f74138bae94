// The viewer with our WIC plug-in in its plug-in folder shows photos: a JPEG
// and a PNG opened from the command line, titled and sized like a bitmap; a
// phone's and a camera's pictures (HEIC, AVIF, JPEG XL, DNG) stepped through,
// each upright.
#include <array>
#include <gtest/gtest.h>
#include <string>

#include "support/desktop.h"
#include "support/test_files.h"
#include "support/viewer_driver.h"
#include "support/wine_paths.h"

namespace bex::test {
namespace {

// Colour channels within a JPEG's tolerance of the expected colour.
bool Near(COLORREF c, int r, int g, int b) {
  auto close = [](int a, int e) { return a - e < 24 && e - a < 24; };
  return close(GetRValue(c), r) && close(GetGValue(c), g) && close(GetBValue(c), b);
}

class WicPlugin : public ::testing::TestWithParam<const char*> {};

TEST_P(WicPlugin, ShowsThePhotoTitledAndSizedLikeABitmap) {
  const std::string folder = NewScratchFolder("wic");
  const std::string name = GetParam();
  ASSERT_TRUE(CopyFileA((BuildDir() + "\\fixtures\\" + name).c_str(),
                        (folder + "\\" + name).c_str(), FALSE));
  ViewerOptions options;
  options.plugins = {"plugins\\wicspi.spi"};
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

INSTANTIATE_TEST_SUITE_P(Photos, WicPlugin, ::testing::Values("quad.jpg", "quad.png"));

// Each file's quadrants upright (top left, top right, bottom left, bottom
// right) as red, green and blue.
TEST(WicPluginSteps, ShowsPhonesAndCamerasPicturesUpright) {
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
  };
  const std::string folder = NewScratchFolder("wic-steps");
  for (const auto& photo : photos) {
    ASSERT_TRUE(CopyFileA((BuildDir() + "\\fixtures\\" + photo.fixture).c_str(),
                          (folder + "\\" + photo.name).c_str(), FALSE));
  }
  ViewerOptions options;
  options.plugins = {"plugins\\wicspi.spi"};
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

}  // namespace
}  // namespace bex::test
