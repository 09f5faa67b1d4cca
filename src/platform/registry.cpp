#include "platform/registry.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

#include <filesystem>

#include "platform/atomic_file.h"
#include "platform/cp1252.h"
#include "platform/paths.h"

namespace vantor {

namespace {

constexpr std::string_view kHive = "HKEY_CURRENT_USER\\";

std::string_view trimView(std::string_view s) {
  size_t a = s.find_first_not_of(" \t\r\n");
  if (a == std::string_view::npos) return {};
  size_t b = s.find_last_not_of(" \t\r\n");
  return s.substr(a, b - a + 1);
}

std::string trim(std::string_view s) {
  return std::string(trimView(s));
}

std::string upperCopy(std::string_view s) {
  std::string out(s);
  for (char &c : out)
    if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
  return out;
}

bool holdsLineBreak(std::string_view s) {
  return s.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

// The index just after the "=" of a value line ("name"= or @=), or npos.
size_t valueStart(std::string_view line) {
  size_t i = 0;
  if (line.empty()) return std::string_view::npos;
  if (line[0] == '@') {
    i = 1;
  } else if (line[0] == '"') {
    for (i = 1; i < line.size() && line[i] != '"'; ++i)
      if (line[i] == '\\') ++i;
    if (i >= line.size()) return std::string_view::npos;
    ++i;
  } else {
    return std::string_view::npos;
  }
  return (i < line.size() && line[i] == '=') ? i + 1 : std::string_view::npos;
}

bool sameNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z') x = char(x - 'a' + 'A');
    if (y >= 'a' && y <= 'z') y = char(y - 'a' + 'A');
    if (x != y) return false;
  }
  return true;
}

// A binary value ends its line with "\" when it goes on over the next one.
bool continues(std::string_view line) {
  const std::string_view t = trimView(line);
  return !t.empty() && t.back() == '\\';
}

bool startsBinaryValue(std::string_view line) {
  const std::string_view t = trimView(line);
  const size_t at = valueStart(t);
  return at != std::string_view::npos && sameNoCase(trimView(t.substr(at)).substr(0, 3), "hex") &&
         continues(t);
}

// A binary value that still waits for its next line: the file ended after a
// "\". Whatever is written after it would be read as part of it.
bool dangles(std::string_view raw) {
  const size_t lastLine = raw.rfind('\n');
  return startsBinaryValue(raw.substr(0, raw.find('\n'))) &&
         continues(lastLine == std::string_view::npos ? raw : raw.substr(lastLine + 1));
}

// Reads a quoted string starting at s[i] == '"'; returns the index after the
// closing quote, or npos.
size_t readQuoted(const std::string &s, size_t i, std::string &out) {
  out.clear();
  for (++i; i < s.size(); ++i) {
    if (s[i] == '\\' && i + 1 < s.size()) {
      out += s[++i];
    } else if (s[i] == '"') {
      return i + 1;
    } else {
      out += s[i];
    }
  }
  return std::string::npos;
}

std::string quote(std::string_view s) {
  std::string out = "\"";
  for (char c : s) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  return out + "\"";
}

std::optional<uint32_t> parseDword(std::string_view hex) {
  if (hex.empty() || hex.size() > 8) return std::nullopt;
  uint32_t v = 0;
  for (char c : hex) {
    int d = (c >= '0' && c <= '9')   ? c - '0'
            : (c >= 'a' && c <= 'f') ? c - 'a' + 10
            : (c >= 'A' && c <= 'F') ? c - 'A' + 10
                                     : -1;
    if (d < 0) return std::nullopt;
    v = v * 16 + uint32_t(d);
  }
  return v;
}

// One "name"=value or @=value line; false when it cannot be read.
bool parseValueLine(const std::string &line, RegistryKey &key) {
  std::string name;
  size_t i;
  if (line[0] == '@') {
    i = 1;
  } else {
    i = readQuoted(line, 0, name);
    if (i == std::string::npos) return false;
  }
  if (i >= line.size() || line[i] != '=') return false;
  std::string rest = trim(std::string_view(line).substr(i + 1));
  if (!rest.empty() && rest[0] == '"') {
    std::string text;
    size_t end = readQuoted(rest, 0, text);
    if (end == std::string::npos || end != rest.size()) return false;
    key.set(name, text);
  } else if (rest.rfind("dword:", 0) == 0) {
    auto v = parseDword(std::string_view(rest).substr(6));
    if (!v) return false;
    key.set(name, *v);
  } else if (!rest.empty()) {
    key.set(name, RawRegistryValue{rest});
  } else {
    return false;
  }
  return true;
}

// The value line as the store writes it, in Windows-1252.
std::string formatValue(const std::string &name, const RegistryValue &value) {
  std::string out = name.empty() ? "@" : quote(name);
  out += '=';
  if (auto *d = std::get_if<uint32_t>(&value)) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "dword:%08x", unsigned(*d));
    out += buf;
  } else if (auto *s = std::get_if<std::string>(&value)) {
    out += quote(*s);
  } else {
    out += std::get<RawRegistryValue>(value).text;
  }
  return utf8ToCp1252(out);
}

