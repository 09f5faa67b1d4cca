#pragma once
#include <string>

namespace vantor {

// Writes `bytes` to a temporary file beside `path` (its name followed by
// ".tmp-" and six letters or digits), flushes it to the disk and renames it
// over `path`. On any failure `path` keeps its old content and the temporary
// file is removed; only a process killed mid-write leaves it behind.
[[nodiscard]] bool writeFileAtomically(const std::string &path, const std::string &bytes);

// Removes the temporary files that writeFileAtomically left beside `path`
// when its process was killed. Safe only while no other process can be
// writing `path`, for instance under a lock that all its writers take.
void removeStaleTemporaries(const std::string &path);

// Reads a whole file into `out`; false when it cannot be opened.
bool readWholeFile(const std::string &path, std::string &out);
// The whole file, or "" when it cannot be read.
std::string readWholeFile(const std::string &path);

}  // namespace vantor
