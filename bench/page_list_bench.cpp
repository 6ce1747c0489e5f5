// Opening the page list on large page files, offscreen.
//
// OpenPageList/N: construct the window, bind it to the table (FormActivate), show it, process
// events until the grid has painted, close it.  The table is open read-only in title order (tag T)
// with its cursor on the record in the middle of the file.  PageDown/N: one screen down in the
// open grid.  The files are those bench/run_store_bench.sh generates (pN.dbf in
// SORAKUMO_BENCH_DIR, default /tmp/sorakumo_bench).  After the run the ratio of the 1,000,000-page
// figure to the 10,000-page one is printed against its target (at most 2x).
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <QApplication>
#include <QEvent>
#include <QTemporaryDir>
#include <cstdio>
#include <map>
#include <memory>
#include <string>

#include "bench/bench_files.h"
#include "browse/ui/page_list_form.h"
#include "settings/settings_store.h"
#include "store/page_file.h"
#include "store/table.h"

namespace {

using sk::browse::TPageListForm;
using sk::store::Table;

const std::vector<std::string> kCaptions = {"分類", "タイトル", "サブタイトル", "日付"};

// The page file of that many pages, open read-only in title order on its middle record; nullptr
// (and *error) when it cannot be.
Table* TableFor(int pages, std::string* error) {
  static std::map<int, std::unique_ptr<Table>> tables;
  auto& slot = tables[pages];
  if (slot) return slot.get();
  auto table = std::make_unique<Table>();
  const std::string path = sk::bench::PathFor(sk::bench::Dir("/tmp/sorakumo_bench"), pages);
  sk::Status st = table->Open(path, sk::store::PageFileOptions(true));
  if (st.ok()) st = table->SetIndexName("T");
  if (st.ok()) st = table->GotoBookmark(table->RecordCount() / 2);
  if (!st.ok()) {
    *error = st.message();
    return nullptr;
  }
  slot = std::move(table);
  return slot.get();
}

// Notes the first paint of a widget.
class PaintWatch : public QObject {
 public:
  bool painted = false;
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::Paint) painted = true;
    return false;
  }
};

// The settings in SORAKUMO_CONFIG_DIR, made by main after it has pointed that at a temporary
// folder.
sk::settings::SettingsStore* g_store = nullptr;
sk::settings::SettingsStore& Store() { return *g_store; }

void OpenPageList(benchmark::State& state) {
  std::string error;
  Table* table = TableFor(int(state.range(0)), &error);
  if (table == nullptr) {
    state.SkipWithError(error.c_str());
    return;
  }
  const Table::Bookmark middle = table->GetBookmark();
  int rows = 0;
  for (auto _ : state) {
    TPageListForm form(Store());
    PaintWatch watch;
    form.DBGrid->viewport()->installEventFilter(&watch);
    form.FormActivate(*table, kCaptions);
    form.show();
    for (int i = 0; i < 1000 && !watch.painted; ++i) QApplication::processEvents();
    if (!watch.painted) {
      state.SkipWithError("the grid was never painted");
      return;
    }
    rows = form.DBGrid->RowCount();
    form.reject();
    if (table->GetBookmark() != middle) {
      state.SkipWithError("opening the list moved the table");
      return;
    }
  }
  state.counters["rows"] = rows;
}
BENCHMARK(OpenPageList)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMillisecond);

void PageDown(benchmark::State& state) {
  std::string error;
  Table* table = TableFor(int(state.range(0)), &error);
  if (table == nullptr) {
    state.SkipWithError(error.c_str());
    return;
  }
  const Table::Bookmark middle = table->GetBookmark();
  TPageListForm form(Store());
  form.FormActivate(*table, kCaptions);
  form.show();
  QApplication::processEvents();
  for (auto _ : state) form.DBGrid->MoveBy(form.DBGrid->VisibleRows());
  form.reject();
  state.counters["rows"] = form.DBGrid->VisibleRows();
  if (!table->GotoBookmark(middle).ok()) state.SkipWithError("cannot go back to the middle");
}
// A fixed count keeps the walk inside the 10,000-page file from its middle.
BENCHMARK(PageDown)->Arg(10000)->Arg(1000000)->Iterations(200)->Unit(benchmark::kMicrosecond);

// Keeps the CPU time per iteration of every run for the ratio printed at the end.
class Reporter : public benchmark::ConsoleReporter {
 public:
  std::map<std::string, double> cpu;
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& r : runs)
      if (!r.error_occurred) cpu[r.benchmark_name()] = r.GetAdjustedCPUTime();
    ConsoleReporter::ReportRuns(runs);
  }
};

}  // namespace

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QTemporaryDir config;
  setenv("SORAKUMO_CONFIG_DIR", config.path().toLocal8Bit().constData(), 1);
  QApplication app(argc, argv);
  sk::settings::SettingsStore store;
  g_store = &store;
  benchmark::Initialize(&argc, argv);
  Reporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  auto small = reporter.cpu.find("OpenPageList/10000");
  auto large = reporter.cpu.find("OpenPageList/1000000");
  if (small != reporter.cpu.end() && large != reporter.cpu.end()) {
    double ratio = large->second / small->second;
    std::printf(
        "open the page list, 1M vs 10k pages: %.3f ms / %.3f ms = %.2fx (target <= 2x): %s\n",
        large->second, small->second, ratio, ratio <= 2.0 ? "PASS" : "FAIL");
  }
  return 0;
}
