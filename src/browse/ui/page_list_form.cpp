// (stub: being written)
#include "browse/ui/page_list_form.h"

namespace sk::browse {
TPageListForm::TPageListForm(settings::SettingsStore& store, QWidget* parent)
    : QDialog(parent), store_(store) {}
void TPageListForm::FormActivate(store::Table&, const std::vector<std::string>&) {}
void TPageListForm::FormClose() {}
void TPageListForm::resizeEvent(QResizeEvent* e) { QDialog::resizeEvent(e); }
}  // namespace sk::browse
