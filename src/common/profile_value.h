// How values of the settings file "bex.ini" are read back from their text.
#pragma once

#include <optional>
#include <string_view>

namespace bex {

// An integer as the settings file stores it, or none for text that is no
// integer: decimal, or hexadecimal after "0x", "0X" (when the text is longer
// than two characters) or "$"; at most 32 bits.
std::optional<int> TryParseProfileInt(std::string_view text);

// An integer as the settings file stores it: decimal, or hexadecimal after
// "0x", "0X" (when the text is longer than two characters) or "$". Text that
// is no integer, or that does not fit 32 bits, gives def.
int ParseProfileInt(std::string_view text, int def);

// A boolean: any readable non-zero integer is true, unreadable text gives def.
bool ParseProfileBool(std::string_view text, bool def);

}  // namespace bex
