#include "shell/file_checks.h"

#include <QFile>
#include <QFileInfo>

#include "app/shell_logic.h"
#include "exchange/export_run.h"
#include "settings/main_settings.h"
#include "shell/shell_services.h"

namespace sk::shell {

namespace {

std::string Utf8(const QString& s) { return s.toStdString(); }

}  // namespace

bool CheckOverWrite(ShellServices& shell, const QString& path) {
  if (!QFileInfo::exists(path)) return true;
  return shell.Ask(QStringLiteral("同名のファイルが存在します。上書きしますか？"));
}

bool CheckOpenFileName(ShellServices& shell, const QString& path, const QString& ext) {
  if (!app::HasExtension(Utf8(path), Utf8(ext))) {
    shell.Message(
        QStringLiteral("拡張子が \"%1\" でないので，オープンできません。").arg(ext.toLower()));
    return false;
  }
  // Readable, a regular dBASE file, and not held by another program (an open page file keeps a
  // lock); the message names the real cause after the usual words.
  std::string why = app::WhyNotOpenable(QFile::encodeName(path).toStdString());
  if (!why.empty()) {
    shell.Message(path +
                  QStringLiteral(" を開くことができません。\n\nすでに開かれているか，または存在し"
                                 "ないものと思われます。") +
                  QStringLiteral("\n\n") + QString::fromStdString(why));
    return false;
  }
  return true;
}

bool CheckSaveFileName(ShellServices& shell, const QString& path, const QString& ext,
                       exchange::AsideFile* out) {
  if (!app::HasExtension(Utf8(path), Utf8(ext))) {
    shell.Message(
        QStringLiteral("拡張子が \"%1\" でないので，書き込めません。").arg(ext.toLower()));
    return false;
  }
  if (shell.conf().AskOverWrite && !CheckOverWrite(shell, path)) return false;
  const std::string target =
      path.isEmpty() ? std::string()
                     : QFile::encodeName(QFileInfo(path).absoluteFilePath()).toStdString();
  if (!out->Open(target).ok()) {
    shell.Message(QStringLiteral("指定されたファイルが開けません。\n\n") +
                  QStringLiteral("他のアプリケーションで開かれているか，書き込み禁止ファイルです。"));
    return false;
  }
  return true;
}

}  // namespace sk::shell
