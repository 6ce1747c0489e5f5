// The text area with highlighting and itemize mode on, against both off, side by side, on a page of
// 30,000 bytes (300 paragraphs of Japanese text with items, keywords, comments, brackets and
// links; the area 600 x 500, offscreen):
//
//   PageShow/on, PageShow/off     the page laid out and painted (as when it is displayed)
//   Keystroke/on, Keystroke/off   one character typed in the middle of the page, recorded, laid
//                                 out and painted; the pair is typed and taken back by Backspace,
//                                 so each iteration is two keystrokes
//
// SORAKUMO_BENCH_PAGE_BYTES sets another page size (default 30000).
#include <benchmark/benchmark.h>

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QKeyEvent>
#include <QTextDocument>
#include <QUrl>
#include <cstdlib>
#include <memory>
#include <string>

#include "convert/cp932.h"
#include "editor/ui/highlighter.h"
#include "editor/ui/text_area.h"
#include "editor/ui/text_editor.h"
#include "settings/main_settings.h"

namespace {

class Host : public sk::editor::EditorHost {
 public:
  bool FileIsOpen() const override { return true; }
  void SetStatusText(int, const QString&) override {}
  void SavePageFields() override {}
  void Message(const QString&) override {}
  bool OpenUrl(const QUrl&) override { return true; }
  void SetModeItemsEnabled(bool) override {}
  void SetUndoEnabled(bool, bool) override {}
};

std::string Page() {
  static const std::string page = [] {
    const char* lines[] = {
        "● "
        "朝から晴れ。川沿いの桜がもう咲き始めていた。帰りにパン屋に寄って，クロワッサンを買った。",
        "今日の そらくも の記録。<読みかけの本> を最後まで読んだ。夜は静かに音楽を聴いて過ごした。",
        "// 注釈: 明日は早起きすること。詳しくは http://www.example.com/diary/ を参照のこと。",
        "① 会議の資料をまとめる。担当は \\section の書式で。連絡は someone@example.co.jp まで。",
    };
    const char* env = std::getenv("SORAKUMO_BENCH_PAGE_BYTES");
    const size_t bytes = env ? size_t(std::atol(env)) : 30000;
    std::string out;
    for (int i = 0; out.size() < bytes; ++i) {
      std::string line;
      sk::cp932::FromUtf8ToCp932(lines[i % 4], &line);
      out += line + "\r\n";
    }
    return out;
  }();
  return page;
}

struct Setup {
  explicit Setup(bool on) {
    conf.HighLight = on ? 1 : 0;
    conf.ItemizeMode = on;
    conf.URLMail = on;
    area.resize(600, 500);
    area.show();
    editor =
        std::make_unique<sk::editor::TextEditor>(area, conf, std::make_unique<Host>(), nullptr);
    QApplication::processEvents();
  }
  void Show() {
    editor->ShowPageText(Page(), "", true);
    (void)area.document()->documentLayout()->documentSize();
    area.viewport()->repaint();
  }
  void Key(int key, const QString& text) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(&area, &press);
    (void)area.document()->documentLayout()->documentSize();
    area.viewport()->repaint();
  }
  sk::settings::MainWindowSettings conf;
  sk::editor::TextArea area;
  std::unique_ptr<sk::editor::TextEditor> editor;
};

void PageShow(benchmark::State& state, bool on) {
  Setup s(on);
  for (auto _ : state) s.Show();
  state.counters["paragraphs_scanned"] = benchmark::Counter(double(s.editor->Highlighter().Calls()),
                                                            benchmark::Counter::kAvgIterations);
}

void Keystroke(benchmark::State& state, bool on) {
  Setup s(on);
  s.Show();
  s.area.SetSelStart(int(Page().size() / 2 / 100 * 100));
  for (auto _ : state) {
    s.Key(Qt::Key_A, QStringLiteral("a"));
    s.Key(Qt::Key_Backspace, QString());
  }
}

BENCHMARK_CAPTURE(PageShow, on, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(PageShow, off, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Keystroke, on, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Keystroke, off, false)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
