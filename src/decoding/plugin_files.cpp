#include "decoding/plugin_files.h"

#include <algorithm>
#include <optional>
#include <set>

#include "common/cp932.h"

namespace bex {
namespace {

std::optional<ModuleKind> KindOf(const std::string& name) {
  const std::string extension = UpperExtension(name);
  if (extension == ".SPI") return ModuleKind::k32Bit;
  if (extension == ".SPH") return ModuleKind::k64Bit;
  return std::nullopt;
}

// The name without its extension, ASCII letters upper-cased (the file system
// ignores their case), double-byte characters as they are.
std::string Stem(const std::string& name) {
  std::string stem = name.substr(0, name.size() - UpperExtension(name).size());
  for (size_t i = 0; i < stem.size(); ++i) {
    const auto c = static_cast<unsigned char>(stem[i]);
    if (IsLeadByte(c)) {
      ++i;
    } else if (c >= 'a' && c <= 'z') {
      stem[i] = static_cast<char>(c - 'a' + 'A');
    }
  }
  return stem;
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
    if (placed.insert(Stem(module.name) + UpperExtension(module.name)).second) {
      modules.push_back(std::move(module));
    }
  }
  return modules;
}

}  // namespace bex
