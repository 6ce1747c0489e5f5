// The print settings dialog: the values stored when it closes (numbers that are no numbers take
// their defaults), the font buttons and the title history through a scripted prompter, which
// controls are usable, and the window's print command.
#include "print/ui/print_form.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>

#include "app/ui/test_window.h"
#include "app/ui/mainform.h"
#include "editor/ui/text_area.h"
#include "print/ui/print_controller.h"
#include "print/ui/print_preview_form.h"
#include "shell/page_file_session.h"
#include "convert/cp932.h"
#include "settings/settings_store.h"

namespace sk::print {
namespace {

using app::test::ScriptedPrompter;

constexpr std::string_view kPrintKey = "\\Software\\sorakumo\\Print";
const std::string kMincho = "\x82\x6c\x82\x72\x20\x96\xbe\x92\xa9";  // "ＭＳ 明朝"

class PrintFormTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(dir_.isValid()); }
  std::string ConfPath() const { return (dir_.path() + "/sorakumo.conf").toStdString(); }
  // A dialog on the store, its values read as the window makes it.
  std::unique_ptr<TPrintForm> Make() {
    auto f = std::make_unique<TPrintForm>(prompter_, reg_, [this] { ++previews_; });
    f->FieldCaptions = {QStringLiteral("分類"), QStringLiteral("題名"), QStringLiteral("副題"),
                        QStringLiteral("日付"), QStringLiteral("画像")};
    f->FormActivate();
    return f;
  }
  template <class Fn>
  auto Read(Fn fn) {
    reg_.OpenKey(kPrintKey, true);
    auto v = fn(reg_);
    reg_.CloseKey();
    return v;
  }

  QTemporaryDir dir_;
  settings::SettingsStore reg_{ConfPath()};
  ScriptedPrompter prompter_;
  int previews_ = 0;
};

TEST_F(PrintFormTest, DefaultsWithNoStoredValues) {
  auto f = Make();
  EXPECT_EQ(f->windowTitle(), QStringLiteral("印刷書式設定"));
  EXPECT_EQ(f->YoshiComboBox->currentText(), QStringLiteral("A4縦"));
  EXPECT_EQ(f->MojiHokoRadioGroup->ItemIndex(), 0);
  EXPECT_EQ(f->FukuroRadioGroup->ItemIndex(), 1);
  EXPECT_EQ(f->DangumiRadioGroup->ItemIndex(), 0);
  const std::pair<QLineEdit*, const char*> boxes[] = {
      {f->LeftMarginEdit, "20"},   {f->RightMarginEdit, "20"}, {f->TopMarginEdit, "20"},
      {f->BottomMarginEdit, "20"}, {f->FukuroWidthEdit, "40"}, {f->DankanEdit, "10"},
      {f->GyokanEdit, "2"},        {f->PageKanEdit, "20"},     {f->ParIndentEdit, "0"},
      {f->ImageWidthEdit, "50"},   {f->PageCountEdit, "1"}};
  for (auto [box, text] : boxes) EXPECT_EQ(box->text(), QString::fromLatin1(text)) << text;
  EXPECT_EQ(f->ImagePosRadioGroup->ItemIndex(), 0);
  EXPECT_FALSE(f->ToLargeCheckBox->isChecked());
  EXPECT_TRUE(f->CommaHenkanCheckBox->isChecked());
  EXPECT_TRUE(f->NumHenkanCheckBox->isChecked());
  EXPECT_EQ(f->PageNumRadioGroup->ItemIndex(), 0);
  EXPECT_TRUE(f->AllPageRadioButton->isChecked());
  EXPECT_FALSE(f->NowPageRadioButton->isChecked());
  for (QCheckBox* c : {f->TitleCheckBox, f->SubTitleCheckBox, f->DateCheckBox, f->UserNameCheckBox})
    EXPECT_FALSE(c->isChecked());
  EXPECT_EQ(f->TitleCheckBox->text(), QStringLiteral("題名"));
  EXPECT_EQ(f->SubTitleCheckBox->text(), QStringLiteral("副題"));
  EXPECT_EQ(f->DateCheckBox->text(), QStringLiteral("日付"));
  EXPECT_TRUE(f->OneColumnRadioButton->isChecked());
  EXPECT_EQ(f->DocumentTitleEdit->currentText(), QString());
  const PrintSettings v = f->Values();
  EXPECT_EQ(v.DocTitleFont.name, kMincho);
  EXPECT_EQ(v.DocTitleFont.size, 12);
  EXPECT_EQ(v.PageTitleFont.size, 11);
  EXPECT_EQ(v.TextFont.size, 10.6);
  for (const PrintFontSetting* font : {&v.DocTitleFont, &v.PageTitleFont, &v.TextFont}) {
    EXPECT_EQ(font->color, 0);
    EXPECT_EQ(font->style, 0);
  }
  EXPECT_EQ(f->TextPanel->text(), QStringLiteral("サンプルABC"));
  EXPECT_EQ(f->TextPanel->font().pointSize(), 10);  // shown toward zero

  // Closing stores the defaults as the table has them.
  f->EndBitBtnClick();
  EXPECT_EQ(f->result(), QDialog::Accepted);
  Read([](settings::SettingsStore& r) {
    EXPECT_EQ(r.ReadInteger("Yoshi", -1), 0);
    EXPECT_EQ(r.ReadInteger("Fukuro", -1), 1);
    EXPECT_EQ(r.ReadFloat("FukuroWidth", -1), 40);
    EXPECT_EQ(r.ReadFloat("Pagekan", -1), 20);
    EXPECT_EQ(r.ReadInteger("PageCount", -1), 1);
    EXPECT_TRUE(r.ReadBool("DocTitleOneColumn", false));
    EXPECT_FALSE(r.ReadBool("TitleTitle", true));
    EXPECT_EQ(r.ReadString("TextFontName"), kMincho);
    EXPECT_EQ(r.ReadFloat("TextFontSize", -1), 10.6);
    EXPECT_EQ(r.ReadFloat("DocTitleFontSize", -1), 12);
    return 0;
  });
}

