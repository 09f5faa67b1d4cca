// The user store's text format over arbitrary text: read without a change it
// writes back byte for byte; a change to one key rewrites only that key's
// values, every other key reads back as before; formatting what was parsed
// and parsing again gives the same keys; the start-up reader agrees.
#include <cstdint>
#include <string>

#include "platform/registry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const std::string text(reinterpret_cast<const char *>(data), size);
  const auto keys = vantor::parseRegistryText(text);
  const auto again = vantor::parseRegistryText(vantor::formatRegistryText(keys));
  if (again.size() > keys.size()) __builtin_trap();

  vantor::RegistryDocument doc(text);
  if (doc.text() != text) __builtin_trap();
  // The start-up reader agrees with the document on every key.
  for (const vantor::RegistryKey &k : keys) {
    const auto quick = vantor::findRegistryKey(text, k.path);
    if (vantor::isWritableKeyPath(k.path) && (!quick || quick->values != k.values))
      __builtin_trap();
  }
  std::string path = "Software\\Orlenta\\Fuzz.scr";
  size_t at = keys.size();  // the changed key's place among the keys
  for (size_t i = 0; i < keys.size() && at == keys.size(); ++i)
    if (vantor::isWritableKeyPath(keys[i].path)) path = keys[at = i].path;
  // A change that changes nothing leaves every byte.
  if (!doc.update(path, [](vantor::RegistryKey &) {})) __builtin_trap();
  if (at < keys.size() && doc.text() != text) __builtin_trap();

  if (!doc.update(path, [](vantor::RegistryKey &k) {
        k.set("ImageInterval", 7u);
        k.set("Name", std::string("a \"quoted\" \\ value"));
      }))
    __builtin_trap();
  const auto changed = vantor::parseRegistryText(doc.text());
  if (changed.size() != keys.size() + (at == keys.size() ? 1 : 0)) __builtin_trap();
  for (size_t i = 0; i < keys.size(); ++i)
    if (i != at && (changed[i].path != keys[i].path || changed[i].values != keys[i].values))
      __builtin_trap();
  const vantor::RegistryValue *v = changed[at].find("imageinterval");
  if (!v || *v != vantor::RegistryValue(7u)) __builtin_trap();
  v = changed[at].find("NAME");
  if (!v || *v != vantor::RegistryValue(std::string("a \"quoted\" \\ value"))) __builtin_trap();
  return 0;
}
