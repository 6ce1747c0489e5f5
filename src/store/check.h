// The consistency check of a page file: structure of the three files, and the content and order
// of every tag against the records.  Reads only; never writes.
#pragma once

#include <string>
#include <vector>

namespace sk::store {

// Each fault found, one message per line (UTF-8); empty when all is consistent.
std::vector<std::string> CheckTableFiles(const std::string& dbf_path);

}  // namespace sk::store
