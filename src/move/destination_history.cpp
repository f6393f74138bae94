#include "move/destination_history.h"

#include "common/cp932.h"
#include "move/text_lines.h"

namespace bex {

DestinationHistory ParseHistory(std::string_view fileBytes) {
  DestinationHistory history;
  for (const std::string_view line : SplitLines(fileBytes)) history.emplace_back(line);
  return history;
}

std::string SerializeHistory(const DestinationHistory& history) {
  std::string out;
  for (const std::string& folder : history) {
    out += folder;
    out += "\r\n";
  }
  return out;
}

std::string FolderOfDestination(std::string_view destination) {
  const size_t d = LastPathDelimiter(destination);
  return d == std::string_view::npos ? std::string() : std::string(destination.substr(0, d));
}

void RecordInHistory(DestinationHistory& history, std::string_view folder) {
  if (!history.empty() && history.front() == folder) return;
  history.insert(history.begin(), std::string(folder));
  while (history.size() > kHistoryKeep) history.pop_back();
}

}  // namespace bex
