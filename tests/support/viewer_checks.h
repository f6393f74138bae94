// Conditions on a running viewer that tests wait for, as assertion results
// that say what was seen instead.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>
#include <string>

#include "support/viewer_driver.h"

namespace bex::test {

// Starts a viewer in folder on the picture at path (its name is the part after
// the last "\\") and expects the title to show that name at 100 %.
Viewer StartShowing(const std::string& folder, const std::string& path,
                    const ViewerOptions& options);

// Whether the viewer acts on keys again once a failure's message box has been
// answered (keys queued before the box ended are dropped): V is pressed until
// the version box shows, which is then answered.
::testing::AssertionResult TakesKeysAgain(const Viewer& viewer);

// D answered with OK: whether the title then says "削除完了". The question
// must show within askMs, the title within doneMs of the answer.
::testing::AssertionResult DeletesTheShownFile(const Viewer& viewer, DWORD askMs = kWaitMs,
                                               DWORD doneMs = kWaitMs);

SIZE SizeOf(const RECT& r);
// The rectangle of the given size whose top-left corner is origin.
RECT RectAt(POINT origin, SIZE size);

// The main window's outer rectangle once it equals expected.
::testing::AssertionResult ReachesRect(const Viewer& viewer, const RECT& expected);
// The main window's client size once it equals expected.
::testing::AssertionResult ReachesClientSize(const Viewer& viewer, SIZE expected);
// The picture point shown at a client point once it is expected, while a
// coordinate picture (test_pictures.h) is shown at 100 %.
::testing::AssertionResult ShowsPictureAt(const Viewer& viewer, POINT client, POINT expected);

}  // namespace bex::test
