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
  // Names that differ only in a double-byte character's second byte are two
  // modules (0x83 0x41 and 0x83 0x61).
  EXPECT_EQ(ModulesToLoad({"\x83\x41.spi", "\x83\x61.sph"}, true),
            (std::vector<ModuleFile>{{"\x83\x41.spi", k32}, {"\x83\x61.sph", k64}}));
}

}  // namespace
}  // namespace bex
