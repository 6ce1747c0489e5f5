// Benchmarks of page browsing on generated page files.
//
// The files are found in the folder named by SORAKUMO_BENCH_DIR (default /tmp/sorakumo_bench) as
// pN.dbf (with pN.dbt and pN.mdx), made by `sorakumo-tool generate pN.dbf --pages N --seed 1`;
// run_browse_bench.sh runs this program.  Sizes whose file is missing are skipped.
//
//   ApplySelection/N   what the window does when a selection is applied: close the file, open it
//                      again for writing, install the selection filter on the title, Last, Prior
//                      back to page 1 (the page that was on show), First when page 1 is not
//                      selected.  The counter "pages" is the number of selected pages.
//   Window<Action>/N   the main window (offscreen) with the file open: one trigger of a menu
//                      command and the events it posts.  First starts from page 10,000, Last
//                      from page 1, Next steps on from page 1, Prior back from page 10,000
//                      (the pages both files share); OrderSwitch is title order and back to
//                      page-number order on page 1.
//
//   SelectAndStep/<match>/<order>/N
//                      a title selection applied in the window (from page 1, the selection off)
//                      and NextItem through every selected page, in title order ("title") or
//                      page-number order ("number"); the title matches no page ("none") or about
//                      0.1 % of them ("tenth", "記録 12").  The counter "pages" is the number of
//                      pages visited.
//
//   TableSelectAndStep/<match>/<order>/N
//                      the same at table level: the filter installed (and marked in title order),
//                      the order set, First and Next through the selected pages, no window.
//
//   browse_bench --write-titles pN.dbf OUT   writes every title (CP932, one a line) to OUT and
//                                            the selection's title needle to OUT.needle
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QStringList>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>
#include <string>

#include "app/ui/mainform.h"
#include "shell/prompter.h"
#include "bench/bench_files.h"
#include "bench/bench_window.h"
#include "browse/page_selection.h"
#include "browse/ui/navigator.h"
#include "browse/ui/page_selector.h"
#include "convert/cp932.h"
#include "store/page_file.h"
#include "store/table.h"

