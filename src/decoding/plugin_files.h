// Which module files of the plug-in folder the viewer loads, and in which
// order it asks them: 32-bit modules (".spi") run in the 32-bit plug-in
// helper, 64-bit ones (".sph") in the 64-bit helper where Windows runs 64-bit
// programs. Both kinds are asked in one order, the order in which the
// directory search returns their files.
#pragma once

#include <string>
#include <vector>

namespace bex {

enum class ModuleKind { k32Bit = 0, k64Bit = 1 };

struct ModuleFile {
  std::string name;
  ModuleKind kind;

  bool operator==(const ModuleFile& other) const {
    return name == other.name && kind == other.kind;
  }
};

// The module files among the folder's file names (UTF-8, in the search's order)
// that are loaded, in the order they are asked. ".sph" files are passed over
// unless 64-bit programs run. Of a module built both ways, x.spi beside
// x.sph, only the 64-bit one is loaded, where the first of the two stands:
// it has the address space for the largest pictures. (A 64-bit module that
// turns out unusable is left out of the names and the choice made again.)
std::vector<ModuleFile> ModulesToLoad(const std::vector<std::string>& names, bool runs64Bit);

}  // namespace bex
