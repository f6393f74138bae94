// What the move menu shows: its items with captions, roles and start folders,
// built afresh from the destination tree and the history each time the menu
// opens. The window layer turns the items into menu handles one for one.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "move/destination_history.h"
#include "move/destination_tree.h"

namespace bex {

// Role codes carried by every item.
constexpr int kRoleCurrentFolder = 0;  // pick a destination from the current folder
constexpr int kRoleHistory = 1;        // a recently used folder
constexpr int kRoleGroup = 2;          // opens its submenu, is never chosen itself
constexpr int kRoleDestination = 3;    // a registered entry

// The history submenu numbers this many entries (1 to 9, then 0).
constexpr size_t kNumberedHistoryItems = 10;

struct MoveMenuItem {
  std::string caption;  // "&" marks the accelerator; "-" is a separator line
  int role = kRoleCurrentFolder;
  std::string startFolder;  // where the save dialog starts; unused for role 0 and 2
  std::vector<MoveMenuItem> children;
};

// "&" followed by text for texts of two or more characters, so that the first
// character is the accelerator; shorter texts unchanged ("-" stays a
// separator).
std::string MenuCaption(std::string_view text);

// The caption from its 6th character on: for "&A : D:\Photos" the path, for a
// history item "&1 : D:\Photos" its folder. Empty for shorter captions.
std::string StartFolderFromCaption(std::string_view caption);

// The whole menu, top level first: "現在のフォルダーから移動先を指定",
// "履歴から移動先を指定" with one item per history entry, a separator, then
// the registered tree. The first ten history entries are numbered 1 to 9, 0;
// later entries (only in a hand-edited file) are shown without number, their
// whole text as caption and start folder. An entry with children becomes a
// submenu (role 2), every other entry role 3.
std::vector<MoveMenuItem> BuildMoveMenu(const DestinationTree& tree,
                                        const DestinationHistory& history);

// Where the save dialog starts for a chosen item.
std::string StartFolderOfItem(const MoveMenuItem& item, std::string_view currentFolder);

// True for an item the window layer shows as a separator line.
bool IsSeparatorItem(const MoveMenuItem& item);

}  // namespace bex
