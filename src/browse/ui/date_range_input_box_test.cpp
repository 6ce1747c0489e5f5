// The page selection dialog: OK turns the controls into a selection (or refuses a bad date and
// leaves it alone), the histories live in the settings, and opening shows the selection again.
#include "browse/ui/date_range_input_box.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <algorithm>
#include <memory>

#include "shell/prompter.h"
#include "convert/cp932.h"
#include "settings/settings_store.h"

namespace sk::browse {
namespace {

class RecordingPrompter : public shell::Prompter {
 public:
  std::vector<QString> shown;  // "caption|text"
  void Inform(const QString& caption, const QString& text) override {
    shown.push_back(caption + "|" + text);
  }
  bool YesNo(const QString&, const QString&) override { return false; }
  bool OkCancel(const QString&, const QString&) override { return false; }
  void Error(const QString& text) override { shown.push_back("error|" + text); }
  std::optional<QString> OpenFileName(const shell::FileDialogSpec&) override { return {}; }
  std::optional<QString> SaveFileName(const shell::FileDialogSpec&) override { return {}; }
  std::optional<QString> Input(const QString&, const QString&, const QString&) override {
    return {};
  }
};

const std::vector<std::string> kCaptions = {"分類", "タイトル", "サブタイトル", "日付",
                                            "画像ファイル"};

std::string Sjis(std::string_view utf8) {
  std::string out;
  EXPECT_TRUE(cp932::FromUtf8ToCp932(utf8, &out));
  return out;
}

class DateRangeInputBoxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    store_ = std::make_unique<settings::SettingsStore>(ConfPath());
  }
  std::string ConfPath() const { return (dir_.path() + "/sorakumo.conf").toStdString(); }
  std::unique_ptr<TDateRangeInputBox> NewBox() {
    return std::make_unique<TDateRangeInputBox>(*store_, prompter_);
  }
  // Opens the dialog on `sel` as the command does.
  void Open(TDateRangeInputBox& box, const PageSelection& sel, bool filtered = true) {
    box.Prepare(categories_, sel);
    box.FormActivate(kCaptions, sel, filtered);
  }

  QTemporaryDir dir_;
  std::unique_ptr<settings::SettingsStore> store_;
  RecordingPrompter prompter_;
  std::vector<std::string> categories_ = {Sjis("日記"), "Memo", Sjis("旅行")};
};

// The date boxes as typed, and what OK makes of them.
TEST_F(DateRangeInputBoxTest, DateRanges) {
  struct Case {
    const char* from;
    const char* to;
    bool mode;
    store::Date start, end;
  } cases[] = {
      {"", "", false, {1900, 1, 1}, {2099, 12, 31}},
      {"  ", " ", false, {1900, 1, 1}, {2099, 12, 31}},
      {"", "2024/1/5", true, {1900, 1, 1}, {2024, 1, 5}},
      {"2024/01/05", "", true, {2024, 1, 5}, {2099, 12, 31}},
      {" 2023/12/1 ", "2024/2/29", true, {2023, 12, 1}, {2024, 2, 29}},
      {"2024/3/1", "2024/1/1", true, {2024, 3, 1}, {2024, 1, 1}},  // reversed: kept as typed
  };
  for (const Case& c : cases) {
    auto box = NewBox();
    PageSelection sel;
    Open(*box, sel);
    box->FromDateEdit->setText(QString::fromUtf8(c.from));
    box->ToDateEdit->setText(QString::fromUtf8(c.to));
    ASSERT_TRUE(box->OkBtnClick(sel)) << c.from << "~" << c.to;
    EXPECT_EQ(sel.DateSelectMode, c.mode) << c.from << "~" << c.to;
    EXPECT_EQ(sel.SelStartDate, c.start) << c.from;
    EXPECT_EQ(sel.SelEndDate, c.end) << c.to;
    EXPECT_EQ(box->result(), QDialog::Accepted);
  }
  EXPECT_TRUE(prompter_.shown.empty());
}

