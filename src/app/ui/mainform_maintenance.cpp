// Keeping the open page file: the backup taken before it is opened, slimming and renaming.
#include <QFileInfo>

#include "app/ui/mainform.h"
#include "app/ui/prompter.h"
#include "browse/ui/busy_progress.h"
#include "browse/ui/navigator.h"
#include "browse/ui/page_selector.h"
#include "editor/ui/text_area.h"
#include "store/maintenance.h"

namespace sk::app {

namespace {

std::string Utf8(const QString& s) { return s.toStdString(); }

}  // namespace

bool TSDIAppForm::ReopenInSameView(const std::string& order, bool filtered) {
  if (!OpenMainTable()) {
    ShowNoFile();
    return false;
  }
  if (!order.empty() && !MainTable.SetIndexName(order).ok()) Report(MainTable.SetIndexName(""));
  Selector->CheckOrderItem();
  if (filtered) {
    bool on = false;
    Report(Selector->SwitchFilterOn(&on));
  }
  return true;
}

void TSDIAppForm::DoBackUp() {
  int slot = 0;
  Status st = store::DoBackUp(Utf8(PageFilePath), Conf.BackUpDeapth, &slot);
  if (st.ok()) return;
  // Told once per file and run: the file opens all the same, and every open would say it again.
  if (backup_failures_.contains(PageFilePath)) return;
  backup_failures_.append(PageFilePath);
  Message(PageFilePath +
          QStringLiteral(" のバックアップを作れませんでした。ファイルはこのまま開きます。") +
          QStringLiteral("\n\n") + QString::fromStdString(st.message()));
}

void TSDIAppForm::SlimItemClick() {
  if (!FileIsOpen()) return;
  if (!prompter_.OkCancel(
          QStringLiteral("ファイルのスリム化"),
          QStringLiteral("ファイルのスリム化を実行しますか。\n\n") +
              QStringLiteral("実行すると，ファイルの贅肉が落ちてファイルサイズが小さくなり，処理速"
                             "度が少し向上します。\n\n") +
              QStringLiteral("なお，これによってデータの内容が変化することはありません。\n")))
    return;
  const QString caption = windowTitle();
  setWindowTitle(QStringLiteral("ファイルのスリム化実行中"));

  // Leave the page (a new one is written and takes a number), then remember the view.
  Nav->BeforeMove();
  const int shown = MainTable.RecNo();
  const std::string order = MainTable.IndexName();
  const bool filtered = MainTable.Filtered();
  Selector->SelectionOff();
  Nav->ResetLink();
  FieldsLinked = false;
  Status st = MainTable.Close();
  store::SlimOutcome out;
  if (st.ok()) {
    browse::BusyProgress busy(this, QStringLiteral("ファイルのスリム化実行中..."));
    st = store::SlimPageFile(Utf8(PageFilePath), busy.Callback(), &out);
  }
  const bool slimmed = st.ok() && !out.cancelled;
  if (!out.notice.empty()) Message(QString::fromStdString(out.notice));
  if (!st.ok()) prompter_.Error(QString::fromStdString(st.message()));

  // The page file, slimmed or as it was, is opened again with the same order and selection.
  if (!ReopenInSameView(order, filtered)) return;
  // The page that was on show, under its new number.
  int target = shown;
  if (slimmed) {
    Nav->RenumberPages(out.new_number);
    target =
        shown > 0 && size_t(shown) < out.new_number.size() ? int(out.new_number[size_t(shown)]) : 0;
  }
  if (target <= 0 || !Nav->GotoRecNo(target)) Report(MainTable.First());
  FieldsLinked = true;
  Nav->AfterMove(true, true);
  Nav->SetLink();
  setWindowTitle(caption);
}

void TSDIAppForm::RenameItemClick() {
  if (!FileIsOpen()) return;
  FileDialogSpec spec;
  spec.title = QStringLiteral("変更後のファイル名");
  spec.filter = QStringLiteral("DBFﾌｧｲﾙ (*.DBF *.dbf)");
  spec.default_ext = QStringLiteral("dbf");
  spec.folder = PageFileDir;
  if (!QFileInfo(PageFileDir).isDir()) {
    spec.folder = StartDir;
    if (spec.folder.size() > 1 && spec.folder.endsWith('/')) spec.folder.chop(1);
  }
  std::optional<QString> chosen = prompter_.SaveFileName(spec);
  if (!chosen || chosen->isEmpty()) return;
  QString path = QFileInfo(*chosen).absoluteFilePath();
  if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".dbf");
  if (QFileInfo::exists(path)) {
    Message(QFileInfo(path).fileName() +
            QStringLiteral(" はすでに存在するので，名前の変更はできません。"));
    return;
  }

  Nav->BeforeMove();
  const int shown = MainTable.RecNo();
  const int sel_start = TextMemo->SelStart(), sel_length = TextMemo->SelLength();
  const int image_num = Nav->ImageNum;
  const std::string order = MainTable.IndexName();
  const bool filtered = MainTable.Filtered();
  Selector->SelectionOff();
  FieldsLinked = false;
  Status st = MainTable.Close();
  if (st.ok()) st = store::RenamePageFile(Utf8(PageFilePath), Utf8(path));
  if (!st.ok()) {
    // The page file keeps its name; it opens again as it was.
    Message(PageFilePath + QStringLiteral(" の名前を変更できませんでした。") +
            QStringLiteral("\n\n") + QString::fromStdString(st.message()));
  } else {
    SetPageFilePath(path);
  }
  // The order and the selection stay as they were.
  if (!ReopenInSameView(order, filtered)) return;
  FieldsLinked = true;
  if (shown > 0 && Nav->GotoRecNo(shown)) {
    Nav->RestoreImageNum = image_num;
    Nav->AfterMove(true, false);
    TextMemo->SetSelStart(sel_start);
    TextMemo->SetSelLength(sel_length);
  } else {
    Report(MainTable.First());
    Nav->AfterMove(true, true);
  }
  AfterFileShown();
}

}  // namespace sk::app
