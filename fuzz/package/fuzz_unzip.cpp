// ZIP extraction of arbitrary archives: nothing may be written outside the
// destination folder, and nothing may crash.
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "package/zip_archive.h"

namespace fs = std::filesystem;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  static const fs::path root = [] {
    std::string pattern = (fs::temp_directory_path() / "vantor-fuzz-XXXXXX").string();
    return fs::path(mkdtemp(pattern.data()));
  }();
  const fs::path dest = root / "dest";
  fs::remove_all(root);
  fs::create_directories(dest);
  {
    std::ofstream out(root / "a.zip", std::ios::binary);
    out.write(reinterpret_cast<const char *>(data), std::streamsize(size));
  }
  const vantor::UnzipResult r =
      vantor::UnzipArchive((root / "a.zip").string(), dest.string() + "/");
  // Only the archive itself and the destination folder may exist in root.
  for (auto &e : fs::directory_iterator(root))
    if (e.path().filename() != "a.zip" && e.path().filename() != "dest") __builtin_trap();
  // A refused archive writes nothing; otherwise exactly the files reported,
  // plain files all, and no temporary file is left.
  uintmax_t written = 0;
  size_t files = 0;
  for (auto &e : fs::directory_iterator(dest)) {
    if (!e.is_regular_file() || e.path().filename().string().rfind(".part-", 0) == 0)
      __builtin_trap();
    written += e.file_size();
    ++files;
  }
  if (!r.refused.empty() && files != 0) __builtin_trap();
  if (files > r.extracted.size()) __builtin_trap();
  if (written > vantor::ArchiveOutputCap(size)) __builtin_trap();
  return 0;
}
