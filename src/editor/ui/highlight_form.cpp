#include "editor/ui/highlight_form.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "editor/text_positions.h"
#include "editor/ui/text_area.h"

namespace sk::editor {

THighLightForm::THighLightForm(QWidget* parent, ColorChooser choose_color)
    : QDialog(parent), choose_color_(std::move(choose_color)) {
  setObjectName(QStringLiteral("HighLightForm"));
  setWindowTitle(QStringLiteral("強調表示スタイル"));
  auto* box = new QVBoxLayout(this);
  auto check = [&](const char* name, const QString& text) {
    auto* c = new QCheckBox(text, this);
    c->setObjectName(QString::fromLatin1(name));
    box->addWidget(c);
    return c;
  };
  BoldCheckBox = check("BoldCheckBox", QStringLiteral("太字(&B)"));
  ItalicCheckBox = check("ItalicCheckBox", QStringLiteral("斜体(&I)"));
  UnderlineCheckBox = check("UnderlineCheckBox", QStringLiteral("下線(&U)"));
  StrikeOutCheckBox = check("StrikeOutCheckBox", QStringLiteral("取り消し線(&S)"));
  ColorButton = new QPushButton(QStringLiteral("文字色"), this);
  ColorButton->setObjectName(QStringLiteral("ColorButton"));
  box->addWidget(ColorButton);
  connect(ColorButton, &QPushButton::clicked, this, [this] { ColorButtonClick(); });
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  box->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void THighLightForm::SetValues(int color, int style) {
  color_ = color;
  const FontStyle s = FontStyleFromBits(style);
  BoldCheckBox->setChecked(s.bold);
  ItalicCheckBox->setChecked(s.italic);
  UnderlineCheckBox->setChecked(s.underline);
  StrikeOutCheckBox->setChecked(s.strike_out);
}

int THighLightForm::Style() const {
  return BitsFromFontStyle({BoldCheckBox->isChecked(), ItalicCheckBox->isChecked(),
                            UnderlineCheckBox->isChecked(), StrikeOutCheckBox->isChecked()});
}

void THighLightForm::ColorButtonClick() {
  const QColor now = ColorFromBgr(uint32_t(color_));
  std::optional<QColor> chosen;
  if (choose_color_) {
    chosen = choose_color_(now);
  } else {
    const QColor c = QColorDialog::getColor(now, this, QStringLiteral("文字色"));
    if (c.isValid()) chosen = c;
  }
  if (chosen) color_ = int(BgrFromRgb(chosen->red(), chosen->green(), chosen->blue()));
}

}  // namespace sk::editor
