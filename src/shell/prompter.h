// Every message box, question, input box and file dialog of the program goes through a Prompter,
// so that tests can answer them.  QtPrompter shows the real dialogs.
#pragma once

#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <optional>

class QColor;
class QDialog;
class QFont;
class QUrl;
class QWidget;

namespace sk::shell {

struct FileDialogSpec {
  QString title;        // "オープンするファイル名"
  QString folder;       // initial folder
  QString file_name;    // initial name, may be empty
  QString filter;       // Qt filter text: "DBFﾌｧｲﾙ (*.DBF *.dbf)"
  QString default_ext;  // added when the name has none ("dbf")
};

class Prompter {
 public:
  virtual ~Prompter() = default;
  // An information box with one OK button.
  virtual void Inform(const QString& caption, const QString& text) = 0;
  // Yes/No; true only for Yes.
  virtual bool YesNo(const QString& caption, const QString& text) = 0;
  // OK/Cancel; true only for OK.
  virtual bool OkCancel(const QString& caption, const QString& text) = 0;
  // The standard error box for a failure no command handled.
  virtual void Error(const QString& text) = 0;
  // An error box with its own caption ("入力ミス").
  virtual void ErrorBox(const QString& caption, const QString& text);
  // File dialogs; nullopt when cancelled.
  virtual std::optional<QString> OpenFileName(const FileDialogSpec& spec) = 0;
  virtual std::optional<QString> SaveFileName(const FileDialogSpec& spec) = 0;
  // An open dialog that takes several files; nullopt when cancelled.
  virtual std::optional<QStringList> OpenFileNames(const FileDialogSpec& spec);
  // Opens a file with the desktop's program for it; false when none could be started.
  virtual bool OpenWithDesktop(const QString& path);
  // Opens a web or mailto: address with the desktop's program; false when none could be started.
  virtual bool OpenUrl(const QUrl& url);
  // The font dialog, then the colour: false when cancelled (font and color unchanged).
  virtual bool ChooseFont(QFont* font, QColor* color);
  // A one-line input box; nullopt when cancelled.
  virtual std::optional<QString> Input(const QString& caption, const QString& prompt,
                                       const QString& value) = 0;
  // Shows one of the program's own modal dialogs; true when it closed with OK.  Tests override
  // this to fill in the dialog and press its buttons.
  virtual bool RunDialog(QDialog& dialog);
};

// The font the font dialog starts on for `font`: the installed family its name maps to (the
// stored Japanese names are substitutions) and its size in points.
QFont FontForDialog(const QFont& font);

// QtPrompter's message boxes: at least as wide as their caption.
class MessageBox : public QMessageBox {
 public:
  MessageBox(QMessageBox::Icon icon, const QString& caption, const QString& text,
             QMessageBox::StandardButtons buttons, QWidget* parent = nullptr);
  static int ExecWide(QWidget* parent, QMessageBox::Icon icon, const QString& caption,
                      const QString& text, QMessageBox::StandardButtons buttons,
                      QMessageBox::StandardButton default_button);
};

class QtPrompter : public Prompter {
 public:
  explicit QtPrompter(QWidget* parent = nullptr) : parent_(parent) {}
  void set_parent(QWidget* parent) { parent_ = parent; }
  void Inform(const QString& caption, const QString& text) override;
  bool YesNo(const QString& caption, const QString& text) override;
  bool OkCancel(const QString& caption, const QString& text) override;
  void Error(const QString& text) override;
  void ErrorBox(const QString& caption, const QString& text) override;
  std::optional<QString> OpenFileName(const FileDialogSpec& spec) override;
  std::optional<QString> SaveFileName(const FileDialogSpec& spec) override;
  std::optional<QString> Input(const QString& caption, const QString& prompt,
                               const QString& value) override;
  std::optional<QStringList> OpenFileNames(const FileDialogSpec& spec) override;
  bool OpenWithDesktop(const QString& path) override;
  bool OpenUrl(const QUrl& url) override;
  bool ChooseFont(QFont* font, QColor* color) override;

 private:
  QWidget* parent_;
};

}  // namespace sk::shell
