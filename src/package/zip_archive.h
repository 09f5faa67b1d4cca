#pragma once
// Extraction of ZIP archives from the content package. Archives come from the
// program's own file, which anyone may have altered, so every entry is
// treated as hostile:
// - an entry is written under its bare file name inside the destination
//   folder; folder parts, "..", absolute paths and drive letters are dropped;
// - symbolic links, encrypted entries, methods other than stored and deflated,
//   and entries that claim to inflate beyond kMaxInflateRatio times their
//   compressed size are skipped;
// - a whole archive is refused, before anything is written, when it has more
//   than kMaxArchiveEntries entries, when its entries claim more bytes than
//   the file holds (entries whose data overlap), when it fails libzip's
//   consistency check, or when what it would write exceeds ArchiveOutputCap;
// - an entry is written to a temporary file and renamed to its name only when
//   it has been read whole with a correct checksum, so a corrupt or cancelled
//   entry leaves no half-written file under its name;
// - an existing link under the entry's name is replaced, never followed.
// The unpacker polls the calling thread's cancel flag for each entry and each
// chunk of 64 KiB, and throws Cancelled when it is set.

#include <cstdint>
#include <string>
#include <vector>

namespace vantor {

// Deflate cannot compress by more than about 1032:1; a larger claimed ratio is
// a forged header.
constexpr uint64_t kMaxInflateRatio = 1100;
// An item archive holds one file as a rule; a thousand is far beyond any
// real use and small enough to unpack in well under a second.
constexpr uint64_t kMaxArchiveEntries = 1024;
// What one archive may write: 100 times its own size, but never less than
// kMinArchiveOutputBytes (pictures of plain colour compress by up to 1000:1)
// and never more than kMaxArchiveOutputBytes.
constexpr uint64_t kArchiveOutputFactor = 100;
constexpr uint64_t kMinArchiveOutputBytes = uint64_t(128) << 20;  // 128 MiB
constexpr uint64_t kMaxArchiveOutputBytes = uint64_t(1) << 30;    // 1 GiB
uint64_t ArchiveOutputCap(uint64_t archiveBytes);

struct [[nodiscard]] UnzipResult {
  bool opened = false;                 // the file is a readable ZIP archive
  std::string refused;                 // why the whole archive was refused, or ""
  std::vector<std::string> extracted;  // file names written, in archive order
  std::vector<std::string> skipped;    // entry names left out, with the reason
};

// Extracts every entry of the archive `archiveName` in the open folder
// `folderFd` into the same folder. Existing files of the same name are
// replaced. Throws Cancelled when the calling thread's cancel flag is set.
UnzipResult UnzipArchiveAt(int folderFd, const std::string &archiveName);

// The same for an archive and a destination folder (ending in "/") named by
// path; the destination is opened once and never through a final link.
UnzipResult UnzipArchive(const std::string &archivePath, const std::string &destFolder);

// The safe bare file name of an entry name as stored (bytes of the archive,
// UTF-8 or Windows-1252), or "" when none is left.
std::string safeEntryFileName(const std::string &storedName);

// A fresh name for a temporary file in a folder that several threads (and
// processes) write to; files of this form are removed by the clean-up.
std::string UniqueTemporaryName();

}  // namespace vantor
