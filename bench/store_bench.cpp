// Benchmarks of the page-file engine on generated page files.
//
// The files are found in the folder named by SORAKUMO_BENCH_DIR (default: the working folder)
// as pN.dbf (with pN.dbt and pN.mdx), made by `sorakumo-tool generate pN.dbf --pages N`;
// run_store_bench.sh makes them and runs this program.  Sizes whose file is missing are skipped.
//
//   OpenFirstTitle/N   open with the index present, select tag T, go to the first page and read
//                      its title, close
//   StepTitle/N        Next through every page in title order (tag T), no memo read
//   StepPhysical/N     Next through every page in page-number order, no memo read
//   ReadText/N         every TEXT memo in page-number order; bytes_per_second counts memo bytes
//   ReadTextTitle/N    every TEXT memo in title order (tag T); file_bytes counts what the memo file
//                      read per pass
#include <benchmark/benchmark.h>
#include <sys/stat.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "bench/bench_files.h"
#include "store/page_file.h"
#include "store/table.h"

namespace {

using sk::Status;
using sk::store::Table;

using sk::bench::Check;
using sk::bench::Exists;

std::string PathFor(long pages) { return sk::bench::PathFor(sk::bench::Dir("."), pages); }

void OpenFirstTitle(benchmark::State& state, std::string path) {
  std::string title;
  {
    // One open before timing: a stale index is rebuilt here, not in the figures.
    Table t;
    if (!Check(state, t.Open(path, sk::store::PageFileOptions()))) return;
  }
  for (auto _ : state) {
    Table t;
    if (!Check(state, t.Open(path, sk::store::PageFileOptions()))) return;
    if (!Check(state, t.SetIndexName("T"))) return;
    if (!Check(state, t.First())) return;
    if (!Check(state, t.ReadField("TITLE", &title))) return;
    benchmark::DoNotOptimize(title);
    if (!Check(state, t.Close())) return;
  }
}

// Steps Next from First to the end in the given order ("" for page-number order).
void Step(benchmark::State& state, std::string path, std::string tag) {
  Table t;
  if (!Check(state, t.Open(path, sk::store::PageFileOptions()))) return;
  if (!Check(state, t.SetIndexName(tag))) return;
  int64_t pages = 0;
  bool warm = false;
  for (auto _ : state) {
    if (!warm) {  // the first pass, untimed, fills the page cache and the engine's caches
      state.PauseTiming();
      for (Check(state, t.First()); !t.Eof();)
        if (!Check(state, t.Next())) return;
      state.ResumeTiming();
      warm = true;
    }
    int64_t n = 0;
    if (!Check(state, t.First())) return;
    while (!t.Eof()) {
      ++n;
      benchmark::DoNotOptimize(t.RecNo());
      if (!Check(state, t.Next())) return;
    }
    pages = n;
  }
  state.counters["pages"] = double(pages);
  state.SetItemsProcessed(state.iterations() * pages);
}

void ReadText(benchmark::State& state, std::string path, std::string tag) {
  Table t;
  if (!Check(state, t.Open(path, sk::store::PageFileOptions()))) return;
  if (!Check(state, t.SetIndexName(tag))) return;
  std::string text;
  int64_t bytes = 0;
  uint64_t file_bytes = 0, read_before = 0;
  bool warm = false;
  for (auto _ : state) {
    if (!warm) {  // an untimed pass that reads every memo into the page cache
      state.PauseTiming();
      for (Check(state, t.First()); !t.Eof();)
        if (!Check(state, t.ReadField("TEXT", &text)) || !Check(state, t.Next())) return;
      state.ResumeTiming();
      warm = true;
    }
    int64_t b = 0;
    read_before = t.dbt().bytes_read();
    if (!Check(state, t.First())) return;
    while (!t.Eof()) {
      if (!Check(state, t.ReadField("TEXT", &text))) return;
      b += int64_t(text.size());
      if (!Check(state, t.Next())) return;
    }
    bytes = b;
    file_bytes = t.dbt().bytes_read() - read_before;
  }
  state.counters["memo_bytes"] = double(bytes);
  state.counters["file_bytes"] = double(file_bytes);
  state.SetBytesProcessed(state.iterations() * bytes);
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<long> sizes = {10000, 100000, 1000000};
  for (long n : sizes) {
    std::string path = PathFor(n);
    if (!Exists(path)) continue;
    std::string s = std::to_string(n);
    benchmark::RegisterBenchmark(("OpenFirstTitle/" + s).c_str(), OpenFirstTitle, path)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark(("StepTitle/" + s).c_str(), Step, path, std::string("T"))
        ->Unit(benchmark::kMillisecond)
        ->MinTime(1.0);
    benchmark::RegisterBenchmark(("StepPhysical/" + s).c_str(), Step, path, std::string(""))
        ->Unit(benchmark::kMillisecond)
        ->MinTime(1.0);
    benchmark::RegisterBenchmark(("ReadText/" + s).c_str(), ReadText, path, std::string(""))
        ->Unit(benchmark::kMillisecond)
        ->MinTime(1.0);
    benchmark::RegisterBenchmark(("ReadTextTitle/" + s).c_str(), ReadText, path, std::string("T"))
        ->Unit(benchmark::kMillisecond)
        ->MinTime(1.0);
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
