// The plug-in host with the test modules of plugins/testspi, under Wine.
// Each test copies the modules it needs into a folder of its own, so that
// the module lists of the slots' helper processes tell which copies are
// loaded; none is ever loaded in the viewer's (here the test's) process.
// The cases that call modules run for both builds of them: 32-bit (.spi)
// through the 32-bit helper and 64-bit (.sph) through the 64-bit helper.
#include <windows.h>

#include <tlhelp32.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <gtest/gtest.h>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

#include "common/bex_error.h"
#include "common/code_page_win.h"
#include "common/cp932.h"
#include "common/files_win.h"
#include "common/memory_win.h"
#include "common/wide_text.h"
#include "decoding/decoder_slots_win.h"
#include "decoding/spi_host_win.h"
#include "support/bmp_writer.h"
#include "support/plugin_misdeeds.h"
#include "support/process.h"
#include "support/test_files.h"
#include "support/wine_paths.h"

namespace bex {
namespace {

using Pixels = std::vector<uint32_t>;  // 0x00RRGGBB, top row first

// The tests' paths are code page 932; the host takes wide paths.
std::wstring Wide(const std::string& path) { return FromCp932(path); }

std::string Path(const std::string& folder, const std::string& name) {
  return folder + "\\" + name;
}

// A build of the test modules: where the build puts them, their extension
// and the helper that runs them.
struct ModuleBuild {
  const char* name;
  const char* folder;
  const char* extension;
  ModuleKind kind;
};
constexpr ModuleBuild k32BitModules{"Spi", "testspi", ".spi", ModuleKind::k32Bit};
constexpr ModuleBuild k64BitModules{"Sph", "testspi64", ".sph", ModuleKind::k64Bit};
const auto kBothBuilds = testing::Values(k32BitModules, k64BitModules);

std::string BuildName(const testing::TestParamInfo<ModuleBuild>& info) { return info.param.name; }

// A module's file name in a build: "tst1" -> "tst1.spi" or "tst1.sph".
std::string ModuleFileName(const ModuleBuild& build, const std::string& module) {
  return module + build.extension;
}

// A new folder holding copies of test modules of a build: "tst1" is its
// tst1.spi or tst1.sph; a name with an extension (a library) is copied as it is.
std::string FolderWith(const ModuleBuild& build, const std::string& label,
                       const std::vector<std::string>& modules) {
  const std::string folder = test::NewScratchFolder(label);
  const std::string built = test::BuildDir() + "\\" + build.folder;
  for (const std::string& module : modules) {
    const std::string name =
        module.find('.') != std::string::npos ? module : ModuleFileName(build, module);
    EXPECT_TRUE(CopyFileA(Path(built, name).c_str(), Path(folder, name).c_str(), FALSE))
        << name << " (build the targets bex_testspi, and bex_testspi in build/win64)";
  }
  return folder;
}

std::string FolderWith(const std::string& label, const std::vector<std::string>& modules) {
  return FolderWith(k32BitModules, label, modules);
}

// The same for a 64-bit process, whose modules only a 64-bit process can
// list: the build's loaded_module64.exe.
bool IsLoadedIn64BitProcess(DWORD processId, const std::string& modulePath) {
  const test::Process probe =
      test::Process::Launch(test::BuildDir() + "\\loaded_module64.exe",
                            std::to_string(processId) + " \"" +
                                ExactCp932(FullPath(Wide(modulePath))).value_or("") + "\"",
                            test::BuildDir());
  const std::optional<DWORD> exitCode = probe.WaitForExit();
  EXPECT_TRUE(exitCode && *exitCode <= 1) << "loaded_module64.exe (build it in build/win64)";
  return exitCode == 0u;
}

// Whether the process `processId` has the module at modulePath loaded.
bool IsLoadedIn(DWORD processId, const std::string& modulePath, ModuleKind kind) {
  if (processId == 0) return false;
  if (kind == ModuleKind::k64Bit) return IsLoadedIn64BitProcess(processId, modulePath);
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, processId);
  if (snapshot == INVALID_HANDLE_VALUE) return false;
  const std::wstring wanted = FullPath(Wide(modulePath));
  MODULEENTRY32W entry = {};
  entry.dwSize = sizeof entry;
  bool found = false;
  for (BOOL more = Module32FirstW(snapshot, &entry); more && !found;
       more = Module32NextW(snapshot, &entry)) {
    found = lstrcmpiW(entry.szExePath, wanted.c_str()) == 0;
  }
  CloseHandle(snapshot);
  return found;
}

// Loaded by the slot's helper of the module's kind, and never in this process.
bool IsLoaded(const DecoderSlot& slot, const std::string& modulePath) {
  EXPECT_EQ(GetModuleHandleA(modulePath.c_str()), nullptr) << modulePath << " in the viewer";
  const ModuleKind kind =
      UpperExtension(modulePath) == ".SPH" ? ModuleKind::k64Bit : ModuleKind::k32Bit;
  return IsLoadedIn(slot.HelperProcessId(kind), modulePath, kind);
}

// Waits until the process has ended; false when it still runs after 10 s.
bool Ends(DWORD processId) {
  HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, processId);
  if (!process) return true;
  const bool ended = WaitForSingleObject(process, 10000) == WAIT_OBJECT_0;
  CloseHandle(process);
  return ended;
}

Pixels Pattern(int width, int height, uint32_t seed) {
  Pixels pixels;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      pixels.push_back(
          (seed * 0x010203u + static_cast<uint32_t>(x * 0x400000 + y * 0x3000 + x * y * 7)) &
          0xFFFFFF);
    }
  }
  return pixels;
}

Pixels Inverted(Pixels pixels) {
  for (uint32_t& p : pixels) p ^= 0xFFFFFF;
  return pixels;
}

struct TestPicture {
  int width;
  int height;
  Pixels pixels;
};

TestPicture SmallPicture(uint32_t seed = 1) { return {5, 3, Pattern(5, 3, seed)}; }

// A file of the test modules' format.
std::string TestPictureFile(const TestPicture& picture, const std::string& variant) {
  std::ostringstream file;
  file << "BEXTEST1 " << picture.width << ' ' << picture.height << ' ' << variant << '\n';
  for (uint32_t p : picture.pixels) {
    file << static_cast<char>(p >> 16) << static_cast<char>(p >> 8) << static_cast<char>(p);
  }
  return file.str();
}