TEST_F(DateRangeInputBoxTest, OnlyAnEndDateShowsTheOpenStartNextTime) {
  auto box = NewBox();
  PageSelection sel;
  Open(*box, sel);
  box->ToDateEdit->setText("2024/4/1");
  ASSERT_TRUE(box->OkBtnClick(sel));
  Open(*box, sel);
  EXPECT_EQ(box->FromDateEdit->text(), "1900/1/1");
  EXPECT_EQ(box->ToDateEdit->text(), "2024/4/1");
  // With the filter off the boxes are emptied.
  Open(*box, sel, false);
  EXPECT_EQ(box->FromDateEdit->text(), "");
  EXPECT_EQ(box->ToDateEdit->text(), "");
}

TEST_F(DateRangeInputBoxTest, BadDateLeavesTheSelectionAsItWas) {
  PageSelection sel;
  sel.BunruiSelectMode = true;
  sel.SelBunruiList = {"Memo"};
  sel.SelBunruiNumList = {"1"};
  sel.DateSelectMode = true;
  sel.SelStartDate = {2020, 1, 1};
  sel.SelEndDate = {2020, 12, 31};
  sel.TitleSelectMode = true;
  sel.SelTitle = "abc";
  const PageSelection before = sel;

  for (const char* side : {"from", "to"}) {
    auto box = NewBox();
    Open(*box, sel);
    box->SelectSomeRadioButton->click();
    box->BunruiListBox->item(0)->setSelected(true);
    box->TitleEdit->setEditText("xyz");
    (side == std::string("from") ? box->FromDateEdit : box->ToDateEdit)->setText(" 2024.1.5 ");
    prompter_.shown.clear();
    EXPECT_FALSE(box->OkBtnClick(sel)) << side;
    EXPECT_EQ(box->result(), QDialog::Rejected);
    ASSERT_EQ(prompter_.shown.size(), 1u) << side;
    EXPECT_EQ(prompter_.shown[0], QStringLiteral("入力ミス|2024.1.5 は日付データではありません。"));
    EXPECT_EQ(sel.BunruiSelectMode, before.BunruiSelectMode);
    EXPECT_EQ(sel.SelBunruiList, before.SelBunruiList);
    EXPECT_EQ(sel.SelBunruiNumList, before.SelBunruiNumList);
    EXPECT_EQ(sel.DateSelectMode, before.DateSelectMode);
    EXPECT_EQ(sel.SelStartDate, before.SelStartDate);
    EXPECT_EQ(sel.SelEndDate, before.SelEndDate);
    EXPECT_EQ(sel.TitleSelectMode, before.TitleSelectMode);
    EXPECT_EQ(sel.SelTitle, before.SelTitle);
    EXPECT_EQ(sel.ChoshaSelectMode, before.ChoshaSelectMode);
    // Nothing reaches the history either.
    EXPECT_EQ(box->TitleHistory(), std::vector<std::string>{""});
  }
}

TEST_F(DateRangeInputBoxTest, TextConditionsTrimmedAndLowerCased) {
  struct Case {
    std::string typed;  // CP932
    bool mode;
    std::string value;
  } cases[] = {
      {" Abc ", true, "abc"},
      {"", false, ""},
      {"   ", false, ""},
      {Sjis("ＡＢＣ日記"), true, Sjis("ａｂｃ日記")},  // full-width letters too, length kept
  };
  for (const Case& c : cases) {
    auto box = NewBox();
    PageSelection sel;
    Open(*box, sel);
    box->TitleEdit->setEditText(cp932::Decode(c.typed));
    box->ChoshaEdit->setEditText(cp932::Decode(c.typed));
    ASSERT_TRUE(box->OkBtnClick(sel));
    EXPECT_EQ(sel.TitleSelectMode, c.mode) << c.typed;
    EXPECT_EQ(sel.SelTitle, c.value) << c.typed;
    EXPECT_EQ(sel.ChoshaSelectMode, c.mode) << c.typed;
    EXPECT_EQ(sel.SelChosha, c.value) << c.typed;
    // The history holds the text as typed, even when empty.
    EXPECT_EQ(box->TitleHistory().front(), c.typed);
  }
}