TEST_F(PrintFormTest, NumberBoxesStoredWithTheirDefaultsWhenNoNumber) {
  struct Case {
    QLineEdit* TPrintForm::*box;
    const char* name;
    const char* typed;
    double stored;
    const char* shown_again;
  } cases[] = {
      {&TPrintForm::LeftMarginEdit, "LeftMargin", "abc", 20, "20"},
      {&TPrintForm::BottomMarginEdit, "BottomMargin", "", 20, "20"},
      {&TPrintForm::GyokanEdit, "Gyokan", " 2.5 ", 2.5, "2.5"},
      {&TPrintForm::ImageWidthEdit, "ImageWidth", "inf", 50, "50"},
      {&TPrintForm::FukuroWidthEdit, "FukuroWidth", "35.25", 35.25, "35.25"},
      {&TPrintForm::ParIndentEdit, "ParIndent", "1x", 0, "0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    {
      auto f = Make();
      ((*f).*c.box)->setText(QString::fromLatin1(c.typed));
      f->reject();  // any way of closing stores
    }
    EXPECT_EQ(Read([&](settings::SettingsStore& r) { return r.ReadFloat(c.name, -1); }), c.stored);
    auto again = Make();
    EXPECT_EQ(((*again).*c.box)->text(), QString::fromLatin1(c.shown_again));
  }
  // The page count: a float truncated toward zero, 1 when no number.
  for (auto [typed, stored] : {std::pair{"3.7", 3}, std::pair{"abc", 1}, std::pair{"12", 12}}) {
    auto f = Make();
    f->PageCountEdit->setText(QString::fromLatin1(typed));
    f->EndBitBtnClick();
    EXPECT_EQ(Read([](settings::SettingsStore& r) { return r.ReadInteger("PageCount", -1); }),
              stored)
        << typed;
  }
}

