// Texts of the ANSI API (the system code page) as the wide API takes them.
#pragma once

#include <string>

namespace bex {

std::wstring WideFromAnsi(const std::string& text);

}  // namespace bex
