#include "move/move_menu_model.h"

#include <utility>

namespace bex {

namespace {

// "&" plus the label: the label starts at the caption's 2nd character, and
// its path at the label's 5th ("A : " before it).
constexpr size_t kCaptionPathIndex = 5;

MoveMenuItem PlainItem(std::string_view caption, int role) {
  MoveMenuItem item;
  item.caption = caption;
  item.role = role;
  return item;
}

MoveMenuItem CaptionedItem(std::string_view text, int role) {
  MoveMenuItem item = PlainItem(MenuCaption(text), role);
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

// Lines past the numbered ones (only in a hand-edited file) show their whole
// text, which is also their start folder.
MoveMenuItem HistoryItem(const std::string& folder, size_t position) {
  if (position >= kNumberedHistoryItems) {
    MoveMenuItem item = PlainItem(folder, kRoleHistory);
    item.startFolder = folder;
    return item;
  }
  const std::string number = std::to_string((position + 1) % kNumberedHistoryItems);
  return CaptionedItem(number + " : " + folder, kRoleHistory);
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
  menu.push_back(PlainItem("現在のフォルダーから移動先を指定", kRoleCurrentFolder));
  // The history submenu is never chosen itself, even while it is empty.
  MoveMenuItem recent = PlainItem("履歴から移動先を指定", kRoleGroup);
  for (size_t i = 0; i < history.size(); ++i) recent.children.push_back(HistoryItem(history[i], i));
  menu.push_back(std::move(recent));
  menu.push_back(PlainItem("-", kRoleCurrentFolder));
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