std::string BitmapFile(const TestPicture& picture) {
  return test::BmpBytes(picture.width, picture.height, [&](int x, int y) {
    const uint32_t p = picture.pixels[static_cast<size_t>(y) * picture.width + x];
    return test::Rgb{static_cast<uint8_t>(p >> 16), static_cast<uint8_t>(p >> 8),
                     static_cast<uint8_t>(p)};
  });
}

Pixels PixelsOf(const BitmapRef& picture) {
  if (!picture) return {};
  GdiFlush();
  const uint32_t* bits = picture->Bits();
  Pixels pixels(bits, bits + static_cast<size_t>(picture->Width()) * picture->Height());
  for (uint32_t& p : pixels) p &= 0xFFFFFF;
  return pixels;
}

// File names as the directory search returns them, in its order.
std::vector<std::string> SearchOrder(const std::string& folder, const char* pattern) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(Path(folder, pattern).c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    names.push_back(found.cFileName);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return names;
}

// The calls that trace.spi records while it lives.
class CallTrace {
 public:
  explicit CallTrace(const std::string& folder) : path_(Path(folder, "calls.log")) {
    SetEnvironmentVariableA("BEX_SPI_TRACE", path_.c_str());
  }
  ~CallTrace() { SetEnvironmentVariableA("BEX_SPI_TRACE", nullptr); }
  std::vector<std::string> Lines() const {
    return test::NonEmptyLines(test::ReadFileBytes(path_).value_or(""));
  }

 private:
  std::string path_;
};

std::string WritePicture(const std::string& folder, const std::string& name,
                         const TestPicture& picture, const std::string& variant = "plain") {
  const std::string path = Path(folder, name);
  test::WriteFileBytes(path, TestPictureFile(picture, variant));
  return path;
}

void ExpectPicture(const DecoderSlot& slot, const TestPicture& picture, const Pixels& pixels) {
  ASSERT_TRUE(slot.Picture());
  EXPECT_EQ(slot.Picture()->Width(), picture.width);
  EXPECT_EQ(slot.Picture()->Height(), picture.height);
  EXPECT_EQ(PixelsOf(slot.Picture()), pixels);
}

class SpiHostChoice : public testing::TestWithParam<ModuleBuild> {};

// The builds of tst1 and of tst2: both of one kind, or one of each, which
// are asked in one order all the same.
class SpiHostOrder : public testing::TestWithParam<std::pair<ModuleBuild, ModuleBuild>> {};

TEST_P(SpiHostOrder, TheModuleTheSearchReturnsFirstDecodes) {
  const auto& [tst1Build, tst2Build] = GetParam();
  const TestPicture picture = SmallPicture();
  // Both ways round, so that whatever order the search has, each module wins once.
  for (const auto& [tst1Stem, tst2Stem] : {std::pair{"a", "b"}, std::pair{"b", "a"}}) {
    const std::string folder = test::NewScratchFolder("order");
    const std::string tst1Copy = ModuleFileName(tst1Build, tst1Stem);
    const std::string tst2Copy = ModuleFileName(tst2Build, tst2Stem);
    const std::string built = test::BuildDir() + "\\";
    ASSERT_TRUE(CopyFileA(Path(built + tst1Build.folder, ModuleFileName(tst1Build, "tst1")).c_str(),
                          Path(folder, tst1Copy).c_str(), FALSE));
    ASSERT_TRUE(CopyFileA(Path(built + tst2Build.folder, ModuleFileName(tst2Build, "tst2")).c_str(),
                          Path(folder, tst2Copy).c_str(), FALSE));
    const std::vector<std::string> order = SearchOrder(folder, "*.SP?");
    ASSERT_EQ(order.size(), 2u);
    const bool tst1First = lstrcmpiA(order[0].c_str(), tst1Copy.c_str()) == 0;
    const std::string file = WritePicture(folder, "pic.tst", picture);

    DecoderSlot slot;
    slot.LoadPlugins(folder);
    EXPECT_EQ(slot.PluginCount(), 2u);
    ASSERT_TRUE(slot.PrepareFile(Wide(file)));
    ASSERT_TRUE(slot.ChosenPlugin());
    EXPECT_EQ(*slot.ChosenPlugin(), order[0]);
    ASSERT_TRUE(slot.DecodePicture());
    ExpectPicture(slot, picture, tst1First ? picture.pixels : Inverted(picture.pixels));

    // The modules share one handle of the file, each given it at the start.
    const std::string second = WritePicture(folder, "only2.tst", picture, "tst2-only");
    ASSERT_TRUE(slot.PrepareFile(Wide(second))) << (tst1First ? "tst1" : "tst2") << " asked first";
    EXPECT_EQ(*slot.ChosenPlugin(), tst2Copy);
  }
}

std::string BuildPairName(const testing::TestParamInfo<std::pair<ModuleBuild, ModuleBuild>>& info) {
  return std::string(info.param.first.name) + info.param.second.name;
}

INSTANTIATE_TEST_SUITE_P(Builds, SpiHostOrder,
                         testing::Values(std::pair{k32BitModules, k32BitModules},
                                         std::pair{k64BitModules, k64BitModules},
                                         std::pair{k32BitModules, k64BitModules}),
                         BuildPairName);

// Each module gets the file by the route it can take, and never under a
// look-alike name (best fit made café.tst cafe.tst, another file): a wide
// path to a module with the wide entry points; for one without them, a
// name code page 932 holds as it is, any other name as the file's bytes.
TEST(SpiHostNames, EveryNameReachesAModuleWithoutEverBecomingAnotherName) {
  const TestPicture picture = SmallPicture(5);
  const std::wstring hangul = L"\ud55c\uae00.tst";
  struct Case {
    const char* module;
    std::wstring name;
    std::vector<std::string> calls;  // "<path>" stands for the file's full path
  };
  const Case cases[] = {
      {"trace.spi", hangul, {"IsSupported .tst", "GetPicture (memory)"}},
      {"trace.spi", L"caf\u00e9.tst", {"IsSupported .tst", "GetPicture (memory)"}},
      {"trace.spi", L"\u4e88\u5b9a.tst", {"IsSupported <path>", "GetPicture <path>"}},
      {"wide.spi", hangul, {"IsSupportedW <path>", "GetPictureW <path>"}},
  };
  for (const Case& c : cases) {
    const std::string folder = FolderWith("names", {c.module});
    const std::wstring file = Wide(folder) + L"\\" + c.name;
    test::WriteFileBytes(file, TestPictureFile(picture, "plain"));
    // cafe.tst, the look-alike of café.tst, is another picture.
    test::WriteFileBytes(Path(folder, "cafe.tst"), TestPictureFile(SmallPicture(9), "plain"));
    const std::string path = c.name == L"\u4e88\u5b9a.tst" ? *ExactCp932(file) : WideToUtf8(file);
    std::vector<std::string> expected;
    for (const std::string& call : c.calls) {
      expected.push_back(call.substr(0, call.find('<')) +
                         (call.find('<') == std::string::npos ? "" : path));
    }
    const CallTrace trace(folder);
    DecoderSlot slot;
    slot.LoadPlugins(folder);
    ASSERT_TRUE(slot.PrepareFile(file)) << c.module << " " << WideToUtf8(c.name);
    ASSERT_TRUE(slot.DecodePicture());
    ExpectPicture(slot, picture, picture.pixels);
    EXPECT_EQ(slot.FileName(), file);
    EXPECT_EQ(trace.Lines(), expected) << c.module << " " << WideToUtf8(c.name);
  }
}

