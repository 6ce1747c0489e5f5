// The page history (back and forward), the memory of positions on visited pages, and the date
// search that the one-year commands use.
#include <QAction>
#include <QToolButton>

#include "app/ui/mainform.h"
#include "browse/ui/navigator.h"
#include "browse/ui/page_selector.h"
#include "browse/view_state.h"
#include "editor/ui/text_area.h"
#include "images/ui/image_side.h"
#include "search/date_find.h"

namespace sk::browse {

void Navigator::EnableHistoryButtons(bool back, bool forward) {
  if (QAction* a = f_.Action("PageRirekiBackItem")) a->setEnabled(back);
  if (QToolButton* b = f_.ToolButton("ModoruButton")) b->setEnabled(back);
  if (QAction* a = f_.Action("PageRirekiForwardItem")) a->setEnabled(forward);
  if (QToolButton* b = f_.ToolButton("SusumuButton")) b->setEnabled(forward);
}

void Navigator::UpdateHistoryButtons() {
  EnableHistoryButtons(history_.CanBack(), history_.CanForward());
}

void Navigator::ResetBookmarkList() {
  history_.Reset();
  UpdateHistoryButtons();
}

void Navigator::RenumberPages(const std::vector<uint32_t>& new_number) {
  auto map = [&](int n) {
    return n > 0 && size_t(n) < new_number.size() ? int(new_number[size_t(n)]) : 0;
  };
  history_.Renumber(map);
  positions_.Renumber(map);
  UpdateHistoryButtons();
  // The view kept in the settings until the file is next closed (a crash keeps this one).
  std::string key = settings::PerFileKeyPath(app::B(f_.PageFileName));
  if (std::optional<ViewCondition> v = ReadViewCondition(f_.Reg, key); v && v->RecNo) {
    int n = map(*v->RecNo);
    if (n > 0) {
      v->RecNo = n;
    } else {
      v->RecNo.reset();
      v->SelStart = v->SelLength = 0;
    }
    WriteViewCondition(f_.Reg, key, *v);
  }
}

void Navigator::SetBookmarkList() {
  history_.Record(f_.MainTable.RecNo(), history_navigating_);
  EnableHistoryButtons(history_.pos() >= 0, false);
}

void Navigator::ResetRecNoList() { positions_.Reset(); }

void Navigator::SetRecNoList() {
  positions_.Remember(PagePosition{f_.MainTable.RecNo(), f_.TextMemo->SelStart(),
                                   f_.TextMemo->SelLength(), f_.Images->ImageNum()});
}

void Navigator::ShowAfterHistoryStep(bool stepped) {
  if (stepped) {
    if (history_.pos() < 0) {
      f_.MainTable.First();
      f_.Images->SetRestoreImageNum(0);
    }
    AfterMove(true, true);
    if (!AlternateShown() && f_.TextMemo->isVisible()) f_.TextMemo->setFocus();
  } else if (AlternateShown()) {
    AfterMove(true, true);
  }
  UpdateHistoryButtons();
  history_navigating_ = false;
}

void Navigator::ModoruButtonClick() {
  if (!f_.FileIsOpen()) return;
  history_navigating_ = true;
  BeforeMove();
  bool stepped = history_.Back([this](int recno) { return GotoRecNo(recno); });
  ShowAfterHistoryStep(stepped);
}

void Navigator::SusumuButtonClick() {
  if (!f_.FileIsOpen()) return;
  history_navigating_ = true;
  BeforeMove();
  bool stepped = history_.Forward([this](int recno) { return GotoRecNo(recno); });
  ShowAfterHistoryStep(stepped);
}

void Navigator::DateFindStart(const store::Date& target) {
  store::Table& t = f_.MainTable;
  if (!t.is_open()) return;
  int n = t.RecNo();
  BeforeMove();
  ResetLink();
  std::string order = t.IndexName();
  Status st = t.SetIndexName("D");
  bool kept = true;
  if (st.ok()) st = f_.Selector->MarkSelection(&kept);
  if (st.ok()) st = search::MoveToDate(t, target);
  f_.Report(st);
  if (n < 0 || t.RecNo() != n || AlternateShown()) AfterMove(true, true);
  SetLink();
  st = t.SetIndexName(order);
  f_.Report(st);
}

}  // namespace sk::browse