bool writable(const std::string &name, const RegistryValue &value) {
  if (holdsLineBreak(name)) return false;
  if (auto *s = std::get_if<std::string>(&value)) return !holdsLineBreak(*s);
  if (auto *r = std::get_if<RawRegistryValue>(&value)) return !holdsLineBreak(r->text);
  return true;
}

}  // namespace

const RegistryValue *RegistryKey::find(const std::string &name) const {
  for (auto &[n, v] : values)
    if (equalsNoCase(n, name)) return &v;
  return nullptr;
}

void RegistryKey::set(const std::string &name, RegistryValue value) {
  for (auto &[n, v] : values)
    if (equalsNoCase(n, name)) {
      v = std::move(value);
      return;
    }
  values.emplace_back(name, std::move(value));
}

bool isWritableKeyPath(std::string_view path) {
  // A path the code page cannot hold would be written with "?" in its place:
  // a header that names another key and never reads back as this one.
  return !holdsLineBreak(path) && cp1252ToUtf8(utf8ToCp1252(path)) == path;
}

RegistryDocument::RegistryDocument(std::string_view text) {
  blocks_.emplace_back();  // the lines before the first header
  if (text.empty()) return;
  finalLineEnd_ = text.back() == '\n';
  // Lines this program writes end as the file's first line does.
  if (const size_t end = text.find('\n');
      end != 0 && end != std::string_view::npos && text[end - 1] == '\r')
    carriageReturn_ = "\r";
  if (finalLineEnd_) text.remove_suffix(1);
  std::vector<std::string_view> lines;
  for (size_t at = 0;;) {
    const size_t end = text.find('\n', at);
    lines.push_back(text.substr(at, end == std::string_view::npos ? end : end - at));
    if (end == std::string_view::npos) break;
    at = end + 1;
  }
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::string_view line = trimView(lines[i]);
    if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
      Block &b = blocks_.emplace_back();
      b.header = std::string(lines[i]);
      const std::string_view path = line.substr(1, line.size() - 2);
      if (startsWithNoCase(path, kHive)) {  // not other hives, not deletions
        b.ours = true;
        b.path = cp1252ToUtf8(path.substr(kHive.size()));
        index_[upperCopy(b.path)].push_back(uint32_t(blocks_.size() - 1));
      }
      continue;
    }
    Entry e{std::string(lines[i])};
    // A binary value takes its continuation lines along, whatever they look
    // like, so that none of them is read as a header or a value of its own.
    if (startsBinaryValue(lines[i]))
      while (continues(lines[i]) && i + 1 < lines.size()) e.raw.append("\n").append(lines[++i]);
    Block &b = blocks_.back();
    if (b.ours && (line.starts_with('"') || line.starts_with('@'))) {
      RegistryKey parsed;
      if (parseValueLine(trim(cp1252ToUtf8(e.raw)), parsed)) {
        e.isValue = true;
        e.name = std::move(parsed.values[0].first);
        e.value = std::move(parsed.values[0].second);
      }
    }
    b.entries.push_back(std::move(e));
  }
}

const std::vector<uint32_t> *RegistryDocument::blocksOf(std::string_view path) const {
  auto found = index_.find(upperCopy(path));
  return found == index_.end() ? nullptr : &found->second;
}

