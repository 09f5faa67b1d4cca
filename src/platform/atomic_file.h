#pragma once
#include <string>

namespace vantor {

// Writes `bytes` to a temporary file beside `path`, flushes it to the disk and
// renames it over `path`. On any failure `path` keeps its old content and the
// temporary file is removed.
bool writeFileAtomically(const std::string &path, const std::string &bytes);

}  // namespace vantor
