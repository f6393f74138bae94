#include "common/code_page_win.h"

#include <windows.h>

#include <algorithm>

namespace bex {
namespace {

constexpr UINT kJapanese = 932;

// Whether bytes read back as text. A code-page-932 text has at most as many
// UTF-16 units as bytes.
bool ReadsBackAs(std::string_view bytes, std::wstring_view text) {
  std::wstring back(bytes.size(), L'\0');
  const int n = MultiByteToWideChar(kJapanese, 0, bytes.data(), static_cast<int>(bytes.size()),
                                    back.data(), static_cast<int>(back.size()));
  return n >= 0 && static_cast<size_t>(n) == text.size() && back.compare(0, text.size(), text) == 0;
}

}  // namespace

// WC_NO_BEST_FIT_CHARS keeps the conversion from picking look-alikes; a
// character it then cannot write becomes the default character, which is
// what usedDefault tells. The text read back must be the text given, so that
// no mapping of the code page's own can make two names one.
std::optional<std::string> ExactCp932(std::wstring_view text) {
  // ASCII is the same in code page 932, and most file names are ASCII: the
  // listing of a large folder converts only the others.
  if (std::all_of(text.begin(), text.end(), [](wchar_t c) { return c < 0x80; })) {
    return std::string(text.begin(), text.end());
  }
  // At most two bytes for each UTF-16 unit.
  std::string bytes(text.size() * 2, '\0');
  BOOL usedDefault = FALSE;
  const int size = WideCharToMultiByte(kJapanese, WC_NO_BEST_FIT_CHARS, text.data(),
                                       static_cast<int>(text.size()), bytes.data(),
                                       static_cast<int>(bytes.size()), nullptr, &usedDefault);
  if (size <= 0 || usedDefault) return std::nullopt;
  bytes.resize(static_cast<size_t>(size));
  if (!ReadsBackAs(bytes, text)) return std::nullopt;
  return bytes;
}

std::wstring FromCp932(std::string_view bytes) {
  if (bytes.empty()) return std::wstring();
  const int length = static_cast<int>(bytes.size());
  const int size = MultiByteToWideChar(kJapanese, 0, bytes.data(), length, nullptr, 0);
  if (size <= 0) return std::wstring();
  std::wstring text(static_cast<size_t>(size), L'\0');
  MultiByteToWideChar(kJapanese, 0, bytes.data(), length, text.data(), size);
  return text;
}

}  // namespace bex
