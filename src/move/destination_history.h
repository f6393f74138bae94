// The recently used destination folders, most recent first, and their text
// file "R_DIR.DAT" (one folder per line, CR LF line ends, code page 932).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace bex {

using DestinationHistory = std::vector<std::string>;

// The most entries a new destination leaves in the history.
constexpr size_t kHistoryKeep = 9;

// The lines of "R_DIR.DAT" as they stand: no trimming, empty lines kept.
DestinationHistory ParseHistory(std::string_view fileBytes);

// The content of "R_DIR.DAT": every entry followed by CR LF.
std::string SerializeHistory(const DestinationHistory& history);

// The folder of a moved file's destination: the path up to, not including,
// its last "\" or ":" (D:\Photos\a.jpg gives D:\Photos, D:\a.jpg gives D:);
// empty for a bare name.
std::string FolderOfDestination(std::string_view destination);

// Puts folder at the top unless it already is the top entry (compared byte
// for byte, case-sensitively); a new top entry leaves at most kHistoryKeep
// entries. Entries below the top are not compared, so a folder may appear
// twice.
void RecordInHistory(DestinationHistory& history, std::string_view folder);

}  // namespace bex
