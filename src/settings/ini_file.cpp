#include "settings/ini_file.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <utility>

#include "platform/atomic_file.h"
#include "platform/cp1252.h"
#include "platform/paths.h"

namespace vantor {

namespace {

std::string_view trim(std::string_view s) {
  size_t a = s.find_first_not_of(" \t\r\n");
  if (a == std::string_view::npos) return {};
  size_t b = s.find_last_not_of(" \t\r\n");
  return s.substr(a, b - a + 1);
}

char upper(char c) {
  return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c;
}

std::string upperCopy(std::string_view s) {
  std::string out(s);
  for (char &c : out) c = upper(c);
  return out;
}

// Hash and comparison that agree with equalsNoCase, without copying.
uint32_t hashNoCase(std::string_view s) {
  uint64_t h = 14695981039346656037ull;
  for (char c : s) h = (h ^ uint8_t(upper(c))) * 1099511628211ull;
  return uint32_t(h ^ (h >> 32));
}

bool sameNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (upper(a[i]) != upper(b[i])) return false;
  return true;
}

// Calls `f` with each line of `text`; a line ends at CR LF, LF or a lone CR.
template <typename F>
void forEachLine(std::string_view text, F f) {
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find_first_of("\r\n", at);
    if (end == std::string_view::npos) {
      f(text.substr(at));
      return;
    }
    f(text.substr(at, end - at));
    at = end + ((text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ? 2 : 1);
  }
}

constexpr uint32_t kNoSection = UINT32_MAX;

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
  Result<std::string> text = readFileIfPresent(path_);
  readStatus_ = text.status();
  if (text) loadFromText(*text);
}

IniFile::Section &IniFile::addSection(const std::string &name, uint32_t block) {
  sectionIndex_.emplace(upperCopy(name), uint32_t(sections_.size()));
  Section &s = sections_.emplace_back();
  s.blocks.push_back(block);
  return s;
}

void IniFile::addLine(uint32_t section, uint32_t block, std::string text) {
  Line l{std::move(text)};
  const std::string_view line = trim(l.text);
  const size_t eq = line.find('=');
  if (eq != std::string_view::npos && line[0] != ';') {
    const std::string_view key = trim(line.substr(0, eq));
    if (!key.empty()) {
      const size_t lineAt = size_t(line.data() - l.text.data());
      l.keyAt = uint32_t(key.data() - l.text.data());
      l.keyLen = uint32_t(key.size());
      l.valueAt = uint32_t(lineAt + eq + 1);
      l.valueLen = uint32_t(line.size() - eq - 1);
    }
  }
  std::vector<Line> &lines = blocks_[block].lines;
  if (l.keyLen != 0 && section != kNoSection) {
    Section &s = sections_[section];
    if (findLine(s, l.key()))
      l.shadowed = true;
    else
      addKey(s, hashNoCase(l.key()), Where{block, uint32_t(lines.size())});
  }
  lines.push_back(std::move(l));
}

void IniFile::loadFromText(const std::string &raw) {
  blocks_.clear();
  sections_.clear();
  sectionIndex_.clear();
  const std::string text = cp1252ToUtf8(raw);
  lineEnd_ = text.find("\r\n") != std::string::npos ? "\r\n"
             : text.find('\n') != std::string::npos ? "\n"
             : text.find('\r') != std::string::npos ? "\r"
                                                    : "\r\n";
  blocks_.emplace_back();  // the lines before the first header
  uint32_t section = kNoSection;
  forEachLine(text, [&](std::string_view rawLine) {
    const std::string_view line = trim(rawLine);
    if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
      const std::string name(trim(line.substr(1, line.size() - 2)));
      const auto block = uint32_t(blocks_.size());
      blocks_.push_back({std::string(rawLine), {}});
      auto found = sectionIndex_.find(upperCopy(name));
      if (found != sectionIndex_.end()) {
        // A section named again continues the first one.
        section = found->second;
        sections_[section].blocks.push_back(block);
      } else {
        section = uint32_t(sections_.size());
        addSection(name, block);
      }
      return;
    }
    addLine(section, uint32_t(blocks_.size() - 1), std::string(rawLine));
  });
}

std::string IniFile::toText() const {
  std::string out;
  for (const Block &b : blocks_) {
    if (!b.header.empty()) out.append(b.header).append(lineEnd_);
    for (const Line &l : b.lines) out.append(l.text).append(lineEnd_);
  }
  return utf8ToCp1252(out);
}

