// The scan loop of the text search: DoFind over the TEXT of every page of a generated file, the
// texts held in memory, for strings found on no page (every byte is scanned).  Case-sensitive
// against case-insensitive, an ASCII string and a Japanese one; std::string_view::find over the
// same texts as the yardstick of a plain byte search.
//
//   search_bench [google benchmark flags]
//   search_bench --write-pages OUT   writes the same texts to OUT, one page after the other with a
//                                    newline between, and their byte lengths to OUT.lengths
//
// The file is pN.dbf in SORAKUMO_BENCH_DIR (default /tmp/sorakumo_bench), N = SEARCH_PAGES
// (default 100000), made by `sorakumo-tool generate pN.dbf --pages N --seed 1`.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench/bench_files.h"
#include "convert/cp932.h"
#include "search/find_scan.h"
#include "store/page_file.h"
#include "store/table.h"

namespace {

struct Texts {
  std::vector<std::string> pages;
  int64_t bytes = 0;
  std::string error;
};

const Texts& PageTexts() {
  static const Texts texts = [] {
    Texts t;
    const char* n = std::getenv("SEARCH_PAGES");
    const std::string path =
        sk::bench::PathFor(sk::bench::Dir("/tmp/sorakumo_bench"), n && *n ? std::atol(n) : 100000);
    sk::store::Table table;
    sk::Status st = table.Open(path, sk::store::PageFileOptions(true));
    if (st.ok()) st = table.First();
    std::string text;
    while (st.ok() && !table.Eof()) {
      st = table.ReadField("TEXT", &text);
      t.bytes += int64_t(text.size());
      t.pages.push_back(text);
      if (st.ok()) st = table.Next();
    }
    if (!st.ok()) t.error = st.message();
    return t;
  }();
  return texts;
}

std::string Cp932(const char* utf8) {
  std::string out;
  sk::cp932::FromUtf8ToCp932(utf8, &out);
  return out;
}

void Scan(benchmark::State& state, std::string input_utf8, bool match_case) {
  const Texts& t = PageTexts();
  if (!t.error.empty()) {
    state.SkipWithError(t.error.c_str());
    return;
  }
  const sk::search::SearchStrings s =
      sk::search::SetKensakuMojiList(Cp932(input_utf8.c_str()), match_case);
  int64_t hits = 0;
  for (auto _ : state) {
    for (const std::string& page : t.pages) hits += sk::search::DoFind(s, page).found();
    benchmark::DoNotOptimize(hits);
  }
  if (hits != 0) state.SkipWithError("the string occurs in the pages");
  state.SetBytesProcessed(state.iterations() * t.bytes);
  state.counters["pages"] = double(t.pages.size());
}

void PlainFind(benchmark::State& state, std::string input_utf8) {
  const Texts& t = PageTexts();
  if (!t.error.empty()) {
    state.SkipWithError(t.error.c_str());
    return;
  }
  const std::string needle = Cp932(input_utf8.c_str());
  int64_t hits = 0;
  for (auto _ : state) {
    for (const std::string& page : t.pages)
      hits += std::string_view(page).find(needle) != std::string_view::npos;
    benchmark::DoNotOptimize(hits);
  }
  state.SetBytesProcessed(state.iterations() * t.bytes);
}

}  // namespace

BENCHMARK_CAPTURE(Scan, AsciiMatchCase, std::string("Solaris"), true)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Scan, AsciiFoldCase, std::string("Solaris"), false)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Scan, JapaneseMatchCase, std::string("北海道"), true)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Scan, JapaneseFoldCase, std::string("北海道"), false)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Scan, ThreeStringsFoldCase, std::string("Solaris|北海道|Ｗｉｎ"), false)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(PlainFind, Ascii, std::string("Solaris"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(PlainFind, Japanese, std::string("北海道"))->Unit(benchmark::kMillisecond);

// The texts as one flat file for grep, and the lengths that split it again into pages.
int WritePages(const std::string& out) {
  const Texts& t = PageTexts();
  if (!t.error.empty()) {
    std::fprintf(stderr, "%s\n", t.error.c_str());
    return 1;
  }
  FILE* flat = std::fopen(out.c_str(), "wb");
  FILE* lengths = std::fopen((out + ".lengths").c_str(), "w");
  if (!flat || !lengths) return 1;
  for (const std::string& page : t.pages) {
    std::fwrite(page.data(), 1, page.size(), flat);
    std::fputc('\n', flat);
    std::fprintf(lengths, "%zu\n", page.size());
  }
  return std::fclose(flat) == 0 && std::fclose(lengths) == 0 ? 0 : 1;
}

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "--write-pages") == 0) return WritePages(argv[2]);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