TEST_P(SpiHostChoice, ModuleWithoutGetPictureIsUnloadedAndNeverAsked) {
  const std::string folder = FolderWith(GetParam(), "nopic", {"nopic", "tst1"});
  DecoderSlot slot;
  slot.LoadPlugins(folder);
  EXPECT_FALSE(IsLoaded(slot, Path(folder, ModuleFileName(GetParam(), "nopic"))));
  EXPECT_TRUE(IsLoaded(slot, Path(folder, ModuleFileName(GetParam(), "tst1"))));
  EXPECT_EQ(slot.PluginCount(), 1u);

  // The module would claim any file if it were asked.
  const std::string text = Path(folder, "notes.txt");
  test::WriteFileBytes(text, "not a picture");
  EXPECT_FALSE(slot.PrepareFile(Wide(text)));
  const TestPicture picture = SmallPicture();
  ASSERT_TRUE(slot.PrepareFile(Wide(WritePicture(folder, "pic.tst", picture))));
  ASSERT_TRUE(slot.DecodePicture());
  ExpectPicture(slot, picture, picture.pixels);
}

TEST(SpiHostBitmaps, SlotWithoutModulesReadsOnlyBitmaps) {
  const std::string folder = test::NewScratchFolder("empty-slot");
  DecoderSlot slot;
  EXPECT_FALSE(slot.PrepareFile(Wide(WritePicture(folder, "pic.tst", SmallPicture()))));
  EXPECT_FALSE(slot.DecodePicture());
  EXPECT_FALSE(slot.Picture());

  const TestPicture picture = SmallPicture();
  const std::string bitmap = Path(folder, "pic.bmp");
  test::WriteFileBytes(bitmap, BitmapFile(picture));
  ASSERT_TRUE(slot.PrepareFile(Wide(bitmap)));
  ASSERT_TRUE(slot.DecodePicture());
  ExpectPicture(slot, picture, picture.pixels);
}

TEST_P(SpiHostChoice, FileThatDoesNotOpenIsRefusedBeforeAnyModuleIsAsked) {
  const std::string folder = FolderWith(GetParam(), "unopenable", {"trace"});
  const CallTrace trace(folder);
  DecoderSlot slot;
  slot.LoadPlugins(folder);
  const std::string subfolder = Path(folder, "dir.tst");
  ASSERT_TRUE(CreateDirectoryA(subfolder.c_str(), nullptr));
  EXPECT_FALSE(slot.PrepareFile(Wide(subfolder)));
  EXPECT_FALSE(slot.PrepareFile(Wide(Path(folder, "missing.tst"))));
  EXPECT_EQ(trace.Lines(), std::vector<std::string>{});

  // The same module is asked for a file that opens.
  const std::string file = WritePicture(folder, "pic.tst", SmallPicture());
  EXPECT_TRUE(slot.PrepareFile(Wide(file)));
  EXPECT_EQ(trace.Lines(), std::vector<std::string>{"IsSupported " + file});
}

INSTANTIATE_TEST_SUITE_P(Builds, SpiHostChoice, kBothBuilds, BuildName);

TEST(SpiHostBitmaps, BmpExtensionGoesToTheBuiltInReaderWhateverModulesAreLoaded) {
  const std::string modules = FolderWith("bmp", {"trace.spi"});
  const CallTrace trace(modules);
  DecoderSlot slot;
  slot.LoadPlugins(modules);
  const TestPicture picture = SmallPicture(7);
  // One folder per name: the file system ignores case.
  for (const char* name : {"photo.bmp", "photo.Bmp", "PHOTO.BMP"}) {
    const std::string file = Path(test::NewScratchFolder("bmp-file"), name);
    test::WriteFileBytes(file, BitmapFile(picture));
    ASSERT_TRUE(slot.PrepareFile(Wide(file))) << name;
    EXPECT_EQ(slot.Extension(), L".BMP");
    ASSERT_TRUE(slot.DecodePicture()) << name;
    ExpectPicture(slot, picture, picture.pixels);
  }
  EXPECT_EQ(trace.Lines(), std::vector<std::string>{});

  const std::string jpeg = WritePicture(modules, "photo.bmp.jpg", picture);
  ASSERT_TRUE(slot.PrepareFile(Wide(jpeg)));
  EXPECT_EQ(slot.Extension(), L".JPG");
  ASSERT_TRUE(slot.DecodePicture());
  ExpectPicture(slot, picture, picture.pixels);
  EXPECT_EQ(trace.Lines(), (std::vector<std::string>{"IsSupported " + jpeg, "GetPicture " + jpeg}));
}

TEST(SpiHostBitmaps, RejectedBitmapRaisesTheReadersError) {
  const std::string folder = test::NewScratchFolder("bad-bmp");
  DecoderSlot slot;
  const TestPicture picture = SmallPicture();
  std::string truncated = BitmapFile(picture);
  truncated.resize(truncated.size() / 2);
  for (const auto& [name, bytes] : {std::pair<std::string, std::string>{"empty.bmp", ""},
                                    {"text.bmp", "this is not a bitmap"},
                                    {"truncated.bmp", truncated}}) {
    const std::string file = Path(folder, name);
    test::WriteFileBytes(file, bytes);
    ASSERT_TRUE(slot.PrepareFile(Wide(file)));
    try {
      slot.DecodePicture();
      ADD_FAILURE() << name << " was accepted";
    } catch (const BexError& error) {
      EXPECT_STREQ(error.what(), "ビットマップイメージが不正です") << name;
    }
    EXPECT_FALSE(slot.Picture());
  }
}

