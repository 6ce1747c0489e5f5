// sorakumo-tool export: text, HTML and TeX exports of a page file.
#include "cli/tool_common.h"

namespace sk::cli {

int CmdExport(const std::vector<std::string>&, const Options&) { return Usage("未実装"); }

}  // namespace sk::cli
