// The view of a page file kept across closing and opening it: the page on show and its text
// selection, the pictures, the display order and the page selection.
#include <QLineEdit>

#include "browse/ui/cp932_text.h"
#include "browse/ui/date_range_input_box.h"
#include "browse/ui/navigator.h"
#include "browse/ui/page_selector.h"
#include "browse/view_state.h"
#include "editor/ui/text_area.h"
#include "images/ui/image_side.h"
#include "settings/settings_store.h"
#include "shell/page_file_session.h"
#include "shell/shell_services.h"

namespace sk::browse {

void Navigator::SaveViewConditionBeforeClose() {
  store::Table& t = session_.table();
  if (!t.is_open()) return;
  PageSelector& s = selector_;
  TDateRangeInputBox& dialog = s.dialog();
  ViewCondition v;
  v.SelStart = w_.text->SelStart();
  v.SelLength = w_.text->SelLength();
  v.ImageNum = images_.ImageNum();
  v.ImageAction = images_.ImageAction();
  v.IndexName = t.IndexName();
  v.selection = s.selection();
  if (v.selection.DateSelectMode) {
    // The range in force, as the dialog shows it when it next opens: the boxes may still hold
    // text typed into a dialog that was cancelled.
    v.SelStartDate = FormatSelectionDate(v.selection.SelStartDate);
    v.SelEndDate = FormatSelectionDate(v.selection.SelEndDate);
  } else {
    v.SelStartDate = B(dialog.FromDateEdit->text());
    v.SelEndDate = B(dialog.ToDateEdit->text());
  }
  // A page edited out of the selection opens next time with the selection off.
  v.Filtered = t.Filtered() && s.CheckPageSelectedBeforePost();
  if (t.RecNo() >= 1) {
    v.RecNo = t.RecNo();
    MainTablePost();
  } else {
    // A new page: written, it is the last in page-number order.
    MainTablePost();
    s.SelectionOff();
    Status st = t.SetIndexName("");
    if (st.ok()) st = t.Last();
    shell_.Report(st);
    v.RecNo = std::max(0, t.RecNo());
  }
  WriteViewCondition(shell_.reg(), settings::PerFileKeyPath(B(session_.Name())), v);
  s.SelectionOff();
  dialog.ResetBitBtnClick();
}

void Navigator::SetViewConditionBeforeOpen() {
  store::Table& t = session_.table();
  PageSelector& s = selector_;
  std::optional<ViewCondition> v =
      ReadViewCondition(shell_.reg(), settings::PerFileKeyPath(B(session_.Name())));
  ResetLink(false);
  s.SelectionOff();
  Status st = t.SetIndexName("");
  int sel_start = 0, sel_length = 0;
  // The picture to show first on the page (remembered with its position).
  const int restore_image = v ? v->ImageNum : 0;
  if (!v) {
    images_.SetRestoreImageNum(restore_image);
    images_.ChangeImageMode(false, 1);
    s.SetSelection(PageSelection{});
    if (st.ok()) st = t.First();
  } else {
    s.SetSelection(v->selection);
    TDateRangeInputBox& dialog = s.dialog();
    dialog.FromDateEdit->setText(Q(v->SelStartDate));
    dialog.ToDateEdit->setText(Q(v->SelEndDate));
    // The page first, by its number; then the order (a tag the file lacks leaves page-number
    // order); then the selection, which may send the cursor elsewhere.
    bool moved = st.ok() && v->RecNo && GotoRecNo(*v->RecNo);
    if (st.ok() && !v->IndexName.empty() && !t.SetIndexName(v->IndexName).ok())
      st = t.SetIndexName("");
    if (st.ok() && !v->RecNo) st = t.First();
    int here = t.RecNo();
    if (st.ok() && v->Filtered.value_or(false)) {
      bool on = false;
      st = s.SwitchFilterOn(&on);
      if (st.ok() && on && !GotoRecNo(here)) {
        st = t.Last();
        if (st.ok() && t.IsEmpty()) {
          // Nothing is selected any more: the selection goes off.
          st = t.SetFiltered(false);
          if (st.ok()) st = t.Last();
        }
      }
    }
    // The text selection belongs to the page it was made on.
    if (moved && t.RecNo() == *v->RecNo) {
      sel_start = v->SelStart;
      sel_length = v->SelLength;
    }
    images_.SetRestoreImageNum(restore_image);
    images_.ChangeImageMode(false, v->ImageAction);
  }
  shell_.Report(st);
  ResetRecNoList();
  positions_.Remember(PagePosition{t.RecNo(), sel_start, sel_length, restore_image});
  s.CheckOrderItem();
  SetLink();
  AfterMove(true, true);
}

}  // namespace sk::browse
