// A scratch file that a fuzz target's input is written to, since the readers work on files.
#pragma once

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

namespace sk::fuzz {

// A folder of this process's own under the temporary folder, made once.
inline const std::string& ScratchDir() {
  static const std::string dir = [] {
    const char* t = getenv("TMPDIR");
    std::string tmpl = std::string(t && *t ? t : "/tmp") + "/sorakumo-fuzz-XXXXXX";
    if (!mkdtemp(tmpl.data())) {
      perror("mkdtemp");
      abort();
    }
    return tmpl;
  }();
  return dir;
}

// Writes bytes to ScratchDir()/name, replacing what was there; returns the path.
inline std::string WriteScratch(const std::string& name, const uint8_t* data, size_t size) {
  std::string path = ScratchDir() + "/" + name;
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) {
    perror(path.c_str());
    abort();
  }
  size_t done = 0;
  while (done < size) {
    ssize_t w = write(fd, data + done, size - done);
    if (w <= 0) abort();
    done += size_t(w);
  }
  close(fd);
  return path;
}

}  // namespace sk::fuzz
