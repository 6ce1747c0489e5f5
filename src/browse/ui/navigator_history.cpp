// The page history (back and forward), the memory of positions on visited pages, and the date
// search that the one-year commands use.
#include <QAction>
#include <QToolButton>

#include "browse/ui/cp932_text.h"
#include "browse/ui/navigator.h"
#include "browse/ui/page_selector.h"
#include "browse/view_state.h"
#include "editor/ui/text_area.h"
#include "images/ui/image_side.h"
#include "search/date_find.h"
#include "settings/settings_store.h"
#include "shell/page_file_session.h"
#include "shell/shell_services.h"

namespace sk::browse {

void Navigator::EnableHistoryButtons(bool back, bool forward) {
  if (QAction* a = shell_.Action("PageRirekiBackItem")) a->setEnabled(back);
  if (QToolButton* b = shell_.ToolButton("ModoruButton")) b->setEnabled(back);
  if (QAction* a = shell_.Action("PageRirekiForwardItem")) a->setEnabled(forward);
  if (QToolButton* b = shell_.ToolButton("SusumuButton")) b->setEnabled(forward);
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
  std::string key = settings::PerFileKeyPath(B(session_.Name()));
  if (std::optional<ViewCondition> v = ReadViewCondition(shell_.reg(), key); v && v->RecNo) {
    int n = map(*v->RecNo);
    if (n > 0) {
      v->RecNo = n;
    } else {
      v->RecNo.reset();
      v->SelStart = v->SelLength = 0;
    }
    WriteViewCondition(shell_.reg(), key, *v);
  }
}

void Navigator::SetBookmarkList() {
  history_.Record(session_.table().RecNo(), history_navigating_);
  EnableHistoryButtons(history_.pos() >= 0, false);
}

void Navigator::ResetRecNoList() { positions_.Reset(); }

void Navigator::SetRecNoList() {
  positions_.Remember(PagePosition{session_.table().RecNo(), w_.text->SelStart(),
                                   w_.text->SelLength(), images_.ImageNum()});
}

void Navigator::ShowAfterHistoryStep(bool stepped) {
  if (stepped) {
    if (history_.pos() < 0) {
      session_.table().First();
      images_.SetRestoreImageNum(0);
    }
    AfterMove(true, true);
    if (!AlternateShown() && w_.text->isVisible()) w_.text->setFocus();
  } else if (AlternateShown()) {
    AfterMove(true, true);
  }
  UpdateHistoryButtons();
  history_navigating_ = false;
}

void Navigator::ModoruButtonClick() {
  if (!session_.IsOpen()) return;
  history_navigating_ = true;
  BeforeMove();
  bool stepped = history_.Back([this](int recno) { return GotoRecNo(recno); });
  ShowAfterHistoryStep(stepped);
}

void Navigator::SusumuButtonClick() {
  if (!session_.IsOpen()) return;
  history_navigating_ = true;
  BeforeMove();
  bool stepped = history_.Forward([this](int recno) { return GotoRecNo(recno); });
  ShowAfterHistoryStep(stepped);
}

void Navigator::DateFindStart(const store::Date& target) {
  store::Table& t = session_.table();
  if (!t.is_open()) return;
  int n = t.RecNo();
  BeforeMove();
  ResetLink();
  std::string order = t.IndexName();
  Status st = t.SetIndexName("D");
  bool kept = true;
  if (st.ok()) st = selector_.MarkSelection(&kept);
  if (st.ok()) st = search::MoveToDate(t, target);
  shell_.Report(st);
  if (n < 0 || t.RecNo() != n || AlternateShown()) AfterMove(true, true);
  SetLink();
  st = t.SetIndexName(order);
  shell_.Report(st);
}

}  // namespace sk::browse