TEST(SpiHostBitmaps, BitmapThatCannotBeReadFailsQuietly) {
  const std::string folder = test::NewScratchFolder("unreadable-bmp");
  const std::string subfolder = Path(folder, "dir.bmp");
  ASSERT_TRUE(CreateDirectoryA(subfolder.c_str(), nullptr));
  DecoderSlot slot;
  for (const std::string& file : {subfolder, Path(folder, "missing.bmp")}) {
    ASSERT_TRUE(slot.PrepareFile(Wide(file)));
    EXPECT_FALSE(slot.DecodePicture()) << file;
    EXPECT_FALSE(slot.Picture());
  }
}

class SpiHostDecode : public testing::TestWithParam<ModuleBuild> {};

TEST_P(SpiHostDecode, FailedDecodeKeepsTheSlotsPictureWithItsName) {
  const std::string folder = FolderWith(GetParam(), "failpic", {"failpic"});
  DecoderSlot slot;
  slot.LoadPlugins(folder);
  const TestPicture picture = SmallPicture();
  const std::string bitmap = Path(folder, "old.bmp");
  test::WriteFileBytes(bitmap, BitmapFile(picture));
  ASSERT_TRUE(slot.PrepareFile(Wide(bitmap)));
  ASSERT_TRUE(slot.DecodePicture());
  const BitmapRef old = slot.Picture();

  ASSERT_TRUE(slot.PrepareFile(Wide(WritePicture(folder, "pic.tst", picture))));
  EXPECT_FALSE(slot.DecodePicture());
  EXPECT_EQ(slot.Picture(), old);
  EXPECT_EQ(slot.FileName(), Wide(bitmap));

  const std::string broken = Path(folder, "broken.bmp");
  test::WriteFileBytes(broken, "BM not a bitmap");
  ASSERT_TRUE(slot.PrepareFile(Wide(broken)));
  EXPECT_THROW(slot.DecodePicture(), BexError);
  EXPECT_EQ(slot.Picture(), old);
  EXPECT_EQ(slot.FileName(), Wide(bitmap));
}

// A module build and a variant word of the test picture.
using BuildAndVariant = std::tuple<ModuleBuild, const char*>;

std::string BuildAndVariantName(const testing::TestParamInfo<BuildAndVariant>& info) {
  return std::string(std::get<0>(info.param).name) + "_" + std::get<1>(info.param);
}

class SpiHostBogusAnswer : public testing::TestWithParam<BuildAndVariant> {};

TEST_P(SpiHostBogusAnswer, FailsTheDecode) {
  const auto& [build, variant] = GetParam();
  const std::string folder = FolderWith(build, "bogus", {"bogus"});
  DecoderSlot slot;
  slot.LoadPlugins(folder);
  ASSERT_TRUE(slot.PrepareFile(Wide(WritePicture(folder, "pic.tst", SmallPicture(), variant))));
  EXPECT_FALSE(slot.DecodePicture());
  EXPECT_FALSE(slot.Picture());
}

INSTANTIATE_TEST_SUITE_P(
    Variants, SpiHostBogusAnswer,
    testing::Combine(kBothBuilds,
                     testing::Values("width0", "widthneg", "heightneg", "huge", "noinfo",
                                     "nopixels", "smallinfo", "smallpixels", "bitcount13",
                                     "headersize", "hugeheader", "shortheader", "narrowheader",
                                     "topdownrle", "rle8short", "rle8nosize", "shorttable",
                                     "manycolours", "nomasks")),
    BuildAndVariantName);

// Sound answers of the same module in the forms a host must accept.
class SpiHostSoundAnswer : public testing::TestWithParam<BuildAndVariant> {};

TEST_P(SpiHostSoundAnswer, DecodesThePixels) {
  const auto& [build, variant] = GetParam();
  const std::string folder = FolderWith(build, "sound", {"bogus"});
  DecoderSlot slot;
  slot.LoadPlugins(folder);
  const TestPicture picture = SmallPicture(3);
  ASSERT_TRUE(slot.PrepareFile(Wide(WritePicture(folder, "pic.tst", picture, variant))));
  ASSERT_TRUE(slot.DecodePicture());
  ExpectPicture(slot, picture, picture.pixels);
}

INSTANTIATE_TEST_SUITE_P(Variants, SpiHostSoundAnswer,
                         testing::Combine(kBothBuilds,
                                          testing::Values("plain", "topdown", "indexed8", "rle8",
                                                          "bitfields32", "fixed", "textinfo",
                                                          "fourth0", "fourth255")),
                         BuildAndVariantName);

// The picture as the host should show it when the module's fourth bytes,
// pixel by pixel from the bottom row, repeat `alpha`: over black.
Pixels OverBlack(const TestPicture& picture, const std::vector<int>& alpha) {
  Pixels shown = picture.pixels;
  for (int y = 0; y < picture.height; ++y) {
    for (int x = 0; x < picture.width; ++x) {
      const size_t n = static_cast<size_t>(picture.height - 1 - y) * picture.width + x;
      const int a = alpha[n % alpha.size()];
      uint32_t& p = shown[static_cast<size_t>(y) * picture.width + x];
      uint32_t composited = 0;
      for (int shift : {0, 8, 16}) {
        const int channel = static_cast<int>(p >> shift & 0xFF);
        composited |= static_cast<uint32_t>((channel * a + 127) / 255) << shift;
      }
      p = composited;
    }
  }
  return shown;
}

TEST_P(SpiHostDecode, ThirtyTwoBitAnswerWithAlphaShowsOverBlack) {
  const std::string folder = FolderWith(GetParam(), "alpha", {"bogus"});
  DecoderSlot slot;
  slot.LoadPlugins(folder);
  const TestPicture picture = SmallPicture(5);
  const std::pair<const char*, std::vector<int>> cases[] = {
      {"alpha", {255, 128, 0, 64}},  // graded values
      {"alphaclear", {255, 0}},      // only clear and opaque, mixed
  };
  for (const auto& [variant, alpha] : cases) {
    ASSERT_TRUE(slot.PrepareFile(Wide(WritePicture(folder, "pic.tst", picture, variant))));
    ASSERT_TRUE(slot.DecodePicture()) << variant;
    ExpectPicture(slot, picture, OverBlack(picture, alpha));
  }
}

