// The about box: program name, one line on what it is, the version.
#pragma once

#include <QDialog>

namespace sk::app {

class TAboutBox : public QDialog {
  Q_OBJECT
 public:
  explicit TAboutBox(QWidget* parent = nullptr);
};

}  // namespace sk::app
