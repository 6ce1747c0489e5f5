#include "browse/ui/page_selector.h"

#include <QAction>

#include "app/ui/mainform.h"
#include "shell/prompter.h"
#include "shell/busy_progress.h"
#include "browse/ui/date_range_input_box.h"
#include "browse/ui/navigator.h"

namespace sk::browse {

PageSelector::PageSelector(app::TSDIAppForm& form) : f_(form) {}

PageSelector::~PageSelector() = default;

TDateRangeInputBox& PageSelector::dialog() {
  // Made once, so that its histories are read once per run.
  if (!dialog_) dialog_ = std::make_unique<TDateRangeInputBox>(f_.Reg, f_.prompter(), &f_);
  return *dialog_;
}

bool PageSelector::CheckPageSelected() const {
  const store::Table& t = f_.MainTable;
  if (!t.is_open() || !t.Filtered() || t.IsEmpty()) return true;
  return sel_.Matches(t.FieldString("BUNRUI"), t.FieldDate("DATE"), t.FieldString("TITLE"),
                      t.FieldString("SUBTITLE"));
}

bool PageSelector::CheckPageSelectedBeforePost() const {
  const store::Table& t = f_.MainTable;
  if (!t.is_open() || !t.Filtered()) return true;
  if (!f_.FieldsLinked) return CheckPageSelected();
  return sel_.Matches(f_.Nav->ShownBunrui(), f_.Nav->PickerDate(), f_.Nav->ShownTitle(),
                      f_.Nav->ShownChosha());
}

void PageSelector::AlertPageDisappear() {
  f_.Message(
      QStringLiteral("このページは，現在のページ選択条件を満たさないので，\n\n"
                     "移動すると，表示対象からはずれます。\n\n"
                     "表示するためには，ページ選択条件を変更してください。"));
}

void PageSelector::DisappearPrior() {
  Status st = f_.MainTable.Prior();
  f_.Report(st);
}

void PageSelector::InstallFilter() {
  if (f_.MainTable.is_open()) f_.MainTable.SetFilter(MakeSelectionFilter(sel_, f_.MainTable));
}

Status PageSelector::SwitchFilterOn(bool* on) {
  store::Table& t = f_.MainTable;
  *on = false;
  if (!t.is_open()) return Status::Ok();
  InstallFilter();
  if (!t.IndexName().empty()) {
    // Marked before the filter goes on: even the first step looks only at the marks.
    bool cancelled = false;
    Status st = MarkPages(&cancelled);
    if (!st.ok() || cancelled) return st;
  }
  Status st = t.SetFiltered(true);
  *on = st.ok();
  return st;
}

Status PageSelector::MarkSelection(bool* kept) {
  store::Table& t = f_.MainTable;
  *kept = t.is_open() && t.Filtered();
  if (!*kept || t.HasMarks() || t.IndexName().empty()) return Status::Ok();
  bool cancelled = false;
  Status st = MarkPages(&cancelled);
  if (st.ok() && !cancelled) return st;
  *kept = false;
  Status off = t.SetFiltered(false);
  return st.ok() ? off : st;
}

Status PageSelector::MarkPages(bool* cancelled) {
  shell::BusyProgress busy(&f_, QStringLiteral("ページを選択しています…"));
  return f_.MainTable.MarkFiltered(busy.Callback(), cancelled);
}

void PageSelector::SelectionOff() {
  if (!f_.MainTable.is_open()) return;
  Status st = f_.MainTable.SetFiltered(false);
  f_.Report(st);
}

void PageSelector::SelectRecordItemClick() {
  store::Table& t = f_.MainTable;
  if (!t.is_open()) return;
  int n = t.RecNo();
  f_.Nav->BeforeMove();
  TDateRangeInputBox& d = dialog();
  d.Prepare(f_.Nav->CategoryList(), sel_);
  d.FormActivate(f_.FieldCaptionsUtf8(), sel_, t.Filtered());
  PageSelection work = sel_;
  d.BindSelection(&work);
  bool ok = f_.prompter().RunDialog(d);
  d.BindSelection(nullptr);
  if (!ok) {
    if (f_.Nav->AlternateShown()) f_.Nav->AfterMove(true, true);
    return;
  }
  (void)n;
  ApplySelection(work);
}

void PageSelector::ApplySelection(const PageSelection& selection) {
  store::Table& t = f_.MainTable;
  if (!t.is_open()) return;
  int n = t.RecNo();
  sel_ = selection;
  Status st = t.SetFiltered(false);
  f_.Nav->ResetLink();
  bool on = false;
  if (st.ok() && sel_.AnyActive()) st = SwitchFilterOn(&on);
  if (st.ok() && on) {
    st = t.Last();
    if (st.ok() && t.IsEmpty()) {
      f_.Message(QStringLiteral("選択されているページがありません。\n\nページ選択を解除します。"));
      st = t.SetFiltered(false);
      f_.Nav->GotoRecNo(n);
    } else if (st.ok() && !f_.Nav->GotoRecNo(n)) {
      st = t.First();
    }
  } else if (st.ok()) {
    // No condition, or the marking was cancelled: the selection stays off.
    f_.Nav->GotoRecNo(n);
  }
  f_.Report(st);
  if (n < 0 || t.RecNo() != n || f_.Nav->AlternateShown()) f_.Nav->AfterMove(true, true);
  f_.Nav->SetLink();
  // The bookmarks' "updated" marks are cleared here once bookmarks exist.
}

void PageSelector::SetOrderMenu(int code) {
  const PageOrder& o = OrderOfCode(code);
  for (const PageOrder& p : kPageOrders)
    if (QAction* a = f_.Action(p.item)) a->setChecked(p.code == o.code);
  if (!f_.MainTable.is_open()) return;
  Status st = f_.MainTable.SetIndexName(std::string(o.tag));
  f_.Report(st);
}

void PageSelector::CheckOrderItem() {
  std::string tag = f_.MainTable.IndexName();
  for (char& c : tag) c = char(toupper(static_cast<unsigned char>(c)));
  const PageOrder& o = OrderOfTag(tag);
  for (const PageOrder& p : kPageOrders)
    if (QAction* a = f_.Action(p.item)) a->setChecked(p.code == o.code);
}

int PageSelector::OrderCode() const { return OrderOfTag(f_.MainTable.IndexName()).code; }

void PageSelector::ReOrder(int code) {
  store::Table& t = f_.MainTable;
  if (!t.is_open()) return;
  int n = t.RecNo();
  f_.Nav->BeforeMove();
  bool dropped = !CheckPageSelectedBeforePost();
  f_.Nav->ResetLink();
  SetOrderMenu(code);
  bool kept = true;
  f_.Report(MarkSelection(&kept));
  if (dropped && kept) t.First();
  if (n < 0 || t.RecNo() != n || f_.Nav->AlternateShown()) f_.Nav->AfterMove(true, true);
  f_.Nav->SetLink();
}

}  // namespace sk::browse
