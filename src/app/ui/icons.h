// The program icon and the glyphs of the toolbar buttons, drawn in code so that the program needs
// no image files at run time.  data/icons/sorakumo.svg is the same icon for the desktop.
#pragma once

#include <QIcon>
#include <QString>

namespace sk::app {

QIcon ProgramIcon();
// The short text a toolbar button shows; empty when it shows a standard icon instead.
QString ToolbarGlyph(const QString& button_name);
QIcon ToolbarIcon(const QString& button_name);

}  // namespace sk::app
