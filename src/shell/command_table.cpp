#include "shell/command_table.h"

#include <cassert>

namespace sk::shell {

void CommandTable::Add(const std::string& handler, Command run) {
  [[maybe_unused]] const bool added = commands_.emplace(handler, std::move(run)).second;
  assert(added && "a handler is added once");
}

bool CommandTable::Run(const std::string& handler) const {
  auto it = commands_.find(handler);
  if (it == commands_.end()) return false;
  it->second();
  return true;
}

}  // namespace sk::shell
