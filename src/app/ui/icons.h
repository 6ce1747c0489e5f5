// The program icon and the icons of the toolbar buttons.
//
// A toolbar button shows the desktop's icon theme by its freedesktop name (document-open, go-next,
// edit-find, ...); a name the theme lacks, or every name on a machine without a theme, is drawn
// here in code, so the program needs no image files at run time.  Buttons that share a name (the
// four find buttons, the year and image steps, the history) carry a small arrow drawn over the
// icon. data/icons/sorakumo.svg is the program icon for the desktop.
#pragma once

#include <QIcon>
#include <QString>

namespace sk::app {

QIcon ProgramIcon();

// The icon of a toolbar button by the button's object name; a null icon for an unknown name.
QIcon ToolbarIcon(const QString& button_name);
// The freedesktop icon name a toolbar button asks the theme for; empty for an unknown name.
QString ToolbarIconName(const QString& button_name);
// The drawn stand-in for a freedesktop icon name (a null icon for a name not drawn here).
QIcon FallbackIcon(const QString& icon_name);

}  // namespace sk::app
