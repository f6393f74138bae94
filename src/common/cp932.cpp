#include "common/cp932.h"

#include <algorithm>

#include "common/line_breaking.h"

namespace bex {

bool IsLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

namespace {

// Calls visit(index, length) for each character of text, in order.
template <typename Visit>
void ForEachCharacter(std::string_view text, Visit visit) {
  size_t i = 0;
  while (i < text.size()) {
    const size_t len =
        IsLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size() ? 2 : 1;
    visit(i, len);
    i += len;
  }
}

}  // namespace

size_t LastPathDelimiter(std::string_view path) {
  size_t found = std::string_view::npos;
  ForEachCharacter(path, [&](size_t i, size_t len) {
    if (len == 1 && (path[i] == '\\' || path[i] == ':')) found = i;
  });
  return found;
}

std::string_view FileNamePart(std::string_view path) {
  const size_t d = LastPathDelimiter(path);
  return d == std::string_view::npos ? path : path.substr(d + 1);
}

std::string_view FolderPart(std::string_view path) {
  const size_t d = LastPathDelimiter(path);
  return d == std::string_view::npos ? std::string_view() : path.substr(0, d + 1);
}

std::string UpperExtension(std::string_view name) {
  const std::string_view file = FileNamePart(name);
  size_t dot = std::string_view::npos;
  ForEachCharacter(file, [&](size_t i, size_t len) {
    if (len == 1 && file[i] == '.') dot = i;
  });
  if (dot == std::string_view::npos) return std::string();
  std::string ext(file.substr(dot));
  // Only single-byte letters: a trail byte may lie in the range of a-z.
  ForEachCharacter(ext, [&](size_t i, size_t len) {
    if (len == 1 && ext[i] >= 'a' && ext[i] <= 'z') ext[i] = static_cast<char>(ext[i] - 'a' + 'A');
  });
  return ext;
}

std::string_view LastCharacter(std::string_view text) {
  std::string_view last;
  ForEachCharacter(text, [&](size_t i, size_t len) { last = text.substr(i, len); });
  return last;
}

std::string JoinPath(std::string_view folder, std::string_view name) {
  std::string path(folder);
  if (LastCharacter(path) != "\\") path += '\\';
  path += name;
  return path;
}

std::string BreakLongLines(std::string_view text,
                           const std::function<bool(std::string_view)>& fits) {
  return BreakLinesThatDoNotFit(text, fits, [](std::string_view line, size_t i) -> size_t {
    return IsLeadByte(static_cast<unsigned char>(line[i])) && i + 1 < line.size() ? 2 : 1;
  });
}

}  // namespace bex
