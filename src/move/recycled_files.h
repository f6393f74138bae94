// Finding a deleted file among those the recycle bin holds, from what the bin
// tells of each: the folder it was deleted from, its name as shown, the name
// it is kept under, and when it was deleted. Texts are UTF-16, as the shell
// gives them, so that names of any language compare whole.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace bex {

struct RecycledFile {
  std::wstring folder;
  // The name as the bin shows it, which lacks the extension where the user
  // has known extensions hidden.
  std::wstring shownName;
  // The name (or path) the file is kept under, which keeps the extension.
  std::wstring storedName;
  // When it was deleted, on any increasing scale; 0 when the bin does not say.
  double deletedAt = 0;
  // Its size in bytes where the bin gives the number; else the size as the
  // bin shows it ("4 KB").
  std::optional<uint64_t> size = {};
  std::wstring sizeText = {};
};

// What the viewer notes of a file as it deletes it, to find that very file
// in the bin again among others deleted from the same path: when it was
// deleted (on the scale of RecycledFile::deletedAt), its size, and that size
// as the bin shows it.
struct DeletionMark {
  double deletedAt = 0;
  uint64_t size = 0;
  std::wstring sizeText = {};
};

// The full path the file had before it was deleted.
std::wstring OriginalPathOf(const RecycledFile& file);

// The index of the file last deleted from originalPath (compared without
// regard to the case of ASCII letters, as the file system does); the first
// of those deleted at the same time. None when no file came from there.
std::optional<size_t> NewestDeletedFrom(const std::vector<RecycledFile>& files,
                                        std::wstring_view originalPath);

// The indexes of the files deleted from originalPath that mark may describe:
// those whose size agrees with it, the one deleted nearest its time first
// (equals in their order). Empty when no file from there has that size.
std::vector<size_t> MarkedDeletedFrom(const std::vector<RecycledFile>& files,
                                      std::wstring_view originalPath, const DeletionMark& mark);

}  // namespace bex
