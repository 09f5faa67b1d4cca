#include "settings/ini_file.h"

#include <climits>
#include <cstdint>
#include <fstream>
#include <sstream>
#include <utility>

#include "platform/atomic_file.h"
#include "platform/cp1252.h"
#include "platform/paths.h"

namespace vantor {

namespace {

std::string trim(std::string_view s) {
  size_t a = s.find_first_not_of(" \t\r\n");
  if (a == std::string_view::npos) return {};
  size_t b = s.find_last_not_of(" \t\r\n");
  return std::string(s.substr(a, b - a + 1));
}

}  // namespace

std::optional<int> parseInteger(const std::string &text) {
  size_t i = text.find_first_not_of(' ');
  if (i == std::string::npos) return std::nullopt;
  bool negative = false;
  if (text[i] == '+' || text[i] == '-') negative = text[i++] == '-';
  int base = 10;
  if (i < text.size() && text[i] == '$') {
    base = 16, ++i;
  } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    base = 16, i += 2;
  }
  if (i >= text.size()) return std::nullopt;
  int64_t v = 0;
  for (; i < text.size(); ++i) {
    char c = text[i];
    int d = (c >= '0' && c <= '9')                 ? c - '0'
            : (base == 16 && c >= 'a' && c <= 'f') ? c - 'a' + 10
            : (base == 16 && c >= 'A' && c <= 'F') ? c - 'A' + 10
                                                   : -1;
    if (d < 0) return std::nullopt;
    v = v * base + d;
    if (v > int64_t(UINT32_MAX)) return std::nullopt;
  }
  if (negative) v = -v;
  if (base == 16 && v > INT_MAX) v -= int64_t(1) << 32;  // $FFFFFFFF is -1
  if (v < INT_MIN || v > INT_MAX) return std::nullopt;
  return int(v);
}

IniFile::IniFile(std::string path) : path_(std::move(path)) {
  std::ifstream in(path_, std::ios::binary);
  if (!in) return;
  std::ostringstream ss;
  ss << in.rdbuf();
  loadFromText(ss.str());
}

void IniFile::loadFromText(const std::string &raw) {
  sections_.clear();
  const std::string text = cp1252ToUtf8(raw);
  const bool crlf = text.find("\r\n") != std::string::npos || text.find('\n') == std::string::npos;
  lineEnd_ = crlf ? "\r\n" : "\n";
  sections_.push_back({});
  size_t current = 0;
  std::istringstream in(text);
  std::string rawLine;
  while (std::getline(in, rawLine)) {
    if (!rawLine.empty() && rawLine.back() == '\r') rawLine.pop_back();
    std::string line = trim(rawLine);
    if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
      std::string name = trim(std::string_view(line).substr(1, line.size() - 2));
      // A section named twice continues the first one.
      const Section *s = findSection(name);
      if (!s) {
        sections_.push_back({name, {}});
        s = &sections_.back();
      }
      current = size_t(s - sections_.data());
      continue;
    }
    size_t eq = line.find('=');
    Line l{"", rawLine};
    if (eq != std::string::npos && line[0] != ';') {
      std::string key = trim(std::string_view(line).substr(0, eq));
      if (!key.empty()) l = Line{key, line.substr(eq + 1)};
    }
    sections_[current].lines.push_back(std::move(l));
  }
}

std::string IniFile::toText() const {
  std::string out;
  for (const auto &s : sections_) {
    if (!s.name.empty()) out += "[" + s.name + "]" + lineEnd_;
    for (const auto &l : s.lines) out += (l.key.empty() ? l.text : l.key + "=" + l.text) + lineEnd_;
  }
  return utf8ToCp1252(out);
}

bool IniFile::save() const {
  return !path_.empty() && writeFileAtomically(path_, toText());
}

const IniFile::Section *IniFile::findSection(const std::string &name) const {
  for (const auto &s : sections_)
    if (!s.name.empty() && equalsNoCase(s.name, name)) return &s;
  return nullptr;
}

IniFile::Section *IniFile::findSection(const std::string &name) {
  return const_cast<Section *>(std::as_const(*this).findSection(name));
}

bool IniFile::hasSection(const std::string &section) const {
  return findSection(section);
}

std::optional<std::string> IniFile::value(const std::string &section,
                                          const std::string &key) const {
  const Section *s = findSection(section);
  if (!s) return std::nullopt;
  for (const auto &l : s->lines)
    if (!l.key.empty() && equalsNoCase(l.key, key)) return l.text;
  return std::nullopt;
}

std::string IniFile::readString(const std::string &section, const std::string &key,
                                const std::string &def) const {
  return value(section, key).value_or(def);
}

int IniFile::readInteger(const std::string &section, const std::string &key, int def) const {
  auto v = value(section, key);
  if (!v) return def;
  return parseInteger(*v).value_or(def);
}

bool IniFile::readBool(const std::string &section, const std::string &key, bool def) const {
  return readInteger(section, key, def ? 1 : 0) != 0;
}

void IniFile::writeString(const std::string &section, const std::string &key,
                          const std::string &value) {
  Section *s = findSection(section);
  if (!s) {
    sections_.push_back({section, {}});
    s = &sections_.back();
  }
  for (auto &l : s->lines)
    if (!l.key.empty() && equalsNoCase(l.key, key)) {
      l.text = value;
      return;
    }
  // New keys go after the section's last key, before any trailing blank lines.
  auto pos = s->lines.end();
  while (pos != s->lines.begin() && (pos - 1)->key.empty() && trim((pos - 1)->text).empty()) --pos;
  s->lines.insert(pos, Line{key, value});
}

void IniFile::writeInteger(const std::string &section, const std::string &key, int value) {
  writeString(section, key, std::to_string(value));
}

void IniFile::writeBool(const std::string &section, const std::string &key, bool value) {
  writeString(section, key, value ? "1" : "0");
}

std::vector<std::string> IniFile::sectionKeys(const std::string &section) const {
  std::vector<std::string> keys;
  const Section *s = findSection(section);
  if (!s) return keys;
  for (const auto &l : s->lines) {
    if (l.key.empty()) continue;
    bool seen = false;
    for (const auto &k : keys) seen = seen || equalsNoCase(k, l.key);
    if (!seen) keys.push_back(l.key);
  }
  return keys;
}

}  // namespace vantor
