// Backups, slimming and renaming from the window.
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QTimer>

#include "app/ui/test_window.h"
#include "shell/busy_progress.h"
#include "browse/ui/navigator.h"
#include "store/check.h"
#include "store/test_util.h"

namespace sk::app::test {
namespace {

const QString kSlimQuestion =
    "ファイルのスリム化|ファイルのスリム化を実行しますか。\n\n"
    "実行すると，ファイルの贅肉が落ちてファイルサイズが小さくなり，処理速度が少し向上します。\n\n"
    "なお，これによってデータの内容が変化することはありません。\n";

class MaintenanceWindowTest : public MainFormTest {
 protected:
  // Six pages titled p1..p6 with pages 2 and 5 deleted.
  QString SixPagesTwoDeleted(const QString& name) {
    QString path = Path(name);
    std::vector<store::test::Page> pages;
    for (int i = 1; i <= 6; ++i)
      pages.push_back({"b", "p" + std::to_string(i), "s", "20240101",
                       "text of page " + std::to_string(i) + "\r\nsecond line", "", ""});
    store::test::MakePageFile(path.toStdString(), pages);
    store::Table t;
    EXPECT_TRUE(t.Open(path.toStdString(), store::PageFileOptions()).ok());
    for (uint32_t n : {2u, 5u}) {
      EXPECT_TRUE(t.GotoBookmark(n).ok());
      EXPECT_TRUE(t.Delete().ok());
    }
    EXPECT_TRUE(t.Close().ok());
    return path;
  }
  void Show(int recno) {
    ASSERT_TRUE(NavOf().GotoRecNo(recno));
    NavOf().AfterMove(true, true);
  }
  QObject timers_owner_;  // owns a test's timers
  std::vector<std::string> FolderListing() {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir_.path().toStdString()))
      names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
};

// The page on show stays on show under its new number, in the same order; the files are checked
// clean and nothing temporary is left.
TEST_F(MaintenanceWindowTest, SlimmingShowsTheSamePageUnderItsNewNumber) {
  struct Case {
    int shown, now;
    const char* title;
  } cases[] = {{6, 4, "p6"}, {4, 3, "p4"}, {1, 1, "p1"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.shown);
    QString path = SixPagesTwoDeleted(QString("Six%1.dbf").arg(c.shown));
    TSDIAppForm& f = Start({path});
    ASSERT_TRUE(f.FileIsOpen());
    Trigger("TOrderItem");
    Show(c.shown);
    const QString caption = f.windowTitle();
    prompter_.shown.clear();
    prompter_.answers.push_back(true);
    Trigger("SlimItem");
    ASSERT_EQ(prompter_.shown.size(), 1u) << prompter_.shown.back().toStdString();
    EXPECT_EQ(prompter_.shown[0], kSlimQuestion);
    EXPECT_EQ(f.session().table().RecordCount(), 4u);
    EXPECT_EQ(f.session().table().RecNo(), c.now);
    EXPECT_EQ(f.TitleEdit->text().toStdString(), c.title);
    EXPECT_EQ(f.RecNoLabel->text(), QString("%1 ").arg(c.now));
    EXPECT_EQ(f.session().table().IndexName(), "T");
    EXPECT_TRUE(f.Action("TOrderItem")->isChecked());
    EXPECT_EQ(f.windowTitle(), caption);
    EXPECT_EQ(f.StatusPanels[3]->text(),
              "スリム化しました: 4 ページを残し、削除済みの 2 ページを除きました。");
    Stop();
    EXPECT_TRUE(store::CheckTableFiles(path.toStdString()).empty());
    for (const std::string& n : FolderListing()) EXPECT_NE(n.rfind("temp", 0), 0u) << n;
    // Reopened later, the file comes back on the same page.
    Start({path});
    EXPECT_EQ(form_->session().table().RecNo(), c.now);
    Stop();
  }
}

// The open count and an old index slim the file for real once the user agrees.
TEST_F(MaintenanceWindowTest, OpenCountSlimsTheFile) {
  QString path = SixPagesTwoDeleted("Count.dbf");
  {
    settings::SettingsStore s = Store();
    s.OpenKey(settings::PerFileKeyPath("Count.dbf"), true);
    s.WriteInteger("OpenCount", 11);
    ASSERT_TRUE(s.Sync().ok());
  }
  prompter_.answers.push_back(true);
  TSDIAppForm& f = Start({path});
  ASSERT_TRUE(f.FileIsOpen());
  EXPECT_EQ(f.session().table().RecordCount(), 4u);
  EXPECT_EQ(f.TitleEdit->text(), "p1");
  Stop();
  settings::SettingsStore s = Store();
  s.OpenKey(settings::PerFileKeyPath("Count.dbf"), false);
  EXPECT_EQ(s.ReadInteger("OpenCount", -1), 0);
}

// Each open and save of a changed file takes a backup into the next slot (an unchanged one
// keeps its newest backup); a backup that cannot be written is told once and the file opens all
// the same.
TEST_F(MaintenanceWindowTest, BackupsAtOpenAndSaveAndAFailureToldOnce) {
  QString path = SixPagesTwoDeleted("Diary.dbf");
  TSDIAppForm& f = Start({path});
  ASSERT_TRUE(f.FileIsOpen());
  const std::string backup = Path("BackUp").toStdString();
  Trigger("SaveItem");
  EXPECT_TRUE(fs::exists(backup + "/Diary.DBF1"));
  EXPECT_FALSE(fs::exists(backup + "/Diary.DBF2")) << "nothing changed since the open";
  f.TitleEdit->setText("changed");
  Trigger("SaveItem");
  for (const char* n : {"Diary.DBF1", "Diary.DBT1", "Diary.MDX1", "Diary.DBF2"})
    EXPECT_TRUE(fs::exists(backup + "/" + n)) << n;
  EXPECT_FALSE(fs::exists(backup + "/Diary.DBF3"));
  Trigger("SaveCloseItem");

  // The backup folder's name taken by a file: no backup can be made.
  fs::remove_all(backup);
  store::test::WriteBytes(backup, "not a folder");
  prompter_.shown.clear();
  prompter_.files.push_back(path);
  Trigger("OpenItem");
  EXPECT_TRUE(f.FileIsOpen());
  ASSERT_EQ(prompter_.shown.size(), 1u);
  EXPECT_TRUE(prompter_.shown[0].contains("バックアップを作れませんでした"))
      << prompter_.shown[0].toStdString();
  EXPECT_TRUE(prompter_.shown[0].contains(path));
  Trigger("SaveItem");
  EXPECT_EQ(prompter_.shown.size(), 1u);
  EXPECT_TRUE(f.FileIsOpen());
}

// Cancels the first progress dialog whose text has `label`, as a user would press its button.
void CancelProgress(QObject* owner, const QString& label) {
  auto* timer = new QTimer(owner);
  QObject::connect(timer, &QTimer::timeout, timer, [timer, label] {
    for (QWidget* w : QApplication::topLevelWidgets()) {
      auto* d = qobject_cast<QProgressDialog*>(w);
      if (d && d->isVisible() && d->labelText().contains(label)) {
        d->cancel();
        timer->stop();
      }
    }
  });
  timer->start(0);
}

class ProgressAtOnce : public MaintenanceWindowTest {
 protected:
  void SetUp() override {
    MaintenanceWindowTest::SetUp();
    shell::BusyProgress::SetShowAfterMs(0);
  }
  void TearDown() override {
    shell::BusyProgress::SetShowAfterMs(500);
    MaintenanceWindowTest::TearDown();
  }
  std::string Files(const QString& dbf) {
    std::string all;
    for (const char* ext : {"dbf", "dbt", "mdx"})
      all += store::test::ReadBytes(store::SiblingPath(dbf.toStdString(), ext)) + "|";
    return all;
  }
};

// The backup at open shows its progress; cancelled, it is told once, no slot is taken, and the
// file opens.
TEST_F(ProgressAtOnce, CancelledBackupIsToldOnceAndTheFileOpens) {
  QString path = Path("Big.dbf");
  store::test::MakePageFile(path.toStdString(),
                            {{"b", "small", "", "20240101", "text", "", ""},
                             {"b", "big", "", "20240102", std::string(3 << 20, 'x'), "", ""}});
  CancelProgress(&timers_owner_, QStringLiteral("バックアップ"));
  TSDIAppForm& f = Start({path});
  EXPECT_TRUE(f.FileIsOpen());
  EXPECT_EQ(f.TitleEdit->text(), "small");
  ASSERT_EQ(prompter_.shown.size(), 1u);
  EXPECT_TRUE(prompter_.shown[0].contains("バックアップを取り消しました"))
      << prompter_.shown[0].toStdString();
  for (const auto& e : fs::directory_iterator(Path("BackUp").toStdString()))
    ADD_FAILURE() << "left in the backup folder: " << e.path().filename();
  // The next open copies it.
  Trigger("SaveItem");
  EXPECT_TRUE(fs::exists(Path("BackUp/Big.DBT1").toStdString()));
  EXPECT_EQ(prompter_.shown.size(), 1u);
}

// An index rebuilt at open shows its progress; cancelled, nothing is opened and the files stay
// byte for byte; opened again, the index is rebuilt.
TEST_F(ProgressAtOnce, IndexRebuildAtOpenCanBeCancelled) {
  QString path = SixPagesTwoDeleted("Lost.dbf");
  fs::remove(store::SiblingPath(path.toStdString(), "mdx"));
  const std::string before = Files(path);
  CancelProgress(&timers_owner_, QStringLiteral("索引"));
  TSDIAppForm& f = Start({path});
  EXPECT_FALSE(f.FileIsOpen());
  EXPECT_EQ(Files(path), before);
  EXPECT_TRUE(prompter_.shown.empty()) << prompter_.shown[0].toStdString();
  prompter_.files.push_back(path);
  Trigger("OpenItem");
  ASSERT_TRUE(f.FileIsOpen());
  EXPECT_EQ(f.TitleEdit->text(), "p1");
  EXPECT_TRUE(fs::exists(store::SiblingPath(path.toStdString(), "mdx")));
}

// Renaming into another folder keeps the page, the caret and the order; a name that exists is
// refused and the file stays as it was.
TEST_F(MaintenanceWindowTest, RenameKeepsThePageAndRefusesAnExistingName) {
  QString path = SixPagesTwoDeleted("Old.dbf");
  QDir().mkpath(Path("moved"));
  TSDIAppForm& f = Start({path});
  ASSERT_TRUE(f.FileIsOpen());
  Trigger("TOrderItem");
  Show(3);
  f.TextMemo->SetSelStart(5);
  f.TextMemo->SetSelLength(2);
  const QString target = Path("moved/New.dbf");
  ExchangeOf().SetLastExportKindForTest(1);  // a text export ran before
  prompter_.files.push_back(target);
  Trigger("RenameItem");
  EXPECT_EQ(prompter_.last_title, "変更後のファイル名");
  EXPECT_EQ(f.session().Path(), target);
  // The file is the same one under a new name: F5 still repeats the export.
  EXPECT_EQ(ExchangeOf().LastExportKind(), 1);
  f.FileMenuClick();
  EXPECT_TRUE(f.Action("FileOutPutItem")->isEnabled());
  EXPECT_TRUE(f.windowTitle().contains(target)) << f.windowTitle().toStdString();
  EXPECT_EQ(f.session().table().RecNo(), 3);
  EXPECT_EQ(f.TextMemo->SelStart(), 5);
  EXPECT_EQ(f.TextMemo->SelLength(), 2);
  EXPECT_EQ(f.session().table().IndexName(), "T");
  for (const char* ext : {".dbf", ".dbt", ".mdx"}) {
    EXPECT_FALSE(fs::exists(Path("Old").toStdString() + ext)) << ext;
    EXPECT_TRUE(fs::exists(Path("moved/New").toStdString() + ext)) << ext;
  }

  store::test::WriteBytes(Path("Taken.dbf").toStdString(), "someone's file");
  prompter_.shown.clear();
  prompter_.files.push_back(Path("Taken.dbf"));
  Trigger("RenameItem");
  ASSERT_EQ(prompter_.shown.size(), 1u);
  EXPECT_EQ(prompter_.shown[0],
            "お知らせ|Taken.dbf はすでに存在するので，名前の変更はできません。");
  EXPECT_EQ(f.session().Path(), target);
  EXPECT_EQ(f.session().table().RecNo(), 3);
  EXPECT_EQ(store::test::ReadBytes(Path("Taken.dbf").toStdString()), "someone's file");
  Stop();
  EXPECT_TRUE(store::CheckTableFiles(target.toStdString()).empty());
}

}  // namespace
}  // namespace sk::app::test
