// The two dialogs of the image commands: editing a page's list of linked files directly, and the
// quality of a JPEG about to be written.
#pragma once

#include <QDialog>
#include <QStringList>

class QButtonGroup;
class QPlainTextEdit;

namespace sk::images {

// "画像ファイル名の編集": one name a line.
class TImageFileNameEditForm : public QDialog {
  Q_OBJECT

 public:
  explicit TImageFileNameEditForm(QWidget* parent = nullptr);
  void SetNames(const QStringList& names);
  QStringList Names() const;  // the lines as typed
  QPlainTextEdit* FileNameText = nullptr;

 protected:
  void showEvent(QShowEvent* e) override;
};

// The JPEG quality: "最高 (低圧縮)" 100, "高" 75, "中" 50, "低    (高圧縮)" 25.
class TImageSaveQualityForm : public QDialog {
  Q_OBJECT

 public:
  explicit TImageSaveQualityForm(QWidget* parent = nullptr);
  // The caption (the destination's file name); "高" chosen.
  void Prepare(const QString& caption);
  int Quality() const;  // of the item chosen
  void OkBitBtnClick();

 private:
  QButtonGroup* QualityRadioGroup = nullptr;
};

}  // namespace sk::images