TEST_F(PrintFormTest, ChoicesSurviveTheNextRun) {
  {
    auto f = Make();
    f->YoshiComboBox->setCurrentIndex(5);
    f->MojiHokoRadioGroup->SetItemIndex(1);
    f->DangumiRadioGroup->SetItemIndex(1);
    f->ImagePosRadioGroup->SetItemIndex(2);
    f->PageNumRadioGroup->SetItemIndex(1);
    f->NowPageRadioButton->setChecked(true);
    f->TwoColumnRadioButton->setChecked(true);
    f->DateCheckBox->setChecked(true);
    f->ToLargeCheckBox->setChecked(true);
    f->CommaHenkanCheckBox->setChecked(false);
    f->EndBitBtnClick();
  }
  auto f = Make();
  EXPECT_EQ(f->YoshiComboBox->currentIndex(), 5);
  EXPECT_EQ(f->MojiHokoRadioGroup->ItemIndex(), 1);
  EXPECT_EQ(f->DangumiRadioGroup->ItemIndex(), 1);
  EXPECT_EQ(f->ImagePosRadioGroup->ItemIndex(), 2);
  EXPECT_EQ(f->PageNumRadioGroup->ItemIndex(), 1);
  EXPECT_TRUE(f->NowPageRadioButton->isChecked());
  EXPECT_FALSE(f->AllPageRadioButton->isChecked());
  EXPECT_TRUE(f->TwoColumnRadioButton->isChecked());
  EXPECT_TRUE(f->DateCheckBox->isChecked());
  EXPECT_TRUE(f->ToLargeCheckBox->isChecked());
  EXPECT_FALSE(f->CommaHenkanCheckBox->isChecked());
  const PrintSettings v = f->Values();
  EXPECT_EQ(v.Yoshi, 5);
  EXPECT_EQ(v.MojiHoko, 1);
  EXPECT_FALSE(v.AllPage);
  EXPECT_FALSE(v.DocTitleOneColumn);
  EXPECT_TRUE(v.TitleDate);
}

TEST_F(PrintFormTest, FontButtonsTakeWholePointsButTen) {
  struct Case {
    double chosen;
    double stored;
  } cases[] = {{10, 10.6}, {11, 11}, {12.5, 12}, {10.5, 10}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.chosen);
    {
      auto f = Make();
      QFont font(QStringLiteral("IPAexGothic"));
      font.setPointSizeF(c.chosen);
      font.setBold(true);
      prompter_.fonts.push_back({font, QColor(0x10, 0x20, 0x30)});
      f->TextFontButton->click();
      EXPECT_EQ(f->Values().TextFont.size, c.stored);
      EXPECT_EQ(f->TextPanel->font().family(), QStringLiteral("IPAexGothic"));
      f->EndBitBtnClick();
    }
    Read([&](settings::SettingsStore& r) {
      EXPECT_EQ(r.ReadFloat("TextFontSize", -1), c.stored);
      EXPECT_EQ(r.ReadString("TextFontName"), "IPAexGothic");
      EXPECT_EQ(r.ReadInteger("TextFontStyle", -1), 1);         // bold
      EXPECT_EQ(r.ReadInteger("TextFontColor", -1), 0x302010);  // 0x00BBGGRR
      EXPECT_EQ(r.ReadFloat("DocTitleFontSize", -1), 12);       // the others untouched
      return 0;
    });
  }
  // A cancelled font dialog changes nothing.
  auto f = Make();
  const PrintFontSetting before = f->Values().PageTitleFont;
  f->PageTitleFontButton->click();
  EXPECT_EQ(f->Values().PageTitleFont.size, before.size);
  EXPECT_EQ(f->Values().PageTitleFont.name, before.name);
}

TEST_F(PrintFormTest, TitleHistoryKeepsTheTwentyMostRecent) {
  {
    auto f = Make();
    for (int i = 1; i <= 22; ++i) {
      f->DocumentTitleEdit->setEditText(QStringLiteral("  題%1 ").arg(i));
      f->PrintBitBtnClick();
    }
    EXPECT_EQ(previews_, 22);
    EXPECT_EQ(f->DocumentTitleEdit->currentText(), QStringLiteral("題22"));  // trimmed
    ASSERT_EQ(f->TitleHistory().size(), 20u);
    EXPECT_EQ(cp932::Decode(f->TitleHistory().front()), QStringLiteral("題22"));
    EXPECT_EQ(cp932::Decode(f->TitleHistory().back()), QStringLiteral("題3"));
    EXPECT_EQ(f->DocumentTitleEdit->count(), 20);
    // A title already listed moves to the top; an empty one leaves the list alone.
    f->DocumentTitleEdit->setEditText(QStringLiteral("題10"));
    f->PrintBitBtnClick();
    f->DocumentTitleEdit->setEditText(QStringLiteral("   "));
    f->PrintBitBtnClick();
    EXPECT_EQ(f->DocumentTitleEdit->currentText(), QString());
    EXPECT_EQ(f->Values().DocTitle, "");
    ASSERT_EQ(f->TitleHistory().size(), 20u);
    EXPECT_EQ(cp932::Decode(f->TitleHistory()[0]), QStringLiteral("題10"));
    EXPECT_EQ(cp932::Decode(f->TitleHistory()[1]), QStringLiteral("題22"));
    f->EndBitBtnClick();
  }
  // The next run shows the most recent title.
  auto f = Make();
  EXPECT_EQ(f->TitleHistory().size(), 20u);
  EXPECT_EQ(f->DocumentTitleEdit->currentText(), QStringLiteral("題10"));
  EXPECT_EQ(cp932::Decode(f->Values().DocTitle), QStringLiteral("題10"));
}

