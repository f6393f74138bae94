// Breaking the lines of a message text that do not fit, for narrow (code
// page 932) and wide text alike.
#pragma once

#include <algorithm>
#include <string>
#include <string_view>

namespace bex {

// A line is cut after its last "\" that leaves the first part fitting, else
// after the last whole character that fits; the first character stays on
// its line whatever its width. characterLength(line, i) is the number of
// units of the character at i.
template <typename Char, typename Fits, typename CharacterLength>
std::basic_string<Char> BreakLinesThatDoNotFit(std::basic_string_view<Char> text, const Fits& fits,
                                               const CharacterLength& characterLength) {
  std::basic_string<Char> out;
  size_t start = 0;
  for (;;) {
    const size_t end = std::min(text.find(Char('\n'), start), text.size());
    std::basic_string_view<Char> line = text.substr(start, end - start);
    while (!fits(line)) {
      size_t cut = 0;
      size_t afterDelimiter = 0;
      for (size_t i = 0; i < line.size();) {
        const size_t len = characterLength(line, i);
        if (cut > 0 && !fits(line.substr(0, i + len))) break;
        cut = i + len;
        if (len == 1 && line[i] == Char('\\')) afterDelimiter = cut;
        i = cut;
      }
      if (afterDelimiter > 0) cut = afterDelimiter;
      if (cut >= line.size()) break;
      out.append(line.substr(0, cut));
      out += Char('\n');
      line.remove_prefix(cut);
    }
    out.append(line);
    if (end == text.size()) return out;
    out += Char('\n');
    start = end + 1;
  }
}

}  // namespace bex
