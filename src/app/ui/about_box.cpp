#include "app/ui/about_box.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QVBoxLayout>

#include "app/ui/icons.h"

namespace sk::app {

namespace {
constexpr const char* kVersion = "0.2";
constexpr const char* kUpdated = "2026/12/10";
}  // namespace

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("AboutBox"));
  setWindowTitle(QStringLiteral("そらくも帖 ﾊﾞｰｼﾞｮﾝ情報"));
  auto* box = new QVBoxLayout(this);
  auto* row = new QHBoxLayout;
  auto* icon = new QLabel;
  icon->setPixmap(ProgramIcon().pixmap(48, 48));
  row->addWidget(icon);
  auto* text = new QVBoxLayout;
  auto* product = new QLabel(QStringLiteral("そらくも帖"));
  QFont f = product->font();
  f.setPointSize(f.pointSize() + 4);
  f.setBold(true);
  product->setFont(f);
  text->addWidget(product);
  text->addWidget(new QLabel(QStringLiteral("テキスト・画像の総合データベースソフトです。")));
  text->addWidget(new QLabel(QStringLiteral("バージョン %1（最終更新 %2）")
                                 .arg(QLatin1String(kVersion), QLatin1String(kUpdated))));
  row->addLayout(text);
  box->addLayout(row);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  box->addWidget(buttons);
}

}  // namespace sk::app
