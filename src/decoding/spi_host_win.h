// The Susie Plug-in host: decoder slots that load the modules of the plug-in
// folder (".spi", and the 64-bit ".sph" where Windows runs them), choose the
// module that reads a file and turn its answer into a picture. Windows
// bitmaps (".BMP") are read by the program's own reader. The modules
// themselves run in plug-in helper processes (bexspi.exe, bexspi64.exe),
// which make their calls with the functions of namespace spi.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/files_win.h"
#include "decoding/picture_section_win.h"
#include "decoding/plugin_helper_win.h"
#include "display/bitmap_win.h"
#include "shared/spi_exports.h"

namespace bex {

// One loaded module with its file name and entry points (null where it lacks
// the export). Destroying it unloads the module. The wide entry points take
// UTF-16 file names; a module without them is given code-page-932 names.
struct PluginModule {
  PluginModule(HMODULE loaded, std::string fileName);
  ~PluginModule();
  PluginModule(const PluginModule&) = delete;
  PluginModule& operator=(const PluginModule&) = delete;

  // The module takes every file by its wide path.
  bool TakesWideNames() const { return IsSupportedW && GetPictureInfoW && GetPictureW; }

  HMODULE module;
  std::string name;  // UTF-8
#define BEX_SPI_ENTRY_POINT(name, params) Spi##name name = nullptr;
  BEX_SPI_EXPORTS(BEX_SPI_ENTRY_POINT)
#undef BEX_SPI_ENTRY_POINT
};

using PluginTable = std::vector<std::unique_ptr<PluginModule>>;

// Every call into plug-in code goes through these three functions, which only
// the plug-in helper process makes.
namespace spi {

// The usable modules among the files of folder named, in that order: those
// exporting IsSupported, GetPictureInfo and GetPicture. Modules that do not
// load or lack one of them are skipped without a message.
PluginTable LoadModules(const std::wstring& folder, const std::vector<std::wstring>& names);

// The index of the first module of plugins, from `first` on and `count` of
// them at most, that reads the file at path (IsSupported with a handle of the
// file, opened once for every module and put back at its start before each,
// or its first 2 KiB for a module that can be given neither the wide path
// nor an exact code-page-932 one). None without asking when the file does
// not open.
std::optional<size_t> FirstReader(const PluginTable& plugins, const std::wstring& path,
                                  size_t first = 0, size_t count = SIZE_MAX);

// The picture that plugin decodes from the file, or null when the module
// fails, answers anything inconsistent or the picture does not fit in memory.
// make creates the picture's section; for a whole picture as soon as the
// module has described it, so that its memory is made ready while the
// module decodes.
// described, when given, receives the size the module gave for the picture,
// also when it is then refused (a picture beyond kMaxPicturePixels).
using MakePicture = std::function<std::unique_ptr<PictureSection>(int width, int height)>;
// The file goes by the route Reads took: the wide path, the code-page-932
// path, or the whole file's bytes as memory input. *described, when asked,
// gets the size the module described. With a fit box given, only a module
// with GetPictureToFitW is asked, for the picture reduced to the box (by its
// wide path); any other gives none. With a part box, only one with
// GetPicturePartW, for the part that the box holds: it comes in the top left
// of a black picture of the whole picture's size, made with a new section.
std::unique_ptr<PictureSection> Decode(const PluginModule& plugin, const std::wstring& path,
                                       MakePicture make = PictureSection::Create,
                                       SIZE* described = nullptr, FitBox fit = {});

}  // namespace spi

// Whether the program's own reader reads the file `name` (a ".BMP" file):
// then no plug-in is asked and no helper is needed.
constexpr wchar_t kBitmapExtension[] = L".BMP";
bool ReadWithoutPlugins(const std::wstring& name);

// One decoder slot: its own plug-in list, held by a helper process of its
// own, the file it was last given, the plug-in chosen for that file and the
// decoded full-size picture. Whatever a module does (crash, exit, hang, leak)
// costs only the file it was asked about: the slot treats it as a file no
// module reads, and the next file goes to a fresh helper.
class DecoderSlot {
 public:
  DecoderSlot() = default;
  DecoderSlot(const DecoderSlot&) = delete;
  DecoderSlot& operator=(const DecoderSlot&) = delete;

