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

namespace sk::app {

class CommandControllers;
class Prompter;
class TAboutBox;
namespace test {
class MainFormTest;
}

class TSDIAppForm : public QMainWindow {
  Q_OBJECT

 public:
  // args: the command-line arguments after the program name.
  TSDIAppForm(Prompter& prompter, QStringList args, QWidget* parent = nullptr);
  ~TSDIAppForm() override;

  // Message helpers used by every command.
  void Message(const QString& text);  // "お知らせ", OK
  bool Ask(const QString& text);      // "お尋ね", Yes/No
  Prompter& prompter() { return prompter_; }

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
  void SetCursor(int kind, const QCursor& cursor);
  void ShowHint(const QString& hint);

  // Menu state and captions.
  void SetMenuEnabled(bool enabled);
  void SetCaption();
  void SetCaptionIzonKomoku();
  void FileMenuClick();
  void EditMenuClick();
  void TextPopupMenuPopup();
  // The five field captions as UTF-8 (FieldCaptions holds CP932).
  std::vector<std::string> FieldCaptionsUtf8() const;
  // Shows the message of a failed status; true when it succeeded.
  bool Report(const Status& st);
  QAction* Action(std::string_view name) const;  // any menu item by name, nullptr if none
  QToolButton* ToolButton(std::string_view name) const;
  QMenu* Menu(std::string_view name) const;  // a submenu or popup menu by name
  // True when the command of that handler ("NextItemClick") does something in this build.
  static bool CommandBuilt(const std::string& handler);

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
  bool CheckOpenFileName(const QString& path, const QString& ext);
  // The checks before a file is written: the extension (none required when ext is empty), the
  // overwrite question when "AskOverWrite" is on, and that the file can be made.  *out is then
  // open beside the target and takes its place when committed.
  bool CheckSaveFileName(const QString& path, const QString& ext, exchange::AsideFile* out);
  bool CheckOverWrite(const QString& path);

  bool FileIsOpen() const { return MainTable.is_open(); }
  // Binds MainTable to PageFilePath and opens it exclusively; tells the user when it cannot.
  bool OpenMainTable();
  // The page file about to be opened, created or renamed becomes the window's and the last used.
  void SetPageFilePath(const QString& path);
  // The caption of the open file; the header fields follow the record again.
  void AfterFileShown();
  // No page file: empty page, file commands off, the base caption.
  void ShowNoFile();

  // ---- Controls ----
  QToolBar* SpeedPanel = nullptr;
  QLabel* MemorialLabel = nullptr;
  std::array<QPushButton*, 4> ReplaceButtons{};
  QLabel* RecNoLabel = nullptr;

  QSplitter* Panel1 = nullptr;  // header row; its four handles are the header splitters
  QWidget* BunruiPanel = nullptr;
  QWidget* TitlePanel = nullptr;
  QWidget* ChoshaPanel = nullptr;
  QWidget* DatePanel = nullptr;
  QWidget* ImagePanel = nullptr;
  std::array<QLabel*, 5> Labels{};  // Label1..Label5
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
  editor::TextArea* TextMemo = nullptr;
  QWidget* Panel3 = nullptr;  // image side
  QScrollArea* Image1Panel = nullptr;
  QScrollArea* Image2Panel = nullptr;

  QStatusBar* StatusBar = nullptr;
  std::array<QLabel*, 4> StatusPanels{};

  QTimer* Timer1 = nullptr;
  QTimer* Timer2 = nullptr;
  QTimer* Timer3 = nullptr;

  QMenu* TextPopupMenu = nullptr;
  QMenu* ImageAPopUpMenu = nullptr;
  QMenu* ImageBPopUpMenu = nullptr;

  TAboutBox* AboutBox = nullptr;

  // ---- Working state ----
  settings::SettingsStore Reg;        // the settings store, open for the whole run
  settings::MainWindowSettings Conf;  // the values of the root key while the program runs
  store::Table MainTable;
  std::unique_ptr<browse::Navigator> Nav;
  std::unique_ptr<browse::PageSelector> Selector;
  std::unique_ptr<store::PageFileKeeper> Keeper;
  std::unique_ptr<images::ImageSide> Images;

  QString PageFilePath;  // real case (file names are case-sensitive here)
  QString PageFileName;
  QString PageFileDir;
  QString StartDir;
  QString LastAccessedDBFileName;  // the page file to offer or reopen
  QString BaseCaption;
  QStringList Args;
  bool FirstRun = false;
  bool OpenWithoutDialog = false;
  bool FirstOpenDone = false;
  bool FieldsLinked = false;
  bool DrawImagesOnMove = true;
  bool ExternalEditorOpen = false;
  bool Activated = false;
  int FocusedArea = 3;
  int LastExportKind = 0;
  bool FusenShown = false;
  std::vector<std::string> FieldCaptions;  // CP932

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
  bool RunBrowseHandler(const std::string& handler);  // mainform_browse.cpp
  static bool BrowseCommandBuilt(const std::string& handler);
  QMenu* MakePopup(const char* name, int root);
  void ShowOpenedFile();
  void WriteSettings();

  Prompter& prompter_;
  // The controllers only the window's commands reach (the editor, the searches, the exchange).
  std::unique_ptr<CommandControllers> commands_;
  friend class test::MainFormTest;  // the widget tests look into them
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
