#include "store/ui/page_file_keeper.h"

#include <QFileInfo>
#include <algorithm>

#include "browse/ui/navigator.h"
#include "browse/ui/page_selector.h"
#include "editor/ui/text_area.h"
#include "images/ui/image_side.h"
#include "settings/main_settings.h"
#include "shell/busy_progress.h"
#include "shell/page_file_session.h"
#include "shell/prompter.h"
#include "shell/shell_services.h"
#include "store/maintenance.h"

namespace sk::store {

namespace {

std::string Utf8(const QString& s) { return s.toStdString(); }

}  // namespace

PageFileKeeper::PageFileKeeper(shell::ShellServices& shell, shell::PageFileSession& session,
                               browse::Navigator& nav, browse::PageSelector& selector,
                               images::ImageSide& images, editor::TextArea& text,
                               std::unique_ptr<KeeperHost> host)
    : shell_(shell),
      session_(session),
      nav_(nav),
      selector_(selector),
      images_(images),
      text_(text),
      host_(std::move(host)) {}

PageFileKeeper::~PageFileKeeper() = default;

bool PageFileKeeper::ReopenInSameView(const std::string& order, bool filtered) {
  if (!session_.Reopen(order)) {
    host_->ShowNoFile();
    return false;
  }
  selector_.CheckOrderItem();
  if (filtered) {
    bool on = false;
    shell_.Report(selector_.SwitchFilterOn(&on));
  }
  return true;
}

void PageFileKeeper::DoBackUp() {
  const QString& path = session_.Path();
  int slot = 0;
  bool cancelled = false;
  Status st;
  {
    shell::BusyProgress busy(shell_.DialogParent(), QStringLiteral("バックアップを作成中..."));
    st =
        store::DoBackUp(Utf8(path), shell_.conf().BackUpDeapth, &slot, busy.Callback(), &cancelled);
  }
  if (cancelled) {
    // The user asked for it: said once, and the slots keep what they held.
    shell_.Message(path +
                   QStringLiteral(" のバックアップを取り消しました。ファイルはこのまま開きます。"));
    return;
  }
  if (st.ok()) return;
  // Told once per file and run: the file opens all the same, and every open would say it again.
  if (backup_failures_.contains(path)) return;
  backup_failures_.append(path);
  shell_.Message(path +
                 QStringLiteral(" のバックアップを作れませんでした。ファイルはこのまま開きます。") +
                 QStringLiteral("\n\n") + QString::fromStdString(st.message()));
}

void PageFileKeeper::SlimItemClick() {
  if (!session_.IsOpen()) return;
  if (!shell_.prompter().OkCancel(
          QStringLiteral("ファイルのスリム化"),
          QStringLiteral("ファイルのスリム化を実行しますか。\n\n") +
              QStringLiteral("実行すると，ファイルの贅肉が落ちてファイルサイズが小さくなり，処理速"
                             "度が少し向上します。\n\n") +
              QStringLiteral("なお，これによってデータの内容が変化することはありません。\n")))
    return;
  const QString caption = host_->WindowCaption();
  host_->SetWindowCaption(QStringLiteral("ファイルのスリム化実行中"));

  // Leave the page (a new one is written and takes a number), then remember the view.
  store::Table& t = session_.table();
  nav_.BeforeMove();
  const int shown = t.RecNo();
  const std::string order = t.IndexName();
  const bool filtered = t.Filtered();
  selector_.SelectionOff();
  nav_.ResetLink();
  SlimOutcome out;
  bool slimmed = false;
  // A close that fails is shown by the session; the file is not slimmed then.
  if (session_.Close()) {
    Status st;
    {
      shell::BusyProgress busy(shell_.DialogParent(),
                               QStringLiteral("ファイルのスリム化実行中..."));
      st = SlimPageFile(Utf8(session_.Path()), busy.Callback(), &out);
    }
    slimmed = st.ok() && !out.cancelled;
    if (!out.notice.empty()) shell_.Message(QString::fromStdString(out.notice));
    if (!st.ok()) shell_.prompter().Error(QString::fromStdString(st.message()));
  }

  // The page file, slimmed or as it was, is opened again with the same order and selection.
  if (!ReopenInSameView(order, filtered)) return;
  // The page that was on show, under its new number.
  int target = shown;
  if (slimmed) {
    nav_.RenumberPages(out.new_number);
    target =
        shown > 0 && size_t(shown) < out.new_number.size() ? int(out.new_number[size_t(shown)]) : 0;
  }
  if (target <= 0 || !nav_.GotoRecNo(target)) shell_.Report(t.First());
  nav_.SetLink();
  nav_.AfterMove(true, true);
  host_->SetWindowCaption(caption);
  if (slimmed) {
    const size_t before = out.new_number.empty() ? 0 : out.new_number.size() - 1;
    shell_.ShowHint(
        QStringLiteral("スリム化しました: %1 ページを残し、削除済みの %2 ページを除きました。")
            .arg(out.pages)
            .arg(qulonglong(before - std::min<size_t>(before, out.pages))));
  }
}

void PageFileKeeper::RenameItemClick() {
  if (!session_.IsOpen()) return;
  shell::FileDialogSpec spec;
  spec.title = QStringLiteral("変更後のファイル名");
  spec.filter = QStringLiteral("DBFﾌｧｲﾙ (*.DBF *.dbf)");
  spec.default_ext = QStringLiteral("dbf");
  spec.folder = session_.Dir();
  if (!QFileInfo(session_.Dir()).isDir()) {
    spec.folder = shell_.start_dir();
    if (spec.folder.size() > 1 && spec.folder.endsWith('/')) spec.folder.chop(1);
  }
  std::optional<QString> chosen = shell_.prompter().SaveFileName(spec);
  if (!chosen || chosen->isEmpty()) return;
  QString path = QFileInfo(*chosen).absoluteFilePath();
  if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".dbf");
  if (QFileInfo::exists(path)) {
    shell_.Message(QFileInfo(path).fileName() +
                   QStringLiteral(" はすでに存在するので，名前の変更はできません。"));
    return;
  }

  store::Table& t = session_.table();
  nav_.BeforeMove();
  const int shown = t.RecNo();
  const int sel_start = text_.SelStart(), sel_length = text_.SelLength();
  const int image_num = images_.ImageNum();
  const std::string order = t.IndexName();
  const bool filtered = t.Filtered();
  selector_.SelectionOff();
  // The close unlinks the header fields without writing them (the page was written on leaving
  // it); a close that fails is shown by the session, and the file keeps its name.
  const bool closed = session_.Close();
  const Status st = closed ? RenamePageFile(Utf8(session_.Path()), Utf8(path)) : Status();
  if (!closed || !st.ok()) {
    // The page file keeps its name; it opens again as it was.
    QString text = session_.Path() + QStringLiteral(" の名前を変更できませんでした。");
    if (!st.ok()) text += QStringLiteral("\n\n") + QString::fromStdString(st.message());
    shell_.Message(text);
  } else {
    session_.SetPath(path);
  }
  // The order and the selection stay as they were.
  if (!ReopenInSameView(order, filtered)) return;
  const bool back = shown > 0 && nav_.GotoRecNo(shown);
  if (!back) shell_.Report(t.First());
  nav_.SetLink();
  if (back) {
    images_.SetRestoreImageNum(image_num);
    nav_.AfterMove(true, false);
    text_.SetSelStart(sel_start);
    text_.SetSelLength(sel_length);
  } else {
    nav_.AfterMove(true, true);
  }
  host_->AfterFileShown();
}

}  // namespace sk::store
