#include "decoding/plugin_files.h"

#include <algorithm>
#include <optional>
#include <set>

namespace bex {
namespace {

// Names are UTF-8, where no byte of a longer character is ASCII: the
// extension is the last four bytes, and only ASCII letters have a case.
constexpr size_t kExtensionBytes = 4;  // ".spi", ".sph"

std::string AsciiUpper(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

std::optional<ModuleKind> KindOf(const std::string& name) {
  if (name.size() < kExtensionBytes) return std::nullopt;
  const std::string extension = AsciiUpper(name.substr(name.size() - kExtensionBytes));
  if (extension == ".SPI") return ModuleKind::k32Bit;
  if (extension == ".SPH") return ModuleKind::k64Bit;
  return std::nullopt;
}

// The name without its extension, with the case the file system ignores
// taken out; names compared by it are of module files.
std::string Stem(const std::string& name) {
  return AsciiUpper(name.substr(0, name.size() - kExtensionBytes));
}

}  // namespace

std::vector<ModuleFile> ModulesToLoad(const std::vector<std::string>& names, bool runs64Bit) {
  // The 64-bit twin of each stem, by the name its file has.
  std::vector<std::pair<std::string, std::string>> twins;
  if (runs64Bit) {
    for (const std::string& name : names) {
      if (KindOf(name) == ModuleKind::k64Bit) twins.emplace_back(Stem(name), name);
    }
  }
  std::vector<ModuleFile> modules;
  std::set<std::string> placed;
  for (const std::string& name : names) {
    const std::optional<ModuleKind> kind = KindOf(name);
    if (!kind || (*kind == ModuleKind::k64Bit && !runs64Bit)) continue;
    ModuleFile module{name, *kind};
    const std::string stem = Stem(name);
    const auto twin =
        std::find_if(twins.begin(), twins.end(), [&](const auto& t) { return t.first == stem; });
    if (twin != twins.end()) module = {twin->second, ModuleKind::k64Bit};
    if (placed.insert(AsciiUpper(module.name)).second) {
      modules.push_back(std::move(module));
    }
  }
  return modules;
}

}  // namespace bex
