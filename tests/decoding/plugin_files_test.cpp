#include "decoding/plugin_files.h"

#include <gtest/gtest.h>

namespace bex {
namespace {

constexpr ModuleKind k32 = ModuleKind::k32Bit;
constexpr ModuleKind k64 = ModuleKind::k64Bit;

TEST(PluginFiles, BothKindsAreAskedInTheSearchsOrderAndOtherFilesAreNoModules) {
  const std::vector<std::string> names = {"b.sph", "readme.txt", "a.SPI", "c.spix",
                                          "d.sp",  "e.Sph",      "f.spi"};
  EXPECT_EQ(
      ModulesToLoad(names, true),
      (std::vector<ModuleFile>{{"b.sph", k64}, {"a.SPI", k32}, {"e.Sph", k64}, {"f.spi", k32}}));
}

TEST(PluginFiles, WithoutSixtyFourBitProgramsTheSphModulesArePassedOver) {
  EXPECT_EQ(ModulesToLoad({"b.sph", "a.spi", "wicspi.sph", "wicspi.spi"}, false),
            (std::vector<ModuleFile>{{"a.spi", k32}, {"wicspi.spi", k32}}));
  EXPECT_EQ(ModulesToLoad({"only.sph"}, false), std::vector<ModuleFile>{});
}

// x.spi beside x.sph: the 64-bit one only, where the first of the two stands,
// whatever the case of the names.
TEST(PluginFiles, OfAModuleBuiltBothWaysOnlyTheSixtyFourBitOneIsAsked) {
  EXPECT_EQ(ModulesToLoad({"a.spi", "wicspi.spi", "b.spi", "WICSPI.SPH"}, true),
            (std::vector<ModuleFile>{{"a.spi", k32}, {"WICSPI.SPH", k64}, {"b.spi", k32}}));
  EXPECT_EQ(ModulesToLoad({"wicspi.sph", "a.spi", "wicspi.spi"}, true),
            (std::vector<ModuleFile>{{"wicspi.sph", k64}, {"a.spi", k32}}));
  // Names are UTF-8: only ASCII letters have a case, and a character's last
  // byte never takes the dot or a letter after it with it (像 ends in 0x8F,
  // ĝ in 0x9D, lead bytes of code page 932).
  // (Out of the macro, which would quote them in code page 932.)
  const std::vector<std::string> utf8 = {u8"画像.spi", u8"ĝa.spi", u8"画像.SPH",
                                         u8"ĝA.sph",   u8"é.spi",  u8"É.sph"};
  const std::vector<ModuleFile> asked = {
      {u8"画像.SPH", k64}, {u8"ĝA.sph", k64}, {u8"é.spi", k32}, {u8"É.sph", k64}};
  EXPECT_EQ(ModulesToLoad(utf8, true), asked);
}

}  // namespace
}  // namespace bex
