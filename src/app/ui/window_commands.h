// The window's own commands, added to the command table (shell/command_table.h) beside those of
// the subsystems: the file commands, and the text commands, which reach the text area's editor
// and the title and subtitle boxes.
#pragma once

namespace sk::shell {
class CommandTable;
}
namespace sk::editor {
class TextEditor;
}
namespace sk::browse {
class Navigator;
}

namespace sk::app {

class TSDIAppForm;

// Open, create, save, close, slim, rename, exit, about (mainform_menus.cpp).
void AddFileCommands(shell::CommandTable& table, TSDIAppForm& f);
// Undo, the clipboard, the display modes, highlighting, the text font (mainform_edit.cpp).
void AddEditCommands(shell::CommandTable& table, TSDIAppForm& f, editor::TextEditor& e,
                     browse::Navigator& nav);
// The conversions and counts of the text (mainform_convert.cpp).
void AddConvertCommands(shell::CommandTable& table, TSDIAppForm& f, editor::TextEditor& e);

}  // namespace sk::app
