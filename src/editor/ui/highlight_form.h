// "強調表示スタイル": the colour and the style (bold, italic, underline, strike-out) of one
// highlight kind.
#pragma once

#include <QColor>
#include <QDialog>
#include <functional>
#include <optional>

class QCheckBox;
class QPushButton;

namespace sk::editor {

class THighLightForm : public QDialog {
  Q_OBJECT

 public:
  // choose_color: the colour dialog, preset to a colour; nullopt when cancelled.  Without one,
  // Qt's colour dialog.
  using ColorChooser = std::function<std::optional<QColor>(const QColor&)>;
  explicit THighLightForm(QWidget* parent = nullptr, ColorChooser choose_color = {});

  // The values shown; Color is 0x00BBGGRR, Style the style bits.
  void SetValues(int color, int style);
  int Color() const { return color_; }
  int Style() const;  // of the check boxes
  void ColorButtonClick();

  QCheckBox* BoldCheckBox = nullptr;
  QCheckBox* ItalicCheckBox = nullptr;
  QCheckBox* UnderlineCheckBox = nullptr;
  QCheckBox* StrikeOutCheckBox = nullptr;
  QPushButton* ColorButton = nullptr;

 private:
  ColorChooser choose_color_;
  int color_ = 0;
};

}  // namespace sk::editor
