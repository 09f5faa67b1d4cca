// Any text read as the desktop screensaver's preferences gives either no
// picture folder or a non-empty one without a line break in it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "folder/xscreensaver_prefs.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const std::string_view text(reinterpret_cast<const char *>(data), size);
  const auto folder = vantor::ImageDirectoryFromPrefs(text, "/home/u");
  if (folder && (folder->empty() || folder->find('\n') != std::string::npos)) std::abort();
  return 0;
}
