#pragma once
#include <string>

#include "platform/result.h"

namespace vantor {

// Writes `bytes` to a temporary file beside `path` (its name followed by
// ".tmp-" and six letters or digits), flushes it to the disk and renames it
// over `path`. On any failure `path` keeps its old content and the temporary
// file is removed; only a process killed mid-write leaves it behind.
Status writeFileAtomically(const std::string &path, const std::string &bytes);

// Removes the temporary files that writeFileAtomically left beside `path`
// when its process was killed. Safe only while no other process can be
// writing `path`, for instance under a lock that all its writers take.
void removeStaleTemporaries(const std::string &path);

// The whole file; a failure when it cannot be opened or read.
Result<std::string> readWholeFile(const std::string &path);
// The same, except that a file that does not exist reads as "": for files
// that are made at their first write. A file that exists but cannot be read
// is a failure, so that nobody writes over what could not be read.
Result<std::string> readFileIfPresent(const std::string &path);

}  // namespace vantor
