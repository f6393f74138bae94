#include "common/command_line.h"

namespace bex {
namespace {

bool IsSeparator(wchar_t c) { return c <= L' '; }

}  // namespace

std::vector<std::wstring> SplitCommandLine(std::wstring_view line) {
  std::vector<std::wstring> args;
  size_t i = 0;
  while (true) {
    while (i < line.size() && IsSeparator(line[i])) ++i;
    if (i >= line.size()) break;
    std::wstring arg;
    bool quoted = false;
    while (i < line.size() && (quoted || !IsSeparator(line[i]))) {
      if (line[i] == L'"') {
        quoted = !quoted;
      } else {
        arg += line[i];
      }
      ++i;
    }
    args.push_back(std::move(arg));
  }
  return args;
}

std::wstring BuildParameters(const std::vector<std::wstring>& names) {
  std::wstring params;
  for (const std::wstring& name : names) {
    bool needsQuotes = name.empty();
    for (wchar_t c : name) needsQuotes = needsQuotes || IsSeparator(c);
    params += needsQuotes ? L'"' + name + L'"' : name;
    params += L' ';
  }
  return params;
}

}  // namespace bex
