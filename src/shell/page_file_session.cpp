#include "shell/page_file_session.h"

#include <QTimer>
#include <QWidget>

#include "settings/main_settings.h"
#include "settings/settings_store.h"
#include "shell/busy_progress.h"
#include "shell/prompter.h"
#include "shell/shell_services.h"
#include "convert/cp932.h"
#include "store/page_file.h"

namespace sk::shell {

namespace {

std::string Utf8(const QString& s) { return s.toStdString(); }

}  // namespace

PageFileSession::PageFileSession(ShellServices& shell) : shell_(shell) {
  // A repair the engine makes (an index rebuilt at open or while stepping) is told once the
  // command that met it has finished, never from inside the table's own work.
  table_.SetNoticeSink([this](const std::string& notice) {
    QTimer::singleShot(0, shell_.DialogParent(),
                       [this, text = QString::fromStdString(notice)] { shell_.Message(text); });
  });
}

void PageFileSession::SetPath(const QString& path) {
  path_ = path;
  last_accessed_ = path_;
  settings::SettingsStore& reg = shell_.reg();
  reg.OpenKey(settings::kRootKey, true);
  reg.WriteString("DBFileName", cp932::EncodeReplacing(path_));
  reg.CloseKey();
  name_ = QString::fromStdString(store::GetName(Utf8(path_)));
  dir_ = QString::fromStdString(store::GetDir(Utf8(path_)));
  for (const auto& fn : folder_watchers_) fn(dir_);
}

bool PageFileSession::Open() {
  Status st;
  {
    // An index rebuilt at the open shows its progress and may be cancelled: nothing is opened
    // then, and the files stay as they were.
    BusyProgress busy(shell_.DialogParent(), QStringLiteral("索引を作成中..."));
    store::Table::OpenOptions options = store::PageFileOptions();
    options.progress = busy.Callback();
    st = table_.Open(Utf8(path_), options);
  }
  if (table_.OpenCancelled()) {
    shell_.ShowHint(path_ + QStringLiteral(" は開きませんでした (索引の作成を取り消しました)。"));
    return false;
  }
  if (!st.ok()) {
    shell_.Message(
        path_ +
        QStringLiteral("を開くことができません。\n\n存在しないか，または他のアプリケーションで"
                       "すでに開かれているものと思われます。") +
        QStringLiteral("\n\n") + QString::fromStdString(st.message()));
    return false;
  }
  return true;
}

bool PageFileSession::Reopen(const std::string& order) {
  if (!Open()) return false;
  if (!order.empty() && !table_.SetIndexName(order).ok()) shell_.Report(table_.SetIndexName(""));
  return true;
}

bool PageFileSession::Close() {
  fields_linked_ = false;
  Status st = table_.Close();
  if (!st.ok()) shell_.prompter().Error(QString::fromStdString(st.message()));
  return st.ok();
}

}  // namespace sk::shell
