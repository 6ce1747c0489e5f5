// Running the built sorakumo-tool from a test, as a user would in a shell.
#pragma once

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "store/test_util.h"

namespace sk::cli::test {

struct ToolOutcome {
  int code = -1;
  std::string out, err;
};

// Runs the tool in `dir` with the arguments (each put in single quotes), with its settings in
// `config_dir` when one is given; stdout and stderr are caught.
inline ToolOutcome RunTool(const std::string& dir, const std::vector<std::string>& args,
                           const std::string& config_dir = {}) {
  std::string cmd = "cd '" + dir + "' && ";
  if (!config_dir.empty()) cmd += "SORAKUMO_CONFIG_DIR='" + config_dir + "' ";
  cmd += "'" SORAKUMO_TOOL "'";
  for (const auto& a : args) cmd += " '" + a + "'";
  cmd += " >'" + dir + "/.out' 2>'" + dir + "/.err'";
  const int status = std::system(cmd.c_str());
  ToolOutcome r;
  r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  r.out = store::test::ReadBytes(dir + "/.out");
  r.err = store::test::ReadBytes(dir + "/.err");
  std::filesystem::remove(dir + "/.out");
  std::filesystem::remove(dir + "/.err");
  return r;
}

}  // namespace sk::cli::test
