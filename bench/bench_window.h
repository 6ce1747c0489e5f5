// The main window (offscreen) with a page file open, for benchmarks that drive it as a user would.
#pragma once

#include <QAction>
#include <QApplication>
#include <QStringList>
#include <iostream>
#include <memory>
#include <optional>
#include <string>

#include "app/ui/mainform.h"
#include "shell/prompter.h"

namespace sk::bench {

// Answers every question with OK or Yes (but declines slimming), every file dialog with the
// page file.
class YesPrompter : public shell::Prompter {
 public:
  explicit YesPrompter(QString path) : path_(std::move(path)) {}
  void Inform(const QString&, const QString&) override {}
  bool YesNo(const QString&, const QString&) override { return true; }
  // Every eleventh open of a file offers to slim it; a benchmark leaves the file as it is.
  bool OkCancel(const QString& caption, const QString&) override {
    return caption != QStringLiteral("ファイルのスリム化");
  }
  void Error(const QString& text) override {
    std::cerr << "error box: " << text.toStdString() << "\n";
  }
  std::optional<QString> OpenFileName(const shell::FileDialogSpec&) override { return path_; }
  std::optional<QString> SaveFileName(const shell::FileDialogSpec&) override { return path_; }
  std::optional<QString> Input(const QString&, const QString&, const QString& value) override {
    return value;
  }
  bool RunDialog(QDialog&) override { return true; }

 private:
  QString path_;
};

// The main window with a page file open, for one benchmark.
class Window {
 public:
  explicit Window(const std::string& path)
      : prompter_(QString::fromStdString(path)),
        form_(std::make_unique<app::TSDIAppForm>(prompter_,
                                                 QStringList{QString::fromStdString(path)})) {
    form_->show();
    QApplication::processEvents();
    if (!form_->FileIsOpen()) {
      form_->FormActivate();
      form_->FirstOpen();
      QApplication::processEvents();
    }
  }
  ~Window() {
    form_->close();
    form_.reset();
    QApplication::processEvents();
  }
  bool ok() const { return form_->FileIsOpen(); }
  app::TSDIAppForm& form() { return *form_; }
  bool Trigger(const char* name) {
    QAction* a = form_->Action(name);
    if (!a) return false;
    a->trigger();
    QApplication::processEvents();
    return true;
  }
  int RecNo() { return form_->session().table().RecNo(); }
  store::Table& table() { return form_->session().table(); }
  // The window's controllers, driven directly where a benchmark times one of them.
  browse::Navigator& nav() { return *form_->Nav; }
  browse::PageSelector& selector() { return *form_->Selector; }
  images::ImageSide& images() { return *form_->Images; }

 private:
  YesPrompter prompter_;
  std::unique_ptr<app::TSDIAppForm> form_;
};

}  // namespace sk::bench
