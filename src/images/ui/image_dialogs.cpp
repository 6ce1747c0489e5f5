#include "images/ui/image_dialogs.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <functional>

#include "shell/dialog_buttons.h"

namespace sk::images {

TImageFileNameEditForm::TImageFileNameEditForm(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("ImageFileNameEditForm"));
  setWindowTitle(QStringLiteral("画像ファイル名の編集"));
  auto* box = new QVBoxLayout(this);
  box->addWidget(new QLabel(QStringLiteral("関連づける画像ファイル名の直接編集")));
  auto* note =
      new QLabel(QStringLiteral("(パス名は入力しない。複数のファイル名を関連づけるときは，「改行」"
                                "で区切って，箇条書きにする。)"));
  note->setWordWrap(true);
  box->addWidget(note);
  FileNameText = new QPlainTextEdit;
  FileNameText->setObjectName(QStringLiteral("FileNameText"));
  FileNameText->setLineWrapMode(QPlainTextEdit::NoWrap);
  box->addWidget(FileNameText, 1);
  box->addLayout(shell::DialogButtonRow(this, true, [this] { accept(); }));
  resize(420, 300);
}

void TImageFileNameEditForm::SetNames(const QStringList& names) {
  FileNameText->setPlainText(names.join('\n'));
}

QStringList TImageFileNameEditForm::Names() const {
  return FileNameText->toPlainText().split('\n');
}

void TImageFileNameEditForm::showEvent(QShowEvent* e) {
  QDialog::showEvent(e);
  FileNameText->setFocus();
}

TImageSaveQualityForm::TImageSaveQualityForm(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("ImageSaveQualityForm"));
  auto* box = new QVBoxLayout(this);
  auto* group = new QGroupBox(QStringLiteral("画像品質"));
  group->setObjectName(QStringLiteral("QualityRadioGroup"));
  auto* items = new QVBoxLayout(group);
  QualityRadioGroup = new QButtonGroup(this);
  const char* const kItems[] = {"最高 (低圧縮)", "高", "中", "低    (高圧縮)"};
  for (int i = 0; i < 4; ++i) {
    auto* b = new QRadioButton(QString::fromUtf8(kItems[i]));
    QualityRadioGroup->addButton(b, i);
    items->addWidget(b);
  }
  box->addWidget(group);
  box->addLayout(shell::DialogButtonRow(this, false, [this] { OkBitBtnClick(); }));
  Prepare(QString());
}

void TImageSaveQualityForm::Prepare(const QString& caption) {
  setWindowTitle(caption);
  QualityRadioGroup->button(1)->setChecked(true);
}

int TImageSaveQualityForm::Quality() const {
  switch (QualityRadioGroup->checkedId()) {
    case 0:
      return 100;
    case 1:
      return 75;
    case 2:
      return 50;
    default:
      return 25;
  }
}

void TImageSaveQualityForm::OkBitBtnClick() { accept(); }

}  // namespace sk::images
