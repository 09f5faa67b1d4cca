#pragma once
#include <string>

namespace vantor {

// Writes `bytes` to a temporary file beside `path`, flushes it to the disk and
// renames it over `path`. On any failure `path` keeps its old content and the
// temporary file is removed.
bool writeFileAtomically(const std::string &path, const std::string &bytes);

// Reads a whole file into `out`; false when it cannot be opened.
bool readWholeFile(const std::string &path, std::string &out);
// The whole file, or "" when it cannot be read.
std::string readWholeFile(const std::string &path);

}  // namespace vantor
