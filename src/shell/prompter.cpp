#include "shell/prompter.h"

#include <QColorDialog>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGridLayout>
#include <QInputDialog>
#include <QMessageBox>
#include <QSpacerItem>
#include <QUrl>

namespace sk::shell {

QFont FontForDialog(const QFont& font) {
  // A stored name ("ＭＳ 明朝") is no family the dialog lists, and a size in pixels is none in
  // points: either way it would start on its default font.  Give it the family the name maps to
  // and the size in points.
  const QFontInfo info(font);
  QFont f = font;
  f.setFamily(info.family());
  if (f.pointSizeF() <= 0) f.setPointSizeF(info.pointSizeF());
  return f;
}

int MessageBox::ExecWide(QWidget* parent, QMessageBox::Icon icon, const QString& caption,
                         const QString& text, QMessageBox::StandardButtons buttons,
                         QMessageBox::StandardButton default_button) {
  MessageBox box(icon, caption, text, buttons, parent);
  box.setDefaultButton(default_button);
  return box.exec();
}

MessageBox::MessageBox(QMessageBox::Icon icon, const QString& caption, const QString& text,
                       QMessageBox::StandardButtons buttons, QWidget* parent)
    : QMessageBox(icon, caption, text, buttons, parent) {
  // A message box is as wide as its text; a short text under a long caption would leave the
  // window manager only room for "選択さ…".  The caption's width with room for the title bar's
  // buttons is kept as a minimum.
  const int title = QFontMetrics(font()).horizontalAdvance(caption) + 160;
  if (auto* grid = qobject_cast<QGridLayout*>(layout()))
    grid->addItem(new QSpacerItem(title, 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                  grid->rowCount(), 0, 1, grid->columnCount());
}

void QtPrompter::Inform(const QString& caption, const QString& text) {
  MessageBox::ExecWide(parent_, QMessageBox::Information, caption, text, QMessageBox::Ok,
                       QMessageBox::Ok);
}

bool QtPrompter::YesNo(const QString& caption, const QString& text) {
  return MessageBox::ExecWide(parent_, QMessageBox::Question, caption, text,
                              QMessageBox::Yes | QMessageBox::No,
                              QMessageBox::Yes) == QMessageBox::Yes;
}

bool QtPrompter::OkCancel(const QString& caption, const QString& text) {
  return MessageBox::ExecWide(parent_, QMessageBox::Question, caption, text,
                              QMessageBox::Ok | QMessageBox::Cancel,
                              QMessageBox::Ok) == QMessageBox::Ok;
}

void QtPrompter::Error(const QString& text) {
  QMessageBox::critical(parent_, QStringLiteral("エラー"), text);
}

void Prompter::ErrorBox(const QString&, const QString& text) { Error(text); }

void QtPrompter::ErrorBox(const QString& caption, const QString& text) {
  MessageBox::ExecWide(parent_, QMessageBox::Critical, caption, text, QMessageBox::Ok,
                       QMessageBox::Ok);
}

static QFileDialog* MakeDialog(QWidget* parent, const FileDialogSpec& spec) {
  auto* d = new QFileDialog(parent, spec.title, spec.folder, spec.filter);
  d->setDefaultSuffix(spec.default_ext);
  if (!spec.file_name.isEmpty()) d->selectFile(spec.file_name);
  return d;
}

std::optional<QString> QtPrompter::OpenFileName(const FileDialogSpec& spec) {
  std::unique_ptr<QFileDialog> d(MakeDialog(parent_, spec));
  d->setAcceptMode(QFileDialog::AcceptOpen);
  d->setFileMode(QFileDialog::AnyFile);  // a missing name is reported by the command itself
  if (d->exec() != QDialog::Accepted || d->selectedFiles().isEmpty()) return std::nullopt;
  return d->selectedFiles().front();
}

std::optional<QString> QtPrompter::SaveFileName(const FileDialogSpec& spec) {
  std::unique_ptr<QFileDialog> d(MakeDialog(parent_, spec));
  d->setAcceptMode(QFileDialog::AcceptSave);
  // The command asks about replacing a file itself, in its own words.
  d->setOption(QFileDialog::DontConfirmOverwrite, true);
  if (d->exec() != QDialog::Accepted || d->selectedFiles().isEmpty()) return std::nullopt;
  return d->selectedFiles().front();
}

std::optional<QString> QtPrompter::Input(const QString& caption, const QString& prompt,
                                         const QString& value) {
  bool ok = false;
  QString s = QInputDialog::getText(parent_, caption, prompt, QLineEdit::Normal, value, &ok);
  if (!ok) return std::nullopt;
  return s;
}

std::optional<QStringList> Prompter::OpenFileNames(const FileDialogSpec&) { return std::nullopt; }

bool Prompter::OpenWithDesktop(const QString&) { return false; }

std::optional<QStringList> QtPrompter::OpenFileNames(const FileDialogSpec& spec) {
  std::unique_ptr<QFileDialog> d(MakeDialog(parent_, spec));
  d->setAcceptMode(QFileDialog::AcceptOpen);
  d->setFileMode(QFileDialog::ExistingFiles);
  if (d->exec() != QDialog::Accepted || d->selectedFiles().isEmpty()) return std::nullopt;
  return d->selectedFiles();
}

bool QtPrompter::OpenWithDesktop(const QString& path) {
  // A missing file (or the mark of a name not found) has nothing to open it.
  QFileInfo info(path);
  if (path.isEmpty() || !info.exists()) return false;
  return QDesktopServices::openUrl(QUrl::fromLocalFile(info.absoluteFilePath()));
}

bool Prompter::OpenUrl(const QUrl&) { return false; }
bool Prompter::ChooseFont(QFont*, QColor*) { return false; }

bool QtPrompter::OpenUrl(const QUrl& url) { return QDesktopServices::openUrl(url); }

bool QtPrompter::ChooseFont(QFont* font, QColor* color) {
  bool ok = false;
  const QFont start = FontForDialog(*font);
  QFont chosen = QFontDialog::getFont(&ok, start, parent_, QStringLiteral("フォント"));
  if (!ok) return false;
  // The family it started on keeps the name it is stored under.
  if (chosen.family() == start.family()) chosen.setFamily(font->family());
  const QColor c = QColorDialog::getColor(*color, parent_, QStringLiteral("文字色"));
  if (!c.isValid()) return false;
  *font = chosen;
  *color = c;
  return true;
}

bool Prompter::RunDialog(QDialog& dialog) { return dialog.exec() == QDialog::Accepted; }

}  // namespace sk::shell
