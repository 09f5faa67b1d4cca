#pragma once
// The settings file held in memory for the whole run. Section and key names
// compare without regard to case (ASCII letters only). Reading keeps every
// line: headers, keys the program does not know, comments and blank lines are
// written back as they were. A header that names a section already open
// continues that section: its keys are read as the section's, yet the file is
// written back with both headers in place and each key under the header it
// was read from. When a key occurs more than once in a section, the first
// occurrence is the one read and written. A new key is added at the end of
// the first block of its section (before its trailing blank lines), a new
// section at the end of the file. Lines end at CR LF, LF or a lone CR; the
// file is written with the line end it had. Text is Windows-1252 on disk and
// UTF-8 in memory. Lookups are hashed, so a section of a million keys costs
// no more per key than one of ten.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/result.h"

namespace vantor {

class IniFile {
 public:
  IniFile() = default;
  // Reads the file; a missing file reads as empty. A file that exists but
  // cannot be read reads as empty too, and readStatus() says why.
  explicit IniFile(std::string path);

  void loadFromText(const std::string &cp1252Text);
  std::string toText() const;  // Windows-1252, with the line ends the file had
  // Writes the whole file atomically. A failure when it could not be written,
  // and, leaving the file alone, when it could not be read: what it held
  // would be lost.
  Status save() const;
  const Status &readStatus() const { return readStatus_; }
  const std::string &path() const { return path_; }

  std::optional<std::string> value(const std::string &section, const std::string &key) const;
  std::string readString(const std::string &section, const std::string &key,
                         const std::string &def) const;
  int readInteger(const std::string &section, const std::string &key, int def) const;
  bool readBool(const std::string &section, const std::string &key, bool def) const;
  void writeString(const std::string &section, const std::string &key, const std::string &value);
  void writeInteger(const std::string &section, const std::string &key, int value);
  void writeBool(const std::string &section, const std::string &key, bool value);

  // Key names of a section in file order (each once).
  std::vector<std::string> sectionKeys(const std::string &section) const;
  // The keys of a section with their values, in file order (each key once,
  // with the value that value() reads).
  std::vector<std::pair<std::string, std::string>> sectionValues(const std::string &section) const;
  // The same without copies: `f(key, value)` for each; the views last until
  // the next change.
  template <typename F>
  void forEachValue(const std::string &section, F f) const {
    if (const Section *s = findSection(section))
      for (uint32_t b : s->blocks)
        for (const Line &l : blocks_[b].lines)
          if (l.keyLen != 0 && !l.shadowed)
            f(l.key(), std::string_view(l.text).substr(l.valueAt, l.valueLen));
  }
  bool hasSection(const std::string &section) const;

 private:
  // One physical line. A key line holds the key and the value as ranges of
  // its text, so that a line nobody writes goes back to the disk unchanged.
  struct Line {
    std::string text;
    uint32_t keyAt = 0, keyLen = 0;  // keyLen 0: not a key=value line
    uint32_t valueAt = 0, valueLen = 0;
    bool shadowed = false;  // an earlier line of the section has the same key
    std::string_view key() const { return std::string_view(text).substr(keyAt, keyLen); }
  };
  // The lines under one header, as they stand in the file. A section named
  // twice has two blocks; both headers are written back where they were.
  struct Block {
    std::string header;  // the header line as read; empty before the first header
    std::vector<Line> lines;
  };
  struct Where {
    uint32_t block, line;
  };
  // Open addressing with linear probing; an empty slot has block UINT32_MAX.
  struct Slot {
    uint32_t hash = 0;
    Where at{UINT32_MAX, 0};
  };
  // A section as the program sees it: every block of that name, in file
  // order, and the first line of each of its keys, hashed without regard to
  // case.
  struct Section {
    std::vector<uint32_t> blocks;
    std::vector<Slot> keys;  // a power of two in size, at most half full
    size_t keyCount = 0;
  };
  const Section *findSection(std::string_view name) const;
  const Line *findLine(const Section &s, std::string_view key) const;
  Section &addSection(const std::string &name, uint32_t block);
  static void addKey(Section &s, uint32_t hash, Where at);
  void addLine(uint32_t section, uint32_t block, std::string text);

  std::string path_;
  Status readStatus_;
  std::vector<Block> blocks_;
  std::vector<Section> sections_;
  std::unordered_map<std::string, uint32_t> sectionIndex_;  // upper-case name
  std::string lineEnd_ = "\r\n";
};

// The integer rule of the settings: optional blanks, an optional sign, then
// decimal digits (or hexadecimal after "$" or "0x"), within 32 bits.
std::optional<int> parseInteger(const std::string &text);

}  // namespace vantor
