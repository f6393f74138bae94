// The plug-in host with the test modules of plugins/testspi, under Wine.
// Each test copies the modules it needs into a folder of its own, so that
// the module lists of the slots' helper processes tell which copies are
// loaded; none is ever loaded in the viewer's (here the test's) process.
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
#include <utility>
#include <vector>

#include "common/bex_error.h"
#include "common/code_page_win.h"
#include "common/files_win.h"
#include "common/memory_win.h"
#include "common/wide_text.h"
#include "decoding/decoder_slots_win.h"
#include "decoding/spi_host_win.h"
#include "support/bmp_writer.h"
#include "support/plugin_misdeeds.h"
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

// A new folder holding copies of test modules, each as (module, name of the copy).
std::string FolderWithCopies(const std::string& label,
                             const std::vector<std::pair<std::string, std::string>>& copies) {
  const std::string folder = test::NewScratchFolder(label);
  const std::string modules = test::BuildDir() + "\\testspi";
  for (const auto& [module, copy] : copies) {
    EXPECT_TRUE(CopyFileA(Path(modules, module).c_str(), Path(folder, copy).c_str(), FALSE))
        << module << " (build the target bex_testspi)";
  }
  return folder;
}

std::string FolderWith(const std::string& label, const std::vector<std::string>& modules) {
  std::vector<std::pair<std::string, std::string>> copies;
  for (const std::string& m : modules) copies.emplace_back(m, m);
  return FolderWithCopies(label, copies);
}

