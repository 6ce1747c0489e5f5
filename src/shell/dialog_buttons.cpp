#include "shell/dialog_buttons.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QPushButton>

namespace sk::shell {

QHBoxLayout* DialogButtonRow(QDialog* dialog, bool help, const std::function<void()>& ok) {
  auto* row = new QHBoxLayout;
  row->addStretch(1);
  auto* okb = new QPushButton(QStringLiteral("OK"));
  okb->setObjectName(QStringLiteral("OkBitBtn"));
  okb->setDefault(true);
  QObject::connect(okb, &QPushButton::clicked, dialog, ok);
  auto* cancel = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"));
  cancel->setObjectName(QStringLiteral("CancelBitBtn"));
  QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
  row->addWidget(okb);
  row->addWidget(cancel);
  if (help) {
    auto* h = new QPushButton(QStringLiteral("ﾍﾙﾌﾟ"));
    h->setObjectName(QStringLiteral("HelpBitBtn"));
    h->setEnabled(false);  // the dialogs have no help pages to open
    row->addWidget(h);
  }
  return row;
}

}  // namespace sk::shell
