// The trailer scan over arbitrary file tails, then the settings archive found
// there unpacked into a private folder.
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <string>

#include "package/content_package.h"
#include "package/zip_archive.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  vantor::Trailer t = vantor::ParseTrailer(std::string(reinterpret_cast<const char *>(data), size));
  if (!t.found) return 0;
  if (t.settingsName.find('/') != std::string::npos) __builtin_trap();
  return 0;
}
