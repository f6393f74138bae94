// The version of a file, as the platform tells it through an open handle,
// and when a picture decoded from one version is out of date.
#pragma once

#include <cstdint>
#include <optional>

namespace bex {

// A file replaced by another of the same name has another index; one
// written over in place has another write time, and mostly another size.
struct FileVersion {
  uint64_t size = 0;
  uint64_t writeTime = 0;
  uint64_t index = 0;
  uint32_t volume = 0;

  bool operator==(const FileVersion& other) const {
    return size == other.size && writeTime == other.writeTime && index == other.index &&
           volume == other.volume;
  }
  bool operator!=(const FileVersion& other) const { return !(*this == other); }
};

// What a look at a file found: its version, that it is gone, or that the
// system would not tell (no access, a file system without the answer).
struct FileLook {
  enum class Found { kVersion, kGone, kUnknown };
  Found found = Found::kUnknown;
  FileVersion version;  // with kVersion
};

// Whether a picture decoded from the version then (none when it could not be
// told) is out of date now: its file is gone, or both versions are known and
// differ. A version that cannot be told is no change, so that the commands
// act on the file as they would without the check.
bool OutOfDate(const std::optional<FileVersion>& then, const FileLook& now);

}  // namespace bex