TEST_F(PrintFormTest, EnablingHandlers) {
  struct Case {
    int moji, fukuro, dangumi, image;
    bool now_page;
    // expected
    bool henkan, fukuro_width, dankan, image_width, page_count;
    const char* image_items[2];
    const char* image_label;
  } cases[] = {
      {0, 1, 0, 0, false, false, true, false, false, false, {"左寄せ", "右寄せ"}, "画像の横幅"},
      {1, 0, 1, 1, true, true, false, true, true, true, {"上寄せ", "下寄せ"}, "画像の高さ"},
      {1, 1, 1, 2, false, true, true, true, true, false, {"上寄せ", "下寄せ"}, "画像の高さ"},
      {0, 0, 0, 2, true, false, false, false, true, true, {"左寄せ", "右寄せ"}, "画像の横幅"},
  };
  auto f = Make();
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.moji << c.fukuro << c.dangumi << c.image);
    // The user's clicks run the handlers.
    f->MojiHokoRadioGroup->Button(c.moji)->click();
    f->FukuroRadioGroup->Button(c.fukuro)->click();
    f->DangumiRadioGroup->Button(c.dangumi)->click();
    f->ImagePosRadioGroup->Button(c.image)->click();
    (c.now_page ? f->NowPageRadioButton : f->AllPageRadioButton)->click();
    EXPECT_EQ(f->CommaHenkanCheckBox->isEnabled(), c.henkan);
    EXPECT_EQ(f->NumHenkanCheckBox->isEnabled(), c.henkan);
    EXPECT_EQ(f->FukuroWidthEdit->isEnabled(), c.fukuro_width);
    EXPECT_EQ(f->FukuroWidthMmLabel->isEnabled(), c.fukuro_width);
    for (QWidget* w :
         std::initializer_list<QWidget*>{f->DankanEdit, f->DankanLabel, f->TitleWidthLabel,
                                         f->OneColumnRadioButton, f->TwoColumnRadioButton})
      EXPECT_EQ(w->isEnabled(), c.dankan) << w->objectName().toStdString();
    EXPECT_EQ(f->ImageWidthEdit->isEnabled(), c.image_width);
    EXPECT_EQ(f->ImageWidthLabel->isEnabled(), c.image_width);
    EXPECT_EQ(f->PageCountEdit->isEnabled(), c.page_count);
    EXPECT_EQ(f->ImagePosRadioGroup->Button(1)->text(), QString::fromUtf8(c.image_items[0]));
    EXPECT_EQ(f->ImagePosRadioGroup->Button(2)->text(), QString::fromUtf8(c.image_items[1]));
    EXPECT_EQ(f->ImageWidthLabel->text(), QString::fromUtf8(c.image_label));
    EXPECT_EQ(f->ImagePosRadioGroup->ItemIndex(), c.image);  // the direction keeps the choice
  }
  // FormActivate runs them all on what is shown.
  f->EndBitBtnClick();
  auto again = Make();
  EXPECT_FALSE(again->NumHenkanCheckBox->isEnabled());
  EXPECT_EQ(again->ImageWidthLabel->text(), QStringLiteral("画像の横幅"));  // last case horizontal
  EXPECT_TRUE(again->PageCountEdit->isEnabled());
  EXPECT_FALSE(again->FukuroWidthEdit->isEnabled());
}