std::optional<RegistryKey> RegistryDocument::key(std::string_view path) const {
  const std::vector<uint32_t> *blocks = blocksOf(path);
  if (!blocks) return std::nullopt;
  RegistryKey k{blocks_[blocks->front()].path, {}};
  // A value named again takes the place of the first and the content of the last.
  std::unordered_map<std::string, size_t> at;
  for (uint32_t b : *blocks)
    for (const Entry &e : blocks_[b].entries) {
      if (!e.isValue) continue;
      auto [it, added] = at.emplace(upperCopy(e.name), k.values.size());
      if (added)
        k.values.emplace_back(e.name, e.value);
      else
        k.values[it->second].second = e.value;
    }
  return k;
}

std::vector<RegistryKey> RegistryDocument::keys() const {
  std::vector<RegistryKey> out;
  for (size_t i = 0; i < blocks_.size(); ++i)
    if (blocks_[i].ours && blocksOf(blocks_[i].path)->front() == i)
      out.push_back(*key(blocks_[i].path));
  return out;
}

bool RegistryDocument::update(const std::string &path,
                              const std::function<void(RegistryKey &)> &change) {
  if (!isWritableKeyPath(path)) return false;
  const std::optional<RegistryKey> found = key(path);
  const RegistryKey before = found.value_or(RegistryKey{path, {}});
  RegistryKey after = before;
  change(after);
  std::unordered_map<std::string, const RegistryValue *> old, now;
  for (auto &[name, value] : before.values) old.emplace(upperCopy(name), &value);
  for (auto &[name, value] : after.values) {
    auto was = old.find(upperCopy(name));
    if ((was == old.end() || !(*was->second == value)) && !writable(name, value)) return false;
    now.emplace(upperCopy(name), &value);
  }

  if (!found) {
    if (blocks_.size() == 1 && blocks_[0].entries.empty())
      blocks_[0].entries.push_back({newLine("REGEDIT4")});
    auto &tail = blocks_.back().entries;
    if (tail.empty() || !trimView(tail.back().raw).empty()) tail.push_back({newLine("")});
    Block &b = blocks_.emplace_back();
    b.header = newLine(utf8ToCp1252("[" + std::string(kHive) + path + "]"));
    b.ours = true;
    b.path = path;
    index_[upperCopy(path)].push_back(uint32_t(blocks_.size() - 1));
    finalLineEnd_ = true;
  }
  const std::vector<uint32_t> &blocks = *blocksOf(path);

  // Values that are gone lose all their lines; a changed value is rewritten
  // where it is read from, its last occurrence.
  std::unordered_map<std::string, Entry *> last;
  for (uint32_t b : blocks) {
    auto &entries = blocks_[b].entries;
    std::erase_if(entries, [&](const Entry &e) {
      return e.isValue && old.count(upperCopy(e.name)) && !now.count(upperCopy(e.name));
    });
    for (Entry &e : entries)
      if (e.isValue) last[upperCopy(e.name)] = &e;
  }
  std::vector<Entry> added;
  for (auto &[name, value] : after.values) {
    auto was = old.find(upperCopy(name));
    if (was != old.end()) {
      if (*was->second == value) continue;
      Entry &e = *last.at(upperCopy(name));
      e.raw = newLine(formatValue(e.name, value));
      e.value = value;
    } else {
      added.push_back({newLine(formatValue(name, value)), true, name, value});
    }
  }
  // New values follow the last line of the key's last header that is not
  // blank, so that the blank line before the next header stays where it is.
  Block &b = blocks_[blocks.back()];
  size_t pos = b.entries.size();
  while (pos > 0 && trimView(b.entries[pos - 1].raw).empty()) --pos;
  if (!added.empty() && pos == b.entries.size() && blocks.back() == blocks_.size() - 1)
    finalLineEnd_ = true;
  if (!added.empty() && pos > 0 && dangles(b.entries[pos - 1].raw))
    added.insert(added.begin(), Entry{newLine("")});  // ends the value there
  b.entries.insert(b.entries.begin() + long(pos), std::make_move_iterator(added.begin()),
                   std::make_move_iterator(added.end()));
  return true;
}

