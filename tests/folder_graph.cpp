// The folders of src/ depend one way.  Reads the #include lines of every source file (tests
// left out), makes each folder a node (a logic folder "store", a widget folder "store/ui", the
// shell services "shell"), and fails when a logic folder includes a widget folder or when the
// folders include each other in a cycle, naming the include lines that make it.
//
// usage: folder_graph SRC_DIR
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Include {
  std::string file;  // relative to src/
  int line = 0;
  std::string text;  // the included path
};

// The node of a file (relative to src/): its folder, with "app/main" and "cli" on top of all.
std::string NodeOf(const std::string& rel) {
  if (rel == "app/main.cpp") return "app/main";
  fs::path p(rel);
  std::string dir = p.parent_path().generic_string();
  return dir.empty() ? "." : dir;
}

bool IsWidgetNode(const std::string& node) {
  return node == "shell" || node.ends_with("/ui") || node == "app/main";
}

bool IsTopNode(const std::string& node) { return node == "app/main" || node == "cli"; }

bool IsTestFile(const std::string& rel) {
  return fs::path(rel).filename().string().find("test") != std::string::npos;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: folder_graph SRC_DIR\n";
    return 2;
  }
  const fs::path src = argv[1];
  // edges[from][to]: the include lines that make the edge.
  std::map<std::string, std::map<std::string, std::vector<Include>>> edges;
  std::set<std::string> nodes;
  const std::regex include_re(R"re(^\s*#\s*include\s*"([^"]+)")re");
  int failures = 0;

  for (const auto& entry : fs::recursive_directory_iterator(src)) {
    if (!entry.is_regular_file()) continue;
    const std::string ext = entry.path().extension().string();
    if (ext != ".h" && ext != ".cpp") continue;
    const std::string rel = fs::relative(entry.path(), src).generic_string();
    if (IsTestFile(rel)) continue;
    const std::string from = NodeOf(rel);
    nodes.insert(from);
    std::ifstream in(entry.path());
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
      ++number;
      std::smatch m;
      if (!std::regex_search(line, m, include_re)) continue;
      std::string target = m[1].str();
      // A path from src/, or one beside the including file.
      if (!fs::exists(src / target)) {
        fs::path beside = fs::path(rel).parent_path() / target;
        if (!fs::exists(src / beside)) continue;  // not one of ours (generated or a library's)
        target = beside.lexically_normal().generic_string();
      }
      const std::string to = NodeOf(target);
      if (to == from) continue;
      Include inc{rel, number, m[1].str()};
      if (IsTopNode(to)) {
        std::cout << rel << ":" << number << ": includes \"" << inc.text << "\" of " << to
                  << ", which is on top of every folder\n";
        ++failures;
      } else if (!IsWidgetNode(from) && !IsTopNode(from) && IsWidgetNode(to)) {
        std::cout << rel << ":" << number << ": the logic folder " << from
                  << " includes \"" << inc.text << "\" of the widget folder " << to << "\n";
        ++failures;
      }
      edges[from][to].push_back(inc);
    }
  }

  // Cycles: a depth-first walk; a back edge closes a cycle, told with the lines of every edge.
  std::map<std::string, int> state;  // 0 new, 1 on the path, 2 done
  std::vector<std::string> path;
  std::set<std::set<std::string>> told;
  auto visit = [&](auto&& self, const std::string& n) -> void {
    state[n] = 1;
    path.push_back(n);
    for (const auto& [to, incs] : edges[n]) {
      if (state[to] == 1) {
        auto start = std::find(path.begin(), path.end(), to);
        std::vector<std::string> cycle(start, path.end());
        std::set<std::string> key(cycle.begin(), cycle.end());
        if (!told.insert(key).second) continue;
        ++failures;
        std::cout << "cycle:";
        for (const auto& c : cycle) std::cout << " " << c << " ->";
        std::cout << " " << to << "\n";
        for (size_t i = 0; i < cycle.size(); ++i) {
          const std::string& a = cycle[i];
          const std::string& b = i + 1 < cycle.size() ? cycle[i + 1] : to;
          const Include& inc = edges[a][b].front();
          std::cout << "  " << inc.file << ":" << inc.line << ": #include \"" << inc.text
                    << "\"  (" << a << " -> " << b << ")\n";
        }
      } else if (state[to] == 0) {
        self(self, to);
      }
    }
    path.pop_back();
    state[n] = 2;
  };
  for (const auto& n : nodes)
    if (state[n] == 0) visit(visit, n);

  if (failures == 0) {
    std::cout << nodes.size() << " folders, no include against the direction\n";
    return 0;
  }
  std::cout << failures << " include(s) against the direction\n";
  return 1;
}
