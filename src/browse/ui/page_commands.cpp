// Adding a page, deleting the page on show, and the page list.
#include <QComboBox>
#include <QDate>
#include <QLineEdit>

#include "browse/ui/add_page_form.h"
#include "browse/ui/navigator.h"
#include "browse/ui/page_list_form.h"
#include "editor/ui/text_area.h"
#include "settings/main_settings.h"
#include "shell/page_file_session.h"
#include "shell/prompter.h"
#include "shell/shell_services.h"

namespace sk::browse {

void Navigator::RecordAppendItemClick() {
  store::Table& t = session_.table();
  if (!t.is_open()) return;
  if (!add_page_form_) add_page_form_ = std::make_unique<TAddPageForm>(shell_.DialogParent());
  std::string key = t.IsEmpty() ? std::string() : t.FieldString("KEY");
  bool own_view_mode = !key.empty() && (static_cast<unsigned char>(key[0]) & 1);
  add_page_form_->FormActivate(shell_.conf().AddPageMode, shell_.FieldCaptionsUtf8(),
                               own_view_mode);
  if (!shell_.prompter().RunDialog(*add_page_form_)) return;
  shell_.conf().AddPageMode = add_page_form_->result();
  AddPageChoice c = ParseAddPageMode(shell_.conf().AddPageMode);

  QDate today = QDate::currentDate();
  std::optional<store::Date> date = store::Date{today.year(), today.month(), today.day()};
  std::string bunrui, title, chosha, text, new_key;
  if (c.copy) {
    if (!MainTablePost()) return;
    if (c.bunrui) bunrui = ShownBunrui();
    if (c.title) title = ShownTitle();
    if (c.chosha) chosha = ShownChosha();
    if (c.text) text = w_.text->Text();
    if (c.date) date = t.FieldDate("DATE");
  }
  if (c.view_mode) new_key = t.FieldString("KEY");
  BeforeMove();
  Status st = t.Append();
  if (st.ok()) st = t.SetFieldDate("DATE", date);
  if (st.ok()) st = t.SetFieldString("BUNRUI", bunrui);
  if (st.ok()) st = t.SetFieldString("TITLE", title);
  if (st.ok()) st = t.SetFieldString("SUBTITLE", chosha);
  if (st.ok()) st = t.SetFieldString("TEXT", text);
  if (st.ok()) st = t.SetFieldString("KEY", new_key);
  if (!shell_.Report(st)) return;
  AfterMove(true, true);
  GotoRecNo(-1);
  AfterMove(true, true);
}

void Navigator::RecordDeleteItemClick() {
  store::Table& t = session_.table();
  if (!t.is_open()) return;
  if (!shell_.prompter().YesNo(QStringLiteral("ページ削除の確認"),
                               QStringLiteral("現在のページを削除してもよいですか。")))
    return;
  history_.RemoveCurrent();
  UpdateHistoryButtons();
  // Edits not yet written go with the page.
  Status st = t.Delete();
  shell_.Report(st);
  AfterMove(true, true);
}

void Navigator::PageListItemClick() {
  store::Table& t = session_.table();
  if (!t.is_open()) return;
  if (!page_list_form_)
    page_list_form_ = std::make_unique<TPageListForm>(shell_.reg(), shell_.DialogParent());
  int n = t.RecNo();
  BeforeMove();
  ResetLink();
  int remembered = t.RecNo();
  page_list_form_->FormActivate(t, shell_.FieldCaptionsUtf8());
  // Closing the window, whichever way, stores its size and unbinds the grid.
  bool ok = shell_.prompter().RunDialog(*page_list_form_);
  int target = ok ? t.RecNo() : remembered;
  if (!GotoRecNo(target) && t.IsEmpty()) t.First();
  SetLink();
  if (n < 0 || t.RecNo() != n || AlternateShown()) AfterMove(true, true);
}

}  // namespace sk::browse
