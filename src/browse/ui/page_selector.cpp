#include "browse/ui/page_selector.h"

#include <QAction>

#include "browse/ui/date_range_input_box.h"
#include "browse/ui/navigator.h"
#include "shell/busy_progress.h"
#include "shell/page_file_session.h"
#include "shell/prompter.h"
#include "shell/shell_services.h"

namespace sk::browse {

PageSelector::PageSelector(shell::ShellServices& shell, shell::PageFileSession& session)
    : shell_(shell), session_(session) {}

PageSelector::~PageSelector() = default;

TDateRangeInputBox& PageSelector::dialog() {
  // Made once, so that its histories are read once per run.
  if (!dialog_)
    dialog_ = std::make_unique<TDateRangeInputBox>(shell_.reg(), shell_.prompter(),
                                                   shell_.DialogParent());
  return *dialog_;
}

bool PageSelector::CheckPageSelected() const {
  const store::Table& t = session_.table();
  if (!t.is_open() || !t.Filtered() || t.IsEmpty()) return true;
  return sel_.Matches(t.FieldString("BUNRUI"), t.FieldDate("DATE"), t.FieldString("TITLE"),
                      t.FieldString("SUBTITLE"));
}

bool PageSelector::CheckPageSelectedBeforePost() const {
  const store::Table& t = session_.table();
  if (!t.is_open() || !t.Filtered()) return true;
  if (!session_.FieldsLinked()) return CheckPageSelected();
  return sel_.Matches(nav_->ShownBunrui(), nav_->PickerDate(), nav_->ShownTitle(),
                      nav_->ShownChosha());
}

void PageSelector::AlertPageDisappear() {
  shell_.Message(
      QStringLiteral("このページは，現在のページ選択条件を満たさないので，\n\n"
                     "移動すると，表示対象からはずれます。\n\n"
                     "表示するためには，ページ選択条件を変更してください。"));
}

void PageSelector::DisappearPrior() {
  Status st = session_.table().Prior();
  shell_.Report(st);
}

void PageSelector::InstallFilter() {
  if (session_.table().is_open())
    session_.table().SetFilter(MakeSelectionFilter(sel_, session_.table()));
}

Status PageSelector::SwitchFilterOn(bool* on) {
  store::Table& t = session_.table();
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
  store::Table& t = session_.table();
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
  shell::BusyProgress busy(shell_.DialogParent(), QStringLiteral("ページを選択しています…"));
  return session_.table().MarkFiltered(busy.Callback(), cancelled);
}

void PageSelector::SelectionOff() {
  if (!session_.table().is_open()) return;
  Status st = session_.table().SetFiltered(false);
  shell_.Report(st);
}

void PageSelector::SelectRecordItemClick() {
  store::Table& t = session_.table();
  if (!t.is_open()) return;
  int n = t.RecNo();
  nav_->BeforeMove();
  TDateRangeInputBox& d = dialog();
  d.Prepare(nav_->CategoryList(), sel_);
  d.FormActivate(shell_.FieldCaptionsUtf8(), sel_, t.Filtered());
  PageSelection work = sel_;
  d.BindSelection(&work);
  bool ok = shell_.prompter().RunDialog(d);
  d.BindSelection(nullptr);
  if (!ok) {
    if (nav_->AlternateShown()) nav_->AfterMove(true, true);
    return;
  }
  (void)n;
  ApplySelection(work);
}

void PageSelector::ApplySelection(const PageSelection& selection) {
  store::Table& t = session_.table();
  if (!t.is_open()) return;
  int n = t.RecNo();
  sel_ = selection;
  Status st = t.SetFiltered(false);
  nav_->ResetLink();
  bool on = false;
  if (st.ok() && sel_.AnyActive()) st = SwitchFilterOn(&on);
  if (st.ok() && on) {
    st = t.Last();
    if (st.ok() && t.IsEmpty()) {
      shell_.Message(
          QStringLiteral("選択されているページがありません。\n\nページ選択を解除します。"));
      st = t.SetFiltered(false);
      nav_->GotoRecNo(n);
    } else if (st.ok() && !nav_->GotoRecNo(n)) {
      st = t.First();
    }
  } else if (st.ok()) {
    // No condition, or the marking was cancelled: the selection stays off.
    nav_->GotoRecNo(n);
  }
  shell_.Report(st);
  if (n < 0 || t.RecNo() != n || nav_->AlternateShown()) nav_->AfterMove(true, true);
  nav_->SetLink();
  // The bookmarks' "updated" marks are cleared here once bookmarks exist.
}

void PageSelector::SetOrderMenu(int code) {
  const PageOrder& o = OrderOfCode(code);
  for (const PageOrder& p : kPageOrders)
    if (QAction* a = shell_.Action(p.item)) a->setChecked(p.code == o.code);
  if (!session_.table().is_open()) return;
  Status st = session_.table().SetIndexName(std::string(o.tag));
  shell_.Report(st);
}

void PageSelector::CheckOrderItem() {
  std::string tag = session_.table().IndexName();
  for (char& c : tag) c = char(toupper(static_cast<unsigned char>(c)));
  const PageOrder& o = OrderOfTag(tag);
  for (const PageOrder& p : kPageOrders)
    if (QAction* a = shell_.Action(p.item)) a->setChecked(p.code == o.code);
}

int PageSelector::OrderCode() const { return OrderOfTag(session_.table().IndexName()).code; }

void PageSelector::ReOrder(int code) {
  store::Table& t = session_.table();
  if (!t.is_open()) return;
  int n = t.RecNo();
  nav_->BeforeMove();
  bool dropped = !CheckPageSelectedBeforePost();
  nav_->ResetLink();
  SetOrderMenu(code);
  bool kept = true;
  shell_.Report(MarkSelection(&kept));
  if (dropped && kept) t.First();
  if (n < 0 || t.RecNo() != n || nav_->AlternateShown()) nav_->AfterMove(true, true);
  nav_->SetLink();
}

}  // namespace sk::browse
