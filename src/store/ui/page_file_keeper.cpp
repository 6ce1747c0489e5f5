#include "store/ui/page_file_keeper.h"

#include <QFileInfo>
#include <QLabel>

#include "app/ui/mainform.h"
#include "shell/prompter.h"
#include "shell/busy_progress.h"
#include "browse/ui/navigator.h"
#include "browse/ui/page_selector.h"
#include "editor/ui/text_area.h"
#include "images/ui/image_side.h"
#include "store/maintenance.h"

namespace sk::store {

namespace {

std::string Utf8(const QString& s) { return s.toStdString(); }

}  // namespace

PageFileKeeper::PageFileKeeper(app::TSDIAppForm& form) : f_(form) {}

bool PageFileKeeper::ReopenInSameView(const std::string& order, bool filtered) {
  if (!f_.OpenMainTable()) {
    f_.ShowNoFile();
    return false;
  }
  if (!order.empty() && !f_.MainTable.SetIndexName(order).ok())
    f_.Report(f_.MainTable.SetIndexName(""));
  f_.Selector->CheckOrderItem();
  if (filtered) {
    bool on = false;
    f_.Report(f_.Selector->SwitchFilterOn(&on));
  }
  return true;
}

void PageFileKeeper::DoBackUp() {
  int slot = 0;
  bool cancelled = false;
  Status st;
  {
    shell::BusyProgress busy(&f_, QStringLiteral("バックアップを作成中..."));
    st = store::DoBackUp(Utf8(f_.PageFilePath), f_.Conf.BackUpDeapth, &slot, busy.Callback(),
                         &cancelled);
  }
  if (cancelled) {
    // The user asked for it: said once, and the slots keep what they held.
    f_.Message(f_.PageFilePath +
               QStringLiteral(" のバックアップを取り消しました。ファイルはこのまま開きます。"));
    return;
  }
  if (st.ok()) return;
  // Told once per file and run: the file opens all the same, and every open would say it again.
  if (backup_failures_.contains(f_.PageFilePath)) return;
  backup_failures_.append(f_.PageFilePath);
  f_.Message(f_.PageFilePath +
             QStringLiteral(" のバックアップを作れませんでした。ファイルはこのまま開きます。") +
             QStringLiteral("\n\n") + QString::fromStdString(st.message()));
}

void PageFileKeeper::SlimItemClick() {
  if (!f_.FileIsOpen()) return;
  if (!f_.prompter().OkCancel(
          QStringLiteral("ファイルのスリム化"),
          QStringLiteral("ファイルのスリム化を実行しますか。\n\n") +
              QStringLiteral("実行すると，ファイルの贅肉が落ちてファイルサイズが小さくなり，処理速"
                             "度が少し向上します。\n\n") +
              QStringLiteral("なお，これによってデータの内容が変化することはありません。\n")))
    return;
  const QString caption = f_.windowTitle();
  f_.setWindowTitle(QStringLiteral("ファイルのスリム化実行中"));

  // Leave the page (a new one is written and takes a number), then remember the view.
  f_.Nav->BeforeMove();
  const int shown = f_.MainTable.RecNo();
  const std::string order = f_.MainTable.IndexName();
  const bool filtered = f_.MainTable.Filtered();
  f_.Selector->SelectionOff();
  f_.Nav->ResetLink();
  f_.FieldsLinked = false;
  Status st = f_.MainTable.Close();
  SlimOutcome out;
  if (st.ok()) {
    shell::BusyProgress busy(&f_, QStringLiteral("ファイルのスリム化実行中..."));
    st = SlimPageFile(Utf8(f_.PageFilePath), busy.Callback(), &out);
  }
  const bool slimmed = st.ok() && !out.cancelled;
  if (!out.notice.empty()) f_.Message(QString::fromStdString(out.notice));
  if (!st.ok()) f_.prompter().Error(QString::fromStdString(st.message()));

  // The page file, slimmed or as it was, is opened again with the same order and selection.
  if (!ReopenInSameView(order, filtered)) return;
  // The page that was on show, under its new number.
  int target = shown;
  if (slimmed) {
    f_.Nav->RenumberPages(out.new_number);
    target =
        shown > 0 && size_t(shown) < out.new_number.size() ? int(out.new_number[size_t(shown)]) : 0;
  }
  if (target <= 0 || !f_.Nav->GotoRecNo(target)) f_.Report(f_.MainTable.First());
  f_.FieldsLinked = true;
  f_.Nav->AfterMove(true, true);
  f_.Nav->SetLink();
  f_.setWindowTitle(caption);
  if (slimmed) {
    const size_t before = out.new_number.empty() ? 0 : out.new_number.size() - 1;
    f_.ShowHint(
        QStringLiteral("スリム化しました: %1 ページを残し、削除済みの %2 ページを除きました。")
            .arg(out.pages)
            .arg(qulonglong(before - std::min<size_t>(before, out.pages))));
  }
}

void PageFileKeeper::RenameItemClick() {
  if (!f_.FileIsOpen()) return;
  shell::FileDialogSpec spec;
  spec.title = QStringLiteral("変更後のファイル名");
  spec.filter = QStringLiteral("DBFﾌｧｲﾙ (*.DBF *.dbf)");
  spec.default_ext = QStringLiteral("dbf");
  spec.folder = f_.PageFileDir;
  if (!QFileInfo(f_.PageFileDir).isDir()) {
    spec.folder = f_.StartDir;
    if (spec.folder.size() > 1 && spec.folder.endsWith('/')) spec.folder.chop(1);
  }
  std::optional<QString> chosen = f_.prompter().SaveFileName(spec);
  if (!chosen || chosen->isEmpty()) return;
  QString path = QFileInfo(*chosen).absoluteFilePath();
  if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".dbf");
  if (QFileInfo::exists(path)) {
    f_.Message(QFileInfo(path).fileName() +
               QStringLiteral(" はすでに存在するので，名前の変更はできません。"));
    return;
  }

  f_.Nav->BeforeMove();
  const int shown = f_.MainTable.RecNo();
  const int sel_start = f_.TextMemo->SelStart(), sel_length = f_.TextMemo->SelLength();
  const int image_num = f_.Images->ImageNum;
  const std::string order = f_.MainTable.IndexName();
  const bool filtered = f_.MainTable.Filtered();
  f_.Selector->SelectionOff();
  f_.FieldsLinked = false;
  Status st = f_.MainTable.Close();
  if (st.ok()) st = RenamePageFile(Utf8(f_.PageFilePath), Utf8(path));
  if (!st.ok()) {
    // The page file keeps its name; it opens again as it was.
    f_.Message(f_.PageFilePath + QStringLiteral(" の名前を変更できませんでした。") +
               QStringLiteral("\n\n") + QString::fromStdString(st.message()));
  } else {
    f_.SetPageFilePath(path);
  }
  // The order and the selection stay as they were.
  if (!ReopenInSameView(order, filtered)) return;
  f_.FieldsLinked = true;
  if (shown > 0 && f_.Nav->GotoRecNo(shown)) {
    f_.Images->RestoreImageNum = image_num;
    f_.Nav->AfterMove(true, false);
    f_.TextMemo->SetSelStart(sel_start);
    f_.TextMemo->SetSelLength(sel_length);
  } else {
    f_.Report(f_.MainTable.First());
    f_.Nav->AfterMove(true, true);
  }
  f_.AfterFileShown();
}

}  // namespace sk::store