TEST_F(DateRangeInputBoxTest, HistoriesAreKeptInTheSettings) {
  {
    auto box = NewBox();
    EXPECT_EQ(box->TitleHistory(), std::vector<std::string>{""});  // nothing stored yet
    PageSelection sel;
    for (int i = 0; i < 25; ++i) {
      Open(*box, sel);
      box->TitleEdit->setEditText(QString("t%1").arg(i));
      box->ChoshaEdit->setEditText("Sub");
      ASSERT_TRUE(box->OkBtnClick(sel));
    }
    Open(*box, sel);
    box->TitleEdit->setEditText("T10");  // equal to "t10" but for case: moves up as typed
    box->ChoshaEdit->setEditText("sub");
    ASSERT_TRUE(box->OkBtnClick(sel));
    ASSERT_EQ(box->TitleHistory().size(), 20u);
    EXPECT_EQ(box->TitleHistory()[0], "T10");
    EXPECT_EQ(box->TitleHistory()[1], "t24");
    EXPECT_EQ(box->TitleHistory()[19], "t5");
    EXPECT_EQ(std::count(box->TitleHistory().begin(), box->TitleHistory().end(), "t10"), 0);
    EXPECT_EQ(box->ChoshaHistory(), (std::vector<std::string>{"sub", ""}));
  }
  // A new store on the same file and a new dialog read the histories back.
  store_ = std::make_unique<settings::SettingsStore>(ConfPath());
  auto box = NewBox();
  ASSERT_EQ(box->TitleHistory().size(), 20u);
  EXPECT_EQ(box->TitleHistory()[0], "T10");
  EXPECT_EQ(box->ChoshaHistory(), (std::vector<std::string>{"sub", ""}));
  Open(*box, PageSelection{});
  ASSERT_EQ(box->TitleEdit->count(), 20);
  EXPECT_EQ(box->TitleEdit->itemText(0), "T10");
  EXPECT_EQ(box->ChoshaEdit->itemText(1), "");
}

TEST_F(DateRangeInputBoxTest, OpeningShowsTheSelection) {
  auto box = NewBox();
  PageSelection sel;
  sel.TitleSelectMode = true;
  sel.SelTitle = "abc";
  sel.ChoshaSelectMode = false;
  sel.SelChosha = "old";
  box->ChoshaEdit->setEditText("last typed");
  box->FromDateEdit->setText("2024/1/1");
  Open(*box, sel);
  EXPECT_EQ(box->TitleEdit->currentText(), "abc");
  EXPECT_EQ(box->ChoshaEdit->currentText(), "last typed");  // mode off: the last text stays
  EXPECT_EQ(box->FromDateEdit->text(), "");                 // date mode off: emptied
  EXPECT_TRUE(box->SelectAllRadioButton->isChecked());
  EXPECT_FALSE(box->BunruiListBox->isEnabled());

  Open(*box, sel, false);
  EXPECT_EQ(box->TitleEdit->currentText(), "");
  EXPECT_EQ(box->ChoshaEdit->currentText(), "");
}

