// What the crash writer and the crash test share: the form in which a memo is logged.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

// A memo is logged as its length and FNV-1a hash, which keeps the log small.
inline std::string MemoDigest(const std::string& s) {
  uint64_t h = 14695981039346656037ull;
  for (unsigned char c : s) h = (h ^ c) * 1099511628211ull;
  char b[48];
  snprintf(b, sizeof b, "%zu:%016llx", s.size(), static_cast<unsigned long long>(h));
  return b;
}