// A module that crashes, exits, hangs, overflows its stack, leaks or takes
// its time, as the file's variant word asks; modules are cut off after 2 s.
class SpiHostMisbehavingModule
    : public testing::TestWithParam<std::tuple<ModuleBuild, test::Misdeed>> {
 protected:
  SpiHostMisbehavingModule() { SetEnvironmentVariableA("BEX_PLUGIN_TIMEOUT_MS", "2000"); }
  ~SpiHostMisbehavingModule() override {
    SetEnvironmentVariableA("BEX_PLUGIN_TIMEOUT_MS", nullptr);
  }
};

TEST_P(SpiHostMisbehavingModule, CostsOnlyItsFileAndTheNextFileIsRead) {
  const auto& [build, misdeed] = GetParam();
  if (std::string(misdeed.variant) == "slow")
    SetEnvironmentVariableA("BEX_PLUGIN_TIMEOUT_MS", nullptr);
  const std::string folder = FolderWith(build, "unruly", {"unruly"});
  const TestPicture bad = SmallPicture(1);
  const TestPicture good{4, 6, Pattern(4, 6, 2)};
  const std::string badFile = WritePicture(folder, "bad.tst", bad, misdeed.variant);
  const std::string goodFile = WritePicture(folder, "good.tst", good);
  DecoderSlot slot;
  slot.LoadPlugins(folder);
  const DWORD helper = slot.HelperProcessId(build.kind);

  const bool decoded = slot.PrepareFile(Wide(badFile)) && slot.DecodePicture();
  EXPECT_EQ(decoded, misdeed.decodes);
  if (decoded) ExpectPicture(slot, bad, bad.pixels);
  ASSERT_TRUE(slot.PrepareFile(Wide(goodFile)));
  ASSERT_TRUE(slot.DecodePicture());
  ExpectPicture(slot, good, good.pixels);
  if (!misdeed.decodes) {
    EXPECT_NE(slot.HelperProcessId(build.kind), helper) << "a fresh helper took over";
    EXPECT_TRUE(Ends(helper));
  }
}

std::string BuildAndMisdeedName(
    const testing::TestParamInfo<std::tuple<ModuleBuild, test::Misdeed>>& info) {
  return std::string(std::get<0>(info.param).name) + "_" +
         test::MisdeedName({std::get<1>(info.param), info.index});
}

INSTANTIATE_TEST_SUITE_P(Misdeeds, SpiHostMisbehavingModule,
                         testing::Combine(kBothBuilds, test::AllMisdeeds()), BuildAndMisdeedName);

TEST_P(SpiHostDecode, HelperThatGrewPastTheBoundIsReplacedAndTheViewerStaysFlat) {
  const ModuleKind kind = GetParam().kind;
  const std::string folder = FolderWith(GetParam(), "leaks", {"unruly"});
  const std::string file = WritePicture(folder, "leak.tst", SmallPicture(), "leak");
  DecoderSlot slot;
  slot.LoadPlugins(folder);
  std::vector<DWORD> helpers;
  const uint64_t before = CommittedPrivateBytes();
  // 200 MB a call: the bound of 512 MiB is passed at the third.
  for (int i = 0; i < 4; ++i) {
    ASSERT_TRUE(slot.PrepareFile(Wide(file)));
    helpers.push_back(slot.HelperProcessId(kind));
    ASSERT_TRUE(slot.DecodePicture()) << i;
  }
  EXPECT_EQ(helpers[0], helpers[2]);
  EXPECT_NE(helpers[2], helpers[3]);
  EXPECT_TRUE(Ends(helpers[0]));
  EXPECT_LT(CommittedPrivateBytes(), before + (16u << 20));
}

TEST_P(SpiHostDecode, PictureHeldElsewhereOutlivesTheSlotsNextDecode) {
  const std::string folder = FolderWith(GetParam(), "shared", {"tst1"});
  DecoderSlot slot;
  slot.LoadPlugins(folder);
  const TestPicture first = SmallPicture(1);
  const TestPicture second{4, 6, Pattern(4, 6, 2)};
  ASSERT_TRUE(slot.PrepareFile(Wide(WritePicture(folder, "first.tst", first))));
  ASSERT_TRUE(slot.DecodePicture());
  const BitmapRef shown = slot.Picture();

  ASSERT_TRUE(slot.PrepareFile(Wide(WritePicture(folder, "second.tst", second))));
  ASSERT_TRUE(slot.DecodePicture());
  ExpectPicture(slot, second, second.pixels);
  slot.ReleasePicture();
  EXPECT_FALSE(slot.Picture());

  ASSERT_TRUE(shown);
  EXPECT_EQ(shown->Width(), first.width);
  EXPECT_EQ(shown->Height(), first.height);
  EXPECT_EQ(PixelsOf(shown), first.pixels);
}

// A picture let go of leaves its memory to the next decode when it is large
// enough; a picture still held keeps its own.
TEST_P(SpiHostDecode, MemoryOfPicturesLetGoOfServesTheNextDecodes) {
  const std::string folder = FolderWith(GetParam(), "spare", {"tst1"});
  DecoderSlot slot;
  slot.LoadPlugins(folder);
  const TestPicture large{200, 150, Pattern(200, 150, 1)};
  const TestPicture small{5, 3, Pattern(5, 3, 2)};
  const TestPicture other{200, 150, Pattern(200, 150, 3)};
  const std::string largeFile = WritePicture(folder, "large.tst", large);
  const std::string smallFile = WritePicture(folder, "small.tst", small);
  const std::string otherFile = WritePicture(folder, "other.tst", other);
  for (const auto& [file, picture] : {std::pair{smallFile, small}, std::pair{largeFile, large},
                                      std::pair{smallFile, small}, std::pair{otherFile, other}}) {
    ASSERT_TRUE(slot.PrepareFile(Wide(file)));
    ASSERT_TRUE(slot.DecodePicture()) << file;
    ExpectPicture(slot, picture, picture.pixels);
    slot.ReleasePicture();
  }
  ASSERT_TRUE(slot.PrepareFile(Wide(largeFile)));
  ASSERT_TRUE(slot.DecodePicture());
  const BitmapRef held = slot.Picture();
  ASSERT_TRUE(slot.PrepareFile(Wide(otherFile)));
  ASSERT_TRUE(slot.DecodePicture());
  ExpectPicture(slot, other, other.pixels);
  EXPECT_EQ(PixelsOf(held), large.pixels);
}

INSTANTIATE_TEST_SUITE_P(Builds, SpiHostDecode, kBothBuilds, BuildName);