std::string RegistryDocument::text() const {
  std::string out;
  bool first = true;
  const auto line = [&](const std::string &raw) {
    if (!first) out += '\n';
    out += raw;
    first = false;
  };
  for (const Block &b : blocks_) {
    if (!b.header.empty()) line(b.header);
    for (const Entry &e : b.entries) line(e.raw);
  }
  if (!first && finalLineEnd_) out += '\n';
  return out;
}

std::optional<RegistryKey> findRegistryKey(std::string_view text, std::string_view path) {
  // Headers are compared in the file's code page; a path that the code page
  // cannot hold is in no header.
  if (!isWritableKeyPath(path)) return std::nullopt;
  const std::string wanted = utf8ToCp1252(path);
  std::optional<RegistryKey> key;
  std::unordered_map<std::string, size_t> at;
  bool inside = false;
  size_t next = 0;
  const auto nextLine = [&] {
    const size_t end = std::min(text.find('\n', next), text.size());
    std::string_view line = text.substr(next, end - next);
    next = end + 1;
    return line;
  };
  while (next < text.size()) {
    const std::string_view raw = nextLine();
    const std::string_view line = trimView(raw);
    if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
      const std::string_view header = line.substr(1, line.size() - 2);
      inside = header.size() == kHive.size() + wanted.size() &&
               sameNoCase(header.substr(0, kHive.size()), kHive) &&
               sameNoCase(header.substr(kHive.size()), wanted);
      if (inside && !key) key = RegistryKey{cp1252ToUtf8(header.substr(kHive.size())), {}};
      continue;
    }
    if (!line.starts_with('"') && !line.starts_with('@')) continue;
    std::string value(raw);
    if (startsBinaryValue(raw))  // its continuation lines belong to it, as in RegistryDocument
      for (std::string_view last = raw; continues(last) && next < text.size();)
        value.append("\n").append(last = nextLine());
    RegistryKey parsed;
    if (!inside || !parseValueLine(trim(cp1252ToUtf8(value)), parsed)) continue;
    auto &[name, v] = parsed.values[0];
    auto [it, added] = at.emplace(upperCopy(name), key->values.size());
    if (added)
      key->values.emplace_back(std::move(name), std::move(v));
    else
      key->values[it->second].second = std::move(v);
  }
  return key;
}

std::vector<RegistryKey> parseRegistryText(const std::string &text) {
  return RegistryDocument(text).keys();
}

std::string formatRegistryText(const std::vector<RegistryKey> &keys) {
  RegistryDocument doc("");
  for (const RegistryKey &k : keys)
    if (!doc.update(k.path, [&](RegistryKey &into) { into.values = k.values; })) continue;
  return doc.text().empty() ? "REGEDIT4\n" : doc.text();
}

RegistryStore::RegistryStore(std::string filePath) : filePath_(std::move(filePath)) {}

RegistryStore RegistryStore::forCurrentUser() {
  return RegistryStore(configFolder() + "user.reg");
}

std::optional<RegistryKey> RegistryStore::openKey(const std::string &path) const {
  // A store that cannot be read holds no keys.
  return findRegistryKey(readWholeFile(filePath_).value_or(std::string()), path);
}

Status RegistryStore::update(const std::string &path,
                             const std::function<void(RegistryKey &)> &change) {
  if (!isWritableKeyPath(path))
    return Status::failure("cannot store the key " + path + ": not writable as one line");
  std::string folder(folderOf(filePath_));
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  int lock = open((filePath_ + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (lock < 0) return Status::failure("cannot lock " + filePath_ + ": " + std::strerror(errno));
  flock(lock, LOCK_EX);
  // Every writer of the store holds the lock, so a temporary file of the
  // store that exists now belongs to a writer that died mid-write.
  removeStaleTemporaries(filePath_);
  // A store that exists but cannot be read is left alone: writing the one
  // key would replace every other key with nothing.
  Result<std::string> text = readFileIfPresent(filePath_);
  Status done = text.status();
  if (text) {
    RegistryDocument doc(*text);
    if (!doc.update(path, change))
      done =
          Status::failure("cannot store the key " + path + ": a value is not writable as one line");
    else
      done = writeFileAtomically(filePath_, doc.text());
  }
  close(lock);
  return done;
}

}  // namespace vantor