namespace {

using sk::Status;
using sk::store::Table;

using sk::bench::Check;
using sk::bench::Exists;
using sk::bench::Window;

std::string PathFor(long pages) {
  return sk::bench::PathFor(sk::bench::Dir("/tmp/sorakumo_bench"), pages);
}

// The title substring of the selection: "記録 1" keeps the pages titled 会議の記録 whose number
// starts with 1, about 1 % of a generated file.
std::string Needle() {
  std::string n;
  sk::cp932::FromUtf8ToCp932("記録 1", &n);
  return n;
}

sk::browse::PageSelection Selection() {
  sk::browse::PageSelection sel;
  sel.TitleSelectMode = true;
  sel.SelTitle = Needle();
  return sel;
}

// Size and modification time of the page file's three files, to show that a benchmark left
// them as they were.
std::string Stamp(const std::string& dbf) {
  std::string s;
  for (const char* ext : {"dbf", "dbt", "mdx"}) {
    std::string p = dbf.substr(0, dbf.size() - 3) + ext;
    struct stat st {};
    ::stat(p.c_str(), &st);
    s += std::to_string(st.st_size) + ":" + std::to_string(st.st_mtim.tv_sec) + "." +
         std::to_string(st.st_mtim.tv_nsec) + " ";
  }
  return s;
}

// The whole selection walked once at table level, counting its pages: the same work as grep -c
// (every record tested), done by the window only as the user steps through the selection.
void SelectionFullPass(benchmark::State& state, std::string path) {
  const std::string before = Stamp(path);
  const sk::browse::PageSelection sel = Selection();
  Table t;
  if (!Check(state, t.Open(path, sk::store::PageFileOptions()))) return;
  int64_t selected = 0;
  for (auto _ : state) {
    if (!Check(state, t.Close())) return;
    if (!Check(state, t.Open(path, sk::store::PageFileOptions()))) return;
    t.SetFilter(sk::browse::MakeSelectionFilter(sel, t));
    if (!Check(state, t.SetFiltered(true))) return;
    if (!Check(state, t.Last())) return;
    selected = t.IsEmpty() ? 0 : 1;
    while (t.RecNo() > 1) {
      if (!Check(state, t.Prior())) return;
      if (t.Bof()) break;
      ++selected;
    }
    if (t.RecNo() != 1 && !Check(state, t.First())) return;
    benchmark::DoNotOptimize(t.RecNo());
  }
  if (!Check(state, t.Close())) return;
  state.counters["pages"] = double(selected);
  if (Stamp(path) != before) state.SkipWithError("the page file was changed");
}

enum class Nav { kFirst, kLast, kNext, kPrior, kOrderSwitch };

// The generated files share their first 10,000 pages (same seed), so measures that start or end
// on those pages show the same texts in both files and differ only in the files' sizes.
constexpr int kSharedPages = 10000;

void WindowNav(benchmark::State& state, std::string path, Nav nav) {
  const std::string before = Stamp(path);
  int64_t moved = 0;
  int64_t text_bytes = -1;
  {
    Window w(path);
    if (!w.ok()) {
      state.SkipWithError("the window did not open the page file");
      return;
    }
    auto trigger = [&](const char* name) {
      if (w.Trigger(name)) return true;
      state.SkipWithError((std::string("no action ") + name).c_str());
      return false;
    };
    // Where each measure starts, and goes back to untimed.
    auto reset = [&] {
      if (nav == Nav::kFirst || nav == Nav::kPrior) {
        w.nav().GotoRecNo(kSharedPages);
        QApplication::processEvents();
        return true;
      }
      return trigger("FirstItem");
    };
    if (!reset()) return;
    for (auto _ : state) {
      int from = w.RecNo();
      switch (nav) {
        case Nav::kFirst:
        case Nav::kLast:
          if (!trigger(nav == Nav::kFirst ? "FirstItem" : "LastItem")) return;
          moved += w.RecNo() != from;
          if (text_bytes < 0) text_bytes = int64_t(w.table().FieldString("TEXT").size());
          state.PauseTiming();
          reset();
          state.ResumeTiming();
          break;
        case Nav::kNext:
        case Nav::kPrior:
          if (!trigger(nav == Nav::kNext ? "NextItem" : "PriorItem")) return;
          if (w.RecNo() != from) {
            ++moved;
          } else {  // at the end: back to the start
            state.PauseTiming();
            reset();
            state.ResumeTiming();
          }
          break;
        case Nav::kOrderSwitch:
          if (!trigger("TOrderItem")) return;
          moved += w.table().IndexName() == "T";
          if (!trigger("PageOrderItem")) return;
          break;
      }
    }
  }
  // "moved" tells whether the commands did anything: 0 means the handlers are still empty.
  state.counters["moved"] = double(moved);
  // The text of the page reached by First or Last: showing a page costs about its text's layout,
  // and the last pages of the two files differ.
  if (text_bytes >= 0) state.counters["text_bytes"] = double(text_bytes);
  if (Stamp(path) != before) state.SkipWithError("the page file was changed");
}

// Applying the selection in the window from page 1, which it does not hold: the window lands on
// the first selected page and shows it.  Switching the selection off again is not timed.
void WindowApplySelection(benchmark::State& state, std::string path) {
  const std::string before = Stamp(path);
  const sk::browse::PageSelection sel = Selection();
  int landed = 0;
  {
    Window w(path);
    if (!w.ok()) {
      state.SkipWithError("the window did not open the page file");
      return;
    }
    w.Trigger("FirstItem");
    for (auto _ : state) {
      w.selector().ApplySelection(sel);
      QApplication::processEvents();
      landed = w.RecNo();
      state.PauseTiming();
      w.selector().ApplySelection(sk::browse::PageSelection{});
      w.nav().GotoRecNo(1);
      w.nav().AfterMove(true, true);
      QApplication::processEvents();
      state.ResumeTiming();
    }
  }
  state.counters["landed"] = double(landed);
  if (Stamp(path) != before) state.SkipWithError("the page file was changed");
}

// A title selection applied in the window from page 1 in the given order (-1 page-number order,
// 1 title order), then NextItem until the last selected page.  Each measure starts with the
// selection off and page 1 on show; the window is left that way, in page-number order.
void WindowSelectAndStep(benchmark::State& state, std::string path, std::string needle_utf8,
                         int order) {
  const std::string before = Stamp(path);
  sk::browse::PageSelection sel;
  sel.TitleSelectMode = true;
  sk::cp932::FromUtf8ToCp932(needle_utf8, &sel.SelTitle);
  int64_t pages = 0;
  {
    Window w(path);
    if (!w.ok()) {
      state.SkipWithError("the window did not open the page file");
      return;
    }
    auto reset = [&] {
      w.selector().ApplySelection(sk::browse::PageSelection{});
      w.selector().ReOrder(order);
      w.nav().GotoRecNo(1);
      w.nav().AfterMove(true, true);
      QApplication::processEvents();
    };
    for (auto _ : state) {
      state.PauseTiming();
      reset();
      state.ResumeTiming();
      w.selector().ApplySelection(sel);
      QApplication::processEvents();
      pages = 0;
      if (!w.table().Filtered()) continue;  // nothing selected: the selection is off
      for (pages = 1;; ++pages) {
        int from = w.RecNo();
        if (!w.Trigger("NextItem")) {
          state.SkipWithError("no action NextItem");
          return;
        }
        if (w.RecNo() == from) break;
      }
    }
    w.selector().ApplySelection(sk::browse::PageSelection{});
    w.selector().ReOrder(-1);
  }
  state.counters["pages"] = double(pages);
  if (Stamp(path) != before) state.SkipWithError("the page file was changed");
}

void TableSelectAndStep(benchmark::State& state, std::string path, std::string needle_utf8,
                        const char* tag) {
  const std::string before = Stamp(path);
  sk::browse::PageSelection sel;
  sel.TitleSelectMode = true;
  sk::cp932::FromUtf8ToCp932(needle_utf8, &sel.SelTitle);
  Table t;
  if (!Check(state, t.Open(path, sk::store::PageFileOptions()))) return;
  int64_t pages = 0;
  for (auto _ : state) {
    state.PauseTiming();
    if (!Check(state, t.SetFiltered(false)) || !Check(state, t.SetIndexName("")) ||
        !Check(state, t.First()))
      return;
    state.ResumeTiming();
    // As the window does: marks in a tag's order, the filter asked as the cursor goes in
    // page-number order.
    t.SetFilter(sk::browse::MakeSelectionFilter(sel, t));
    if (*tag && !Check(state, t.MarkFiltered())) return;
    if (!Check(state, t.SetIndexName(tag)) || !Check(state, t.SetFiltered(true))) return;
    pages = 0;
    for (Status st = t.First(); !t.Eof(); st = t.Next()) {
      if (!Check(state, st)) return;
      ++pages;
    }
  }
  if (!Check(state, t.Close())) return;
  state.counters["pages"] = double(pages);
  if (Stamp(path) != before) state.SkipWithError("the page file was changed");
}

// Opening the page file in the window (and closing it): the open reads every page's category
// for the category list.
void WindowOpen(benchmark::State& state, std::string path) {
  const std::string before = Stamp(path);
  for (auto _ : state) {
    Window w(path);
    if (!w.ok()) {
      state.SkipWithError("the window did not open the page file");
      return;
    }
  }
  if (Stamp(path) != before) state.SkipWithError("the page file was changed");
}

int WriteTitles(const std::string& dbf, const std::string& out) {
  Table t;
  Status st = t.Open(dbf, sk::store::PageFileOptions(true));
  std::ofstream o(out, std::ios::binary | std::ios::trunc);
  long n = 0;
  for (; st.ok() && !t.Eof(); st = t.Next(), ++n) o << t.FieldString("TITLE") << '\n';
  if (!st.ok()) {
    std::cerr << st.message() << "\n";
    return 1;
  }
  std::ofstream(out + ".needle", std::ios::binary | std::ios::trunc) << Needle();
  std::cout << n << " titles\n";
  return 0;
}

// The window keeps its settings in a folder of its own, never the user's; removed at the end.
std::string TempConfig() {
  std::string d = "/tmp/sk_browse_bench_XXXXXX";
  if (!::mkdtemp(d.data())) return {};
  ::setenv("SORAKUMO_CONFIG_DIR", d.c_str(), 1);
  return d;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::string(argv[1]) == "--write-titles") return WriteTitles(argv[2], argv[3]);
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  const std::string config = TempConfig();
  if (config.empty()) {
    std::cerr << "no settings folder\n";
    return 1;
  }
  QApplication app(argc, argv);
  for (long n : {10000L, 1000000L}) {
    std::string p = PathFor(n);
    if (!Exists(p)) continue;
    std::string s = std::to_string(n);
    benchmark::RegisterBenchmark(("SelectionFullPass/" + s).c_str(), SelectionFullPass, p)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("WindowApplySelection/" + s).c_str(), WindowApplySelection, p)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("WindowOpen/" + s).c_str(), WindowOpen, p)
        ->Unit(benchmark::kMillisecond);
    // Title order and page-number order side by side, each several times: the medians compare.
    const std::pair<const char*, const char*> matches[] = {{"none", "該当しない題"},
                                                           {"tenth", "記録 12"}};
    for (const auto& [match, needle] : matches)
      for (int order : {-1, 1})
        benchmark::RegisterBenchmark(("SelectAndStep/" + std::string(match) + "/" +
                                      (order < 0 ? "number" : "title") + "/" + s)
                                         .c_str(),
                                     WindowSelectAndStep, p, std::string(needle), order)
            ->Unit(benchmark::kMillisecond)
            ->Iterations(1)
            ->Repetitions(5)
            ->ReportAggregatesOnly(true);
    for (const auto& [match, needle] : matches)
      for (const char* tag : {"", "T"})
        benchmark::RegisterBenchmark(("TableSelectAndStep/" + std::string(match) + "/" +
                                      (*tag ? "title" : "number") + "/" + s)
                                         .c_str(),
                                     TableSelectAndStep, p, std::string(needle), tag)
            ->Unit(benchmark::kMillisecond)
            ->Repetitions(5)
            ->ReportAggregatesOnly(true);
    const std::pair<const char*, Nav> navs[] = {{"WindowFirst", Nav::kFirst},
                                                {"WindowLast", Nav::kLast},
                                                {"WindowNext", Nav::kNext},
                                                {"WindowPrior", Nav::kPrior},
                                                {"WindowOrderSwitch", Nav::kOrderSwitch}};
    for (const auto& [name, nav] : navs)
      benchmark::RegisterBenchmark((std::string(name) + "/" + s).c_str(), WindowNav, p, nav)
          ->Unit(benchmark::kMicrosecond);
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::filesystem::remove_all(config);
  return 0;
}
