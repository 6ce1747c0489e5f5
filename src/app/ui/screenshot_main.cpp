// Opens a page file in the main window on the display given (Xvfb in the tests), saves a picture
// of the window (on a page with the widest date, on a page showing two pictures side by side,
// OUT-pictures.png, and on the page about writing text in itemize mode, OUT-text.png) and of the
// page list, the selection, the add-page, the image list, the search and the replace dialogs, and
// checks that the Japanese texts on show are drawn with a font that holds every character, so that
// no replacement boxes appear.
//
//   sorakumo_screenshot PAGEFILE OUT.png
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFontInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QStyle>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

#include "app/ui/mainform.h"
#include "shell/prompter.h"
#include "editor/ui/text_area.h"
#include "images/image_list.h"
#include "images/ui/image_side.h"

// The image side of the window, to find a page with two pictures.
struct sk::app::ScreenshotProbe {
  static const sk::images::ImageSide& Images(TSDIAppForm& form) { return *form.Images; }
};

namespace {

// Characters of text that the widget's font cannot draw (line breaks and the like aside).
int MissingGlyphs(const QWidget* w, const QString& text, const char* what) {
  QFontMetrics fm(w->font());
  int missing = 0;
  for (char32_t ch : text.toUcs4()) {
    if (ch < 0x20) continue;
    if (!fm.inFontUcs4(uint(ch))) {
      std::fprintf(stderr, "%s: U+%04X cannot be drawn with %s\n", what, unsigned(ch),
                   QFontInfo(w->font()).family().toUtf8().constData());
      ++missing;
    }
  }
  return missing;
}

// Shows each of the program's dialogs, saves a picture of it next to the window's and cancels it.
class PicturePrompter : public sk::shell::QtPrompter {
 public:
  QString folder;
  int saved = 0;
  bool RunDialog(QDialog& d) override {
    d.show();
    for (int i = 0; i < 20; ++i) QApplication::processEvents();
    QString name = d.metaObject()->className();
    name = name.mid(name.lastIndexOf(':') + 1);
    if (d.grab().save(folder + "/" + name + ".png")) ++saved;
    d.reject();
    return false;
  }
};

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc != 3) {
    std::fprintf(stderr, "usage: sorakumo_screenshot PAGEFILE OUT.png\n");
    return 2;
  }
  QTemporaryDir config;
  qputenv("SORAKUMO_CONFIG_DIR", config.path().toLocal8Bit());
  QString page_file = QString::fromLocal8Bit(argv[1]);
  QString out = QString::fromLocal8Bit(argv[2]);
  QTemporaryDir work;
  for (const char* ext : {"dbf", "dbt", "mdx"}) {
    QString from = page_file.left(page_file.size() - 3) + ext;
    QFile::copy(from, work.path() + "/Sample." + ext);
  }
  // The pictures and files the pages link to lie beside the page file.
  const QDir source = QFileInfo(page_file).absoluteDir();
  for (const QString& name : source.entryList({"*.jpg", "*.png", "*.bmp", "*.txt"}, QDir::Files))
    QFile::copy(source.filePath(name), work.path() + "/" + name);

  PicturePrompter prompter;
  prompter.folder = QFileInfo(out).absolutePath();
  sk::app::TSDIAppForm form(prompter, {work.path() + "/Sample.dbf"});
  prompter.set_parent(&form);
  form.show();
  int rc = 1;
  QTimer::singleShot(1500, &app, [&] {
    form.FirstOpen();
    QApplication::processEvents();
    if (!form.FileIsOpen()) {
      std::fprintf(stderr, "the page file did not open\n");
      app.exit(1);
      return;
    }
    // A page whose date has a two-digit month and day: the widest a date gets.
    static const QRegularExpression kLongDate(QStringLiteral("^\\d{4}/\\d\\d/\\d\\d"));
    for (int i = 0; i < 100 && !kLongDate.match(form.DateEdit->text()).hasMatch(); ++i)
      form.Action("NextItem")->trigger();
    QApplication::processEvents();
    int cut = 0;
    for (QLineEdit* e : {form.DateEdit, form.TitleEdit}) {
      const int room = e->contentsRect().width() -
                       2 * e->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, e);
      const int need = QFontMetrics(e->font()).horizontalAdvance(e->text());
      std::printf("%s: %d px of text in %d px\n", e->text().toUtf8().constData(), need, room);
      if (need > room) ++cut;
    }
    int missing = 0;
    missing += MissingGlyphs(form.TextMemo, form.TextMemo->toPlainText(), "text");
    missing += MissingGlyphs(form.TitleEdit, form.TitleEdit->text(), "title");
    missing += MissingGlyphs(form.ChoshaEdit, form.ChoshaEdit->text(), "subtitle");
    missing += MissingGlyphs(form.BunruiComboBox, form.BunruiComboBox->currentText(), "category");
    missing += MissingGlyphs(form.DateEdit, form.DateEdit->text(), "date");
    for (QLabel* l : form.Labels) missing += MissingGlyphs(l, l->text(), "caption");
    std::printf("text font: %s; header font: %s\n",
                QFontInfo(form.TextMemo->font()).family().toUtf8().constData(),
                QFontInfo(form.TitleEdit->font()).family().toUtf8().constData());
    QDir().mkpath(QFileInfo(out).absolutePath());
    bool saved = form.grab().save(out);
    std::printf("%s %s\n", saved ? "saved" : "could not save", out.toUtf8().constData());
    // A page with two pictures side by side.
    bool two = false;
    form.Action("FirstItem")->trigger();
    for (int i = 0; i < 100 && !two; ++i) {
      QApplication::processEvents();
      auto* a = form.findChild<QWidget*>(QStringLiteral("Image"));
      auto* b = form.findChild<QWidget*>(QStringLiteral("Image2"));
      two = sk::app::ScreenshotProbe::Images(form).ImageList().size() >= 2 && sk::app::ScreenshotProbe::Images(form).AreaPath(1).rfind(";;", 0) != 0 &&
            sk::images::KindOf(sk::app::ScreenshotProbe::Images(form).AreaPath(0)) != sk::images::FileKind::Link &&
            sk::images::KindOf(sk::app::ScreenshotProbe::Images(form).AreaPath(1)) != sk::images::FileKind::Link && a && b &&
            a->width() > 0 && b->width() > 0;
      if (!two) form.Action("NextItem")->trigger();
    }
    QString pictures = out.left(out.size() - 4) + "-pictures.png";
    bool saved_pictures = two && form.grab().save(pictures);
    std::printf("%s %s\n", saved_pictures ? "saved" : "no page with two pictures for",
                pictures.toUtf8().constData());
    // The page on writing text, in itemize mode: items hanging, keywords and links highlighted.
    form.Action("LastItem")->trigger();
    form.Action("TextItemizeModeItem")->trigger();
    QApplication::processEvents();
    missing += MissingGlyphs(form.TextMemo, form.TextMemo->toPlainText(), "text");
    QString text_page = out.left(out.size() - 4) + "-text.png";
    bool saved_text = form.grab().save(text_page);
    std::printf("%s %s\n", saved_text ? "saved" : "could not save", text_page.toUtf8().constData());
    for (const char* item :
         {"PageListItem", "SelectRecordItem", "RecordAppendItem", "ImageFileDirectEditItem",
          "MojiFindItem", "ReplaceItem", "ToTextFileItem", "HTMLFileItem", "TeXFileItem"})
      form.Action(item)->trigger();
    std::printf("%d dialog pictures saved\n", prompter.saved);
    rc = (saved && saved_pictures && saved_text && missing == 0 && cut == 0 && prompter.saved == 9)
             ? 0
             : 1;
    form.close();
    app.exit(rc);
  });
  app.exec();
  return rc;
}
