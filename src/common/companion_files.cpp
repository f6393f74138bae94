#include "common/companion_files.h"

#include <algorithm>

namespace bex {
namespace {

// Camera raw files, then the sidecars, then the live-photo clip.
constexpr std::wstring_view kCompanionExtensions[] = {
    L"CR2", L"CR3", L"NEF", L"NRW", L"ARW", L"SR2", L"RAF", L"ORF",
    L"RW2", L"PEF", L"DNG", L"SRW", L"X3F", L"XMP", L"AAE", L"MOV",
};

wchar_t FoldAscii(wchar_t c) { return c >= L'a' && c <= L'z' ? c - L'a' + L'A' : c; }

bool SameIgnoringCase(std::wstring_view a, std::wstring_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(),
                    [](wchar_t x, wchar_t y) { return FoldAscii(x) == FoldAscii(y); });
}

// The name before its last dot, and the extension after it (empty without one).
std::wstring_view Stem(std::wstring_view name) { return name.substr(0, name.rfind(L'.')); }
std::wstring_view Extension(std::wstring_view name) {
  const size_t dot = name.rfind(L'.');
  return dot == std::wstring_view::npos ? std::wstring_view() : name.substr(dot + 1);
}

bool IsCompanionKind(std::wstring_view extension) {
  return std::any_of(std::begin(kCompanionExtensions), std::end(kCompanionExtensions),
                     [&](std::wstring_view kind) { return SameIgnoringCase(kind, extension); });
}

}  // namespace

bool IsCompanionOf(std::wstring_view shownName, std::wstring_view name) {
  return name.find(L'.') != std::wstring_view::npos && !SameIgnoringCase(name, shownName) &&
         SameIgnoringCase(Stem(name), Stem(shownName)) && IsCompanionKind(Extension(name));
}

std::vector<std::wstring> CompanionsAmong(std::wstring_view shownName,
                                          const std::vector<std::wstring>& folderNames) {
  std::vector<std::wstring> companions;
  for (const std::wstring& name : folderNames) {
    if (IsCompanionOf(shownName, name)) companions.push_back(name);
  }
  return companions;
}

std::wstring CompanionSearchPattern(std::wstring_view shownName) {
  return std::wstring(Stem(shownName)) + L".*";
}

std::wstring CompanionNameBeside(std::wstring_view newShownName, std::wstring_view companionName) {
  if (SameIgnoringCase(Stem(newShownName), Stem(companionName))) return std::wstring(companionName);
  return std::wstring(Stem(newShownName)) + L'.' + std::wstring(Extension(companionName));
}

}  // namespace bex
