// Line splitting shared by the destination and history files.
#pragma once

#include <string_view>
#include <vector>

namespace bex {

// The lines of a text file: a line ends at CR LF, at a lone CR or at a lone
// LF; a last line without terminator still counts, and a terminator at the
// very end does not start an extra empty line. The views point into text.
std::vector<std::string_view> SplitLines(std::string_view text);

}  // namespace bex
