// Splitting and building command lines the way the Windows runtime splits
// them into arguments.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace bex {

// Arguments of a command line: separated by blanks or control characters; a
// stretch in double quotes may hold blanks and the quotes are dropped.
std::vector<std::wstring> SplitCommandLine(std::wstring_view line);

// A parameter text that SplitCommandLine turns back into names: each name
// followed by one blank, quoted when it holds a blank or control character.
std::wstring BuildParameters(const std::vector<std::wstring>& names);

}  // namespace bex
