// The registered destination folders: a tree of labelled entries and its text
// file "M_DIR.DAT" (one entry per line, indented by one TAB per nesting level,
// CR LF line ends, code page 932).
//
// Labels made by the folder editor have three forms: "A : D:\Photos" (folder
// with shortcut A), "W : [Work]" (group) and "-" (separator). The kind of an
// entry is never stored; each user of a label applies its own test below.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace bex {

struct DestinationEntry {
  std::string label;  // code page 932 bytes, no line break, no leading TAB
  std::vector<DestinationEntry> children;
};

bool operator==(const DestinationEntry& a, const DestinationEntry& b);
bool operator!=(const DestinationEntry& a, const DestinationEntry& b);

// The top-level entries, in order.
using DestinationTree = std::vector<DestinationEntry>;

// Reads the content of "M_DIR.DAT". A line deeper than the current level
// opens one level under the entry created last at the current level, however
// many TABs deeper it is; a line less deep than that level but deeper than
// its parent's joins the same parent's children (depths 0, 2, 1 give one
// entry with two children). Lines that cannot be placed or hold no label are
// skipped: an indented line before any top-level entry, an empty line and a
// line made only of TABs.
DestinationTree ParseDestinations(std::string_view fileBytes);

// The content of "M_DIR.DAT" for tree. An entry with a label of one
// character, or of five or more, is written as its TABs, its label and CR LF;
// only a group by IsGroupForWriter has its children written, one level
// deeper. Entries with an empty label or one of 2 to 4 characters are left
// out with all their children. TAB, CR and LF inside a label are written as
// spaces, so no label can split a line or change its depth.
std::string SerializeDestinations(const DestinationTree& tree);

// text with TAB, CR and LF replaced by spaces: the form in which a label is
// stored. Trail bytes of double-byte characters never take these values.
std::string LabelSafeText(std::string_view text);

// The writer keeps the children of an entry whose label has "[" as its 5th
// character ("W : [Work]").
bool IsGroupForWriter(std::string_view label);

// The editor lets the user walk into an entry whose label ends with "]".
bool IsEnterable(std::string_view label);

// The editor refuses to change the separator "-".
bool IsSeparatorLabel(std::string_view label);

}  // namespace bex
