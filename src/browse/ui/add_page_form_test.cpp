// The add-page dialog: AddPageMode in and out through the controls, which controls are usable,
// and the field captions.
#include "browse/ui/add_page_form.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDialog>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>

namespace sk::browse {
namespace {

const std::vector<std::string> kCaptions = {"分類", "タイトル", "サブタイトル", "日付",
                                            "画像ファイル"};

TEST(AddPageModeTest, ParseAndFormat) {
  struct Case {
    std::string in;
    std::string out;  // formatted again
  } cases[] = {
      {"0000000", "0000000"},   {"1111111", "1111111"},
      {"1010101", "1010101"},   {"1", "1000000"},  // short: the missing positions are off
      {"", "0000000"},                             // missing value
      {"12x1?10", "1001010"},                      // anything but '1' is off
      {"111111111", "1111111"},                    // characters past the seventh are ignored
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FormatAddPageMode(ParseAddPageMode(c.in)), c.out) << c.in;
  }
  const AddPageChoice c = ParseAddPageMode("0101001");
  EXPECT_FALSE(c.copy);
  EXPECT_TRUE(c.bunrui);
  EXPECT_FALSE(c.title);
  EXPECT_TRUE(c.chosha);
  EXPECT_FALSE(c.text);
  EXPECT_FALSE(c.date);
  EXPECT_TRUE(c.view_mode);
  // Position 5 is the text and position 6 the date.
  EXPECT_TRUE(ParseAddPageMode("0000100").text);
  EXPECT_TRUE(ParseAddPageMode("0000010").date);
}

// One opening followed by OK, with the view-mode group as it is after construction.
TEST(AddPageFormTest, OpenThenOk) {
  struct Case {
    std::string mode;
    bool page_has_view_mode;
    std::string expected;
  } cases[] = {
      {"0000000", false, "0000000"},
      {"0000000", true, "0000001"},  // "take over" is selected at start and the group is usable
      {"0000001", true, "0000001"},
      {"0000001", false, "0000000"},  // group disabled: position 7 off whatever was stored
      {"1", false, "1000000"},        // copy mode with nothing checked
      {"0111110", false, "0111110"},  // marks kept although the boxes are disabled
      {"110101111", false, "1101010"},
  };
  for (const Case& c : cases) {
    TAddPageForm form;
    form.FormActivate(c.mode, kCaptions, c.page_has_view_mode);
    EXPECT_EQ(form.OkBitBtnClick(), c.expected) << c.mode << " " << c.page_has_view_mode;
    EXPECT_EQ(form.result(), c.expected);
  }
}

TEST(AddPageFormTest, EnabledStatesFollowTheMode) {
  TAddPageForm form;
  form.FormActivate("0110000", kCaptions, false);
  EXPECT_TRUE(form.NotCopyRadioButton->isChecked());
  EXPECT_FALSE(form.GroupBox2->isEnabled());
  EXPECT_FALSE(form.CheckBox1->isEnabled());
  EXPECT_FALSE(form.PageViewModeRadioGroup->isEnabled());

  // Switching to copy mode enables the boxes and keeps their marks.
  form.CopyRadioButton->click();
  EXPECT_TRUE(form.GroupBox2->isEnabled());
  for (QCheckBox* c :
       {form.CheckBox1, form.CheckBox2, form.CheckBox3, form.CheckBox4, form.CheckBox5}) {
    EXPECT_TRUE(c->isEnabled()) << c->text().toStdString();
  }
  EXPECT_TRUE(form.CheckBox1->isChecked());
  EXPECT_TRUE(form.CheckBox2->isChecked());
  form.CheckBox4->click();
  form.NotCopyRadioButton->click();
  EXPECT_FALSE(form.CheckBox4->isEnabled());
  EXPECT_TRUE(form.CheckBox4->isChecked());
  EXPECT_EQ(form.OkBitBtnClick(), "0110100");
  EXPECT_EQ(form.result(), "0110100");
}

// The view-mode choice is not read from AddPageMode: it stays as the user left it.
TEST(AddPageFormTest, ViewModeChoiceKeptBetweenOpenings) {
  TAddPageForm form;
  form.FormActivate("0000001", kCaptions, true);
  EXPECT_TRUE(form.TakeOverRadioButton->isChecked());
  form.KeepOwnRadioButton->click();
  EXPECT_EQ(form.OkBitBtnClick(), "0000000");

  form.FormActivate("0000001", kCaptions, true);
  EXPECT_TRUE(form.KeepOwnRadioButton->isChecked());
  EXPECT_EQ(form.OkBitBtnClick(), "0000000");
}

TEST(AddPageFormTest, CaptionsFromTheFieldCaptions) {
  TAddPageForm form;
  form.FormActivate("0000000", {"種類", "件名", "作者", "記入日", "画像"}, false);
  EXPECT_EQ(form.CheckBox1->text(), QStringLiteral("種類"));
  EXPECT_EQ(form.CheckBox2->text(), QStringLiteral("件名"));
  EXPECT_EQ(form.CheckBox3->text(), QStringLiteral("作者"));
  EXPECT_EQ(form.CheckBox5->text(), QStringLiteral("記入日"));
  EXPECT_EQ(form.CheckBox4->text(), QStringLiteral("テキスト"));
  EXPECT_EQ(form.windowTitle(), QStringLiteral("新しいページを追加"));
}

TEST(AddPageFormTest, OkAcceptsCancelRejects) {
  TAddPageForm form;
  form.FormActivate("1000000", kCaptions, false);
  form.OkBitBtn->click();
  EXPECT_EQ(form.QDialog::result(), QDialog::Accepted);
  EXPECT_EQ(form.result(), "1000000");

  form.FormActivate("0000000", kCaptions, false);
  form.CancelBitBtn->click();
  EXPECT_EQ(form.QDialog::result(), QDialog::Rejected);
  EXPECT_EQ(form.result(), "1000000");  // the last OK's mode stays
}

}  // namespace
}  // namespace sk::browse
