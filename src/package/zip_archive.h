#pragma once
// Extraction of ZIP archives from the content package. Archives come from the
// program's own file, which anyone may have altered, so every entry is
// treated as hostile:
// - an entry is written under its bare file name inside the destination
//   folder; folder parts, "..", absolute paths and drive letters are dropped;
// - symbolic links, encrypted entries, methods other than stored and deflated,
//   and entries that would inflate beyond kMaxEntryBytes or beyond
//   kMaxInflateRatio times their compressed size are skipped;
// - an entry is written to a temporary file and renamed to its name only when
//   it has been read whole with a correct checksum, so a corrupt entry leaves
//   no half-written file under its name;
// - an existing link under the entry's name is replaced, never followed.

#include <cstdint>
#include <string>
#include <vector>

namespace vantor {

constexpr uint64_t kMaxEntryBytes = uint64_t(2) << 30;  // 2 GiB
// Deflate cannot compress by more than about 1032:1; a larger claimed ratio is
// a forged header.
constexpr uint64_t kMaxInflateRatio = 1100;

struct UnzipResult {
  bool opened = false;                 // the file is a readable ZIP archive
  std::vector<std::string> extracted;  // file names written, in archive order
  std::vector<std::string> skipped;    // entry names left out, with the reason
};

// Extracts every entry of the archive at `archivePath` into `destFolder`
// (ending in "/"). Existing files of the same name are replaced.
UnzipResult UnzipArchive(const std::string &archivePath, const std::string &destFolder);

// The safe bare file name of an entry name as stored (bytes of the archive,
// UTF-8 or Windows-1252), or "" when none is left.
std::string safeEntryFileName(const std::string &storedName);

}  // namespace vantor
