// The main window under test: a scripted prompter that answers every dialog and records what was
// shown, and a fixture that starts the window with its settings in a temporary folder.
#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QColor>
#include <QDialog>
#include <QDir>
#include <QFont>
#include <QTemporaryDir>
#include <QUrl>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

#include "app/ui/command_controllers.h"
#include "app/ui/mainform.h"
#include "browse/ui/navigator.h"
#include "browse/ui/page_selector.h"
#include "convert/cp932.h"
#include "editor/ui/text_area.h"
#include "editor/ui/text_editor.h"
#include "exchange/ui/exchange_controller.h"
#include "images/ui/image_side.h"
#include "print/ui/print_controller.h"
#include "search/ui/search_controller.h"
#include "settings/settings_store.h"
#include "shell/prompter.h"
#include "store/ui/page_file_keeper.h"

namespace sk::app::test {

namespace fs = std::filesystem;
using shell::FileDialogSpec;
using shell::Prompter;

// Answers every dialog from a script and records what was shown.
class ScriptedPrompter : public Prompter {
 public:
  std::deque<bool> answers;  // YesNo and OkCancel, in order
  std::deque<std::optional<QString>> files;
  std::vector<QString> shown;  // "caption|text" of every box
  int file_dialogs = 0;

  void Inform(const QString& caption, const QString& text) override {
    shown.push_back(caption + "|" + text);
  }
  bool YesNo(const QString& caption, const QString& text) override { return Answer(caption, text); }
  bool OkCancel(const QString& caption, const QString& text) override {
    return Answer(caption, text);
  }
  void Error(const QString& text) override { shown.push_back("error|" + text); }
  void ErrorBox(const QString& caption, const QString& text) override {
    shown.push_back("error:" + caption + "|" + text);
  }
  std::optional<QString> OpenFileName(const FileDialogSpec& spec) override { return File(spec); }
  std::optional<QString> SaveFileName(const FileDialogSpec& spec) override { return File(spec); }
  std::deque<std::optional<QStringList>> file_lists;  // answers of multi-file dialogs
  std::vector<QString> opened;                        // files handed to the desktop
  bool open_succeeds = true;
  std::optional<QStringList> OpenFileNames(const FileDialogSpec& spec) override {
    return Dialog(file_lists, spec);
  }
  bool OpenWithDesktop(const QString& path) override {
    opened.push_back(path);
    return open_succeeds && !path.startsWith(";;");
  }
  std::vector<QString> urls;  // addresses handed to the desktop
  bool OpenUrl(const QUrl& url) override {
    urls.push_back(url.toString());
    return open_succeeds;
  }
  std::deque<std::pair<QFont, QColor>> fonts;  // answers of the font dialog; none: cancelled
  bool ChooseFont(QFont* font, QColor* color) override {
    shown.push_back("font|");
    if (fonts.empty()) return false;
    *font = fonts.front().first;
    *color = fonts.front().second;
    fonts.pop_front();
    return true;
  }
  std::deque<std::optional<QString>> inputs;          // answers of input boxes; none: cancelled
  std::deque<std::function<bool(QDialog&)>> dialogs;  // fill in and close the program's dialogs
  std::optional<QString> Input(const QString& caption, const QString&, const QString&) override {
    shown.push_back("input|" + caption);
    if (inputs.empty()) return std::nullopt;
    auto a = inputs.front();
    inputs.pop_front();
    return a;
  }
  bool RunDialog(QDialog& d) override {
    shown.push_back("dialog|" + d.windowTitle());
    if (dialogs.empty()) return false;
    auto fn = std::move(dialogs.front());
    dialogs.pop_front();
    return fn(d);
  }
  QString last_title;
  FileDialogSpec last_spec;

