#include "move/recycled_files.h"

#include <algorithm>
#include <cmath>

namespace bex {
namespace {

wchar_t FoldAscii(wchar_t c) { return c >= L'a' && c <= L'z' ? c - L'a' + L'A' : c; }

bool SameIgnoringAsciiCase(std::wstring_view a, std::wstring_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(),
                    [](wchar_t x, wchar_t y) { return FoldAscii(x) == FoldAscii(y); });
}

// The extension of the last component of name, dot included; empty without one.
std::wstring_view ExtensionOf(std::wstring_view name) {
  const size_t dot = name.find_last_of(L".\\");
  return dot == std::wstring_view::npos || name[dot] != L'.' ? std::wstring_view()
                                                             : name.substr(dot);
}

bool EndsWith(std::wstring_view text, std::wstring_view end) {
  return text.size() >= end.size() &&
         SameIgnoringAsciiCase(text.substr(text.size() - end.size()), end);
}

}  // namespace

std::wstring OriginalPathOf(const RecycledFile& file) {
  std::wstring path = file.folder;
  if (!path.empty() && path.back() != L'\\') path += L'\\';
  path += file.shownName;
  const std::wstring_view extension = ExtensionOf(file.storedName);
  if (!EndsWith(file.shownName, extension)) path += extension;
  return path;
}

std::optional<size_t> NewestDeletedFrom(const std::vector<RecycledFile>& files,
                                        std::wstring_view originalPath) {
  std::optional<size_t> newest;
  for (size_t i = 0; i < files.size(); ++i) {
    if (!SameIgnoringAsciiCase(OriginalPathOf(files[i]), originalPath)) continue;
    if (!newest || files[i].deletedAt > files[*newest].deletedAt) newest = i;
  }
  return newest;
}

std::vector<size_t> MarkedDeletedFrom(const std::vector<RecycledFile>& files,
                                      std::wstring_view originalPath, const DeletionMark& mark) {
  std::vector<size_t> marked;
  for (size_t i = 0; i < files.size(); ++i) {
    const RecycledFile& file = files[i];
    if (!SameIgnoringAsciiCase(OriginalPathOf(file), originalPath)) continue;
    if (file.size ? *file.size == mark.size : file.sizeText == mark.sizeText) marked.push_back(i);
  }
  const auto distance = [&](size_t i) { return std::fabs(files[i].deletedAt - mark.deletedAt); };
  std::stable_sort(marked.begin(), marked.end(),
                   [&](size_t a, size_t b) { return distance(a) < distance(b); });
  return marked;
}

}  // namespace bex
