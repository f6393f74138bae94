#include "common/file_version.h"

namespace bex {

bool OutOfDate(const std::optional<FileVersion>& then, const FileLook& now) {
  switch (now.found) {
    case FileLook::Found::kGone:
      return true;
    case FileLook::Found::kUnknown:
      return false;
    case FileLook::Found::kVersion:
      break;
  }
  return then && *then != now.version;
}

}  // namespace bex
