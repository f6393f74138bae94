#include "common/command_line.h"

namespace bex {
namespace {

bool IsSeparator(char c) { return static_cast<unsigned char>(c) <= ' '; }

}  // namespace

std::vector<std::string> SplitCommandLine(std::string_view line) {
  std::vector<std::string> args;
  size_t i = 0;
  while (true) {
    while (i < line.size() && IsSeparator(line[i])) ++i;
    if (i >= line.size()) break;
    std::string arg;
    bool quoted = false;
    while (i < line.size() && (quoted || !IsSeparator(line[i]))) {
      if (line[i] == '"') {
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

std::string BuildParameters(const std::vector<std::string>& names) {
  std::string params;
  for (const std::string& name : names) {
    bool needsQuotes = name.empty();
    for (char c : name) needsQuotes = needsQuotes || IsSeparator(c);
    params += needsQuotes ? '"' + name + '"' : name;
    params += ' ';
  }
  return params;
}

}  // namespace bex
