#include <cstring>
#include <gtest/gtest.h>
#include <string>

#include "wicspi/plugin_info.h"

namespace bex::wicspi {
namespace {

std::string Info(int number) {
  char buffer[256];
  std::memset(buffer, 'x', sizeof buffer);
  const int length = CopyPluginInfo(number, buffer, sizeof buffer);
  if (length <= 0) return "";
  EXPECT_EQ(buffer[length], '\0');
  return std::string(buffer, length);
}

TEST(PluginInfo, StartsWithTheImportVersionAndAName) {
  EXPECT_EQ(Info(0), "00IN");
  EXPECT_FALSE(Info(1).empty());
}

TEST(PluginInfo, ListsPatternAndDescriptionPairsThenEnds) {
  int number = 2;
  for (; !Info(number).empty(); number += 2) {
    const std::string patterns = Info(number);
    EXPECT_EQ(patterns.rfind("*.", 0), 0u) << patterns;
    EXPECT_FALSE(Info(number + 1).empty()) << "no description for " << patterns;
  }
  EXPECT_GT(number, 2 + 2 * 4);  // JPEG, PNG, GIF, TIFF at least
  EXPECT_EQ(Info(number + 1), "");
  EXPECT_NE(Info(2).find("*.jpg"), std::string::npos);
}

// Hosts build their open dialogs' filters from the patterns.
TEST(PluginInfo, OffersThePhoneAndCameraFormatsToOpenDialogs) {
  std::string all;
  for (int number = 2; !Info(number).empty(); number += 2) all += Info(number) + ";";
  for (const char* pattern :
       {"*.heic;", "*.heif;", "*.avif;", "*.jxl;", "*.dng;", "*.cr2;", "*.cr3;", "*.nef;", "*.arw;",
        "*.raf;", "*.orf;", "*.rw2;", "*.pef;", "*.webp;"}) {
    EXPECT_NE(all.find(pattern), std::string::npos) << pattern;
  }
}

TEST(PluginInfo, RefusesUnknownNumbersAndMissingBuffers) {
  char buffer[8] = "keep";
  EXPECT_EQ(CopyPluginInfo(-1, buffer, sizeof buffer), 0);
  EXPECT_EQ(CopyPluginInfo(1000, buffer, sizeof buffer), 0);
  EXPECT_STREQ(buffer, "keep");
  EXPECT_EQ(CopyPluginInfo(0, buffer, 0), 0);
  EXPECT_EQ(CopyPluginInfo(0, nullptr, 10), 0);
}

TEST(PluginInfo, CutsLongTextsToTheBuffer) {
  char buffer[3];
  EXPECT_EQ(CopyPluginInfo(0, buffer, sizeof buffer), 2);
  EXPECT_STREQ(buffer, "00");
  char one[1] = {'x'};
  EXPECT_EQ(CopyPluginInfo(0, one, 1), 0);
  EXPECT_EQ(one[0], '\0');
}

}  // namespace
}  // namespace bex::wicspi
