#include "move/destination_tree.h"

#include "common/cp932.h"
#include "move/text_lines.h"

namespace bex {

bool operator==(const DestinationEntry& a, const DestinationEntry& b) {
  return a.label == b.label && a.children == b.children;
}

bool operator!=(const DestinationEntry& a, const DestinationEntry& b) { return !(a == b); }

namespace {

constexpr char kTab = '\t';
constexpr char kLineEnd[] = "\r\n";

// Where the group character sits in "W : [Work]".
constexpr size_t kGroupBracketIndex = 4;

size_t LeadingTabs(std::string_view line) {
  const size_t n = line.find_first_not_of(kTab);
  return n == std::string_view::npos ? line.size() : n;
}

// The writer's rule: one character, or five and more; 2 to 4 characters and
// empty labels are not written, nor are their children.
bool IsWrittenLabel(std::string_view label) { return label.size() == 1 || label.size() >= 5; }

}  // namespace

DestinationTree ParseDestinations(std::string_view fileBytes) {
  // The levels being read, outermost first; an explicit stack keeps deep
  // files from exhausting the call stack.
  struct OpenLevel {
    size_t depth;
    std::vector<DestinationEntry>* entries;
  };
  DestinationTree tree;
  std::vector<OpenLevel> open{{0, &tree}};
  for (const std::string_view line : SplitLines(fileBytes)) {
    const size_t depth = LeadingTabs(line);
    const std::string_view label = line.substr(depth);
    if (label.empty()) continue;
    while (depth < open.back().depth) open.pop_back();
    if (depth > open.back().depth) {
      // Only the top level can still be empty here: deeper levels are opened
      // by the line that becomes their first entry.
      if (open.back().entries->empty()) continue;
      open.push_back({depth, &open.back().entries->back().children});
    }
    open.back().entries->push_back({std::string(label), {}});
  }
  return tree;
}

std::string SerializeDestinations(const DestinationTree& tree) {
  // Entries still to write, each with its depth; children are pushed in
  // reverse so they come off the stack in order.
  struct Pending {
    const DestinationEntry* entry;
    size_t depth;
  };
  std::vector<Pending> pending;
  const auto pushLevel = [&pending](const std::vector<DestinationEntry>& entries, size_t depth) {
    for (auto it = entries.rbegin(); it != entries.rend(); ++it) pending.push_back({&*it, depth});
  };
  std::string out;
  pushLevel(tree, 0);
  while (!pending.empty()) {
    const Pending p = pending.back();
    pending.pop_back();
    if (!IsWrittenLabel(p.entry->label)) continue;
    out.append(p.depth, kTab);
    out += LabelSafeText(p.entry->label);
    out += kLineEnd;
    if (IsGroupForWriter(p.entry->label)) pushLevel(p.entry->children, p.depth + 1);
  }
  return out;
}

std::string LabelSafeText(std::string_view text) {
  std::string safe(text);
  for (char& c : safe) {
    if (c == '\t' || c == '\r' || c == '\n') c = ' ';
  }
  return safe;
}

bool IsGroupForWriter(std::string_view label) {
  return label.size() > kGroupBracketIndex && label[kGroupBracketIndex] == '[';
}

bool IsEnterable(std::string_view label) { return LastCharacter(label) == "]"; }

bool IsSeparatorLabel(std::string_view label) { return label == "-"; }

}  // namespace bex
