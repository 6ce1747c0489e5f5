#include "browse/view_state.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

namespace sk::browse {
namespace {

class ViewStateTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(dir_.isValid()); }
  std::string File() const { return (dir_.path() + "/sorakumo.conf").toStdString(); }
  QTemporaryDir dir_;
  const std::string key_ = settings::PerFileKeyPath("Diary.DBF");
};

TEST_F(ViewStateTest, EveryValueComesBack) {
  ViewCondition v;
  v.SelStart = 12;
  v.SelLength = 3;
  v.ImageNum = 2;
  v.ImageAction = 0;
  v.IndexName = "T";
  v.selection.BunruiSelectMode = true;
  v.selection.SelBunruiList = {"memo", "\x93\xfa\x8b\x4c"};  // memo, 日記
  v.selection.SelBunruiNumList = {"0", "3"};
  v.selection.DateSelectMode = true;
  v.SelStartDate = "2001/1/5";
  v.SelEndDate = "";
  v.selection.TitleSelectMode = true;
  v.selection.SelTitle = "abc";
  v.selection.SelChosha = "kept while off";
  v.Filtered = true;
  v.RecNo = 12;
  {
    settings::SettingsStore reg(File());
    WriteViewCondition(reg, key_, v);
    ASSERT_TRUE(reg.Sync().ok());
  }
  settings::SettingsStore reg(File());
  std::optional<ViewCondition> r = ReadViewCondition(reg, settings::PerFileKeyPath("diary.dbf"));
  ASSERT_TRUE(r);
  EXPECT_EQ(r->SelStart, 12);
  EXPECT_EQ(r->SelLength, 3);
  EXPECT_EQ(r->ImageNum, 2);
  EXPECT_EQ(r->ImageAction, 0);
  EXPECT_EQ(r->IndexName, "T");
  EXPECT_EQ(r->selection.SelBunruiList, v.selection.SelBunruiList);
  EXPECT_EQ(r->selection.SelBunruiNumList, v.selection.SelBunruiNumList);
  EXPECT_EQ(r->SelStartDate, "2001/1/5");
  EXPECT_EQ(r->selection.SelStartDate, (store::Date{2001, 1, 5}));
  EXPECT_EQ(r->selection.SelEndDate, (store::Date{2099, 12, 31}));
  EXPECT_TRUE(r->selection.BunruiSelectMode && r->selection.DateSelectMode &&
              r->selection.TitleSelectMode && !r->selection.ChoshaSelectMode);
  EXPECT_EQ(r->selection.SelTitle, "abc");
  EXPECT_EQ(r->selection.SelChosha, "kept while off");
  EXPECT_EQ(r->Filtered, std::optional<bool>(true));
  EXPECT_EQ(r->RecNo, std::optional<int>(12));
}

TEST_F(ViewStateTest, MissingValuesAndDatesThatAreNotDates) {
  settings::SettingsStore reg(File());
  EXPECT_FALSE(ReadViewCondition(reg, key_)) << "no subkey";
  reg.OpenKey(key_, true);
  reg.WriteString("Bunrui", "memo\r\n");  // another Part's value: the subkey exists
  reg.WriteString("SelStartDate", "2001.1.5");
  reg.WriteString("SelEndDate", "x");
  reg.WriteString("RecNo", "not a number");
  reg.CloseKey();
  std::optional<ViewCondition> r = ReadViewCondition(reg, key_);
  ASSERT_TRUE(r);
  EXPECT_EQ(r->ImageAction, 1);
  EXPECT_EQ(r->IndexName, "");
  EXPECT_FALSE(r->Filtered);
  EXPECT_EQ(r->RecNo, std::optional<int>(0));  // there, but unreadable: no page
  EXPECT_EQ(r->selection.SelStartDate, (store::Date{1899, 12, 30}));
  EXPECT_EQ(r->selection.SelEndDate, (store::Date{2119, 1, 11}));
  EXPECT_FALSE(r->selection.AnyActive());
  EXPECT_EQ(StartDateFromText(" "), (store::Date{1900, 1, 1}));
  EXPECT_EQ(EndDateFromText("2024/02/29"), (store::Date{2024, 2, 29}));
}

}  // namespace
}  // namespace sk::browse
