// The viewer's side of a decoder slot: which modules of the plug-in folder
// its helpers hold, the file's plug-in, the decode through the helpers, and
// bitmap files read by the program itself.
#include <algorithm>

#include "common/bex_error.h"
#include "common/code_page_win.h"
#include "common/files_win.h"
#include "common/wide_text.h"
#include "decoding/bmp_reader.h"
#include "decoding/plugin_files.h"
#include "decoding/spi_host_win.h"

namespace bex {
namespace {

constexpr char kBitmapRejected[] = "ビットマップイメージが不正です";

// Bitmap files beyond this are not read: the file's bytes and the picture
// must both fit in a 32-bit process, and no valid bitmap within
// kMaxPicturePixels comes near it.
constexpr uint64_t kMaxBitmapFileBytes = 1536ull << 20;

// Null when the file cannot be read or the picture does not fit in memory;
// throws for a file that is no valid bitmap.
std::shared_ptr<Bitmap> ReadBitmapFile(const std::wstring& path) {
  const std::optional<FileBytes> file = ReadWholeFile(path, kMaxBitmapFileBytes);
  if (!file) return nullptr;
  BmpInfo info;
  if (!ParseBmp(file->data.get(), file->size, &info)) throw BexError(kBitmapRejected);
  std::shared_ptr<Bitmap> bitmap = Bitmap::Create(info.width, info.height);
  if (!bitmap) return nullptr;
  if (!DecodeBmp(file->data.get(), file->size, info, bitmap->Bits(), bitmap->Stride())) {
    throw BexError(kBitmapRejected);
  }
  return bitmap;
}

// The folder's files that may be modules, in the search's order, in UTF-8.
std::vector<std::string> FolderFileNames(const std::wstring& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(JoinPath(folder, L"*.SP?").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
      names.push_back(WideToUtf8(found.cFileName));
    }
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return names;
}

// The names of files of one kind.
std::vector<std::string> NamesOfKind(const std::vector<ModuleFile>& files, ModuleKind kind) {
  std::vector<std::string> names;
  for (const ModuleFile& file : files) {
    if (file.kind == kind) names.push_back(file.name);
  }
  return names;
}

}  // namespace

bool ReadWithoutPlugins(const std::wstring& name) {
  return UpperExtension(name) == kBitmapExtension;
}

void DecoderSlot::LoadPlugins(const std::string& folder) {
  folder_ = folder;
  if (LoadModules(folder) == FolderLoad::kLoaded) pendingFolder_.reset();
}

void DecoderSlot::LoadPluginsWhenNeeded(const std::string& folder) {
  folder_ = folder;
  pendingFolder_ = folder;
}

// A helper that failed or was given up before it answered leaves the folder
// to the next file; a folder without usable modules is not asked again.
void DecoderSlot::LoadPendingPlugins() {
  if (!pendingFolder_) return;
  if (LoadModules(*pendingFolder_) != FolderLoad::kNotAnswered) pendingFolder_.reset();
}

// Asks a helper for the modules of its kind; false when it failed or was
// given up before it answered.
bool DecoderSlot::LoadModulesOfKind(const std::string& folder, ModuleKind kind,
                                    const std::vector<std::string>& names,
                                    std::vector<std::string>* usable) {
  if (names.empty()) return true;
  PluginHelper& helper = HelperOf(kind);
  *usable = helper.LoadFolder(folder, names);
  return helper.ProcessId() != 0;
}

// Each helper is started once, also when it cannot be.
void DecoderSlot::StartHelpersFor(const std::string& folder) {
  const std::wstring full = FullPathOrAsGiven(FromCp932(folder));
  std::array<bool, kModuleKinds> needed = {};
  for (const ModuleFile& file : ModulesToLoad(FolderFileNames(full), Runs64BitPrograms())) {
    needed[static_cast<int>(file.kind)] = true;
  }
  for (int kind = 0; kind < kModuleKinds; ++kind) {
    if (needed[kind]) helpers_[kind].StartProcess();
  }
}

// Each kind of module goes to the helper of its kind, the 64-bit ones
// first: one that is not usable counts as absent, so that a 32-bit build of
// it beside it serves instead. Only the kinds the folder has start a helper.
// The helpers resolve the folder against their own current directory, so it
// goes to them full, in UTF-8. When neither kind has a usable module the
// lists stay as they were; else a kind without one ends its helper.
DecoderSlot::FolderLoad DecoderSlot::LoadModules(const std::string& folder) {
  const std::wstring full = FullPathOrAsGiven(FromCp932(folder));
  const std::string fullUtf8 = WideToUtf8(full);
  std::vector<std::string> names = FolderFileNames(full);
  const bool runs64Bit = Runs64BitPrograms();
  std::array<std::vector<std::string>, kModuleKinds> usable;
  const std::vector<std::string> named64 =
      NamesOfKind(ModulesToLoad(names, runs64Bit), ModuleKind::k64Bit);
  bool answered = LoadModulesOfKind(fullUtf8, ModuleKind::k64Bit, named64, &usable[1]);
  for (const std::string& name : named64) {
    if (std::find(usable[1].begin(), usable[1].end(), name) == usable[1].end()) {
      names.erase(std::find(names.begin(), names.end(), name));
    }
  }
  const std::vector<ModuleFile> files = ModulesToLoad(names, runs64Bit);
  answered &= LoadModulesOfKind(fullUtf8, ModuleKind::k32Bit,
                                NamesOfKind(files, ModuleKind::k32Bit), &usable[0]);
  if (usable[0].empty() && usable[1].empty()) {
    return answered ? FolderLoad::kNoneUsable : FolderLoad::kNotAnswered;
  }
  chosen_.reset();  // it belongs to the list that is released now
  plugins_.clear();
  std::array<uint32_t, kModuleKinds> indices = {};
  for (const ModuleFile& file : files) {
    const auto kind = static_cast<int>(file.kind);
    const std::vector<std::string>& loaded = usable[kind];
    if (indices[kind] < loaded.size() && loaded[indices[kind]] == file.name) {
      plugins_.push_back({file.name, file.kind, indices[kind]++});
    }
  }
  for (int kind = 0; kind < kModuleKinds; ++kind) {
    if (usable[kind].empty()) helpers_[kind].Unload();
  }
  return FolderLoad::kLoaded;
}

void DecoderSlot::TakePluginsOf(const DecoderSlot& loaded) {
  folder_ = loaded.folder_;
  if (loaded.plugins_.empty()) return;
  pendingFolder_.reset();
  chosen_.reset();
  plugins_ = loaded.plugins_;
  for (int kind = 0; kind < kModuleKinds; ++kind) {
    helpers_[kind].LoadFolderOnStart(loaded.helpers_[kind].Folder(),
                                     loaded.helpers_[kind].Modules());
  }
}

bool DecoderSlot::PrepareFile(const std::wstring& name) {
  return PrepareFile(name, FullPathOrAsGiven(name));
}

bool DecoderSlot::PrepareFile(const std::wstring& name, const std::wstring& fullPath) {
  extension_ = UpperExtension(name);
  preparedName_ = name;
  fullPreparedName_ = fullPath;
  // Taken before anything reads the file: a change made while it is decoded
  // shows as a change at the next check.
  const FileLook look = VersionOf(fullPath);
  preparedVersion_.reset();
  if (look.found == FileLook::Found::kVersion) preparedVersion_ = look.version;
  refusedAsTooLarge_ = false;
  return SelectPlugin();
}

// The helpers open the file for their modules and answer none when it does
// not open. The list is asked in runs of modules of one kind, each run by
// its helper.
bool DecoderSlot::SelectPlugin() {
  if (IsBitmapFile()) return true;
  LoadPendingPlugins();
  for (size_t first = 0, end = 0; first < plugins_.size(); first = end) {
    const ModuleKind kind = plugins_[first].kind;
    while (end < plugins_.size() && plugins_[end].kind == kind) ++end;
    const std::optional<uint32_t> module = HelperOf(kind).Ask(
        fullPreparedName_, plugins_[first].index, static_cast<uint32_t>(end - first));
    if (!module) continue;
    for (size_t i = first; i < end; ++i) {
      if (plugins_[i].index == *module) {
        chosen_ = i;
        return true;
      }
    }
    return false;
  }
  return false;
}

void DecoderSlot::CancelCalls() {
  for (PluginHelper& helper : helpers_) helper.Cancel();
}

void DecoderSlot::AllowCalls() {
  for (PluginHelper& helper : helpers_) helper.AllowCalls();
}

// The slot's name and picture change together, so that whoever shows the
// slot never shows one file's picture under another file's name.
bool DecoderSlot::DecodePicture() {
  BitmapRef decoded;
  refusedAsTooLarge_ = false;
  if (IsBitmapFile()) {
    decoded = ReadBitmapFile(fullPreparedName_);
  } else if (chosen_) {
    const Plugin& chosen = plugins_[*chosen_];
    decoded = HelperOf(chosen.kind).Decode(chosen.index, fullPreparedName_, &refusedAsTooLarge_);
  }
  if (!decoded) return false;
  picture_ = std::move(decoded);
  fileName_ = preparedName_;
  filePath_ = fullPreparedName_;
  version_ = preparedVersion_;
  return true;
}

BitmapRef DecoderSlot::DecodeToFit(FitBox box, SIZE* whole) {
  if (IsBitmapFile() || !chosen_) return nullptr;
  const Plugin& chosen = plugins_[*chosen_];
  return HelperOf(chosen.kind).DecodeToFit(chosen.index, fullPreparedName_, box, whole);
}

bool DecoderSlot::FileChanged() const { return OutOfDate(version_, VersionOf(filePath_)); }

}  // namespace bex
