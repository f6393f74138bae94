// Where the tests running under Wine find the build: the folder of the test
// program's own build (BEX_BUILD_DIR, a Linux path) seen as a Windows path.
#pragma once

#include <string>

namespace bex::test {

// Z:\... form of a Linux path (Wine maps the Linux root to drive Z:).
std::string WindowsPathOf(const std::string& linuxPath);

// The Windows path of the build folder (build/win32).
std::string BuildDir();

// A new empty folder under the build's scratch folder, unique in this run.
std::string NewScratchFolder(const std::string& label);

}  // namespace bex::test
