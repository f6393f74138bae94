// The misdeeds of the test plug-in unruly.spi, each chosen by a test file's
// variant word, for the host's tests and the viewer's end-to-end tests.
#pragma once

#include <algorithm>
#include <gtest/gtest.h>
#include <string>

namespace bex::test {

struct Misdeed {
  const char* variant;
  bool decodes;  // the module answers in the end (slow, leaking)
};

inline auto AllMisdeeds() {
  return ::testing::Values(Misdeed{"crash-ask", false}, Misdeed{"crash-info", false},
                           Misdeed{"crash-picture", false}, Misdeed{"exit", false},
                           Misdeed{"loop", false}, Misdeed{"overflow", false},
                           Misdeed{"slow", true}, Misdeed{"leak", true});
}

// The variant word as a test name (no dashes).
inline std::string MisdeedName(const ::testing::TestParamInfo<Misdeed>& info) {
  std::string name = info.param.variant;
  name.erase(std::remove(name.begin(), name.end(), '-'), name.end());
  return name;
}

}  // namespace bex::test
