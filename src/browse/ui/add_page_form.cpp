// (stub: being written)
#include "browse/ui/add_page_form.h"

namespace sk::browse {
AddPageChoice ParseAddPageMode(std::string_view) { return {}; }
std::string FormatAddPageMode(const AddPageChoice&) { return "0000000"; }
TAddPageForm::TAddPageForm(QWidget* parent) : QDialog(parent) {}
void TAddPageForm::FormActivate(const std::string&, const std::vector<std::string>&, bool) {}
std::string TAddPageForm::OkBitBtnClick() { return result_; }
void TAddPageForm::SetCheckBoxEnabled() {}
}  // namespace sk::browse
