// The three export dialogs: the stored values shown, OK storing every control with its fallback,
// which controls are usable, and the file and font buttons through a scripted prompter.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>

#include "app/ui/test_window.h"
#include "convert/cp932.h"
#include "exchange/ui/html_form.h"
#include "exchange/ui/save_text_form.h"
#include "exchange/ui/tex_form.h"

namespace sk::exchange {
namespace {

using app::test::ScriptedPrompter;

const QStringList kCaptions = {QStringLiteral("分類"), QStringLiteral("タイトル"),
                               QStringLiteral("サブタイトル"), QStringLiteral("日付"),
                               QStringLiteral("画像ファイル")};

std::string Sjis(const char* utf8) { return cp932::EncodeReplacing(QString::fromUtf8(utf8)); }

TEST(ExportFileFilterTest, PipeFilterInQtSyntax) {
  // The patterns a description ends with are not shown twice; one without a name keeps them.
  EXPECT_EQ(QtFileFilter(QStringLiteral("(*.txt;*.htm*;*.tex)|*.txt;*.htm*;*.tex|すべて(*.*)|*.*")),
            QStringLiteral("(*.txt;*.htm*;*.tex) (*.txt *.htm* *.tex);;すべて (*.*)"));
  EXPECT_EQ(QtFileFilter(QStringLiteral("HTMLﾌｧｲﾙ(*.HTML,*.HTM)|*.HTML;*.HTM")),
            QStringLiteral("HTMLﾌｧｲﾙ (*.HTML *.HTM)"));
  // The text file dialogs name their patterns.
  EXPECT_EQ(TextFileFilter(QStringLiteral("*.txt;*.htm*;*.tex")),
            QStringLiteral("テキストファイル (*.txt *.htm* *.tex);;すべて (*.*)"));
}

// ---- text export ----

TEST(SaveTextFormTest, ShowsTheStoredValues) {
  ScriptedPrompter p;
  TextExportSettings s;
  s.FileName = Sjis("/tmp/出力.txt");
  s.SaveTitle = false;
  s.SaveImageFileName = false;
  s.PageKan = 0;
  struct Case {
    bool all;
    int count;
    int date_type;
    QString count_text;
    int button;  // 1 .. 10
  } cases[] = {
      {true, -1, 1, "", 1},  {false, 7, 10, "7", 10}, {false, 0, 0, "0", 1},
      {true, 3, 11, "3", 1}, {false, -1, 2, "", 2},
  };
  for (const Case& c : cases) {
    s.AllPage = c.all;
    s.PageCount = c.count;
    int date_type = c.date_type;
    TSaveTextForm form(p, s, date_type, kCaptions);
    form.FormActivate();
    SCOPED_TRACE(c.date_type);
    EXPECT_EQ(form.FileNameEdit->text(), QStringLiteral("/tmp/出力.txt"));
    EXPECT_EQ(form.AllPageRadioButton->isChecked(), c.all);
    EXPECT_EQ(form.SelectedPageRadioButton->isChecked(), !c.all);
    EXPECT_EQ(form.PageCountEdit->isEnabled(), !c.all);
    EXPECT_EQ(form.PageCountEdit->text(), c.count_text);
    EXPECT_EQ(form.PageKanEdit->text(), QStringLiteral("0"));
    EXPECT_TRUE(form.BunruiCheckBox->isChecked());
    EXPECT_FALSE(form.TitleCheckBox->isChecked());
    EXPECT_TRUE(form.ChoshaCheckBox->isChecked());
    EXPECT_TRUE(form.DateCheckBox->isChecked());
    EXPECT_FALSE(form.ImageCheckBox->isChecked());
    EXPECT_TRUE(form.TextCheckBox->isChecked());
    for (int i = 0; i < 10; ++i) EXPECT_EQ(form.RadioButton[i]->isChecked(), i + 1 == c.button);
  }
}

TEST(SaveTextFormTest, Captions) {
  ScriptedPrompter p;
  TextExportSettings s;
  int date_type = 1;
  TSaveTextForm form(p, s, date_type, kCaptions);
  EXPECT_EQ(form.windowTitle(), QStringLiteral("テキスト保存"));
  EXPECT_EQ(form.BunruiCheckBox->text(), kCaptions[0]);
  EXPECT_EQ(form.ImageCheckBox->text(), kCaptions[4]);
  EXPECT_EQ(form.TextCheckBox->text(), QStringLiteral("本文テキスト"));
  EXPECT_EQ(form.RadioButton[0]->text(), QStringLiteral("\"2010/03/21\" 型"));
  EXPECT_EQ(form.RadioButton[4]->text(), QStringLiteral("\"Sunday, March 21, 2010\" 型"));
  EXPECT_EQ(form.RadioButton[9]->text(), QStringLiteral("\"二〇一〇年三月二一日（日）\" 型"));
  EXPECT_EQ(form.RadioButton[6]->objectName(), QStringLiteral("RadioButton7"));
  EXPECT_TRUE(form.PageCountEdit->testAttribute(Qt::WA_InputMethodEnabled) == false);
  EXPECT_TRUE(form.findChild<QPushButton*>(QStringLiteral("HelpBitBtn")));
  EXPECT_EQ(form.findChild<QPushButton*>(QStringLiteral("CancelBitBtn"))->text(),
            QStringLiteral("ｷｬﾝｾﾙ"));
}

TEST(SaveTextFormTest, OkStoresEveryControlWithFallbacks) {
  struct Case {
    bool all;
    QString count, kan;
    int want_count, want_kan;
  } cases[] = {
      {true, " 12 ", " 3 ", 12, 3},  // trimmed
      {true, "", "0", -1, 0},        // empty: all pages -1
      {false, "", "", 1, 2},         // empty: one page; empty lines 2
      {false, "x", "1.5", 1, 2},     // not whole numbers
      {true, "abc", "-1", -1, -1},  {false, "0", "10", 0, 10},
  };
  for (const Case& c : cases) {
    ScriptedPrompter p;
    TextExportSettings s;
    int date_type = 1;
    TSaveTextForm form(p, s, date_type, kCaptions);
    form.FormActivate();
    form.FileNameEdit->setText(QStringLiteral("  メモ.txt"));
    (c.all ? form.AllPageRadioButton : form.SelectedPageRadioButton)->setChecked(true);
    form.PageCountEdit->setText(c.count);
    form.PageKanEdit->setText(c.kan);
    form.BunruiCheckBox->setChecked(false);
    form.DateCheckBox->setChecked(false);
    form.TextCheckBox->setChecked(false);
    form.RadioButton[7]->setChecked(true);
    form.OkBitBtnClick();
    SCOPED_TRACE(c.count.toStdString() + "|" + c.kan.toStdString());
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_EQ(s.FileName, Sjis("  メモ.txt"));  // as typed
    EXPECT_EQ(s.AllPage, c.all);
    EXPECT_EQ(s.PageCount, c.want_count);
    EXPECT_EQ(s.PageKan, c.want_kan);
    EXPECT_FALSE(s.SaveBunrui);
    EXPECT_TRUE(s.SaveTitle);
    EXPECT_TRUE(s.SaveChosha);
    EXPECT_FALSE(s.SaveDate);
    EXPECT_TRUE(s.SaveImageFileName);
    EXPECT_FALSE(s.SaveText);
    EXPECT_EQ(date_type, 8);
  }
}

TEST(SaveTextFormTest, CancelStoresNothing) {
  ScriptedPrompter p;
  TextExportSettings s;
  int date_type = 3;
  TSaveTextForm form(p, s, date_type, kCaptions);
  form.FormActivate();
  form.PageKanEdit->setText(QStringLiteral("9"));
  form.RadioButton[0]->setChecked(true);
  form.findChild<QPushButton*>(QStringLiteral("CancelBitBtn"))->click();
  EXPECT_EQ(form.result(), QDialog::Rejected);
  EXPECT_EQ(s.PageKan, 2);
  EXPECT_EQ(date_type, 3);
}

TEST(SaveTextFormTest, PageCountOnlyFromTheCurrentPage) {
  ScriptedPrompter p;
  TextExportSettings s;
  int date_type = 1;
  TSaveTextForm form(p, s, date_type, kCaptions);
  form.FormActivate();
  EXPECT_FALSE(form.PageCountEdit->isEnabled());
  form.SelectedPageRadioButton->click();
  EXPECT_TRUE(form.PageCountEdit->isEnabled());
  EXPECT_FALSE(form.AllPageRadioButton->isChecked());
  form.AllPageRadioButton->click();
  EXPECT_FALSE(form.PageCountEdit->isEnabled());
  EXPECT_FALSE(form.SelectedPageRadioButton->isChecked());
}

TEST(SaveTextFormTest, FileButton) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString existing = dir.path() + QStringLiteral("/前回.txt");
  struct Case {
    QString current;
    QString folder, name;  // where the dialog starts
  } cases[] = {
      {existing, dir.path(), QStringLiteral("前回.txt")},
      {dir.path() + "/gone/a.txt", "/program", ""},  // missing folder
      {"a.txt", "/program", ""},                     // no folder at all
      {"", "/program", ""},
  };
  for (const Case& c : cases) {
    ScriptedPrompter p;
    TextExportSettings s;
    s.FileName = cp932::EncodeReplacing(c.current);
    int date_type = 1;
    TSaveTextForm form(p, s, date_type, kCaptions);
    form.ProgramDir = QStringLiteral("/program");
    form.TextFileWildCard = QStringLiteral("*.txt;*.doc");
    form.FormActivate();
    p.files.push_back(dir.path() + QStringLiteral("/新しい.txt"));
    form.GetFileNameButton->click();
    SCOPED_TRACE(c.current.toStdString());
    EXPECT_EQ(p.last_spec.title, QStringLiteral("保存先のファイル名"));
    EXPECT_EQ(p.last_spec.filter, QStringLiteral("テキストファイル (*.txt *.doc);;すべて (*.*)"));
    EXPECT_EQ(p.last_spec.default_ext, QStringLiteral("TXT"));
    EXPECT_EQ(p.last_spec.folder, c.folder);
    EXPECT_EQ(p.last_spec.file_name, c.name);
    EXPECT_EQ(form.FileNameEdit->text(), dir.path() + QStringLiteral("/新しい.txt"));
    EXPECT_EQ(s.FileName, cp932::EncodeReplacing(dir.path() + QStringLiteral("/新しい.txt")));
  }
  // Cancelled: the box and the stored name stay.
  ScriptedPrompter p;
  TextExportSettings s;
  s.FileName = "old.txt";
  int date_type = 1;
  TSaveTextForm form(p, s, date_type, kCaptions);
  form.FormActivate();
  p.files.push_back(std::nullopt);
  form.GetFileNameButton->click();
  EXPECT_EQ(form.FileNameEdit->text(), QStringLiteral("old.txt"));
  EXPECT_EQ(s.FileName, "old.txt");
}

// The window only runs the dialog: showing it fills the controls.
TEST(SaveTextFormTest, ShowingFillsTheControls) {
  ScriptedPrompter p;
  TextExportSettings s;
  s.PageKan = 5;
  int date_type = 4;
  TSaveTextForm form(p, s, date_type, kCaptions);
  form.show();
  EXPECT_EQ(form.PageKanEdit->text(), QStringLiteral("5"));
  EXPECT_TRUE(form.RadioButton[3]->isChecked());
  form.OkBitBtnClick();
  EXPECT_EQ(date_type, 4);
  EXPECT_EQ(s.PageKan, 5);
}

// ---- HTML ----

TEST(HtmlFormTest, ShowsTheStoredValues) {
  ScriptedPrompter p;
  HtmlSettings s;
  s.Honbun = {Sjis("IPAGothic"), 0x0000FF, 12.5, 1};
  s.PageTitle.Size = 18;
  s.DocumentTitleText = Sjis("日記");
  s.TitleChosha = false;
  s.TitleUserName = false;
  s.Gyokan = 1.25;
  s.Pagekan = 0;
  s.GazoDispPos = 1;
  s.GazoToSmall = true;
  s.GazoMaxWidth = 80;
  s.AllPage = false;
  s.PageCount = 4;
  s.HTMLFileName = Sjis("/tmp/帖.html");
  THTMLForm form(p, s, kCaptions);
  form.FormActivate();
  EXPECT_EQ(form.windowTitle(), QStringLiteral("HTMLの書式"));
  EXPECT_EQ(form.TitleCheckBox->text(), kCaptions[1]);
  EXPECT_EQ(form.ChoshaCheckBox->text(), kCaptions[2]);
  EXPECT_EQ(form.DateCheckBox->text(), kCaptions[3]);
  EXPECT_EQ(form.HonbunSampleLabel->text(), QStringLiteral("サンプルABab"));
  EXPECT_EQ(form.HonbunSampleLabel->font().family(), QStringLiteral("IPAGothic"));
  EXPECT_DOUBLE_EQ(form.HonbunSampleLabel->font().pointSizeF(), 12.5);
  EXPECT_TRUE(form.HonbunSampleLabel->font().bold());
  EXPECT_EQ(form.HonbunSampleLabel->palette().color(QPalette::WindowText), QColor(255, 0, 0));
  EXPECT_DOUBLE_EQ(form.PageTitleSampleLabel->font().pointSizeF(), 18);
  EXPECT_EQ(form.DocumentTitleEdit->text(), QStringLiteral("日記"));
  EXPECT_TRUE(form.TitleCheckBox->isChecked());
  EXPECT_FALSE(form.ChoshaCheckBox->isChecked());
  EXPECT_TRUE(form.DateCheckBox->isChecked());
  EXPECT_FALSE(form.UserNameCheckBox->isChecked());
  EXPECT_EQ(form.GyokanEdit->text(), QStringLiteral("1.25"));
  EXPECT_EQ(form.PageKanEdit->text(), QStringLiteral("0"));
  EXPECT_TRUE(form.GazoCheckBox->isChecked());
  EXPECT_TRUE(form.LeftRadioButton->isChecked());
  EXPECT_TRUE(form.ToSmallCheckBox->isChecked());
  EXPECT_EQ(form.GazoMaxWidthEdit->text(), QStringLiteral("80"));
  EXPECT_FALSE(form.ToLargeCheckBox->isChecked());
  EXPECT_EQ(form.GazoMinWidthEdit->text(), QStringLiteral("30"));
  EXPECT_TRUE(form.NowPageRadioButton->isChecked());
  EXPECT_EQ(form.PageCountEdit->text(), QStringLiteral("4"));
  EXPECT_EQ(form.FileNameEdit->text(), QStringLiteral("/tmp/帖.html"));
  // Stored 2 (centre) and anything else (right).
  for (auto [pos, button] :
       {std::pair{2, &THTMLForm::CenterRadioButton}, std::pair{3, &THTMLForm::RightRadioButton},
        std::pair{0, &THTMLForm::RightRadioButton}}) {
    s.GazoDispPos = pos;
    form.FormActivate();
    EXPECT_TRUE((form.*button)->isChecked()) << pos;
  }
}

TEST(HtmlFormTest, OkStoresEveryControlWithFallbacks) {
  struct Case {
    QString gyokan, pagekan, max, min, count;
    double want_gyokan;
    int want_pagekan;
    double want_max, want_min;
    int want_count;
  } cases[] = {
      {" 1.5 ", "3", "60.5", "20", " 7 ", 1.5, 3, 60.5, 20, 7},
      {"", "", "", "", "", 2, 2, 50, 30, 1},
      {"a", "1.5", "x", "inf", "y", 2, 2, 50, 30, 1},
      {"0", "0", "0", "0", "0", 0, 0, 0, 0, 0},
  };
  for (const Case& c : cases) {
    ScriptedPrompter p;
    HtmlSettings s;
    THTMLForm form(p, s, kCaptions);
    form.FormActivate();
    form.GyokanEdit->setText(c.gyokan);
    form.PageKanEdit->setText(c.pagekan);
    form.GazoMaxWidthEdit->setText(c.max);
    form.GazoMinWidthEdit->setText(c.min);
    form.PageCountEdit->setText(c.count);
    form.DocumentTitleEdit->setText(QStringLiteral("題"));
    form.TitleCheckBox->setChecked(false);
    form.UserNameCheckBox->setChecked(false);
    form.CenterRadioButton->setChecked(true);
    form.ToSmallCheckBox->setChecked(true);
    form.ToLargeCheckBox->setChecked(true);
    form.GazoCheckBox->setChecked(false);
    form.NowPageRadioButton->setChecked(true);
    form.FileNameEdit->setText(QStringLiteral("out.htm"));
    form.OkBitBtnClick();
    SCOPED_TRACE(c.gyokan.toStdString());
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_DOUBLE_EQ(s.Gyokan, c.want_gyokan);
    EXPECT_EQ(s.Pagekan, c.want_pagekan);
    EXPECT_DOUBLE_EQ(s.GazoMaxWidth, c.want_max);
    EXPECT_DOUBLE_EQ(s.GazoMinWidth, c.want_min);
    EXPECT_EQ(s.PageCount, c.want_count);
    EXPECT_EQ(s.DocumentTitleText, Sjis("題"));
    EXPECT_FALSE(s.TitleTitle);
    EXPECT_TRUE(s.TitleChosha);
    EXPECT_TRUE(s.TitleDate);
    EXPECT_FALSE(s.TitleUserName);
    EXPECT_EQ(s.GazoDispPos, 2);
    EXPECT_TRUE(s.GazoToSmall);
    EXPECT_TRUE(s.GazoToLarge);
    EXPECT_FALSE(s.DispGazo);
    EXPECT_FALSE(s.AllPage);
    EXPECT_EQ(s.HTMLFileName, "out.htm");
  }
}

TEST(HtmlFormTest, PictureAndPageControlsFollowTheirSwitches) {
  ScriptedPrompter p;
  HtmlSettings s;
  s.GazoToSmall = true;
  THTMLForm form(p, s, kCaptions);
  form.FormActivate();
  EXPECT_TRUE(form.LeftRadioButton->isEnabled());
  EXPECT_TRUE(form.ToLargeCheckBox->isEnabled());
  EXPECT_TRUE(form.GazoMaxWidthEdit->isEnabled());
  EXPECT_FALSE(form.GazoMinWidthEdit->isEnabled());
  EXPECT_FALSE(form.PageCountEdit->isEnabled());

  form.ToLargeCheckBox->click();
  EXPECT_TRUE(form.GazoMinWidthEdit->isEnabled());
  form.ToSmallCheckBox->click();
  EXPECT_FALSE(form.GazoMaxWidthEdit->isEnabled());

  form.GazoCheckBox->click();
  for (QWidget* w : std::initializer_list<QWidget*>{form.LeftRadioButton, form.CenterRadioButton,
                                                    form.RightRadioButton, form.ToSmallCheckBox,
                                                    form.ToLargeCheckBox, form.GazoMaxWidthEdit,
                                                    form.GazoMinWidthEdit})
    EXPECT_FALSE(w->isEnabled()) << w->objectName().toStdString();
  form.GazoCheckBox->click();
  EXPECT_TRUE(form.GazoMinWidthEdit->isEnabled());

  form.NowPageRadioButton->click();
  EXPECT_TRUE(form.PageCountEdit->isEnabled());
  form.AllPageRadioButton->click();
  EXPECT_FALSE(form.PageCountEdit->isEnabled());
}

TEST(HtmlFormTest, FontButtonsStoreOnlyOnOk) {
  ScriptedPrompter p;
  HtmlSettings s;
  THTMLForm form(p, s, kCaptions);
  form.FormActivate();
  auto font = [](const char* family, double size, bool bold, bool italic) {
    QFont f(QString::fromUtf8(family));
    f.setPointSizeF(size);
    f.setBold(bold);
    f.setItalic(italic);
    return f;
  };
  p.fonts.push_back({font("IPAMincho", 10, true, false), QColor(0x12, 0x34, 0x56)});
  p.fonts.push_back({font("IPAGothic", 25, false, true), QColor(Qt::red)});
  p.fonts.push_back({font("IPAGothic", 40, false, false), QColor(Qt::black)});
  form.HonbunFontButton->click();
  form.PageTitleFontButton->click();
  form.DocumentTitleFontButton->click();
  EXPECT_EQ(form.HonbunSampleLabel->font().family(), QStringLiteral("IPAMincho"));
  EXPECT_DOUBLE_EQ(form.HonbunSampleLabel->font().pointSizeF(), 10.5);
  EXPECT_TRUE(form.HonbunSampleLabel->font().bold());
  // Nothing stored before OK.
  EXPECT_EQ(s.Honbun.Name, HtmlFont().Name);
  EXPECT_DOUBLE_EQ(s.Honbun.Size, 10.5);
  EXPECT_EQ(s.PageTitle.Style, 0);

  // A cancelled font dialog changes nothing.
  form.HonbunFontButton->click();
  EXPECT_EQ(form.HonbunSampleLabel->font().family(), QStringLiteral("IPAMincho"));

  form.OkBitBtnClick();
  EXPECT_EQ(s.Honbun.Name, "IPAMincho");
  EXPECT_DOUBLE_EQ(s.Honbun.Size, 10.5);  // 10 is kept as 10.5
  EXPECT_EQ(s.Honbun.Style, 1);
  EXPECT_EQ(s.Honbun.Color, 0x563412);
  EXPECT_EQ(s.PageTitle.Name, "IPAGothic");
  EXPECT_DOUBLE_EQ(s.PageTitle.Size, 25);
  EXPECT_EQ(s.PageTitle.Style, 2);
  EXPECT_EQ(s.PageTitle.Color, 0x0000FF);
  EXPECT_DOUBLE_EQ(s.DocumentTitle.Size, 30);  // the titles' largest size

  // The body's largest size is 20; a cancelled dialog keeps every stored font.
  p.fonts.push_back({font("IPAGothic", 24, false, false), QColor(Qt::black)});
  form.FormActivate();
  form.HonbunFontButton->click();
  form.OkBitBtnClick();
  EXPECT_DOUBLE_EQ(s.Honbun.Size, 20);
  p.fonts.push_back({font("Other", 12, false, false), QColor(Qt::black)});
  form.FormActivate();
  form.PageTitleFontButton->click();
  form.reject();
  EXPECT_EQ(s.PageTitle.Name, "IPAGothic");
  form.FormActivate();  // the next opening starts from the stored fonts
  form.OkBitBtnClick();
  EXPECT_EQ(s.PageTitle.Name, "IPAGothic");
}

// ---- TeX ----

TEST(TexFormTest, ShowsTheStoredValues) {
  ScriptedPrompter p;
  TexSettings s;
  s.Yoshi = 3;
  s.YoshiMuki = 1;
  s.MojiHoko = 1;
  s.MojiSize = 2;
  s.Style = 1;
  s.LeftMargin = 30;
  s.ParIndent = 0.5;
  s.InputFileName = {"a.sty", Sjis("/home/u/定義.tex")};
  s.TeXFileName = "out.tex";
  s.DocumentTitle = Sjis("文集");
  s.TitleDate = false;
  s.NumHenkan = false;
  s.PageCount = 9;
  TTeXForm form(p, s, kCaptions);
  form.FormActivate();
  EXPECT_EQ(form.windowTitle(), QStringLiteral("TeXの書式"));
  EXPECT_EQ(form.YoshiRadioGroup->ItemIndex(), 3);
  EXPECT_EQ(form.YoshiRadioGroup->Button(3)->text(), QStringLiteral("B5"));
  EXPECT_EQ(form.YoshiMukiRadioGroup->ItemIndex(), 1);
  EXPECT_EQ(form.MojiHokoRadioGroup->ItemIndex(), 1);
  EXPECT_EQ(form.MojiSizeRadioGroup->ItemIndex(), 2);
  EXPECT_EQ(form.DangumiRadioGroup->ItemIndex(), 0);
  EXPECT_EQ(form.StyleRadioGroup->ItemIndex(), 1);
  EXPECT_EQ(form.GyokanEdit->text(), QStringLiteral("2"));
  EXPECT_EQ(form.LeftMarginEdit->text(), QStringLiteral("30"));
  EXPECT_EQ(form.RightMarginEdit->text(), QStringLiteral("25.4"));
  EXPECT_EQ(form.ParIndentEdit->text(), QStringLiteral("0.5"));
  EXPECT_EQ(form.InputFileNameMemo->toPlainText(), QStringLiteral("a.sty\n/home/u/定義.tex"));
  EXPECT_EQ(form.DocumentTitleEdit->text(), QStringLiteral("文集"));
  EXPECT_EQ(form.TitleCheckBox->text(), kCaptions[1]);
  EXPECT_EQ(form.DateCheckBox->text(), kCaptions[3]);
  EXPECT_FALSE(form.DateCheckBox->isChecked());
  EXPECT_FALSE(form.NumHenkanCheckBox->isChecked());
  EXPECT_TRUE(form.CommaHenkanCheckBox->isChecked());
  EXPECT_EQ(form.PageCountEdit->text(), QStringLiteral("9"));
  EXPECT_FALSE(form.PageCountEdit->isEnabled());
  // The column gap only for two columns.
  EXPECT_FALSE(form.DankanEdit->isEnabled());
  form.DangumiRadioGroup->Button(1)->click();
  EXPECT_TRUE(form.DankanEdit->isEnabled());
  form.DangumiRadioGroup->Button(0)->click();
  EXPECT_FALSE(form.DankanEdit->isEnabled());
  form.NowPageRadioButton->click();
  EXPECT_TRUE(form.PageCountEdit->isEnabled());
}

TEST(TexFormTest, OkFallsBackToTheDefaults) {
  ScriptedPrompter p;
  TexSettings s;
  TTeXForm form(p, s, kCaptions);
  form.FormActivate();
  for (QLineEdit* e : {form.GyokanEdit, form.DankanEdit, form.PageKanEdit, form.LeftMarginEdit,
                       form.RightMarginEdit, form.TopMarginEdit, form.BottomMarginEdit,
                       form.ParIndentEdit, form.PageCountEdit})
    e->setText(QStringLiteral("7"));
  form.OkBitBtnClick();
  for (double v : {s.Gyokan, s.Dankan, s.Pagekan, s.LeftMargin, s.RightMargin, s.TopMargin,
                   s.BottomMargin, s.ParIndent})
    EXPECT_DOUBLE_EQ(v, 7);
  EXPECT_EQ(s.PageCount, 7);

  for (const QString& bad : {QString(), QStringLiteral("x"), QStringLiteral("nan")}) {
    for (QLineEdit* e : {form.GyokanEdit, form.DankanEdit, form.PageKanEdit, form.LeftMarginEdit,
                         form.RightMarginEdit, form.TopMarginEdit, form.BottomMarginEdit,
                         form.ParIndentEdit, form.PageCountEdit})
      e->setText(bad);
    form.OkBitBtnClick();
    const TexSettings d;
    EXPECT_DOUBLE_EQ(s.Gyokan, d.Gyokan);
    EXPECT_DOUBLE_EQ(s.Dankan, d.Dankan);
    EXPECT_DOUBLE_EQ(s.Pagekan, d.Pagekan);
    EXPECT_DOUBLE_EQ(s.LeftMargin, d.LeftMargin);
    EXPECT_DOUBLE_EQ(s.RightMargin, d.RightMargin);
    EXPECT_DOUBLE_EQ(s.TopMargin, d.TopMargin);
    EXPECT_DOUBLE_EQ(s.BottomMargin, d.BottomMargin);
    EXPECT_DOUBLE_EQ(s.ParIndent, d.ParIndent);
    EXPECT_EQ(s.PageCount, 1);
  }
}

TEST(TexFormTest, OkStoresTheChoicesTitleAndFileName) {
  struct Case {
    QString typed, stored;
  } cases[] = {
      {"out", "out.tex"},
      {"out.TEX", "out.TEX"},
      {"out.", "out."},
      {"/home/u.name/out", "/home/u.name/out.tex"},  // a dot in a folder is no extension
      {"", ""},
  };
  for (const Case& c : cases) {
    ScriptedPrompter p;
    TexSettings s;
    TTeXForm form(p, s, kCaptions);
    form.FormActivate();
    form.TeXFileNameEdit->setText(c.typed);
    form.DocumentTitleEdit->setText(QStringLiteral(" \t文集　 "));
    form.InputFileNameMemo->setPlainText(QStringLiteral("a.sty\n\n定義.tex\n"));
    form.YoshiRadioGroup->SetItemIndex(2);
    form.MojiHokoRadioGroup->SetItemIndex(1);
    form.DangumiRadioGroup->SetItemIndex(1);
    form.StyleRadioGroup->SetItemIndex(2);
    form.UserNameCheckBox->setChecked(false);
    form.KaigyoHenkanCheckBox->setChecked(false);
    form.NowPageRadioButton->setChecked(true);
    form.OkBitBtnClick();
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_EQ(s.TeXFileName, c.stored.toStdString()) << c.typed.toStdString();
    EXPECT_EQ(s.DocumentTitle, Sjis("文集　"));  // half-width blanks only
    EXPECT_EQ(s.InputFileName, (std::vector<std::string>{"a.sty", "", Sjis("定義.tex")}));
    EXPECT_EQ(s.Yoshi, 2);
    EXPECT_EQ(s.YoshiMuki, 0);
    EXPECT_EQ(s.MojiHoko, 1);
    EXPECT_EQ(s.Dangumi, 1);
    EXPECT_EQ(s.Style, 2);
    EXPECT_FALSE(s.TitleUserName);
    EXPECT_TRUE(s.TitleTitle);
    EXPECT_FALSE(s.KaigyoHenkan);
    EXPECT_TRUE(s.CommaHenkan);
    EXPECT_FALSE(s.AllPage);
  }
}

// The HTML and TeX file buttons: the dialog, where it starts, and the box taking the name.
TEST(ExportFileButtonTest, HtmlAndTex) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  for (const bool html : {true, false}) {
    for (const QString& current : {dir.path() + "/old.x", QStringLiteral("/no/such/old.x")}) {
      ScriptedPrompter p;
      HtmlSettings hs;
      TexSettings ts;
      THTMLForm hf(p, hs, kCaptions);
      TTeXForm tf(p, ts, kCaptions);
      hf.StartDir = tf.StartDir = QStringLiteral("/start");
      hf.FormActivate();
      tf.FormActivate();
      QLineEdit* box = html ? hf.FileNameEdit : tf.TeXFileNameEdit;
      box->setText(current);
      p.files.push_back(QStringLiteral("/chosen/new.x"));
      (html ? hf.FileNameDialogButton : tf.SpeedButton1)->click();
      if (html) {
        EXPECT_EQ(p.last_spec.title, QStringLiteral("出力するHTMLファイル名"));
        EXPECT_EQ(p.last_spec.filter, QStringLiteral("HTMLﾌｧｲﾙ (*.HTML *.HTM)"));
        EXPECT_EQ(p.last_spec.default_ext, QStringLiteral("HTML"));
      } else {
        EXPECT_EQ(p.last_spec.title, QStringLiteral("出力するTEXファイル名"));
        EXPECT_EQ(p.last_spec.filter, QStringLiteral("TEXﾌｧｲﾙ (*.TEX)"));
        EXPECT_EQ(p.last_spec.default_ext, QStringLiteral("TEX"));
      }
      const bool exists = current.startsWith(dir.path());
      EXPECT_EQ(p.last_spec.folder, exists ? dir.path() : QStringLiteral("/start"));
      EXPECT_EQ(p.last_spec.file_name, exists ? QStringLiteral("old.x") : QString());
      EXPECT_EQ(box->text(), QStringLiteral("/chosen/new.x"));
      EXPECT_TRUE(hs.HTMLFileName.empty());
      EXPECT_TRUE(ts.TeXFileName.empty());
    }
  }
}

}  // namespace
}  // namespace sk::exchange
