// The button row of the program's dialogs: OK (the default), "ｷｬﾝｾﾙ" and optionally "ﾍﾙﾌﾟ" at the
// bottom right, named OkBitBtn, CancelBitBtn and HelpBitBtn.  Cancel rejects the dialog; OK calls
// `ok`, which accepts it or keeps it open.
#pragma once

#include <functional>

class QDialog;
class QHBoxLayout;

namespace sk::shell {

QHBoxLayout* DialogButtonRow(QDialog* dialog, bool help, const std::function<void()>& ok);

}  // namespace sk::shell
