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
// and compare without regard to case. A key whose header occurs twice is one
// key; a value named twice reads as its last occurrence. Lines that cannot be
// read are skipped, never fatal, and a rewrite keeps every line it does not
// change byte for byte in its place: other hives, deletions, comments,
// unreadable values and values continued over several lines. A new value goes
// after the last value line of the key's last header, a new key at the end of
// the file. Writes replace the file atomically under an advisory lock, so a
// failed write leaves the old file whole and two writers never mix.

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <variant>
#include <vector>

#include "platform/result.h"

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

// The store's text held as its lines, so that a change to one key leaves
// everything else as it was. Text is Windows-1252, as on the disk.
class RegistryDocument {
 public:
  explicit RegistryDocument(std::string_view text);

  // The key, when the text has it.
  std::optional<RegistryKey> key(std::string_view path) const;
  // Every key of the current user's hive, in the order of first appearance.
  std::vector<RegistryKey> keys() const;
  // Lets `change` edit the key (created when missing) and puts the result
  // into the lines. False, and nothing changed, when the path cannot be
  // written (isWritableKeyPath) or a changed value holds a line break or NUL.
  [[nodiscard]] bool update(const std::string &path,
                            const std::function<void(RegistryKey &)> &change);
  std::string text() const;

 private:
  // One line of the file, or a value together with its continuation lines.
  struct Entry {
    std::string raw;        // as in the file, continuation lines joined by "\n"
    bool isValue = false;   // a value of one of our keys that could be read
    std::string name = {};  // the value's name, UTF-8
    RegistryValue value = {};
  };
  struct Block {
    std::string header;  // the header line as read; empty before the first header
    bool ours = false;   // a key of the current user's hive
    std::string path;    // its path without the hive, UTF-8
    std::vector<Entry> entries;
  };
  const std::vector<uint32_t> *blocksOf(std::string_view path) const;
  std::string newLine(std::string text) const { return text + carriageReturn_; }

  std::vector<Block> blocks_;
  std::unordered_map<std::string, std::vector<uint32_t>> index_;  // upper-case path
  bool finalLineEnd_ = true;
  std::string carriageReturn_;  // "\r" when the file's lines end in CR LF
};

// True when a key path can be written as a header line of the store: it
// holds no line break and no character outside the code page.
bool isWritableKeyPath(std::string_view path);

class RegistryStore {
 public:
  explicit RegistryStore(std::string filePath);

  // The standard store: configFolder() + "user.reg".
  static RegistryStore forCurrentUser();

  // The key, when it exists in the file.
  std::optional<RegistryKey> openKey(const std::string &path) const;
  // Reads the file, lets `change` edit the key (created when missing), and
  // writes the file back; temporary files left by an earlier writer that was
  // killed are removed first. A failure, with the file left as it was, when
  // the file exists but cannot be read, cannot be written, or the key or a
  // value cannot be written as one line.
  template <typename F>
  Status updateKey(const std::string &path, F change) {
    return update(path, [&](RegistryKey &k) { change(k); });
  }

  const std::string &filePath() const { return filePath_; }

 private:
  Status update(const std::string &path, const std::function<void(RegistryKey &)> &change);
  std::string filePath_;
};

// The key, read straight from the file's text without holding its lines:
// what RegistryDocument(text).key(path) gives, at start-up speed.
std::optional<RegistryKey> findRegistryKey(std::string_view text, std::string_view path);

// Parsing and writing of the file's text, exposed for tests and fuzzing.
std::vector<RegistryKey> parseRegistryText(const std::string &text);
// Keys whose path or values cannot be written as one line are left out.
std::string formatRegistryText(const std::vector<RegistryKey> &keys);

}  // namespace vantor
