// The program's commands by handler name ("NextItemClick", "MojiFindItemClick"): each subsystem
// adds its own when the window is built (browse/ui/browse_command_table.h,
// images/ui/images_command_table.h, search/ui/search_command_table.h,
// exchange/ui/exchange_command_table.h; the window adds its file and text commands), and the
// window's menus, popups and toolbar run them from here.  A command of the menus that is in no
// subsystem does nothing.
#pragma once

#include <functional>
#include <string>
#include <unordered_map>
#include <utility>

namespace sk::shell {

class CommandTable {
 public:
  using Command = std::function<void()>;

  // Adds the command of `handler`; a handler is added once.
  void Add(const std::string& handler, Command run);
  // Runs the command of `handler`; false when there is none.
  bool Run(const std::string& handler) const;
  bool Has(const std::string& handler) const { return commands_.count(handler) > 0; }

  // Adds each handler of `commands` as the call of its member function on `object`.
  template <class T>
  using Method = std::pair<const char*, void (T::*)()>;
  template <class T, size_t N>
  void AddMethods(T& object, const Method<T> (&commands)[N]) {
    for (const auto& [handler, run] : commands)
      Add(handler, [o = &object, run = run] { (o->*run)(); });
  }

 private:
  std::unordered_map<std::string, Command> commands_;
};

}  // namespace sk::shell
