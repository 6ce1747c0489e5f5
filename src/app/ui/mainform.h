// The main window: the program's one window, owner of the open page file, the page on show, the
// text area, the image areas, every command and the working state.  Subsystem work lives in
// controllers (browse::Navigator, ...) that the window owns; the handlers here are short.
//
// The method bodies are split by subject: mainform.cpp (construction, start-up, shutdown),
// mainform_layout.cpp (regions, sizes, fonts), mainform_menus.cpp (commands, enabling, captions),
// mainform_file.cpp (open, create, close, save and the file-name checks).
#pragma once

#include <QMainWindow>
#include <QString>
#include <QStringList>
#include <array>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/captions.h"
#include "settings/main_settings.h"
#include "settings/settings_store.h"
#include "shell/command_table.h"
#include "shell/page_file_session.h"
#include "shell/shell_services.h"
#include "store/table.h"

class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QScrollArea;
class QSplitter;
class QStatusBar;
class QTimer;
class QToolBar;
class QToolButton;

namespace sk::editor {
class TextArea;
}  // namespace sk::editor
namespace sk::store {
class PageFileKeeper;
}
namespace sk::exchange {
class AsideFile;
}
namespace sk::images {
class ImageSide;
}
namespace sk::browse {
class Navigator;
class PageSelector;
}  // namespace sk::browse

namespace sk::bench {
class Window;
}
namespace sk::app {

class CommandControllers;
}  // namespace sk::app
namespace sk::shell {
class Prompter;
}  // namespace sk::shell
namespace sk::app {
class TAboutBox;
struct ScreenshotProbe;
namespace test {
class MainFormTest;
}

class TSDIAppForm : public QMainWindow, public shell::ShellServices {
  Q_OBJECT

 public:
  // args: the command-line arguments after the program name.
  TSDIAppForm(shell::Prompter& prompter, QStringList args, QWidget* parent = nullptr);
  ~TSDIAppForm() override;

  // ---- Shell services (shell/shell_services.h) ----
  shell::Prompter& prompter() override { return prompter_; }
  QWidget* DialogParent() override { return this; }
  void ShowHint(const QString& hint) override;
  void SetStatusText(int panel, const QString& text) override;
  void SetImageCursor(int kind, const QCursor& cursor) override;
  settings::SettingsStore& reg() override { return Reg; }
  settings::MainWindowSettings& conf() override { return Conf; }
  const QString& start_dir() const override { return StartDir; }
  const std::vector<std::string>& field_captions() const override { return FieldCaptions; }
  QAction* Action(std::string_view name) const override;
  QMenu* Menu(std::string_view name) const override;  // a submenu or popup menu by name
  QToolButton* ToolButton(std::string_view name) const override;
  // The open page file.
  shell::PageFileSession& session() { return session_; }

  // Start-up, activation, resizing, shutdown.
  void FirstOpen();
  void FirstOpenWhenShown(int tries);
  void FormActivate();
  void FormResize();
  void SplitMoved();
  void FormClose();

  // Layout.
  void MakeImageArea(bool hide_check, bool layout, bool split);
  void SetSmallWindowFont();
  void SetSmallCaptionPanel();

  // Menu state and captions.
  void SetMenuEnabled(bool enabled);
  void SetCaption();
  void SetCaptionIzonKomoku();
  void FileMenuClick();
  void EditMenuClick();
  void TextPopupMenuPopup();
  // True when the command table has the command of that handler ("NextItemClick").
  bool CommandBuilt(const std::string& handler) const { return command_table_.Has(handler); }

  // The text area's look (mainform_layout.cpp, mainform_edit.cpp).
  void SetModeChecks();  // the check marks of the display-mode items
  void ApplyTextFont();  // the text font from the settings

  // File commands and checks.
  void OpenItemClick();
  void OpenBtnClick() { OpenItemClick(); }
  void NewItemClick();
  void SaveCloseItemClick();
  void SaveItemClick();
  void SlimItemClick();
  void RenameItemClick();
  void ExitItemClick();
  void AboutItemClick();

  bool FileIsOpen() const { return session_.IsOpen(); }
  // The caption of the open file; the header fields follow the record again.
  void AfterFileShown();
  // No page file: empty page, file commands off, the base caption.
  void ShowNoFile();
  // The view of the open file kept, the page on show written, the history and the remembered
  // positions forgotten, the file closed (a failure shown).
  void ClosePageFile();

  // ---- Controls ----
  // Built by the window (mainform_layout.cpp, mainform_menus.cpp).  Each controller is handed the
  // ones it drives when it is made (mainform.cpp, command_controllers.cpp, images_host.cpp); the
  // widget tests find them here.
  QToolBar* SpeedPanel = nullptr;  // the toolbar (window; the search adds the replace buttons)
  QLabel* MemorialLabel = nullptr;  // the memorial-day caption (window)
  QLabel* RecNoLabel = nullptr;     // the page number (navigator)

