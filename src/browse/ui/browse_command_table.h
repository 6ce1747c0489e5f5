// The page commands of the menus and the toolbar: moving, the history, adding, deleting and
// listing pages, the selection and the display order.
#pragma once

namespace sk::shell {
class CommandTable;
}

namespace sk::browse {

class Navigator;
class PageSelector;

void AddBrowseCommands(shell::CommandTable& table, Navigator& nav, PageSelector& selector);

}  // namespace sk::browse