class SpiHostLoading : public testing::TestWithParam<ModuleBuild> {
 protected:
  std::string Module(const std::string& folder, const std::string& module) const {
    return Path(folder, ModuleFileName(GetParam(), module));
  }
  DWORD Helper(const DecoderSlot& slot) const { return slot.HelperProcessId(GetParam().kind); }
};

TEST_P(SpiHostLoading, NewListReplacesTheOldAndUnloadsItsModules) {
  const std::string first = FolderWith(GetParam(), "first", {"tst1"});
  const std::string second = FolderWith(GetParam(), "second", {"tst2"});
  const TestPicture picture = SmallPicture();
  const std::string file = WritePicture(first, "pic.tst", picture);
  DWORD helper = 0;
  {
    DecoderSlot slot;
    slot.LoadPlugins(first);
    ASSERT_TRUE(slot.PrepareFile(Wide(file)));
    EXPECT_TRUE(IsLoaded(slot, Module(first, "tst1")));

    slot.LoadPlugins(second);
    EXPECT_FALSE(IsLoaded(slot, Module(first, "tst1")));
    EXPECT_TRUE(IsLoaded(slot, Module(second, "tst2")));
    EXPECT_EQ(slot.PluginCount(), 1u);
    EXPECT_EQ(slot.ChosenPlugin(), nullptr);
    EXPECT_EQ(slot.Folder(), second);
    ASSERT_TRUE(slot.PrepareFile(Wide(file)));
    ASSERT_TRUE(slot.DecodePicture());
    ExpectPicture(slot, picture, Inverted(picture.pixels));
    helper = Helper(slot);
  }
  EXPECT_TRUE(Ends(helper)) << "the slot's helper ends with it";
}

TEST_P(SpiHostLoading, ReloadingTheSameFolderKeepsOneEntryPerModule) {
  const std::string folder = FolderWith(GetParam(), "reload", {"tst1", "tst2"});
  DecoderSlot slot;
  slot.LoadPlugins(folder);
  const DWORD helper = Helper(slot);
  for (int i = 0; i < 2; ++i) slot.LoadPlugins(folder);
  EXPECT_EQ(slot.PluginCount(), 2u);
  EXPECT_EQ(Helper(slot), helper) << "one helper serves the slot";
  EXPECT_TRUE(IsLoaded(slot, Module(folder, "tst1")));
  EXPECT_TRUE(IsLoaded(slot, Module(folder, "tst2")));
}

TEST_P(SpiHostLoading, FolderWithoutUsableModulesLeavesTheListAsItWas) {
  const std::string folder = FolderWith(GetParam(), "kept", {"tst1"});
  const std::string unusable = FolderWith(GetParam(), "unusable", {"nopic"});
  const std::string file = WritePicture(folder, "pic.tst", SmallPicture());
  DecoderSlot slot;
  slot.LoadPlugins(folder);
  for (const std::string& other :
       {test::NewScratchFolder("no-modules"), unusable, Path(folder, "missing")}) {
    slot.LoadPlugins(other);
    EXPECT_EQ(slot.PluginCount(), 1u) << other;
    EXPECT_EQ(slot.Folder(), other);
    EXPECT_TRUE(IsLoaded(slot, Module(folder, "tst1")));
    EXPECT_TRUE(slot.PrepareFile(Wide(file)));
  }
  EXPECT_FALSE(IsLoaded(slot, Module(unusable, "nopic")));
}

