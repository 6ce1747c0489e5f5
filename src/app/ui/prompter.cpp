#include "app/ui/prompter.h"

#include <QColorDialog>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QUrl>

namespace sk::app {

void QtPrompter::Inform(const QString& caption, const QString& text) {
  QMessageBox::information(parent_, caption, text);
}

bool QtPrompter::YesNo(const QString& caption, const QString& text) {
  return QMessageBox::question(parent_, caption, text, QMessageBox::Yes | QMessageBox::No,
                               QMessageBox::Yes) == QMessageBox::Yes;
}

bool QtPrompter::OkCancel(const QString& caption, const QString& text) {
  return QMessageBox::question(parent_, caption, text, QMessageBox::Ok | QMessageBox::Cancel,
                               QMessageBox::Ok) == QMessageBox::Ok;
}

void QtPrompter::Error(const QString& text) {
  QMessageBox::critical(parent_, QStringLiteral("エラー"), text);
}

void Prompter::ErrorBox(const QString&, const QString& text) { Error(text); }

void QtPrompter::ErrorBox(const QString& caption, const QString& text) {
  QMessageBox::critical(parent_, caption, text);
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
  const QFont chosen = QFontDialog::getFont(&ok, *font, parent_, QStringLiteral("フォント"));
  if (!ok) return false;
  const QColor c = QColorDialog::getColor(*color, parent_, QStringLiteral("文字色"));
  if (!c.isValid()) return false;
  *font = chosen;
  *color = c;
  return true;
}

bool Prompter::RunDialog(QDialog& dialog) { return dialog.exec() == QDialog::Accepted; }

}  // namespace sk::app
