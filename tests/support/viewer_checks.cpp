#include "support/viewer_checks.h"

#include <optional>
#include <string>

#include "support/test_pictures.h"

namespace bex::test {
namespace {

std::string Text(const RECT& r) {
  return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + ")-(" +
         std::to_string(r.right) + "," + std::to_string(r.bottom) + ")";
}

}  // namespace

Viewer StartShowing(const std::string& folder, const std::string& path,
                    const ViewerOptions& options) {
  Viewer viewer = Viewer::Start(folder, "\"" + path + "\"", options);
  const std::string title = path.substr(path.find_last_of('\\') + 1) + " [100%]";
  EXPECT_EQ(viewer.WaitForTitle(title), title);
  return viewer;
}

::testing::AssertionResult TakesKeysAgain(const Viewer& viewer) {
  std::optional<MessageBoxInfo> box;
  for (int press = 0; press < 5 && !box; ++press) {
    viewer.PressKey('V');
    WaitUntil([&] { return (box = viewer.FindMessageBox()).has_value(); }, 1000);
  }
  if (!box) return ::testing::AssertionFailure() << "V shows no box";
  viewer.Answer(*box, IDOK);
  if (box->caption == "ﾊﾞｰｼﾞｮﾝ情報") return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "V found the box \"" << box->caption << "\"";
}

::testing::AssertionResult DeletesTheShownFile(const Viewer& viewer, DWORD askMs, DWORD doneMs) {
  viewer.PressKey('D');
  viewer.Answer(viewer.WaitForMessageBox("削除確認", askMs), IDOK);
  const std::string title = viewer.WaitForTitle("削除完了", doneMs);
  if (title == "削除完了") return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "the title is " << title << " after the delete";
}

SIZE SizeOf(const RECT& r) { return {r.right - r.left, r.bottom - r.top}; }

RECT RectAt(POINT origin, SIZE size) {
  return {origin.x, origin.y, origin.x + size.cx, origin.y + size.cy};
}

::testing::AssertionResult ReachesRect(const Viewer& viewer, const RECT& expected) {
  if (WaitUntil([&] {
        const RECT now = viewer.OuterRect();
        return EqualRect(&now, &expected) != FALSE;
      })) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure()
         << "window at " << Text(viewer.OuterRect()) << ", expected " << Text(expected);
}

::testing::AssertionResult ReachesClientSize(const Viewer& viewer, SIZE expected) {
  SIZE now{};
  if (WaitUntil([&] {
        now = viewer.ClientSize();
        return now.cx == expected.cx && now.cy == expected.cy;
      })) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure() << "client area " << now.cx << " x " << now.cy
                                       << ", expected " << expected.cx << " x " << expected.cy;
}

::testing::AssertionResult ShowsPictureAt(const Viewer& viewer, POINT client, POINT expected) {
  POINT shown{};
  if (WaitUntil([&] {
        shown = CoordinateOf(viewer.PixelAt(client));
        return shown.x == expected.x && shown.y == expected.y;
      })) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure()
         << "client point " << client.x << "," << client.y << " shows picture point " << shown.x
         << "," << shown.y << ", expected " << expected.x << "," << expected.y;
}

}  // namespace bex::test
