#pragma once
// The settings file held in memory for the whole run. Section and key names
// compare without regard to case. Reading keeps every line: keys the program
// does not know, comments and blank lines are written back as they were; a
// new key is added at the end of its section, a new section at the end of
// the file. Text is Windows-1252 on disk and UTF-8 in memory.

#include <optional>
#include <string>
#include <vector>

namespace vantor {

class IniFile {
 public:
  IniFile() = default;
  explicit IniFile(std::string path);  // reads the file; a missing file reads as empty

  void loadFromText(const std::string &cp1252Text);
  std::string toText() const;  // Windows-1252, with the line ends the file had
  // Writes the whole file atomically; false when it could not be written.
  bool save() const;
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
  bool hasSection(const std::string &section) const;

 private:
  struct Line {
    std::string key;   // empty for a line that is not key=value
    std::string text;  // value for a key line, the whole line otherwise
  };
  struct Section {
    std::string name;  // empty for the lines before the first section
    std::vector<Line> lines;
  };
  const Section *findSection(const std::string &name) const;
  Section *findSection(const std::string &name);

  std::string path_;
  std::vector<Section> sections_;
  std::string lineEnd_ = "\r\n";
};

// The integer rule of the settings: optional blanks, an optional sign, then
// decimal digits (or hexadecimal after "$" or "0x"), within 32 bits.
std::optional<int> parseInteger(const std::string &text);

}  // namespace vantor
