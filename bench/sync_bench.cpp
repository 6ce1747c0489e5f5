// What the syncs cost a page write: Post of an edited page (a new text of about 2 KB, and a new
// title every other write, so that the index changes too), with the syncs the engine makes
// against the same writes with every sync skipped (a file layer that answers fdatasync and the
// folder sync at once).  The page file (200 pages) is made in SORAKUMO_BENCH_DIR (default /tmp).
//
//   PostEdit/synced     the engine as it is: memo, journal and table synced on each write
//   PostEdit/unsynced   the same writes, no sync reaching the disk
//
// Run both side by side with repetitions and interleaving, e.g.
//   sync_bench --benchmark_repetitions=7 --benchmark_enable_random_interleaving=true
//              --benchmark_report_aggregates_only=true
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <string>

#include "bench/bench_files.h"
#include "store/file_io.h"
#include "store/page_file.h"
#include "store/table.h"

namespace {

using sk::bench::Check;
using sk::store::Table;

class NoSyncLayer final : public sk::store::SystemFileLayer {
 public:
  int Fdatasync(int) override { return 0; }
  int SyncDir(const char*) override { return 0; }
};

constexpr uint32_t kPages = 200;

std::string Text(uint64_t n) {
  std::string s = "page text " + std::to_string(n) + "\r\n";
  while (s.size() < 2000) s += "\x93\xfa\x8b\x4c abc 1234 \x83\x5c\x95\x5c\r\n";
  return s;
}

void PostEdit(benchmark::State& state, bool synced) {
  const std::string path =
      sk::bench::Dir("/tmp") + "/sync_bench_" + (synced ? "synced" : "unsynced") + ".dbf";
  NoSyncLayer no_sync;
  if (!synced) sk::store::SetFileLayer(&no_sync);
  if (!Check(state, sk::store::CreatePageFile(path))) return;
  Table t;
  if (!Check(state, t.Open(path, sk::store::PageFileOptions()))) return;
  for (uint32_t i = 0; i < kPages; ++i) {
    if (!Check(state, t.Append())) return;
    if (!Check(state, t.SetFieldString("TITLE", "title " + std::to_string(i)))) return;
    if (!Check(state, t.SetFieldString("TEXT", Text(i)))) return;
    if (!Check(state, t.Post())) return;
  }
  uint64_t n = 0;
  for (auto _ : state) {
    ++n;
    if (!Check(state, t.GotoBookmark(uint32_t(1 + n * 7919 % kPages)))) return;
    if (!Check(state, t.Edit())) return;
    if (!Check(state, t.SetFieldString("TEXT", Text(n)))) return;
    if (n % 2 && !Check(state, t.SetFieldString("TITLE", "edited " + std::to_string(n)))) return;
    if (!Check(state, t.Post())) return;
  }
  Check(state, t.Close());
  sk::store::SetFileLayer(nullptr);
  for (const char* ext : {".dbf", ".dbt", ".mdx"})
    ::unlink((path.substr(0, path.size() - 4) + ext).c_str());
}

BENCHMARK_CAPTURE(PostEdit, synced, true)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK_CAPTURE(PostEdit, unsynced, false)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();
