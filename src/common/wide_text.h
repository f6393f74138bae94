// File names and paths as the wide API gives them (UTF-16 on Windows, where
// wchar_t has 16 bits), and the lossless UTF-8 form the program uses where a
// path travels as bytes (the plug-in helpers' pipe, the undo journal).
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace bex {

// UTF-8 of text. A surrogate without its partner, which file names may hold,
// is written as the three bytes of its code point, so that every name comes
// back unchanged from Utf8ToWide.
std::string WideToUtf8(std::wstring_view text);

// The text of UTF-8 bytes (surrogates written alone read back alone); a byte
// that starts no valid sequence becomes U+FFFD.
std::wstring Utf8ToWide(std::string_view bytes);

// -1, 0 or +1: a and b compared by their UTF-16 code units (characters beyond
// U+FFFF after U+D7FF and before U+E000), a prefix before the longer text.
int CompareUtf16(std::wstring_view a, std::wstring_view b);

// Index of the last "\" or ":" of path, or npos.
size_t LastPathDelimiter(std::wstring_view path);
// The part of path after the last delimiter (the whole path without one).
std::wstring_view FileNamePart(std::wstring_view path);
// The part of path up to and including the last delimiter (empty without one).
std::wstring_view FolderPart(std::wstring_view path);
// The extension of name from the last "." after the last delimiter, dot
// included, with ASCII letters upper-cased; empty when there is none.
std::wstring UpperExtension(std::wstring_view name);
// folder + "\" + name, without doubling a final "\" of folder.
std::wstring JoinPath(std::wstring_view folder, std::wstring_view name);

// text with every line that does not fit broken into lines that do, each
// ending after a "\" where there is one to end at, never between the two
// halves of a surrogate pair. A line always keeps its first character.
std::wstring BreakLongLines(std::wstring_view text,
                            const std::function<bool(std::wstring_view)>& fits);

}  // namespace bex