// Whether the test library spidep.dll ran its start-up code in folder.
bool LibraryRanIn(const std::string& folder) {
  return GetFileAttributesA(Path(folder, "spidep.ran").c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The pictures folder as the current directory, as opening a picture makes it.
class InFolder {
 public:
  explicit InFolder(const std::string& folder) {
    GetCurrentDirectoryA(sizeof previous_, previous_);
    SetCurrentDirectoryA(folder.c_str());
  }
  ~InFolder() { SetCurrentDirectoryA(previous_); }

 private:
  char previous_[MAX_PATH] = {};
};

// A library among the pictures never runs for a module: the helper runs in
// the program's folder and keeps its current directory out of its library
// search anyway. This process, like the viewer, is in the pictures' folder.
TEST_P(SpiHostLoading, ModulesLibrariesComeFromTheirOwnFolderNeverFromThePicturesFolder) {
  const std::string pictures = FolderWith(GetParam(), "pictures", {"spidep.dll"});
  const TestPicture picture = SmallPicture();
  const std::string file = WritePicture(pictures, "pic.tst", picture);
  const std::string alone = FolderWith(GetParam(), "alone", {"needsdep"});
  const std::string together = FolderWith(GetParam(), "together", {"needsdep", "spidep.dll"});
  const InFolder inPictures(pictures);
  {
    DecoderSlot slot;
    slot.LoadPlugins(alone);
    EXPECT_EQ(slot.PluginCount(), 0u) << "the library was found among the pictures";
  }
  EXPECT_FALSE(LibraryRanIn(pictures));
  {
    DecoderSlot slot;
    slot.LoadPlugins(together);
    ASSERT_EQ(slot.PluginCount(), 1u) << "the library beside the module was not found";
    ASSERT_TRUE(slot.PrepareFile(Wide(file)));
    ASSERT_TRUE(slot.DecodePicture());
    ExpectPicture(slot, picture, picture.pixels);
  }
  EXPECT_TRUE(LibraryRanIn(together));
  EXPECT_FALSE(LibraryRanIn(pictures));
}

INSTANTIATE_TEST_SUITE_P(Builds, SpiHostLoading, kBothBuilds, BuildName);

// x.spi beside x.sph: only the 64-bit module is loaded and asked, and the
// 32-bit helper is not even started.
TEST(SpiHostBothKinds, AModuleBuiltBothWaysIsAskedOnceThroughTheSixtyFourBitHelper) {
  const std::string folder = test::NewScratchFolder("both-ways");
  for (const ModuleBuild& build : {k32BitModules, k64BitModules}) {
    const std::string copy = ModuleFileName(build, "trace");
    ASSERT_TRUE(CopyFileA(Path(test::BuildDir() + "\\" + build.folder, copy).c_str(),
                          Path(folder, copy).c_str(), FALSE));
  }
  const CallTrace trace(folder);
  const TestPicture picture = SmallPicture();
  const std::string file = WritePicture(folder, "pic.tst", picture);
  DecoderSlot slot;
  slot.LoadPlugins(folder);
  EXPECT_EQ(slot.PluginCount(), 1u);
  EXPECT_EQ(slot.HelperProcessId(ModuleKind::k32Bit), 0u);
  EXPECT_TRUE(IsLoaded(slot, Path(folder, "trace.sph")));
  ASSERT_TRUE(slot.PrepareFile(Wide(file)));
  ASSERT_TRUE(slot.ChosenPlugin());
  EXPECT_EQ(*slot.ChosenPlugin(), "trace.sph");
  ASSERT_TRUE(slot.DecodePicture());
  ExpectPicture(slot, picture, picture.pixels);
  EXPECT_EQ(trace.Lines(), (std::vector<std::string>{"IsSupported " + file, "GetPicture " + file}));
}

// A 64-bit build that does not load as a module leaves its place to the
// 32-bit build beside it.
TEST(SpiHostBothKinds, AnUnusableSixtyFourBitBuildLeavesItsPlaceToTheThirtyTwoBitOne) {
  const std::string folder = test::NewScratchFolder("unusable-64");
  ASSERT_TRUE(CopyFileA(Path(test::BuildDir() + "\\testspi64", "nopic.sph").c_str(),
                        Path(folder, "x.sph").c_str(), FALSE));
  ASSERT_TRUE(CopyFileA(Path(test::BuildDir() + "\\testspi", "tst1.spi").c_str(),
                        Path(folder, "x.spi").c_str(), FALSE));
  const TestPicture picture = SmallPicture();
  DecoderSlot slot;
  slot.LoadPlugins(folder);
  EXPECT_EQ(slot.PluginCount(), 1u);
  EXPECT_EQ(slot.HelperProcessId(ModuleKind::k64Bit), 0u);
  ASSERT_TRUE(slot.PrepareFile(Wide(WritePicture(folder, "pic.tst", picture))));
  ASSERT_TRUE(slot.ChosenPlugin());
  EXPECT_EQ(*slot.ChosenPlugin(), "x.spi");
  ASSERT_TRUE(slot.DecodePicture());
  ExpectPicture(slot, picture, picture.pixels);
}

TEST(SpiHostSlots, EachSlotHasAHelperOfItsOwn) {
  const std::string folder = FolderWith("three", {"tst1.spi"});
  const std::string module = Path(folder, "tst1.spi");
  const std::string file = WritePicture(folder, "pic.tst", SmallPicture());
  std::array<std::optional<DecoderSlot>, 3> slots;
  std::array<DWORD, 3> helpers = {};
  for (size_t i = 0; i < slots.size(); ++i) {
    slots[i].emplace();
    slots[i]->LoadPlugins(folder);
    ASSERT_TRUE(slots[i]->PrepareFile(Wide(file)));
    helpers[i] = slots[i]->HelperProcessId();
    EXPECT_TRUE(IsLoaded(*slots[i], module));
  }
  EXPECT_NE(helpers[0], helpers[1]);
  EXPECT_NE(helpers[1], helpers[2]);
  EXPECT_NE(helpers[0], helpers[2]);

  slots[0].reset();
  slots[1].reset();
  EXPECT_TRUE(Ends(helpers[0]));
  EXPECT_TRUE(Ends(helpers[1]));
  EXPECT_TRUE(slots[2]->DecodePicture());
}

// A decode given up (a neighbour let go of before a delete) leaves the slot
// taking calls: the plug-in folder chosen next is the one it loads.
TEST(SpiHostSlots, ASlotWhoseDecodeWasGivenUpLoadsTheNextFolder) {
  const std::string first = FolderWith("given-up", {"tst1.spi"});
  const std::string second = FolderWith("next", {"tst2.spi"});
  const std::string file = WritePicture(first, "pic.tst", SmallPicture());
  DecoderSlots slots;
  slots.LoadPlugins(first);
  slots.StartDecode(Wide(file), 0, nullptr, 0);
  slots.CancelDecode(0);
  slots.LoadPlugins(second);
  EXPECT_TRUE(IsLoaded(slots[0], Path(second, "tst2.spi")));
  EXPECT_FALSE(IsLoaded(slots[0], Path(first, "tst1.spi")));
}

// The fourth slot, for decoding two ahead, starts its helper only when it is
// first needed, with the modules the others loaded.
TEST(SpiHostSlots, TheFourthSlotsHelperStartsWhenFirstNeeded) {
  const std::string folder = FolderWith("fourth", {"tst1.spi"});
  const std::string file = WritePicture(folder, "pic.tst", SmallPicture());
  DecoderSlots slots;
  slots.LoadPlugins(folder);
  for (int slot = 0; slot < 3; ++slot) EXPECT_NE(slots[slot].HelperProcessId(), 0u) << slot;
  EXPECT_EQ(slots[3].HelperProcessId(), 0u);
  EXPECT_EQ(slots[3].PluginCount(), 1u);
  EXPECT_TRUE(slots.Decode(Wide(file), 3));
  EXPECT_TRUE(IsLoaded(slots[3], Path(folder, "tst1.spi")));
}

// A small test picture in folder, as pic.tst and as the bitmap pic.bmp.
struct PictureBothWays {
  TestPicture picture;
  std::string file;
  std::string bitmap;
};
PictureBothWays WritePictureBothWays(const std::string& folder) {
  const TestPicture picture = SmallPicture();
  const std::string bitmap = Path(folder, "pic.bmp");
  test::WriteFileBytes(bitmap, BitmapFile(picture));
  return {picture, WritePicture(folder, "pic.tst", picture), bitmap};
}

// At start-up the slots take the plug-in folder without loading it: a bitmap
// decodes without any helper, a slot starts its helper for the first file
// that needs the modules, and a helper started ahead is the one that
// decodes. A load given up before the helper answered is done again for
// the next file.
TEST(SpiHostLoading, SlotsLoadingWhenNeededStartOnlyTheHelpersFilesNeed) {
  const std::string folder = FolderWith("when-needed", {"tst1.spi"});
  const auto [picture, file, bitmap] = WritePictureBothWays(folder);
  DecoderSlots slots;
  slots.LoadPluginsWhenNeeded(folder);
  const auto helpers = [&] {
    std::vector<bool> running;
    for (int slot = 0; slot < DecoderSlots::kCount; ++slot) {
      running.push_back(slots[slot].HelperProcessId() != 0);
    }
    return running;
  };

  EXPECT_TRUE(slots.Decode(Wide(bitmap), 1));
  EXPECT_EQ(helpers(), (std::vector<bool>{false, false, false, false}));
  EXPECT_TRUE(slots.Decode(Wide(file), 2));
  EXPECT_EQ(helpers(), (std::vector<bool>{false, false, true, false}));
  EXPECT_TRUE(IsLoaded(slots[2], Path(folder, "tst1.spi")));

  slots.LoadPluginsAhead(0, folder);
  slots.StartDecode(Wide(file), 0, nullptr, 0);
  EXPECT_TRUE(slots.FinishDecode(0)) << "the decode gave the load ahead up";
  ExpectPicture(slots[0], picture, picture.pixels);

  slots.StartDecode(Wide(file), 3, nullptr, 0);
  slots.CancelDecode(3);
  EXPECT_TRUE(slots.Decode(Wide(file), 3));
}

// The 64-bit helper too starts only for the first file that needs the
// modules, or for a load ahead, and a folder of 64-bit modules alone starts
// no 32-bit helper.
TEST(SpiHostLoading, TheSixtyFourBitHelperStartsOnlyWhenAFileNeedsIt) {
  const std::string folder = FolderWith(k64BitModules, "when-needed-64", {"tst1"});
  const auto [picture, file, bitmap] = WritePictureBothWays(folder);
  DecoderSlot slot;
  slot.LoadPluginsWhenNeeded(folder);
  ASSERT_TRUE(slot.PrepareFile(Wide(bitmap)));
  ASSERT_TRUE(slot.DecodePicture());
  EXPECT_EQ(slot.HelperProcessId(ModuleKind::k64Bit), 0u);
  ASSERT_TRUE(slot.PrepareFile(Wide(file)));
  EXPECT_NE(slot.HelperProcessId(ModuleKind::k64Bit), 0u);
  EXPECT_EQ(slot.HelperProcessId(ModuleKind::k32Bit), 0u);
  ASSERT_TRUE(slot.DecodePicture());
  ExpectPicture(slot, picture, picture.pixels);

  DecoderSlots slots;
  slots.LoadPluginsAhead(1, folder);
  EXPECT_FALSE(slots.FinishDecode(1)) << "a load decodes nothing";
  EXPECT_NE(slots[1].HelperProcessId(ModuleKind::k64Bit), 0u);
  EXPECT_EQ(slots[1].HelperProcessId(ModuleKind::k32Bit), 0u);
}

// The helpers and our plug-in load neither user32 nor gdi32 (nor ole32,
// which brings both) as they start: under Wine they are a good part of a
// helper's start, which the first picture waits for. An import names its
// library in the file in ASCII; the libraries looked up when needed are
// named in UTF-16.
TEST(SpiHostLoading, TheHelpersAndOurPluginStartWithoutTheDisplayLibraries) {
  for (const char* program :
       {"bexspi.exe", "bexspi64.exe", "plugins\\wicspi.spi", "plugins\\wicspi.sph"}) {
    std::string file = test::ReadFileBytes(test::BuildDir() + "\\" + program).value_or("");
    EXPECT_FALSE(file.empty()) << program;
    std::transform(file.begin(), file.end(), file.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; });
    for (const char* display : {"user32.dll", "gdi32.dll", "ole32.dll"}) {
      EXPECT_EQ(file.find(display), std::string::npos) << program << " " << display;
    }
  }
}

// The first picture is decoded ahead, before there is a window. The opening
// that follows takes the decode over when the box decoded ahead covers its
// own (one reduced and one whole decode in all) and is told when the whole
// picture is there; a larger box is decoded anew.
TEST(SpiHostLoading, TheOpeningTakesOverADecodeAheadThatCoversItsBox) {
  const std::string folder = FolderWith("ahead", {"wide.spi"});
  const TestPicture picture = SmallPicture();
  const std::wstring file = Wide(WritePicture(folder, "pic.tst", picture));
  const CallTrace trace(folder);
  const auto reducedDecodes = [&] {
    const std::vector<std::string> lines = trace.Lines();
    return std::count_if(lines.begin(), lines.end(), [](const std::string& line) {
      return line.rfind("GetPictureToFitW", 0) == 0;
    });
  };
  const HWND window =
      CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  DecoderSlots slots;
  SIZE whole = {};
  for (const FitBox later : {FitBox{4, 2}, FitBox{8, 8}}) {
    slots.LoadPluginsAhead(1, folder);
    slots.DecodeAhead(file, file, 1, {5, 3});
    ASSERT_NE(slots.WaitForFirstView(1, &whole), nullptr);
    slots.StartDecode(file, 1, window, WM_APP, std::nullopt, later);
    EXPECT_NE(slots.WaitForFirstView(1, &whole), nullptr);
    EXPECT_TRUE(slots.FinishDecode(1));
    ExpectPicture(slots[1], picture, picture.pixels);
    MSG told;
    EXPECT_TRUE(PeekMessageA(&told, window, WM_APP, WM_APP, PM_REMOVE));
  }
  EXPECT_EQ(reducedDecodes(), 3) << "the first opening took the decode ahead over";
  DestroyWindow(window);
}

// A window that empties slot 0 of slotsToEmpty when it is sent WM_APP, as
// the close step does.
DecoderSlots* slotsToEmpty = nullptr;
LRESULT CALLBACK EmptyingWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_APP) slotsToEmpty->Empty(0);
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

