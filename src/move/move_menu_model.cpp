#include "move/move_menu_model.h"

namespace bex {

namespace {

// "&" plus the label: the label starts at the caption's 2nd character, and
// its path at the label's 5th ("A : " before it).
constexpr size_t kCaptionPathIndex = 5;

MoveMenuItem CaptionedItem(std::string_view text, int role) {
  MoveMenuItem item;
  item.caption = MenuCaption(text);
  item.role = role;
  item.startFolder = StartFolderFromCaption(item.caption);
  return item;
}

// An entry with children becomes a submenu, which is opened, never chosen,
// and so has no start folder.
MoveMenuItem RegisteredItem(const DestinationEntry& entry) {
  MoveMenuItem item = CaptionedItem(entry.label, kRoleDestination);
  if (entry.children.empty()) return item;
  item.role = kRoleGroup;
  item.startFolder.clear();
  for (const DestinationEntry& child : entry.children)
    item.children.push_back(RegisteredItem(child));
  return item;
}

MoveMenuItem HistoryItem(const std::string& folder, size_t position) {
  if (position >= kNumberedHistoryItems) {
    MoveMenuItem item;
    item.caption = folder;
    item.role = kRoleHistory;
    item.startFolder = folder;
    return item;
  }
  const std::string number = std::to_string((position + 1) % kNumberedHistoryItems);
  return CaptionedItem(number + " : " + folder, kRoleHistory);
}

MoveMenuItem FixedItem(const char* caption, int role) {
  MoveMenuItem item;
  item.caption = caption;
  item.role = role;
  return item;
}

}  // namespace

std::string MenuCaption(std::string_view text) {
  return text.size() >= 2 ? "&" + std::string(text) : std::string(text);
}

std::string StartFolderFromCaption(std::string_view caption) {
  return caption.size() > kCaptionPathIndex ? std::string(caption.substr(kCaptionPathIndex))
                                            : std::string();
}

std::vector<MoveMenuItem> BuildMoveMenu(const DestinationTree& tree,
                                        const DestinationHistory& history) {
  std::vector<MoveMenuItem> menu;
  menu.push_back(FixedItem("現在のフォルダーから移動先を指定", kRoleCurrentFolder));
  // The history submenu is never chosen itself, even while it is empty.
  MoveMenuItem recent = FixedItem("履歴から移動先を指定", kRoleGroup);
  for (size_t i = 0; i < history.size(); ++i) recent.children.push_back(HistoryItem(history[i], i));
  menu.push_back(std::move(recent));
  menu.push_back(FixedItem("-", kRoleCurrentFolder));
  for (const DestinationEntry& entry : tree) menu.push_back(RegisteredItem(entry));
  return menu;
}

std::string StartFolderOfItem(const MoveMenuItem& item, std::string_view currentFolder) {
  return item.role == kRoleCurrentFolder ? std::string(currentFolder) : item.startFolder;
}

bool IsSeparatorItem(const MoveMenuItem& item) {
  return item.caption == "-" && item.children.empty();
}

}  // namespace bex
