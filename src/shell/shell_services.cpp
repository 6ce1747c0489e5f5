#include "shell/shell_services.h"

#include "convert/cp932.h"
#include "shell/prompter.h"

namespace sk::shell {

void ShellServices::Message(const QString& text) {
  prompter().Inform(QStringLiteral("お知らせ"), text);
}

bool ShellServices::Ask(const QString& text) {
  return prompter().YesNo(QStringLiteral("お尋ね"), text);
}

bool ShellServices::Report(const Status& st) {
  if (!st.ok()) Message(QString::fromStdString(st.message()));
  return st.ok();
}

std::vector<std::string> ShellServices::FieldCaptionsUtf8() const {
  std::vector<std::string> out;
  for (const std::string& c : field_captions()) out.push_back(cp932::ToUtf8(c));
  return out;
}

}  // namespace sk::shell