// The window closes while it waits for a decode: the slot is emptied only
// once the decode has been given up, and the wait answers that it failed.
TEST(SpiHostSlots, SlotEmptiedWhileTheWindowWaitsGivesTheDecodeUp) {
  const std::string folder = FolderWith("emptied", {"unruly.spi"});
  const std::string file = WritePicture(folder, "slow.tst", SmallPicture(), "slow");
  DecoderSlots slots;
  slots.LoadPlugins(folder);
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = EmptyingWindowProc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = "BexEmptyingWindow";
  RegisterClassA(&windowClass);
  slotsToEmpty = &slots;
  const HWND window = CreateWindowExA(0, windowClass.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                      nullptr, nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  slots.StartDecode(Wide(file), 0, nullptr, 0);
  // Handled while FinishDecode waits, as a close would be.
  std::thread closer([window] { SendMessageA(window, WM_APP, 0, 0); });
  const DWORD started = GetTickCount();
  EXPECT_FALSE(slots.FinishDecode(0));
  closer.join();
  EXPECT_LT(GetTickCount() - started, 4000u) << "not the whole slow decode";
  EXPECT_EQ(slots[0].Picture(), nullptr);
  EXPECT_EQ(slots[0].FileName(), L"");
  DestroyWindow(window);
}

}  // namespace
}  // namespace bex
