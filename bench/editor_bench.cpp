// The text area with highlighting and itemize mode on, against both off, side by side, on a page of
// 30,000 bytes (300 paragraphs of Japanese text with items, keywords, comments, brackets and
// links; the area 600 x 500, offscreen):
//
//   PageShow/on, PageShow/off     the page laid out and painted (as when it is displayed)
//   Keystroke/on, Keystroke/off   one character typed in the middle of the page, recorded, laid
//                                 out and painted; the pair is typed and taken back by Backspace,
//                                 so each iteration is two keystrokes
//   WidthBothWays/N               the pure conversions: a page of N bytes to full width (with
//                                 symbols) and back to half width
//   WidthCommand/N                the same through the editor as the Edit-menu commands run it:
//                                 the whole page selected, converted and pasted back, twice, with
//                                 highlighting and itemize mode on
//
// SORAKUMO_BENCH_PAGE_BYTES sets another page size for PageShow and Keystroke (default 30000);
// the width benchmarks run at 30,000 and 300,000 bytes, to show that the time is linear.
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
#include "convert/text_convert.h"
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

std::string MakePage(size_t bytes) {
  const char* lines[] = {
      "● "
      "朝から晴れ。川沿いの桜がもう咲き始めていた。帰りにパン屋に寄って，クロワッサンを買った。",
      "今日の そらくも の記録。<読みかけの本> を最後まで読んだ。夜は静かに音楽を聴いて過ごした。",
      "// 注釈: 明日は早起きすること。詳しくは http://www.example.com/diary/ を参照のこと。",
      "① 会議の資料をまとめる。担当は \\section の書式で。連絡は someone@example.co.jp まで。",
  };
  std::string out;
  for (int i = 0; out.size() < bytes; ++i) {
    std::string line;
    sk::cp932::FromUtf8ToCp932(lines[i % 4], &line);
    out += line + "\r\n";
  }
  return out;
}

const std::string& Page() {
  static const std::string page = [] {
    const char* env = std::getenv("SORAKUMO_BENCH_PAGE_BYTES");
    return MakePage(env ? size_t(std::atol(env)) : 30000);
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
        std::make_unique<sk::editor::TextEditor>(area, conf, std::make_unique<Host>());
    QApplication::processEvents();
  }
  void Show(const std::string& page = Page()) {
    editor->ShowPageText(page, "", true);
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

void WidthBothWays(benchmark::State& state) {
  const std::string page = MakePage(size_t(state.range(0)));
  size_t out = 0;
  for (auto _ : state) {
    const std::string full = sk::convert::ToZenkaku(page, true);
    out += sk::convert::ToHankaku(full, true).size();
  }
  benchmark::DoNotOptimize(out);
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(page.size()) * 2);
}

void WidthCommand(benchmark::State& state) {
  Setup s(true);
  s.Show(MakePage(size_t(state.range(0))));
  for (auto _ : state) {
    for (bool to_full : {true, false}) {
      s.editor->SelectAll();
      s.editor->ConvertSelection([to_full](std::string_view t) {
        return to_full ? sk::convert::ToZenkaku(t, true) : sk::convert::ToHankaku(t, true);
      });
      (void)s.area.document()->documentLayout()->documentSize();
      s.area.viewport()->repaint();
    }
    s.editor->ResetUndoBuf();
  }
}

BENCHMARK(WidthBothWays)->Arg(30000)->Arg(300000)->Unit(benchmark::kMicrosecond);
BENCHMARK(WidthCommand)->Arg(30000)->Arg(300000)->Unit(benchmark::kMillisecond);
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