  QSplitter* Panel1 = nullptr;  // header row; its four handles are the header splitters
  QWidget* BunruiPanel = nullptr;
  QWidget* TitlePanel = nullptr;
  QWidget* ChoshaPanel = nullptr;
  QWidget* DatePanel = nullptr;
  QWidget* ImagePanel = nullptr;
  // Label1..Label5, the field captions over the header row (window; Label5 is also the image
  // side's caption).
  std::array<QLabel*, 5> Labels{};
  // The header fields (navigator; the searches select hits in the title and subtitle).
  QComboBox* BunruiComboBox = nullptr;
  QLineEdit* TitleEdit = nullptr;
  QLineEdit* ChoshaEdit = nullptr;
  QWidget* Panel9 = nullptr;  // holds the date box and the calendar button
  QLineEdit* DateEdit = nullptr;
  QToolButton* DateTimePicker = nullptr;
  QLineEdit* ImageFileNameEdit = nullptr;

  QSplitter* Split = nullptr;  // text side | image side
  QWidget* Panel2 = nullptr;   // text side
  QWidget* Panel4 = nullptr;   // left margin strip
  QWidget* Panel5 = nullptr;   // top margin strip
  // The text area (editor, navigator, searches, exchange, keeper, image side).
  editor::TextArea* TextMemo = nullptr;
  QWidget* Panel3 = nullptr;  // image side (window layout; the image side through ImagesHost)
  QScrollArea* Image1Panel = nullptr;  // the two image areas (image side, navigator)
  QScrollArea* Image2Panel = nullptr;

  QStatusBar* StatusBar = nullptr;
  // The status bar's panels, written only through SetStatusText and ShowHint (window).
  std::array<QLabel*, 4> StatusPanels{};

  QMenu* TextPopupMenu = nullptr;
  QMenu* ImageAPopUpMenu = nullptr;
  QMenu* ImageBPopUpMenu = nullptr;

  TAboutBox* AboutBox = nullptr;

 protected:
  bool event(QEvent* e) override;
  void closeEvent(QCloseEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  void showEvent(QShowEvent* e) override;

 private:
  void FormCreate();
  void ConstructRest();
  void BuildRegions();
  void BuildMenus();
  void BuildToolbar();
  void ApplySettings();
  void FitHeaderWidths();
  void ApplyMiddleSkipCaptions();
  void ApplyCaptionChanges(const std::vector<CaptionChange>& changes);
  void RunHandler(const std::string& handler);
  QMenu* MakePopup(const char* name, int root);
  void ShowOpenedFile();
  void WriteSettings();

  shell::Prompter& prompter_;
  settings::SettingsStore Reg;        // the settings store, open for the whole run
  settings::MainWindowSettings Conf;  // the values of the root key while the program runs
  QString StartDir;                   // the folder the program started in, ending in '/'
  std::vector<std::string> FieldCaptions;  // CP932
  QString BaseCaption;
  QStringList Args;
  bool FirstRun = false;
  bool OpenWithoutDialog = false;
  bool FirstOpenDone = false;
  bool Activated = false;

  // The open page file, handed to every controller.
  shell::PageFileSession session_{*this};
  // The controllers, each made with what it uses (mainform.cpp).
  std::unique_ptr<images::ImageSide> Images;
  std::unique_ptr<browse::PageSelector> Selector;
  std::unique_ptr<browse::Navigator> Nav;
  std::unique_ptr<store::PageFileKeeper> Keeper;
  // The controllers only the window's commands reach (the editor, the searches, the exchange).
  std::unique_ptr<CommandControllers> commands_;
  // Every command of the menus, popups and toolbar by handler name.
  shell::CommandTable command_table_;

  friend class CommandControllers;  // makes the editor, the searches and the exchange
  friend class test::MainFormTest;  // the widget tests look into the controllers
  friend class bench::Window;       // so do the benchmarks
  friend struct ScreenshotProbe;    // and the screenshot program
  std::map<std::string, QAction*, std::less<>> actions_;
  std::map<std::string, QMenu*, std::less<>> menus_;
  std::map<std::string, QToolButton*, std::less<>> tool_buttons_;
  bool closed_ = false;
};

// Maps the stored Japanese font names to the Japanese fonts installed here.
void InstallFontSubstitutions();
// Loads Qt's Japanese translations into the application (once).
void InstallJapaneseTranslations();

// CP932 <-> QString for window texts and paths kept in the settings.
QString Q(std::string_view cp932);
std::string B(const QString& text);

}  // namespace sk::app