Status IniFile::save() const {
  if (path_.empty()) return Status::failure("the settings have no file to be saved to");
  if (!readStatus_) return Status::failure("not saving the settings: " + readStatus_.message());
  return writeFileAtomically(path_, toText());
}

const IniFile::Section *IniFile::findSection(std::string_view name) const {
  auto found = sectionIndex_.find(upperCopy(name));
  return found == sectionIndex_.end() ? nullptr : &sections_[found->second];
}

const IniFile::Line *IniFile::findLine(const Section &s, std::string_view key) const {
  if (s.keys.empty()) return nullptr;
  const uint32_t hash = hashNoCase(key);
  const size_t mask = s.keys.size() - 1;
  for (size_t i = hash & mask;; i = (i + 1) & mask) {
    const Slot &slot = s.keys[i];
    if (slot.at.block == UINT32_MAX) return nullptr;
    if (slot.hash != hash) continue;
    const Line &l = blocks_[slot.at.block].lines[slot.at.line];
    if (sameNoCase(l.key(), key)) return &l;
  }
}

void IniFile::addKey(Section &s, uint32_t hash, Where at) {
  if ((s.keyCount + 1) * 2 > s.keys.size()) {
    std::vector<Slot> old(std::max<size_t>(16, s.keys.size() * 2));
    old.swap(s.keys);
    s.keyCount = 0;
    for (const Slot &slot : old)
      if (slot.at.block != UINT32_MAX) addKey(s, slot.hash, slot.at);
  }
  const size_t mask = s.keys.size() - 1;
  size_t i = hash & mask;
  while (s.keys[i].at.block != UINT32_MAX) i = (i + 1) & mask;
  s.keys[i] = Slot{hash, at};
  ++s.keyCount;
}

bool IniFile::hasSection(const std::string &section) const {
  return findSection(section);
}

std::optional<std::string> IniFile::value(const std::string &section,
                                          const std::string &key) const {
  const Section *s = findSection(section);
  const Line *l = s ? findLine(*s, key) : nullptr;
  if (!l) return std::nullopt;
  return l->text.substr(l->valueAt, l->valueLen);
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
  const Section *found = findSection(section);
  if (!found) {
    blocks_.push_back({"[" + section + "]", {}});
    found = &addSection(section, uint32_t(blocks_.size() - 1));
  }
  if (const Line *existing = findLine(*found, key)) {
    // The line keeps its place and the key its spelling.
    Line &l = const_cast<Line &>(*existing);
    const std::string name(l.key());
    l.text = name + "=" + value;
    l.keyAt = 0;
    l.valueAt = l.keyLen + 1;
    l.valueLen = uint32_t(value.size());
    return;
  }
  // A new key goes after the last line of the section's first block that is
  // not blank. Only blank lines follow it, none of them a key, so no indexed
  // line moves.
  Section &s = sections_[size_t(found - sections_.data())];
  const uint32_t block = s.blocks.front();
  std::vector<Line> &lines = blocks_[block].lines;
  size_t pos = lines.size();
  while (pos > 0 && lines[pos - 1].keyLen == 0 && trim(lines[pos - 1].text).empty()) --pos;
  Line l{key + "=" + value, 0, uint32_t(key.size()), uint32_t(key.size() + 1),
         uint32_t(value.size())};
  lines.insert(lines.begin() + long(pos), std::move(l));
  addKey(s, hashNoCase(key), Where{block, uint32_t(pos)});
}

void IniFile::writeInteger(const std::string &section, const std::string &key, int value) {
  writeString(section, key, std::to_string(value));
}

void IniFile::writeBool(const std::string &section, const std::string &key, bool value) {
  writeString(section, key, value ? "1" : "0");
}

std::vector<std::string> IniFile::sectionKeys(const std::string &section) const {
  std::vector<std::string> keys;
  for (auto &[key, value] : sectionValues(section)) keys.push_back(std::move(key));
  return keys;
}

std::vector<std::pair<std::string, std::string>> IniFile::sectionValues(
    const std::string &section) const {
  std::vector<std::pair<std::string, std::string>> out;
  forEachValue(section, [&](std::string_view key, std::string_view value) {
    out.emplace_back(std::string(key), std::string(value));
  });
  return out;
}

}  // namespace vantor
