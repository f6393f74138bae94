// Code page 932 where it cannot be avoided: the files other copies of the
// program read (bex.ini, M_DIR.DAT, R_DIR.DAT), the plug-in modules that only
// take code-page-932 names, and the program's own Japanese texts. A name is
// never changed on the way: one that code page 932 cannot hold exactly has no
// code-page-932 form at all.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace bex {

// The code-page-932 bytes of text, or none when a character has no exact
// form there (no "best fit" look-alike such as e for é, no "?").
std::optional<std::string> ExactCp932(std::wstring_view text);

// The text of code-page-932 bytes.
std::wstring FromCp932(std::string_view bytes);

}  // namespace bex