  // Replaces the plug-in list by the usable modules of folder, releasing the
  // old ones. A folder without usable modules leaves the list as it was.
  void LoadPlugins(const std::string& folder);
  // The same, done when a file first needs the modules: no helper starts
  // before then.
  void LoadPluginsWhenNeeded(const std::string& folder);
  // Starts the helpers that the modules of folder need, without loading
  // them yet: a helper takes a while to come up.
  void StartHelpersFor(const std::string& folder);
  // Takes the plug-in list another slot loaded; this slot's helper loads the
  // same modules when it is first needed.
  void TakePluginsOf(const DecoderSlot& loaded);
  // Takes the file for the next decode and chooses its plug-in. True for a
  // ".BMP" file or when some plug-in reads it.
  bool PrepareFile(const std::wstring& name);
  // The same with the file's full path given, so that the slot can work on
  // another thread while the current directory changes.
  bool PrepareFile(const std::wstring& name, const std::wstring& fullPath);
  // The choice of PrepareFile: the first plug-in of the list that reads the
  // file. A file that does not open is refused without asking any module.
  // The modules are given the file's full path, since the helper's current
  // directory is not the pictures'.
  bool SelectPlugin();
  // Replaces the picture and the file name by the decoded prepared file.
  // When the decode fails (false, or BexError for a ".BMP" file the reader
  // rejects) the slot keeps its earlier picture and name.
  bool DecodePicture();
  // The last decode failed because its module described a picture beyond
  // kMaxPicturePixels.
  bool RefusedAsTooLarge() const { return refusedAsTooLarge_; }
  // The prepared file's picture reduced to the fit box, where its module can
  // give one; *whole gets the whole picture's size. The slot's own picture
  // and name stay as they are.
  BitmapRef DecodeToFit(FitBox box, SIZE* whole);
  // The slot then holds no picture, under no name.
  void ReleasePicture() {
    picture_.reset();
    fileName_.clear();
    version_.reset();
  }
  // Makes the plug-in call under way, and later ones, fail at once (from any
  // thread), until AllowCalls.
  void CancelCalls();
  void AllowCalls();

  // Shared, so that the picture stays valid while the slot decodes another.
  BitmapRef Picture() const { return picture_; }
  // The file whose picture the slot holds.
  const std::wstring& FileName() const { return fileName_; }
  // Whether that file is no longer the version the picture was decoded from
  // (written over, replaced, gone); a version the system does not tell, then
  // or now, counts as unchanged.
  bool FileChanged() const;
  const std::wstring& Extension() const { return extension_; }
  const std::string& Folder() const { return folder_; }
  // File name of the module chosen for the slot's file, or null.
  const std::string* ChosenPlugin() const { return chosen_ ? &plugins_[*chosen_].name : nullptr; }
  size_t PluginCount() const { return plugins_.size(); }
  // The helper process that holds the slot's modules of a kind, 0 while none runs.
  DWORD HelperProcessId(ModuleKind kind = ModuleKind::k32Bit) const {
    return helpers_[static_cast<int>(kind)].ProcessId();
  }

 private:
  static constexpr int kModuleKinds = 2;
  // A module of the list: its file, and which module of its kind's helper it is.
  struct Plugin {
    std::string name;
    ModuleKind kind;
    uint32_t index;
  };
  enum class FolderLoad { kLoaded, kNoneUsable, kNotAnswered };

  bool IsBitmapFile() const { return extension_ == kBitmapExtension; }
  PluginHelper& HelperOf(ModuleKind kind) { return helpers_[static_cast<int>(kind)]; }
  void LoadPendingPlugins();
  // Takes the usable modules of folder, if it has any.
  FolderLoad LoadModules(const std::string& folder);
  bool LoadModulesOfKind(const std::string& folder, ModuleKind kind,
                         const std::vector<std::string>& names, std::vector<std::string>* usable);

  std::string folder_;
  // The folder to load when a file first needs the modules.
  std::optional<std::string> pendingFolder_;
  std::wstring extension_;
  std::vector<Plugin> plugins_;
  std::optional<size_t> chosen_;
  std::array<PluginHelper, kModuleKinds> helpers_{PluginHelper(ModuleKind::k32Bit),
                                                  PluginHelper(ModuleKind::k64Bit)};
  BitmapRef picture_;
  std::wstring fileName_;
  std::wstring filePath_;
  std::optional<FileVersion> version_;
  std::wstring preparedName_;
  std::wstring fullPreparedName_;
  std::optional<FileVersion> preparedVersion_;
  bool refusedAsTooLarge_ = false;
};

}  // namespace bex
