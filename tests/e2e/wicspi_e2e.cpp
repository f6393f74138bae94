// The viewer with our WIC plug-in in its plug-in folder shows photos: a JPEG
// and a PNG opened from the command line, titled and sized like a bitmap,
// through the 32-bit plug-in or the 64-bit one alone.
#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <tuple>

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

std::string PhotoAndPlugin(const ::testing::TestParamInfo<WicPlugin::ParamType>& info) {
  std::string name = std::string(std::get<0>(info.param)) + std::get<1>(info.param);
  name.erase(std::remove(name.begin(), name.end(), '.'), name.end());
  return name;
}

INSTANTIATE_TEST_SUITE_P(Photos, WicPlugin,
                         ::testing::Combine(::testing::Values("quad.jpg", "quad.png"),
                                            ::testing::Values("wicspi.spi", "wicspi.sph")),
                         PhotoAndPlugin);

}  // namespace
}  // namespace bex::test
