#pragma once
// The current user's registry, kept as one text file in the REGEDIT4 format:
//
//   REGEDIT4
//
//   [HKEY_CURRENT_USER\Software\Orlenta\My Saver.scr]
//   "ImageInterval"=dword:0000000a
//   @="/usr/share/vantor/Screensaver"
//
// Key paths are given without the hive, as "Software\Orlenta\My Saver.scr",
// and compare without regard to case. Lines that cannot be read are skipped,
// never fatal. Writes replace the file atomically under an advisory lock, so
// a failed write leaves the old file whole and two writers never mix.

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace vantor {

// A value of a type other than dword or string ("hex:..." and the like) is
// kept as its raw text so that a rewrite of the file preserves it.
struct RawRegistryValue {
  std::string text;  // everything after the "=", as in the file
  friend bool operator==(const RawRegistryValue &, const RawRegistryValue &) = default;
};
using RegistryValue = std::variant<uint32_t, std::string, RawRegistryValue>;

struct RegistryKey {
  std::string path;  // as written in the file, without the hive
  // Values in file order; the default value has the name "".
  std::vector<std::pair<std::string, RegistryValue>> values;

  const RegistryValue *find(const std::string &name) const;
  void set(const std::string &name, RegistryValue value);
};

class RegistryStore {
 public:
  explicit RegistryStore(std::string filePath);

  // The standard store: configFolder() + "user.reg".
  static RegistryStore forCurrentUser();

  // The key, when it exists in the file.
  std::optional<RegistryKey> openKey(const std::string &path) const;
  // Reads the file, lets `change` edit the key (created when missing), and
  // writes the file back. False when the file could not be written.
  template <typename F>
  bool updateKey(const std::string &path, F change) {
    return update(path, [&](RegistryKey &k) { change(k); });
  }

  const std::string &filePath() const { return filePath_; }

 private:
  bool update(const std::string &path, const std::function<void(RegistryKey &)> &change);
  std::string filePath_;
};

// Parsing and writing of the file's text, exposed for tests and fuzzing.
std::vector<RegistryKey> parseRegistryText(const std::string &text);
std::string formatRegistryText(const std::vector<RegistryKey> &keys);

}  // namespace vantor