class PrintWindowTest : public app::test::MainFormTest {};

TEST_F(PrintWindowTest, MenuCommandOpensTheDialogOnlyWithAFileOpen) {
  Start();
  ASSERT_NE(form_->Action("PrintItem"), nullptr);
  EXPECT_EQ(form_->Action("PrintItem")->text(), QStringLiteral("印刷 (&P)"));
  EXPECT_FALSE(form_->Action("PrintItem")->isEnabled());
  PrintOf().PrintItemClick();  // even reached directly, nothing without a file
  EXPECT_EQ(std::count(prompter_.shown.begin(), prompter_.shown.end(),
                       QStringLiteral("dialog|印刷書式設定")),
            0);
  Stop();

  Start({Sample("s")});
  EXPECT_TRUE(form_->Action("PrintItem")->isEnabled());
  QString caption;
  prompter_.dialogs.push_back([&caption](QDialog& d) {
    auto& f = dynamic_cast<TPrintForm&>(d);
    f.FormActivate();
    caption = f.TitleCheckBox->text();
    f.LeftMarginEdit->setText(QStringLiteral("15"));
    f.EndBitBtnClick();
    return true;
  });
  Trigger("PrintItem");
  EXPECT_EQ(prompter_.shown.back(), QStringLiteral("dialog|印刷書式設定"));
  EXPECT_EQ(caption, QStringLiteral("タイトル"));  // the field captions of the window
  // The same dialog again: its values stay within the run.
  prompter_.dialogs.push_back([](QDialog& d) {
    EXPECT_EQ(dynamic_cast<TPrintForm&>(d).LeftMarginEdit->text(), QStringLiteral("15"));
    return true;
  });
  Trigger("PrintItem");
  EXPECT_TRUE(prompter_.dialogs.empty());
}

// The preview from the window: the page being edited is written first, the pages chosen are
// those from the current one, and the window stays on its page.
TEST_F(PrintWindowTest, PreviewReadsTheEditedPagesFromTheCurrentOne) {
  app::TSDIAppForm& f = Start({Sample("s")});
  Trigger("NextItem");
  const int page = f.session().table().RecNo();
  f.TextMemo->setFocus();
  f.TextMemo->SetSelStart(0);
  QTest::keyClicks(f.TextMemo, "Zebra123 ");
  int sheets = -1;
  bool edited_shown = false;
  size_t lines = 0;
  prompter_.dialogs.push_back([&](QDialog& d) {
    auto& form = dynamic_cast<TPrintForm&>(d);
    form.FormActivate();
    form.NowPageRadioButton->setChecked(true);
    form.PageCountEdit->setText(QStringLiteral("1"));
    form.PrintBitBtn->click();
    return true;
  });
  prompter_.dialogs.push_back([&](QDialog& d) {
    auto& preview = dynamic_cast<TPrintPreviewForm&>(d);
    sheets = preview.SheetCount();
    const ChunkTexts& chunks = preview.Run().chunk_text;
    for (size_t i = 0; i < chunks.size(); ++i) edited_shown |= chunks[i] == "Zebra123";
    lines = preview.Run().lines.size();
    return true;
  });
  Trigger("PrintItem");
  EXPECT_TRUE(prompter_.dialogs.empty());
  EXPECT_GE(sheets, 1);
  EXPECT_TRUE(edited_shown);
  EXPECT_GT(lines, 1u);
  EXPECT_EQ(f.session().table().RecNo(), page);
  EXPECT_EQ(TextOf().substr(0, 9), "Zebra123 ");

  // No page to print (none from the current one) and no document title: a notice, no preview.
  prompter_.dialogs.push_back([&](QDialog& d) {
    auto& form = dynamic_cast<TPrintForm&>(d);
    form.FormActivate();
    form.PageCountEdit->setText(QStringLiteral("0"));
    form.DocumentTitleEdit->setEditText(QString());
    form.PrintBitBtn->click();
    return true;
  });
  Trigger("PrintItem");
  EXPECT_EQ(prompter_.shown.back(), QStringLiteral("お知らせ|印刷するページがありません。"));
  EXPECT_TRUE(prompter_.dialogs.empty());
}

}  // namespace
}  // namespace sk::print
