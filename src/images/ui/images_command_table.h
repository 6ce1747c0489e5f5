// The image commands of the menus, the popups and the toolbar: the display mode, moving through
// the page's image list, adding, editing, removing and saving the linked files, the viewer.
#pragma once

namespace sk::shell {
class CommandTable;
}

namespace sk::images {

class ImageSide;

void AddImageCommands(shell::CommandTable& table, ImageSide& images);

}  // namespace sk::images
