// Finding a deleted file among those the recycle bin holds, from what the bin
// tells of each: the folder it was deleted from, its name as shown, the name
// it is kept under, and when it was deleted. Texts are UTF-16, as the shell
// gives them, so that names of any language compare whole.
#pragma once

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
};

// The full path the file had before it was deleted.
std::wstring OriginalPathOf(const RecycledFile& file);

// The index of the file last deleted from originalPath (compared without
// regard to the case of ASCII letters, as the file system does); the first
// of those deleted at the same time. None when no file came from there.
std::optional<size_t> NewestDeletedFrom(const std::vector<RecycledFile>& files,
                                        std::wstring_view originalPath);

}  // namespace bex
