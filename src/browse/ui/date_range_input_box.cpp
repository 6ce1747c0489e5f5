// (stub: being written)
#include "browse/ui/date_range_input_box.h"

namespace sk::browse {
TDateRangeInputBox::TDateRangeInputBox(settings::SettingsStore& store, app::Prompter& prompter,
                                       QWidget* parent)
    : QDialog(parent), store_(store), prompter_(prompter) {}
void TDateRangeInputBox::Prepare(const std::vector<std::string>&, const PageSelection&) {}
void TDateRangeInputBox::FormActivate(const std::vector<std::string>&, const PageSelection&, bool) {}
bool TDateRangeInputBox::OkBtnClick(PageSelection&) { return false; }
void TDateRangeInputBox::ResetBitBtnClick() {}
}  // namespace sk::browse
