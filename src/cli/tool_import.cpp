// sorakumo-tool import and merge: a text file into pages, another page file's pages appended.
#include "cli/tool_common.h"

namespace sk::cli {

int CmdImport(const std::vector<std::string>&, const Options&) { return Usage("未実装"); }
int CmdMerge(const std::vector<std::string>&, const Options&) { return Usage("未実装"); }

}  // namespace sk::cli
