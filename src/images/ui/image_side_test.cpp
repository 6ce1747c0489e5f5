// The image side in the window: which names the two areas show, the count caption, moving
// through the list, the display modes, link and missing files, damaged pictures, the refresh,
// and the commands that add, edit, remove, save and open the linked files.
#include "images/ui/image_side.h"

#include <QApplication>
#include <QButtonGroup>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "app/ui/test_window.h"
#include "browse/ui/navigator.h"
#include "images/ui/image_dialogs.h"
#include "images/ui/picture_canvas.h"
#include "store/test_util.h"

namespace sk::app::test {
namespace {

class ImageSideTest : public MainFormTest {
 protected:
  // A page file "Img.dbf" whose pages list the given image fields (UTF-8), in the test folder.
  QString PagesWithImages(const std::vector<std::string>& fields, const QString& name = "Img") {
    std::vector<store::test::Page> pages;
    int i = 0;
    for (const std::string& f : fields)
      pages.push_back({"b", "p" + std::to_string(++i), "", "20240101", "text", J(f.c_str()), ""});
    QString path = Path(name + ".dbf");
    store::test::MakePageFile(path.toStdString(), pages);
    return path;
  }
  void Picture(const QString& name, int w = 40, int h = 30, QColor color = Qt::red,
               const char* format = nullptr) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(color);
    ASSERT_TRUE(img.save(name.startsWith('/') ? name : Path(name), format));
  }
  void Bytes(const QString& name, const QByteArray& data) {
    QFile f(name.startsWith('/') ? name : Path(name));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(data);
  }
  images::ImageSide& I() { return ImagesOf(); }
  images::PictureCanvas* Canvas(int slot) {
    return form_->findChild<images::PictureCanvas*>(slot == 0 ? "Image" : "Image2");
  }
  QString Caption() { return form_->Labels[4]->text(); }
  std::string Field() { return cp932::ToUtf8(form_->session().table().FieldString("IMAGEFILE")); }
  void Show(int recno) {
    ASSERT_TRUE(NavOf().GotoRecNo(recno));
    NavOf().AfterMove(true, true);
  }
};

TEST_F(ImageSideTest, TwoAreasCycleThroughThreeNames) {
  Picture("a.jpg");
  Picture("b.bmp", 30, 20, Qt::green);
  Picture("c.png", 20, 20, Qt::blue);
  TSDIAppForm& f = Start({PagesWithImages({"a.jpg;b.bmp;c.png"})});
  ASSERT_TRUE(f.FileIsOpen());
  EXPECT_EQ(Caption(), "画像ファイル(1,2/3)");
  EXPECT_EQ(f.ImageFileNameEdit->text(), "a.jpg || b.bmp");
  EXPECT_FALSE(Canvas(0)->image().isNull());
  EXPECT_FALSE(Canvas(1)->image().isNull());
  EXPECT_EQ(I().AreaImageWidth(1), 30);
  const char* forward[] = {"(3,1/3)", "(2,3/3)", "(1,2/3)"};
  for (const char* t : forward) {
    Trigger("ToNextImageItem");
    EXPECT_EQ(Caption(), QString("画像ファイル") + t);
  }
  const char* backward[] = {"(2,3/3)", "(3,1/3)", "(1,2/3)"};
  for (const char* t : backward) {
    Trigger("ToPriorImageItem");
    EXPECT_EQ(Caption(), QString("画像ファイル") + t);
  }
  Trigger("ToNextImageItem");
  Trigger("ToFirstImageItem");
  EXPECT_EQ(Caption(), "画像ファイル(1,2/3)");
  EXPECT_EQ(f.ImageFileNameEdit->text(), "a.jpg || b.bmp");
}

TEST_F(ImageSideTest, CountCaptionAndWhatEachAreaShows) {
  Picture("one.jpg");
  Bytes("notes.txt", "memo");
  Picture("photo.bmp");
  TSDIAppForm& f =
      Start({PagesWithImages({"one.jpg", "", "*D:\\p.htm", "gone.jpg;notes.txt",
                              " C:\\old\\photo ; ;", "a.jpg;;b.jpg;", "ONE.JPG;Notes.TXT"})});
  ASSERT_TRUE(f.FileIsOpen());
  // One name, two areas: area 2 stays empty.
  Show(1);
  EXPECT_EQ(Caption(), "画像ファイル(1/1)");
  EXPECT_FALSE(Canvas(0)->image().isNull());
  EXPECT_TRUE(Canvas(1)->image().isNull());
  EXPECT_TRUE(Canvas(1)->lines().isEmpty());
  for (int page : {2, 3}) {
    Show(page);
    EXPECT_EQ(Caption(), "画像ファイル(なし)") << page;
    EXPECT_TRUE(I().ImageList().empty());
  }
  // A missing file and a link file.
  Show(4);
  EXPECT_EQ(Caption(), "画像ファイル(1,2/2)");
  EXPECT_EQ(Canvas(0)->lines(), QStringList({"gone.jpg", "このファイルは存在しません。"}));
  EXPECT_EQ(I().AreaPath(0), ";;gone.jpg");
  // The notice follows the area when it gets smaller (as when the layout settles after a
  // start), without scroll bars.
  f.Image1Panel->resize(f.Image1Panel->width() - 30, f.Image1Panel->height() - 20);
  QApplication::processEvents();
  EXPECT_EQ(Canvas(0)->size(), f.Image1Panel->size());
  EXPECT_EQ(f.Image1Panel->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
  EXPECT_EQ(f.Image1Panel->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
  EXPECT_EQ(f.Image1Panel->statusTip(), "第１画像領域");
  EXPECT_EQ(f.Image2Panel->statusTip(), "第２画像領域");
  EXPECT_EQ(Canvas(1)->lines(), QStringList({"notes.txt", "(ダブルクリック→ファイルを開く)"}));
  EXPECT_EQ(f.ImageFileNameEdit->text(), " || notes.txt");
  EXPECT_EQ(f.Image2Panel->cursor().shape(), Qt::PointingHandCursor);
  // A double-click on an area opens its file with the desktop's program.
  QTest::mouseDClick(Canvas(1), Qt::LeftButton, {}, QPoint(5, 5));
  ASSERT_EQ(prompter_.opened.size(), 1u);
  EXPECT_EQ(prompter_.opened[0], Path("notes.txt"));
  prompter_.shown.clear();
  QTest::mouseDClick(Canvas(0), Qt::LeftButton, {}, QPoint(5, 5));
  ASSERT_EQ(prompter_.shown.size(), 1u);
  EXPECT_EQ(prompter_.shown[0], "お知らせ|;;gone.jpg を表示するソフトがありません。");
  // A Windows-era path without extension is looked up by its bare name + ".bmp"; the list keeps
  // the normalised name.
  Show(5);
  EXPECT_EQ(Caption(), "画像ファイル(1/1)");
  EXPECT_EQ(I().ImageList(), std::vector<std::string>{"photo.bmp"});
  EXPECT_EQ(I().AreaPath(0), Path("photo.bmp").toStdString());
  Show(6);
  EXPECT_EQ(I().ImageList().size(), 2u);
  // Names written on Windows in another case find the files all the same, and the double-click
  // opens the file found.
  Show(7);
  EXPECT_FALSE(Canvas(0)->image().isNull());
  EXPECT_EQ(I().AreaPath(0), Path("one.jpg").toStdString());
  EXPECT_EQ(Canvas(1)->lines(), QStringList({"Notes.TXT", "(ダブルクリック→ファイルを開く)"}));
  prompter_.opened.clear();
  QTest::mouseDClick(Canvas(1), Qt::LeftButton, {}, QPoint(5, 5));
  ASSERT_EQ(prompter_.opened.size(), 1u);
  EXPECT_EQ(prompter_.opened[0], Path("notes.txt"));
}

TEST_F(ImageSideTest, HideImageAreaAndTextOnly) {
  Picture("a.jpg");
  QString path = PagesWithImages({"a.jpg", ""});
  WriteRoot([](settings::SettingsStore& s) { s.WriteBool("HideImageArea", true); });
  TSDIAppForm& f = Start({path});
  Show(1);
  EXPECT_FALSE(f.Panel3->isHidden());
  Show(2);
  EXPECT_TRUE(f.Panel3->isHidden());
  Show(1);
  EXPECT_FALSE(f.Panel3->isHidden());
  Stop();

  WriteRoot([](settings::SettingsStore& s) {
    s.WriteBool("HideImageArea", false);
    s.WriteInteger("TextImageLocation", 4);
  });
  TSDIAppForm& g = Start({path});
  Show(1);
  EXPECT_TRUE(g.Panel3->isHidden());
  EXPECT_TRUE(Canvas(0)->image().isNull());
  EXPECT_EQ(Caption(), "画像ファイル");
  prompter_.shown.clear();
  Trigger("DeleteImage1Item");
  ASSERT_EQ(prompter_.shown.size(), 1u);
  EXPECT_EQ(prompter_.shown[0],
            "お知らせ|このページには関連付けられている画像(リンク)ファイルがありません。");
}

TEST_F(ImageSideTest, DisplayModesPlaceThePicture) {
  Picture("small.png", 100, 50);
  Picture("big.jpg", 1600, 1200);
  QString path = PagesWithImages({"small.png", "big.jpg"});
  WriteRoot([](settings::SettingsStore& s) { s.WriteInteger("ImageForm", 0); });
  TSDIAppForm& f = Start({path});
  f.Image1Panel->setFixedSize(402, 402);
  // At its natural size a picture wider or higher than the monitor is bounded by it.
  const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
  QSize natural(1600, 1200);
  if (natural.width() > screen.width()) natural = {screen.width(), screen.width() * 3 / 4};
  if (natural.height() > screen.height()) natural = {screen.height() * 4 / 3, screen.height()};
  struct Case {
    const char* item;
    int page;
    QRect drawn;
  } cases[] = {
      {"NormalSize_Item", 1, {151, 176, 100, 50}},
      {"ToSmallSizeItem", 1, {151, 176, 100, 50}},
      {"KakudaiShukusho_Item", 1, {0, 101, 400, 200}},
      {"KakudaiShukusho_Item", 2, {0, 51, 400, 300}},
      {"ToSmallSizeItem", 2, {0, 51, 400, 300}},
      {"NormalSize_Item", 2, {0, 0, natural.width(), natural.height()}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.item) + " " + std::to_string(c.page));
    Show(c.page);
    Trigger(c.item);
    EXPECT_TRUE(f.Action(c.item)->isChecked());
    EXPECT_EQ(Canvas(0)->drawn(), c.drawn);
    EXPECT_EQ(Canvas(0)->image().size(), c.drawn.size());
  }
  // The toolbar button steps 1 -> 0 -> 2 -> 1.
  for (int mode : {0, 2, 1}) {
    f.ToolButton("ChangeImageViewModeSpeedButton")->click();
    EXPECT_EQ(I().ImageAction(), mode);
  }
}

TEST_F(ImageSideTest, DamagedPicturesShowTheirNameAndAReason) {
  Picture("good.jpg");
  Picture("whole.jpg", 64, 64);
  QFile whole(Path("whole.jpg"));
  ASSERT_TRUE(whole.open(QIODevice::ReadOnly));
  QByteArray data = whole.readAll();
  Bytes("cut.jpg", data.left(data.size() / 2));
  Bytes("empty.jpg", "");
  Bytes("text.jpg", "this is not a picture\n");
  Bytes("noise.bmp", QByteArray("BM") + QByteArray(60, '\x7f'));
  TSDIAppForm& f = Start({PagesWithImages({"good.jpg;cut.jpg;empty.jpg;text.jpg;noise.bmp"})});
  ASSERT_TRUE(f.FileIsOpen());
  for (int step = 0; step < 3; ++step) {
    for (int slot = 0; slot < 2; ++slot) {
      int k = I().AreaImageNo(slot);
      std::string name = I().ImageList()[size_t(k)];
      SCOPED_TRACE(name);
      if (name == "good.jpg") {
        EXPECT_FALSE(Canvas(slot)->image().isNull());
      } else {
        ASSERT_EQ(Canvas(slot)->lines().size(), 2);
        EXPECT_EQ(Canvas(slot)->lines()[0].toStdString(), name);
        EXPECT_FALSE(Canvas(slot)->lines()[1].isEmpty());
      }
    }
    Trigger("ToNextImageItem");
  }
}

TEST_F(ImageSideTest, RefreshDecodesOnlyChangedFiles) {
  Picture("a.jpg");
  Picture("b.jpg");
  QString path = PagesWithImages({"a.jpg;b.jpg"});
  WriteRoot([](settings::SettingsStore& s) { s.WriteBool("DoGazoRefresh", true); });
  TSDIAppForm& f = Start({path});
  Show(1);
  const int decoded = I().decode_count();
  for (int tick = 0; tick < 4; ++tick) I().Timer2Timer();
  I().SetArea1RefreshPending(true);
  I().Timer1Timer();
  EXPECT_EQ(I().decode_count(), decoded);
  EXPECT_FALSE(I().Area1RefreshPending());
  // Another program rewrites b.jpg: the next refresh of area 2 shows the new picture.
  Picture("b.jpg", 80, 60);  // another size: the change is seen whatever the clock says
  I().SetRefreshSide(false);
  I().Timer2Timer();
  EXPECT_EQ(I().decode_count(), decoded + 1);
  EXPECT_EQ(I().AreaImageWidth(1), 80);
  EXPECT_EQ(I().Timer2()->interval(), 2000);
  // Typing puts the next refresh off by a whole period.
  I().Timer2()->start(100000);
  QTest::keyClick(f.TextMemo, Qt::Key_A);
  EXPECT_EQ(I().Timer2()->interval(), 2000);
  EXPECT_TRUE(I().Timer2()->isActive());
}

TEST_F(ImageSideTest, AddingFilesAppendsSortedNamesAndRemembersTheFolder) {
  QDir().mkpath(Path("x"));
  Picture("x/b.jpg");
  Picture("x/a.jpg");
  Picture("c.jpg");
  QString path = PagesWithImages({"c.jpg", "*D:\\p.htm"});
  TSDIAppForm& f = Start({path});
  Show(1);
  prompter_.file_lists.push_back(QStringList{Path("x/b.jpg"), Path("x/a.jpg")});
  Trigger("AddImageFileItem");
  EXPECT_EQ(prompter_.last_title, "ページに追加する画像(リンク)ファイル)");
  EXPECT_EQ(Field(), "c.jpg;a.jpg;b.jpg");
  EXPECT_EQ(Caption(), "画像ファイル(2,3/3)");
  EXPECT_EQ(f.ImageFileNameEdit->text(), "a.jpg || b.jpg");
  Show(2);
  prompter_.file_lists.push_back(QStringList{Path("x/a.jpg")});
  Trigger("AddImageFileItem");
  EXPECT_EQ(prompter_.last_spec.folder, Path("x"));  // the folder last picked from
  EXPECT_EQ(Field(), "*D:\\p.htm;a.jpg");
  EXPECT_EQ(I().TextAltFileName(), "D:\\p.htm");
  // A cancelled dialog changes nothing.
  prompter_.file_lists.push_back(std::nullopt);
  Trigger("AddImageFileItem");
  EXPECT_EQ(Field(), "*D:\\p.htm;a.jpg");
  Stop();
  // The next start still searches the folder.
  TSDIAppForm& g = Start({path});
  Show(1);
  EXPECT_EQ(Caption(), "画像ファイル(1,2/3)");
  EXPECT_EQ(I().AreaPath(1), Path("x/a.jpg").toStdString());
  EXPECT_EQ(g.ImageFileNameEdit->text(), "c.jpg || a.jpg");
}

TEST_F(ImageSideTest, RemovingAndEditingTheList) {
  Picture("a.jpg");
  Picture("b.jpg");
  Start({PagesWithImages({"*D:\\p.htm;a.jpg;b.jpg", "a.jpg", "x.jpg"})});
  Show(1);
  prompter_.answers.push_back(true);
  Trigger("DeleteImage1Item");
  EXPECT_EQ(
      prompter_.shown.back(),
      "画像(リンク・ファイル)の削除|領域1の画像(リンク・ファイル)をこのページから削除しますか。"
      "\n\nただし，ファイル自体は削除しません。\n\nこのページへのリンクを解消するだけです。");
  EXPECT_EQ(Field(), "*D:\\p.htm;b.jpg");
  EXPECT_TRUE(QFile::exists(Path("a.jpg")));
  // Answering No keeps the list.
  prompter_.answers.push_back(false);
  Trigger("DeleteImage1Item");
  EXPECT_EQ(Field(), "*D:\\p.htm;b.jpg");
  Show(2);
  prompter_.shown.clear();
  Trigger("DeleteImage2Item");
  ASSERT_EQ(prompter_.shown.size(), 1u);
  EXPECT_EQ(prompter_.shown[0],
            "お知らせ|このページには関連付けられている画像(リンク)ファイルがありません。");
  // The direct edit keeps the last component of every non-empty line.
  Show(3);
  prompter_.dialogs.push_back([](QDialog& d) {
    auto* box = d.findChild<QPlainTextEdit*>("FileNameText");
    EXPECT_NE(box, nullptr);
    if (!box) return false;
    EXPECT_EQ(box->toPlainText(), "x.jpg");
    box->setPlainText("C:\\a\\p.jpg\n\n  q.bmp ");
    return true;
  });
  Trigger("ImageFileDirectEditItem");
  EXPECT_EQ(Field(), "p.jpg;q.bmp");
  EXPECT_EQ(Caption(), "画像ファイル(1,2/2)");
  // The page is written when it is left.
  Show(1);
  Stop();
  store::Table t;
  ASSERT_TRUE(t.Open(Path("Img.dbf").toStdString(), store::PageFileOptions()).ok());
  ASSERT_TRUE(t.GotoBookmark(3).ok());
  EXPECT_EQ(t.FieldString("IMAGEFILE"), "p.jpg;q.bmp");
  ASSERT_TRUE(t.GotoBookmark(1).ok());
  EXPECT_EQ(t.FieldString("IMAGEFILE"), "*D:\\p.htm;b.jpg");
}

// The picture on show and the display mode come back when the file is opened again.
TEST_F(ImageSideTest, ViewStateKeepsThePictureAndTheMode) {
  for (const char* n : {"a.jpg", "b.jpg", "c.jpg"}) Picture(n);
  QString path = PagesWithImages({"a.jpg;b.jpg;c.jpg"});
  Start({path});
  Trigger("ToNextImageItem");
  Trigger("KakudaiShukusho_Item");
  EXPECT_EQ(Caption(), "画像ファイル(3,1/3)");
  Stop();
  TSDIAppForm& f = Start({path});
  EXPECT_EQ(Caption(), "画像ファイル(3,1/3)");
  EXPECT_EQ(I().ImageAction(), 0);
  EXPECT_TRUE(f.Action("KakudaiShukusho_Item")->isChecked());
}

// Saving the picture of an area under another name: conversions, the quality dialog, copies of
// link files, and every refusal.
TEST_F(ImageSideTest, SavingUnderAnotherName) {
  Picture("pic.bmp", 64, 48, QColor(200, 120, 40));
  Picture("photo.jpg", 64, 48, QColor(20, 120, 240));
  Bytes("doc.pdf", "%PDF-1.4 not really");
  TSDIAppForm& f = Start({PagesWithImages({"pic.bmp;gone.jpg", "photo.jpg;doc.pdf"})});
  ASSERT_TRUE(f.FileIsOpen());
  int quality_dialogs = 0;
  auto quality = [&](int index) {
    return [&, index](QDialog& d) {
      ++quality_dialogs;
      auto* group = d.findChild<QWidget*>("QualityRadioGroup");
      EXPECT_NE(group, nullptr);
      if (!group) return false;
      QList<QRadioButton*> buttons = group->findChildren<QRadioButton*>();
      EXPECT_EQ(buttons.size(), 4);
      if (buttons.size() != 4) return false;
      EXPECT_TRUE(buttons[1]->isChecked());  // "高" every time
      EXPECT_EQ(buttons[1]->text(), "高");
      buttons[index]->setChecked(true);
      return true;
    };
  };
  auto save = [&](int slot, const QString& dest) {
    prompter_.files.push_back(dest);
    prompter_.shown.clear();
    Trigger(slot == 0 ? "ImageSaveAItem" : "ImageSaveBItem");
  };
  // BMP -> JPEG at "高" (75): same size, close colours.
  Show(1);
  prompter_.dialogs.push_back(quality(1));
  save(0, Path("x.jpg"));
  EXPECT_EQ(prompter_.last_title, "保存先の画像ファイル名");
  EXPECT_EQ(prompter_.last_spec.file_name, "pic.bmp");
  EXPECT_EQ(quality_dialogs, 1);
  EXPECT_EQ(I().ImageSaveQuality(), 75);
  QImage x(Path("x.jpg"));
  ASSERT_FALSE(x.isNull());
  EXPECT_EQ(x.size(), QSize(64, 48));
  QColor c = x.pixelColor(30, 20);
  EXPECT_NEAR(c.red(), 200, 12);
  EXPECT_NEAR(c.green(), 120, 12);
  EXPECT_NEAR(c.blue(), 40, 12);
  // Replacing a file asks first; No leaves it.
  const QByteArray before = [&] {
    QFile in(Path("x.jpg"));
    in.open(QIODevice::ReadOnly);
    return in.readAll();
  }();
  prompter_.answers.push_back(false);
  save(0, Path("x.jpg"));
  EXPECT_EQ(prompter_.shown.back(), "お尋ね|同名のファイルが存在します。上書きしますか？");
  EXPECT_EQ(quality_dialogs, 1);
  {
    QFile in(Path("x.jpg"));
    ASSERT_TRUE(in.open(QIODevice::ReadOnly));
    EXPECT_EQ(in.readAll(), before);
  }
  // BMP -> PNG is refused; the missing file of area 2 cannot be saved.
  save(0, Path("x.png"));
  EXPECT_EQ(prompter_.shown.back(),
            "お知らせ|jpg, jpeg, bmp 以外のファイル形式には変換できません。");
  EXPECT_FALSE(QFile::exists(Path("x.png")));
  prompter_.shown.clear();
  Trigger("ImageSaveBItem");
  ASSERT_EQ(prompter_.shown.size(), 1u);
  EXPECT_EQ(prompter_.shown[0], "お知らせ|gone.jpg は，存在しません。");
  // JPEG -> JPEG keeps the bytes whatever the quality; JPEG -> BMP converts.
  Show(2);
  prompter_.dialogs.push_back(quality(3));
  save(0, Path("y.jpg"));
  EXPECT_EQ(I().ImageSaveQuality(), 25);
  QFile a(Path("photo.jpg")), b(Path("y.jpg"));
  ASSERT_TRUE(a.open(QIODevice::ReadOnly));
  ASSERT_TRUE(b.open(QIODevice::ReadOnly));
  EXPECT_EQ(a.readAll(), b.readAll());
  save(0, Path("y.bmp"));
  EXPECT_EQ(QImageReader(Path("y.bmp")).format(), "bmp");
  EXPECT_EQ(QImage(Path("y.bmp")).size(), QSize(64, 48));
  // A link file is copied under its own extension only.
  save(1, Path("copy.pdf"));
  QFile pdf(Path("copy.pdf"));
  ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
  EXPECT_EQ(pdf.readAll(), "%PDF-1.4 not really");
  save(1, Path("copy.txt"));
  EXPECT_EQ(prompter_.shown.back(), "お知らせ|異なる拡張子のファイルには保存できません。");
  EXPECT_FALSE(QFile::exists(Path("copy.txt")));
  // A cancelled quality dialog writes nothing.
  prompter_.dialogs.push_back([](QDialog&) { return false; });
  save(0, Path("z.jpg"));
  EXPECT_FALSE(QFile::exists(Path("z.jpg")));
}

}  // namespace
}  // namespace sk::app::test
