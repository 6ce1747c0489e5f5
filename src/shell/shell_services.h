// What every subsystem's window side needs from the program as a whole: the message boxes and
// file dialogs (through the prompter), the status bar, the settings, the start folder, the menu
// items by name and the field captions.  The main window implements it; controllers are handed a
// reference and see nothing else of the window.
#pragma once

#include <QString>
#include <string>
#include <string_view>
#include <vector>

#include "convert/status.h"

class QAction;
class QCursor;
class QMenu;
class QToolButton;
class QWidget;

namespace sk::settings {
class SettingsStore;
struct MainWindowSettings;
}  // namespace sk::settings

namespace sk::shell {

class Prompter;

class ShellServices {
 public:
  virtual ~ShellServices() = default;

  // Message boxes, file dialogs and the desktop (scripted in tests).
  virtual Prompter& prompter() = 0;
  // The parent of dialogs and progress windows.
  virtual QWidget* DialogParent() = 0;

  // The status bar: `ShowHint` writes the hint panel (the last one), `SetStatusText` any panel
  // (0 the caret's line and column, 1 insert/overwrite, 2 the replace count, 3 the hint).
  virtual void ShowHint(const QString& hint) = 0;
  virtual void SetStatusText(int panel, const QString& text) = 0;
  // The mouse cursor over the image areas (kind 1: the first area, 2: the second, else both).
  virtual void SetImageCursor(int kind, const QCursor& cursor) = 0;

  // The settings store, open for the whole run, and the root key's values while the program runs.
  virtual settings::SettingsStore& reg() = 0;
  virtual settings::MainWindowSettings& conf() = 0;
  // The folder the program was started in, ending in '/'.
  virtual const QString& start_dir() const = 0;
  // The five field captions (category, title, subtitle, date, image file), CP932.
  virtual const std::vector<std::string>& field_captions() const = 0;

  // Menu items, submenus and toolbar buttons by name; nullptr when there is none.
  virtual QAction* Action(std::string_view name) const = 0;
  virtual QMenu* Menu(std::string_view name) const = 0;
  virtual QToolButton* ToolButton(std::string_view name) const = 0;

  // ---- Helpers over the above ----
  void Message(const QString& text);  // "お知らせ", OK
  bool Ask(const QString& text);      // "お尋ね", Yes/No
  // Shows the message of a failed status; true when it succeeded.
  bool Report(const Status& st);
  // The field captions as UTF-8.
  std::vector<std::string> FieldCaptionsUtf8() const;
};

}  // namespace sk::shell
