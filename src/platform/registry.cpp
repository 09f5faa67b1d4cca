#include "platform/registry.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include <filesystem>

#include "platform/atomic_file.h"
#include "platform/cp1252.h"
#include "platform/paths.h"

namespace vantor {

namespace {

constexpr std::string_view kHive = "HKEY_CURRENT_USER\\";

std::string trim(std::string_view s) {
  size_t a = s.find_first_not_of(" \t\r\n");
  if (a == std::string_view::npos) return {};
  size_t b = s.find_last_not_of(" \t\r\n");
  return std::string(s.substr(a, b - a + 1));
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

std::string quote(const std::string &s) {
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

std::vector<RegistryKey> parseRegistryText(const std::string &raw) {
  std::vector<RegistryKey> keys;
  std::istringstream in(cp1252ToUtf8(raw));
  std::string line;
  RegistryKey *current = nullptr;
  while (std::getline(in, line)) {
    line = trim(line);
    if (line.empty() || line[0] == ';') continue;
    if (line.front() == '[' && line.back() == ']') {
      std::string path = line.substr(1, line.size() - 2);
      current = nullptr;
      if (!startsWithNoCase(path, kHive)) continue;  // other hives, deletions
      path = path.substr(kHive.size());
      for (auto &k : keys)
        if (equalsNoCase(k.path, path)) current = &k;
      if (!current) current = &keys.emplace_back(RegistryKey{path, {}});
      continue;
    }
    if (current && (line[0] == '"' || line[0] == '@')) parseValueLine(line, *current);
  }
  return keys;
}

std::string formatRegistryText(const std::vector<RegistryKey> &keys) {
  std::string out = "REGEDIT4\n";
  char buf[32];
  for (const auto &k : keys) {
    out += "\n[" + std::string(kHive) + k.path + "]\n";
    for (const auto &[name, value] : k.values) {
      out += name.empty() ? "@" : quote(name);
      out += '=';
      if (auto *d = std::get_if<uint32_t>(&value)) {
        std::snprintf(buf, sizeof buf, "dword:%08x", unsigned(*d));
        out += buf;
      } else if (auto *s = std::get_if<std::string>(&value)) {
        out += quote(*s);
      } else {
        out += std::get<RawRegistryValue>(value).text;
      }
      out += '\n';
    }
  }
  return utf8ToCp1252(out);
}

RegistryStore::RegistryStore(std::string filePath) : filePath_(std::move(filePath)) {}

RegistryStore RegistryStore::forCurrentUser() {
  return RegistryStore(configFolder() + "user.reg");
}

std::optional<RegistryKey> RegistryStore::openKey(const std::string &path) const {
  for (auto &k : parseRegistryText(readWholeFile(filePath_)))
    if (equalsNoCase(k.path, path)) return k;
  return std::nullopt;
}

bool RegistryStore::update(const std::string &path,
                           const std::function<void(RegistryKey &)> &change) {
  std::string folder(folderOf(filePath_));
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  int lock = open((filePath_ + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (lock < 0) return false;
  flock(lock, LOCK_EX);
  auto keys = parseRegistryText(readWholeFile(filePath_));
  RegistryKey *key = nullptr;
  for (auto &k : keys)
    if (equalsNoCase(k.path, path)) key = &k;
  if (!key) key = &keys.emplace_back(RegistryKey{path, {}});
  change(*key);
  bool ok = writeFileAtomically(filePath_, formatRegistryText(keys));
  close(lock);
  return ok;
}

}  // namespace vantor
