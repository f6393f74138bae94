#include "common/wide_text.h"

#include <algorithm>

#include "common/line_breaking.h"

namespace bex {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsHighSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char32_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// Where wchar_t has 16 bits, characters beyond U+FFFF take two units.
void AppendWide(std::wstring& out, char32_t c) {
  if constexpr (sizeof(wchar_t) == 2) {
    if (c >= 0x10000) {
      c -= 0x10000;
      out += static_cast<wchar_t>(0xD800 + (c >> 10));
      out += static_cast<wchar_t>(0xDC00 + (c & 0x3FF));
      return;
    }
  }
  out += static_cast<wchar_t>(c);
}

// The code point that starts at bytes[at], and its length in bytes; an
// invalid or overlong sequence is one byte of U+FFFD.
std::pair<char32_t, size_t> DecodeUtf8(std::string_view bytes, size_t at) {
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(bytes[i]); };
  const unsigned char lead = byte(at);
  if (lead < 0x80) return {lead, 1};
  const size_t length = lead >= 0xF0 && lead <= 0xF4   ? 4
                        : lead >= 0xE0 && lead <= 0xEF ? 3
                        : lead >= 0xC2 && lead <= 0xDF ? 2
                                                       : 0;
  if (length == 0 || at + length > bytes.size()) return {kReplacement, 1};
  char32_t c = lead & (0xFF >> (length + 1));
  for (size_t i = 1; i < length; ++i) {
    if ((byte(at + i) & 0xC0) != 0x80) return {kReplacement, 1};
    c = (c << 6) | (byte(at + i) & 0x3F);
  }
  static constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
  if (c < kSmallest[length] || c > 0x10FFFF) return {kReplacement, 1};
  return {c, length};
}

// Position of code unit c in UTF-16 order.
char32_t Utf16Rank(wchar_t c) {
  const auto u = static_cast<char32_t>(c);
  return u >= 0xE000 && u <= 0xFFFF ? u + 0x110000 : u;
}

}  // namespace

std::string WideToUtf8(std::wstring_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t c = static_cast<char32_t>(text[i]);
    if (sizeof(wchar_t) == 2 && IsHighSurrogate(c) && i + 1 < text.size() &&
        IsLowSurrogate(static_cast<char32_t>(text[i + 1]))) {
      c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<char32_t>(text[++i]) - 0xDC00);
    }
    AppendUtf8(out, c);
  }
  return out;
}

std::wstring Utf8ToWide(std::string_view bytes) {
  std::wstring out;
  out.reserve(bytes.size());
  for (size_t at = 0; at < bytes.size();) {
    const auto [c, length] = DecodeUtf8(bytes, at);
    AppendWide(out, c);
    at += length;
  }
  return out;
}

int CompareUtf16(std::wstring_view a, std::wstring_view b) {
  const size_t common = std::min(a.size(), b.size());
  for (size_t i = 0; i < common; ++i) {
    if (a[i] != b[i]) return Utf16Rank(a[i]) < Utf16Rank(b[i]) ? -1 : 1;
  }
  return (a.size() > b.size()) - (a.size() < b.size());
}

size_t LastPathDelimiter(std::wstring_view path) { return path.find_last_of(L"\\:"); }

std::wstring_view FileNamePart(std::wstring_view path) {
  const size_t d = LastPathDelimiter(path);
  return d == std::wstring_view::npos ? path : path.substr(d + 1);
}

std::wstring_view FolderPart(std::wstring_view path) {
  const size_t d = LastPathDelimiter(path);
  return d == std::wstring_view::npos ? std::wstring_view() : path.substr(0, d + 1);
}

std::wstring UpperExtension(std::wstring_view name) {
  const std::wstring_view file = FileNamePart(name);
  const size_t dot = file.rfind(L'.');
  if (dot == std::wstring_view::npos) return std::wstring();
  std::wstring ext(file.substr(dot));
  for (wchar_t& c : ext) {
    if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
  }
  return ext;
}

std::wstring JoinPath(std::wstring_view folder, std::wstring_view name) {
  std::wstring path(folder);
  if (path.empty() || path.back() != L'\\') path += L'\\';
  path += name;
  return path;
}

std::wstring BreakLongLines(std::wstring_view text,
                            const std::function<bool(std::wstring_view)>& fits) {
  return BreakLinesThatDoNotFit(text, fits, [](std::wstring_view line, size_t i) -> size_t {
    const bool pair = line[i] >= 0xD800 && line[i] <= 0xDBFF && i + 1 < line.size() &&
                      line[i + 1] >= 0xDC00 && line[i + 1] <= 0xDFFF;
    return pair ? 2 : 1;
  });
}

}  // namespace bex
