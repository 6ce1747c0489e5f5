// The generated page files the benchmarks read, and a check that skips a benchmark on failure.
#pragma once

#include <benchmark/benchmark.h>
#include <sys/stat.h>

#include <cstdlib>
#include <string>

#include "convert/status.h"

namespace sk::bench {

// SORAKUMO_BENCH_DIR, else `fallback`.
inline std::string Dir(const char* fallback) {
  const char* d = std::getenv("SORAKUMO_BENCH_DIR");
  return d && *d ? d : fallback;
}

inline std::string PathFor(const std::string& dir, long pages) {
  return dir + "/p" + std::to_string(pages) + ".dbf";
}

inline bool Exists(const std::string& p) {
  struct stat st;
  return ::stat(p.c_str(), &st) == 0;
}

inline bool Check(benchmark::State& state, const Status& st) {
  if (st.ok()) return true;
  state.SkipWithError(st.message().c_str());
  return false;
}

}  // namespace sk::bench