// Whether the process `processId` has the module at modulePath loaded.
bool IsLoadedIn(DWORD processId, const std::string& modulePath) {
  if (processId == 0) return false;
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

// Loaded by the slot's helper, and never in this process.
bool IsLoaded(const DecoderSlot& slot, const std::string& modulePath) {
  EXPECT_EQ(GetModuleHandleA(modulePath.c_str()), nullptr) << modulePath << " in the viewer";
  return IsLoadedIn(slot.HelperProcessId(), modulePath);
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

TEST(SpiHostChoice, TheModuleTheSearchReturnsFirstDecodes) {
  const TestPicture picture = SmallPicture();
  // Both ways round, so that whatever order the search has, each module wins once.
  for (const auto& [tst1Copy, tst2Copy] :
       {std::pair{"a.spi", "b.spi"}, std::pair{"b.spi", "a.spi"}}) {
    const std::string folder =
        FolderWithCopies("order", {{"tst1.spi", tst1Copy}, {"tst2.spi", tst2Copy}});
    const std::vector<std::string> order = SearchOrder(folder, "*.SPI");
    ASSERT_EQ(order.size(), 2u);
    const bool tst1First = lstrcmpiA(order[0].c_str(), tst1Copy) == 0;
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

TEST(SpiHostChoice, ModuleWithoutGetPictureIsUnloadedAndNeverAsked) {
  const std::string folder = FolderWith("nopic", {"nopic.spi", "tst1.spi"});
  DecoderSlot slot;
  slot.LoadPlugins(folder);
  EXPECT_FALSE(IsLoaded(slot, Path(folder, "nopic.spi")));
  EXPECT_TRUE(IsLoaded(slot, Path(folder, "tst1.spi")));
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

TEST(SpiHostChoice, SlotWithoutModulesReadsOnlyBitmaps) {
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

TEST(SpiHostChoice, FileThatDoesNotOpenIsRefusedBeforeAnyModuleIsAsked) {
  const std::string folder = FolderWith("unopenable", {"trace.spi"});
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

TEST(SpiHostDecode, FailedDecodeKeepsTheSlotsPictureWithItsName) {
  const std::string folder = FolderWith("failpic", {"failpic.spi"});
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

class SpiHostBogusAnswer : public testing::TestWithParam<const char*> {};

TEST_P(SpiHostBogusAnswer, FailsTheDecode) {
  const std::string folder = FolderWith("bogus", {"bogus.spi"});
  DecoderSlot slot;
  slot.LoadPlugins(folder);
  ASSERT_TRUE(slot.PrepareFile(Wide(WritePicture(folder, "pic.tst", SmallPicture(), GetParam()))));
  EXPECT_FALSE(slot.DecodePicture());
  EXPECT_FALSE(slot.Picture());
}

INSTANTIATE_TEST_SUITE_P(Variants, SpiHostBogusAnswer,
                         testing::Values("width0", "widthneg", "heightneg", "huge", "noinfo",
                                         "nopixels", "smallinfo", "smallpixels", "bitcount13",
                                         "headersize", "hugeheader", "shortheader", "narrowheader",
                                         "topdownrle", "rle8short", "rle8nosize", "shorttable",
                                         "manycolours", "nomasks"));

// Sound answers of the same module in the forms a host must accept.
class SpiHostSoundAnswer : public testing::TestWithParam<const char*> {};

TEST_P(SpiHostSoundAnswer, DecodesThePixels) {
  const std::string folder = FolderWith("sound", {"bogus.spi"});
  DecoderSlot slot;
  slot.LoadPlugins(folder);
  const TestPicture picture = SmallPicture(3);
  ASSERT_TRUE(slot.PrepareFile(Wide(WritePicture(folder, "pic.tst", picture, GetParam()))));
  ASSERT_TRUE(slot.DecodePicture());
  ExpectPicture(slot, picture, picture.pixels);
}

INSTANTIATE_TEST_SUITE_P(Variants, SpiHostSoundAnswer,
                         testing::Values("plain", "topdown", "indexed8", "rle8", "bitfields32",
                                         "fixed", "textinfo", "fourth0", "fourth255"));

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

TEST(SpiHostDecode, ThirtyTwoBitAnswerWithAlphaShowsOverBlack) {
  const std::string folder = FolderWith("alpha", {"bogus.spi"});
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
class SpiHostMisbehavingModule : public testing::TestWithParam<test::Misdeed> {
 protected:
  SpiHostMisbehavingModule() { SetEnvironmentVariableA("BEX_PLUGIN_TIMEOUT_MS", "2000"); }
  ~SpiHostMisbehavingModule() override {
    SetEnvironmentVariableA("BEX_PLUGIN_TIMEOUT_MS", nullptr);
  }
};

TEST_P(SpiHostMisbehavingModule, CostsOnlyItsFileAndTheNextFileIsRead) {
  const test::Misdeed misdeed = GetParam();
  if (std::string(misdeed.variant) == "slow")
    SetEnvironmentVariableA("BEX_PLUGIN_TIMEOUT_MS", nullptr);
  const std::string folder = FolderWith("unruly", {"unruly.spi"});
  const TestPicture bad = SmallPicture(1);
  const TestPicture good{4, 6, Pattern(4, 6, 2)};
  const std::string badFile = WritePicture(folder, "bad.tst", bad, misdeed.variant);
  const std::string goodFile = WritePicture(folder, "good.tst", good);
  DecoderSlot slot;
  slot.LoadPlugins(folder);
  const DWORD helper = slot.HelperProcessId();

  const bool decoded = slot.PrepareFile(Wide(badFile)) && slot.DecodePicture();
  EXPECT_EQ(decoded, misdeed.decodes);
  if (decoded) ExpectPicture(slot, bad, bad.pixels);
  ASSERT_TRUE(slot.PrepareFile(Wide(goodFile)));
  ASSERT_TRUE(slot.DecodePicture());
  ExpectPicture(slot, good, good.pixels);
  if (!misdeed.decodes) {
    EXPECT_NE(slot.HelperProcessId(), helper) << "a fresh helper took over";
    EXPECT_TRUE(Ends(helper));
  }
}

INSTANTIATE_TEST_SUITE_P(Misdeeds, SpiHostMisbehavingModule, test::AllMisdeeds(),
                         test::MisdeedName);

TEST(SpiHostLeaks, HelperThatGrewPastTheBoundIsReplacedAndTheViewerStaysFlat) {
  const std::string folder = FolderWith("leaks", {"unruly.spi"});
  const std::string file = WritePicture(folder, "leak.tst", SmallPicture(), "leak");
  DecoderSlot slot;
  slot.LoadPlugins(folder);
  std::vector<DWORD> helpers;
  const uint64_t before = CommittedPrivateBytes();
  // 200 MB a call: the bound of 512 MiB is passed at the third.
  for (int i = 0; i < 4; ++i) {
    ASSERT_TRUE(slot.PrepareFile(Wide(file)));
    helpers.push_back(slot.HelperProcessId());
    ASSERT_TRUE(slot.DecodePicture()) << i;
  }
  EXPECT_EQ(helpers[0], helpers[2]);
  EXPECT_NE(helpers[2], helpers[3]);
  EXPECT_TRUE(Ends(helpers[0]));
  EXPECT_LT(CommittedPrivateBytes(), before + (16u << 20));
}

TEST(SpiHostDecode, PictureHeldElsewhereOutlivesTheSlotsNextDecode) {
  const std::string folder = FolderWith("shared", {"tst1.spi"});
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
TEST(SpiHostDecode, MemoryOfPicturesLetGoOfServesTheNextDecodes) {
  const std::string folder = FolderWith("spare", {"tst1.spi"});
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

TEST(SpiHostLoading, NewListReplacesTheOldAndUnloadsItsModules) {
  const std::string first = FolderWith("first", {"tst1.spi"});
  const std::string second = FolderWith("second", {"tst2.spi"});
  const TestPicture picture = SmallPicture();
  const std::string file = WritePicture(first, "pic.tst", picture);
  DWORD helper = 0;
  {
    DecoderSlot slot;
    slot.LoadPlugins(first);
    ASSERT_TRUE(slot.PrepareFile(Wide(file)));
    EXPECT_TRUE(IsLoaded(slot, Path(first, "tst1.spi")));

    slot.LoadPlugins(second);
    EXPECT_FALSE(IsLoaded(slot, Path(first, "tst1.spi")));
    EXPECT_TRUE(IsLoaded(slot, Path(second, "tst2.spi")));
    EXPECT_EQ(slot.PluginCount(), 1u);
    EXPECT_EQ(slot.ChosenPlugin(), nullptr);
    EXPECT_EQ(slot.Folder(), second);
    ASSERT_TRUE(slot.PrepareFile(Wide(file)));
    ASSERT_TRUE(slot.DecodePicture());
    ExpectPicture(slot, picture, Inverted(picture.pixels));
    helper = slot.HelperProcessId();
  }
  EXPECT_TRUE(Ends(helper)) << "the slot's helper ends with it";
}

TEST(SpiHostLoading, ReloadingTheSameFolderKeepsOneEntryPerModule) {
  const std::string folder = FolderWith("reload", {"tst1.spi", "tst2.spi"});
  DecoderSlot slot;
  slot.LoadPlugins(folder);
  const DWORD helper = slot.HelperProcessId();
  for (int i = 0; i < 2; ++i) slot.LoadPlugins(folder);
  EXPECT_EQ(slot.PluginCount(), 2u);
  EXPECT_EQ(slot.HelperProcessId(), helper) << "one helper serves the slot";
  EXPECT_TRUE(IsLoaded(slot, Path(folder, "tst1.spi")));
  EXPECT_TRUE(IsLoaded(slot, Path(folder, "tst2.spi")));
}

TEST(SpiHostLoading, FolderWithoutUsableModulesLeavesTheListAsItWas) {
  const std::string folder = FolderWith("kept", {"tst1.spi"});
  const std::string unusable = FolderWith("unusable", {"nopic.spi"});
  const std::string file = WritePicture(folder, "pic.tst", SmallPicture());
  DecoderSlot slot;
  slot.LoadPlugins(folder);
  for (const std::string& other :
       {test::NewScratchFolder("no-modules"), unusable, Path(folder, "missing")}) {
    slot.LoadPlugins(other);
    EXPECT_EQ(slot.PluginCount(), 1u) << other;
    EXPECT_EQ(slot.Folder(), other);
    EXPECT_TRUE(IsLoaded(slot, Path(folder, "tst1.spi")));
    EXPECT_TRUE(slot.PrepareFile(Wide(file)));
  }
  EXPECT_FALSE(IsLoaded(slot, Path(unusable, "nopic.spi")));
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
TEST(SpiHostLoading, ModulesLibrariesComeFromTheirOwnFolderNeverFromThePicturesFolder) {
  const std::string pictures = FolderWith("pictures", {"spidep.dll"});
  const TestPicture picture = SmallPicture();
  const std::string file = WritePicture(pictures, "pic.tst", picture);
  const std::string alone = FolderWith("alone", {"needsdep.spi"});
  const std::string together = FolderWith("together", {"needsdep.spi", "spidep.dll"});
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

TEST(SpiHostLoading, EachSlotHasAHelperOfItsOwn) {
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
TEST(SpiHostLoading, ASlotWhoseDecodeWasGivenUpLoadsTheNextFolder) {
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
TEST(SpiHostLoading, TheFourthSlotsHelperStartsWhenFirstNeeded) {
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

// At start-up the slots take the plug-in folder without loading it: a bitmap
// decodes without any helper, a slot starts its helper for the first file
// that needs the modules, and a helper started ahead is the one that
// decodes. A load given up before the helper answered is done again for
// the next file.
TEST(SpiHostLoading, SlotsLoadingWhenNeededStartOnlyTheHelpersFilesNeed) {
  const std::string folder = FolderWith("when-needed", {"tst1.spi"});
  const TestPicture picture = SmallPicture();
  const std::string file = WritePicture(folder, "pic.tst", picture);
  const std::string bitmap = Path(folder, "pic.bmp");
  test::WriteFileBytes(bitmap, BitmapFile(picture));
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

  slots.StartHelper(0);
  slots.StartDecode(Wide(file), 0, nullptr, 0);
  EXPECT_TRUE(slots.FinishDecode(0)) << "the decode gave the helper's start up";
  ExpectPicture(slots[0], picture, picture.pixels);

  slots.StartDecode(Wide(file), 3, nullptr, 0);
  slots.CancelDecode(3);
  EXPECT_TRUE(slots.Decode(Wide(file), 3));
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
TEST(SpiHostDecode, SlotEmptiedWhileTheWindowWaitsGivesTheDecodeUp) {
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