TEST_F(DateRangeInputBoxTest, CategoryMarks) {
  PageSelection sel;
  sel.BunruiSelectMode = true;
  sel.SelBunruiList = {"x", "y", "z", "w"};
  sel.SelBunruiNumList = {"2", "abc", "7", "-1", "0"};  // two entries do not name a category
  auto box = NewBox();
  Open(*box, sel);
  EXPECT_TRUE(box->SelectSomeRadioButton->isChecked());
  EXPECT_TRUE(box->BunruiListBox->isEnabled());
  ASSERT_EQ(box->BunruiListBox->count(), 3);
  EXPECT_TRUE(box->BunruiListBox->item(0)->isSelected());
  EXPECT_FALSE(box->BunruiListBox->item(1)->isSelected());
  EXPECT_TRUE(box->BunruiListBox->item(2)->isSelected());

  // OK rebuilds both lists from the marks, in list order.
  ASSERT_TRUE(box->OkBtnClick(sel));
  EXPECT_TRUE(sel.BunruiSelectMode);
  EXPECT_EQ(sel.SelBunruiList, (std::vector<std::string>{Sjis("日記"), Sjis("旅行")}));
  EXPECT_EQ(sel.SelBunruiNumList, (std::vector<std::string>{"0", "2"}));

  // "All": the lists stay, the condition goes off.
  Open(*box, sel);
  box->SelectAllRadioButton->click();
  EXPECT_FALSE(box->BunruiListBox->isEnabled());
  ASSERT_TRUE(box->OkBtnClick(sel));
  EXPECT_FALSE(sel.BunruiSelectMode);
  EXPECT_EQ(sel.SelBunruiNumList, (std::vector<std::string>{"0", "2"}));

  // "Some" with nothing marked is the same as "all".
  Open(*box, sel);
  box->SelectSomeRadioButton->click();
  EXPECT_TRUE(box->BunruiListBox->isEnabled());
  ASSERT_TRUE(box->OkBtnClick(sel));
  EXPECT_FALSE(sel.BunruiSelectMode);
  EXPECT_FALSE(sel.AnyActive());
}

TEST_F(DateRangeInputBoxTest, ResetClearsTheDialogOnly) {
  PageSelection sel;
  sel.BunruiSelectMode = true;
  sel.SelBunruiNumList = {"1"};
  sel.SelBunruiList = {"Memo"};
  sel.DateSelectMode = true;
  sel.SelStartDate = {2024, 1, 1};
  sel.TitleSelectMode = true;
  sel.SelTitle = "a";
  sel.ChoshaSelectMode = true;
  sel.SelChosha = "b";
  auto box = NewBox();
  Open(*box, sel);
  box->ResetBitBtn->click();
  EXPECT_TRUE(box->SelectAllRadioButton->isChecked());
  EXPECT_FALSE(box->BunruiListBox->isEnabled());
  EXPECT_EQ(box->FromDateEdit->text(), "");
  EXPECT_EQ(box->ToDateEdit->text(), "");
  EXPECT_EQ(box->TitleEdit->currentText(), "");
  EXPECT_EQ(box->ChoshaEdit->currentText(), "");
  EXPECT_TRUE(sel.AnyActive());  // the selection itself waits for OK
  ASSERT_TRUE(box->OkBtnClick(sel));
  EXPECT_FALSE(sel.AnyActive());
}

TEST_F(DateRangeInputBoxTest, CaptionsFromTheFieldCaptions) {
  auto box = NewBox();
  PageSelection sel;
  box->Prepare(categories_, sel);
  box->FormActivate({"種類", "件名", "作者", "記入日", "画像"}, sel, false);
  EXPECT_EQ(box->BunruiLabel->text(), QStringLiteral("種類(複数選択可)"));
  EXPECT_EQ(box->SelectAllRadioButton->text(), QStringLiteral("すべての種類を表示"));
  EXPECT_EQ(box->SelectSomeRadioButton->text(), QStringLiteral("表示する種類を制限"));
  EXPECT_EQ(box->DateLabel->text(), QStringLiteral("記入日 (西暦年/月/日)"));
  EXPECT_EQ(box->TitleLabel->text(), QStringLiteral("件名"));
  EXPECT_EQ(box->ChoshaLabel->text(), QStringLiteral("作者"));
  EXPECT_EQ(box->windowTitle(), QStringLiteral("表示するページを選択"));
}

// The OK button works on the bound selection.
TEST_F(DateRangeInputBoxTest, OkButtonUpdatesTheBoundSelection) {
  auto box = NewBox();
  PageSelection sel;
  box->BindSelection(&sel);
  Open(*box, sel);
  box->TitleEdit->setEditText("Q");
  box->OkBtn->click();
  EXPECT_EQ(box->result(), QDialog::Accepted);
  EXPECT_TRUE(sel.TitleSelectMode);
  EXPECT_EQ(sel.SelTitle, "q");
}

}  // namespace
}  // namespace sk::browse
