// The command table of the main window: the main menu, the three popup menus and the toolbar.
//
// The window builds its QMenus, QActions and toolbar buttons from these rows, so that the names,
// captions, shortcuts and handlers live in one place and can be checked without a display. Captions
// are UTF-8 as the window shows them before any run-time change (see captions.h for the changes).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace sk::app {

enum class MenuRoot { Main, TextPopup, ImageAPopup, ImageBPopup };

struct MenuItemDef {
  const char* name;  // object name of the item, e.g. "OpenItem"
  const char*
      parent;  // the submenu it sits in ("FileMenu"), "" for a top-level menu or a popup item
  const char* caption;  // UTF-8, with "&" marking the accelerator
  const char*
      shortcut;         // QKeySequence portable text ("Ctrl+O", "Alt+Shift+Backspace"); "" for none
  const char* handler;  // the main window slot that runs the command
  const char* hint;     // status-bar explanation
  bool file_dependent;  // disabled while no page file is open
  bool separator_before;  // a separator line above this item within its menu
  const char* group;      // "" or the name of an exclusive check group within the same root
};

// The items of one root in display order; a submenu's row comes before its children.
const std::vector<MenuItemDef>& MenuItems(MenuRoot root);

struct ToolButtonDef {
  const char* name;
  const char* words;    // the hint without its key
  const char* handler;  // the main window slot that runs the command
  const char* command;  // the menu item of the same command, whose shortcut the hint names; ""
};

// The toolbar buttons, left to right.
const std::vector<ToolButtonDef>& ToolbarButtons();

// The item of that name in any root, or nullptr.
const MenuItemDef* FindMenuItem(std::string_view name);

// A hint that names a key: the words followed by " (" + the item's shortcut + ")", or the words
// alone when the item has no shortcut.  The key always comes from the command table.
std::string KeyHint(std::string_view words, std::string_view item);
// The hint of a toolbar button: its words and the shortcut of its command.
std::string ToolButtonHint(const ToolButtonDef& button);

}  // namespace sk::app
