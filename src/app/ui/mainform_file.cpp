// Opening, creating, closing and reopening page files, and the file-name checks before a page
// file is opened or an export file written.
#include <sys/file.h>
#include <sys/stat.h>

#include <QComboBox>
#include <QDate>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>

#include "app/shell_logic.h"
#include "app/ui/about_box.h"
#include "app/ui/command_controllers.h"
#include "app/ui/mainform.h"
#include "shell/file_checks.h"
#include "shell/prompter.h"
#include "shell/busy_progress.h"
#include "browse/ui/navigator.h"
#include "editor/ui/text_area.h"
#include "exchange/export_run.h"
#include "exchange/ui/exchange_controller.h"
#include "images/ui/image_side.h"
#include "store/page_file.h"
#include "store/ui/page_file_keeper.h"

namespace sk::app {

namespace {

std::string Utf8(const QString& s) { return s.toStdString(); }

// The dialog's starting point: the last page file when it still exists, else the start folder.
shell::FileDialogSpec DialogFor(TSDIAppForm& f, const QString& title, bool with_name) {
  shell::FileDialogSpec spec;
  spec.title = title;
  spec.filter = QStringLiteral("DBFﾌｧｲﾙ (*.DBF *.dbf)");
  spec.default_ext = QStringLiteral("dbf");
  QFileInfo last(f.session().LastAccessed());
  if (!f.session().LastAccessed().isEmpty() && last.exists()) {
    spec.folder = last.absolutePath();
    if (with_name) spec.file_name = last.fileName();
  } else {
    spec.folder = f.start_dir();
    if (spec.folder.size() > 1 && spec.folder.endsWith('/')) spec.folder.chop(1);
  }
  return spec;
}

}  // namespace

// An existing page file just opened: commands, captions, categories, its view state and page.
void TSDIAppForm::ShowOpenedFile() {
  SetMenuEnabled(true);
  SetCaption();
  Nav->SetBunrui(true);
  Nav->SetViewConditionBeforeOpen();
  AfterFileShown();
  Nav->GetShiori();
}

void TSDIAppForm::AfterFileShown() {
  setWindowTitle(QString::fromStdString(WindowCaption(Utf8(BaseCaption), Utf8(session_.Path()))));
  Nav->SetLink();
}

void TSDIAppForm::OpenItemClick() {
  QString path;
  if (OpenWithoutDialog) {
    OpenWithoutDialog = false;
    path = session_.LastAccessed();
  } else {
    std::optional<QString> chosen =
        prompter_.OpenFileName(DialogFor(*this, QStringLiteral("オープンするファイル名"), true));
    if (!chosen) return;
    path = *chosen;
  }
  if (!path.isEmpty()) path = QFileInfo(path).absoluteFilePath();
  if (!shell::CheckOpenFileName(*this, path, QStringLiteral("dbf"))) return;
  if (FileIsOpen()) SaveCloseItemClick();

  session_.SetPath(path);
  commands_->Exchange().ForgetLastExport();
  if (Conf.BackUp) Keeper->DoBackUp();

  if (!session_.Open()) return;
  ShowOpenedFile();

  // A file whose index keys were not upper-cased is an old one: offer to slim it now.
  std::string expr = session_.table().FirstTagExpression();
  if (!expr.empty() && (expr[0] & ~0x20) != 'U') SlimItemClick();

  Reg.OpenKey(settings::PerFileKeyPath(B(session_.Name())), true);
  int count = Reg.ReadInteger("OpenCount", 0);
  Reg.CloseKey();
  if (Conf.OpenCountOfFileSlim < count) {
    SlimItemClick();
    count = 0;
  } else {
    ++count;
  }
  Reg.OpenKey(settings::PerFileKeyPath(B(session_.Name())), true);
  Reg.WriteInteger("OpenCount", count);
  Reg.CloseKey();
  // What a file open stored (last file, count, captions) goes to disk now, not only at exit.
  Status st = Reg.Sync();
  if (!st.ok()) Message(QString::fromStdString(st.message()));
}

void TSDIAppForm::NewItemClick() {
  std::optional<QString> chosen =
      prompter_.SaveFileName(DialogFor(*this, QStringLiteral("作成するファイル名"), false));
  if (!chosen || chosen->isEmpty()) return;
  QString path = QFileInfo(*chosen).absoluteFilePath();
  if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".dbf");
  if (!shell::CheckOverWrite(*this, path)) return;
  if (FileIsOpen()) SaveCloseItemClick();

  session_.SetPath(path);
  commands_->Exchange().ForgetLastExport();

  Status st = store::CreatePageFile(Utf8(session_.Path()));
  if (!st.ok()) {
    Message(session_.Path() + QStringLiteral(" を作成できません。\n\n") +
            QString::fromStdString(st.message()));
    return;
  }
  if (!session_.Open()) return;
  SetMenuEnabled(true);
  SetCaption();
  if (QAction* a = Action("PageOrderItem")) a->setChecked(true);
  Nav->SetBunrui(false);
  Nav->StartNewFile();
  AfterFileShown();
}

void TSDIAppForm::SaveCloseItemClick() {
  if (!FileIsOpen()) return;
  ClosePageFile();
  ShowNoFile();
}

void TSDIAppForm::ClosePageFile() {
  Nav->SaveViewConditionBeforeClose();
  Nav->MainTablePost();
  Nav->ResetBookmarkList();
  Nav->ResetRecNoList();
  Nav->SaveShiori();
  session_.Close();
}

void TSDIAppForm::ShowNoFile() {
  Nav->ResetLink();
  Nav->ClearPage();
  SetMenuEnabled(false);
  setWindowTitle(BaseCaption);
}

void TSDIAppForm::SaveItemClick() {
  if (!FileIsOpen()) return;
  SaveCloseItemClick();
  if (FileIsOpen()) return;  // the close failed; the file stays as it was
  if (Conf.BackUp) Keeper->DoBackUp();
  if (!session_.Open()) return;
  ShowOpenedFile();
}

void TSDIAppForm::SlimItemClick() { Keeper->SlimItemClick(); }

void TSDIAppForm::RenameItemClick() { Keeper->RenameItemClick(); }

void TSDIAppForm::ExitItemClick() {
  Nav->SaveShiori();
  close();
}

void TSDIAppForm::AboutItemClick() { AboutBox->exec(); }

}  // namespace sk::app
