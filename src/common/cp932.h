// Byte-level helpers for code-page-932 (Shift-JIS) texts: file names and paths
// are kept as the bytes the ANSI API gives, and a 0x5C byte that is the second
// byte of a double-byte character (as in 表, 0x95 0x5C) is no path separator.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace bex {

// True for bytes that start a double-byte character in code page 932.
bool IsLeadByte(unsigned char c);

// Index of the last "\" or ":" that is a character of its own, or npos.
size_t LastPathDelimiter(std::string_view path);

// The part of path after the last delimiter (the whole path without one).
std::string_view FileNamePart(std::string_view path);

// The part of path up to and including the last delimiter (empty without one).
std::string_view FolderPart(std::string_view path);

// The extension of name from the last "." after the last delimiter, dot
// included, with ASCII letters upper-cased; empty when there is none.
std::string UpperExtension(std::string_view name);

// The last character of text (one or two bytes), or empty.
std::string_view LastCharacter(std::string_view text);

// folder + "\" + name, without doubling a final "\" of folder.
std::string JoinPath(std::string_view folder, std::string_view name);

// text with every line that does not fit broken into lines that do, each
// ending after a "\" where there is one to end at, never inside a
// double-byte character: a message that holds a long path then fits the
// screen. A line always keeps its first character.
std::string BreakLongLines(std::string_view text,
                           const std::function<bool(std::string_view)>& fits);

}  // namespace bex