 private:
  bool Answer(const QString& caption, const QString& text) {
    shown.push_back(caption + "|" + text);
    if (answers.empty()) {
      ADD_FAILURE() << "unexpected question: " << text.toStdString();
      return false;
    }
    bool a = answers.front();
    answers.pop_front();
    return a;
  }
  std::optional<QString> File(const FileDialogSpec& spec) { return Dialog(files, spec); }
  // The next scripted answer of a file dialog.
  template <class T>
  std::optional<T> Dialog(std::deque<std::optional<T>>& script, const FileDialogSpec& spec) {
    ++file_dialogs;
    last_title = spec.title;
    last_spec = spec;
    if (script.empty()) {
      ADD_FAILURE() << "unexpected file dialog: " << spec.title.toStdString();
      return std::nullopt;
    }
    std::optional<T> f;
    if (script.front()) f.emplace(*script.front());
    script.pop_front();
    return f;
  }
};

class MainFormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    config_ = dir_.path() + "/config";
    QDir().mkpath(config_);
    qputenv("SORAKUMO_CONFIG_DIR", config_.toLocal8Bit());
    qputenv("XDG_DATA_HOME", (dir_.path() + "/data").toLocal8Bit());
  }
  void TearDown() override { form_.reset(); }

  QString Path(const QString& name) const { return dir_.path() + "/" + name; }

  // A copy of the bundled sample page file under a new name.
  QString Sample(const QString& base) {
    for (const char* ext : {".dbf", ".dbt", ".mdx"}) {
      fs::copy_file(fs::path(SORAKUMO_SOURCE_DIR) / "data" / (std::string("Sample") + ext),
                    (Path(base) + ext).toStdString(), fs::copy_options::overwrite_existing);
    }
    return Path(base + ".dbf");
  }

  settings::SettingsStore Store() {
    return settings::SettingsStore((config_ + "/sorakumo.conf").toStdString());
  }

  void WriteRoot(const std::function<void(settings::SettingsStore&)>& fn) {
    settings::SettingsStore s((config_ + "/sorakumo.conf").toStdString());
    s.OpenKey(settings::kRootKey, true);
    fn(s);
    s.CloseKey();
    ASSERT_TRUE(s.Sync().ok());
  }

  TSDIAppForm& Start(QStringList args = {}) {
    form_ = std::make_unique<TSDIAppForm>(prompter_, args);
    form_->show();
    form_->activateWindow();
    QApplication::processEvents();
    form_->FormActivate();
    form_->FirstOpen();
    QApplication::processEvents();
    return *form_;
  }

  void Stop() {
    form_->close();
    form_.reset();
  }

  void Trigger(const char* name) {
    QAction* a = form_->Action(name);
    ASSERT_NE(a, nullptr) << name;
    a->trigger();
    QApplication::processEvents();
  }

  std::string TextOf() { return form_->TextMemo->Text(); }
  // The controllers the window keeps to itself.
  editor::TextEditor& EditorOf() { return form_->commands_->Editor(); }
  search::SearchController& SearchOf() { return form_->commands_->Search(); }
  exchange::ExchangeController& ExchangeOf() { return form_->commands_->Exchange(); }
  print::PrintController& PrintOf() { return form_->commands_->Print(); }
  images::ImageSide& ImagesOf() { return *form_->Images; }
  store::PageFileKeeper& KeeperOf() { return *form_->Keeper; }
  browse::Navigator& NavOf() { return *form_->Nav; }
  browse::PageSelector& SelectorOf() { return *form_->Selector; }

  // The page numbers the next-page command passes through from the first page (until it stays).
  std::vector<int> VisitAll() {
    auto rec = [this] { return form_->session().table().RecNo(); };
    std::vector<int> v;
    Trigger("FirstItem");
    v.push_back(rec());
    for (int i = 0; i < 1000; ++i) {
      Trigger("NextItem");
      if (rec() == v.back()) break;
      v.push_back(rec());
    }
    return v;
  }

  QTemporaryDir dir_;
  QString config_;
  ScriptedPrompter prompter_;
  std::unique_ptr<TSDIAppForm> form_;
};

inline std::string J(const char* utf8) {
  std::string out;
  EXPECT_TRUE(cp932::FromUtf8ToCp932(utf8, &out)) << utf8;
  return out;
}

}  // namespace sk::app::test
