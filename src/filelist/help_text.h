// The text of the viewer's own help window, shown when no help file lies
// beside the program: every command of the command menu with its shortcut and
// every key of the key map with what it does, in Japanese. It is built from the same
// tables the window builds its menu from and handles its keys with, so it
// cannot disagree with them.
#pragma once

#include <string>
#include <string_view>

namespace bex {

// Code page 932, lines ended by CR LF, columns separated by tabs: a menu line
// is "<shortcut>\t<caption>\t<what it does>", a key line
// "<key>\t<what it does>"; a submenu has a line of its own, and its items'
// captions are indented by a full-width blank.
std::string HelpText();

// A menu caption as the help shows it: without the "&" that marks the
// accelerator in the menu ("&F: Fileを開く" gives "F: Fileを開く").
std::string PlainCaption(std::string_view caption);

}  // namespace bex
