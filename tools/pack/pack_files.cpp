#include "pack_files.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>

#include "package/items.h"
#include "picture/picture_loader.h"
#include "platform/cp1252.h"
#include "platform/paths.h"
#include "settings/ini_file.h"

namespace fs = std::filesystem;

namespace vantor::pack {

namespace {

// The sections whose keys name items.
const char *const kItemSections[] = {"Pictures", "Music", "Flash", "Video", "Web"};
const char *const kEntryPrefixes[] = {"(File) ", "(URL) ", "(Favorites) ", "(Resource) ",
                                      "(External) "};

bool hidden(const fs::path &p) {
  const std::string name = p.filename().string();
  return !name.empty() && name[0] == '.';
}

std::string trimmed(const std::string &s) {
  const size_t a = s.find_first_not_of(" \t\r\n");
  if (a == std::string::npos) return {};
  return s.substr(a, s.find_last_not_of(" \t\r\n") - a + 1);
}

std::string withoutPrefix(const std::string &entry) {
  for (const char *prefix : kEntryPrefixes)
    if (startsWithNoCase(entry, prefix)) return entry.substr(std::string_view(prefix).size());
  return entry;
}

// The item keys the settings refer to, upper-cased, each with its first
// spelling: every entry of an item section, and every value anywhere (the
// splash, background and banner pictures and the like name their items by
// value).
std::map<std::string, std::string> referencedKeys(const IniFile &ini) {
  std::map<std::string, std::string> keys;
  auto add = [&](const std::string &entry) {
    if (entry.empty()) return;
    for (const std::string &key : {ItemKey(entry), ItemKey(withoutPrefix(entry))})
      keys.emplace(upperAscii(key), key);
  };
  for (const char *section : kItemSections)
    for (const std::string &entry : ini.sectionKeys(section)) add(entry);
  std::istringstream lines(cp1252ToUtf8(ini.toText()));
  std::string line;
  while (std::getline(lines, line)) {
    const size_t eq = line.find('=');
    if (eq != std::string::npos) add(trimmed(line.substr(eq + 1)));
  }
  return keys;
}

}  // namespace

bool isPictureName(const std::string &fileName) {
  std::string ext(extensionOf(fileName));
  return !ext.empty() && isPictureExtension(lowerAscii(ext.substr(1)));
}

Gathered gatherFiles(const std::vector<Source> &sources) {
  Gathered out;
  std::set<fs::path> seen;
  auto take = [&](const fs::path &path, bool raw) {
    std::error_code ec;
    fs::path same = fs::canonical(path, ec);
    if (ec) same = path;
    if (seen.insert(same).second) out.files.push_back({path.string(), raw});
  };
  for (const Source &source : sources) {
    std::error_code ec;
    const fs::file_status status = fs::status(source.path, ec);
    if (fs::is_regular_file(status)) {
      take(source.path, source.raw);
      continue;
    }
    if (!fs::is_directory(status)) {
      out.errors.push_back(source.path);
      continue;
    }
    std::vector<fs::path> found;
    fs::recursive_directory_iterator it(source.path, fs::directory_options::skip_permission_denied,
                                        ec);
    for (; !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
      if (hidden(it->path())) {
        if (it->is_directory(ec)) it.disable_recursion_pending();
        continue;
      }
      if (!it->is_regular_file(ec)) continue;
      if (isPictureName(it->path().filename().string()))
        found.push_back(it->path());
      else
        ++out.skippedInFolders;
    }
    if (ec) out.errors.push_back(source.path);
    std::sort(found.begin(), found.end());
    for (const fs::path &p : found) take(p, source.raw);
  }
  return out;
}

std::string itemNameOf(const std::string &fileName) {
  // Characters that Windows-1252 cannot hold would come back as "?" from the
  // settings file, so the name has them as "?" already.
  std::string name = cp1252ToUtf8(utf8ToCp1252(fileName));
  // The program keeps only what follows the last "\", "/" or ":" of an
  // entry, and "**" in a key stands for "=".
  for (char &c : name)
    if (c == '\\' || c == ':' || c == '*') c = '_';
  name = trimmed(name);
  if (name.empty() || name == "." || name == "..") name = "_" + name;
  if (name[0] == '[' || name[0] == ';') name[0] = '_';
  return name;
}

std::vector<std::string> distinctNames(const std::vector<std::string> &fileNames) {
  std::vector<std::string> names(fileNames.size());
  std::set<std::string> taken;
  // First every name's first file, so that a later "(2)" never takes the
  // name of a file that has it already.
  for (size_t i = 0; i < fileNames.size(); ++i)
    if (taken.insert(upperAscii(fileNames[i])).second) names[i] = fileNames[i];
  for (size_t i = 0; i < fileNames.size(); ++i) {
    if (!names[i].empty()) continue;
    const std::string &name = fileNames[i];
    const size_t dot = name.find_last_of('.');
    const size_t cut = dot == std::string::npos || dot == 0 ? name.size() : dot;
    for (int n = 2; names[i].empty(); ++n) {
      std::string candidate =
          name.substr(0, cut) + " (" + std::to_string(n) + ")" + name.substr(cut);
      if (taken.insert(upperAscii(candidate)).second) names[i] = std::move(candidate);
    }
  }
  return names;
}

std::string nameOfKey(const std::string &key) {
  std::string name = key;
  for (size_t at = 0; (at = name.find("**", at)) != std::string::npos;) name.replace(at, 2, "=");
  return name;
}

PackItem itemFor(const std::string &name, const Source &file) {
  std::string key;
  for (char c : name) key += c == '=' ? std::string("**") : std::string(1, c);
  return {key, file.path, file.raw, name};
}

Listing listPictures(const std::string &settingsText, std::vector<PackItem> &items) {
  Listing out;
  IniFile ini;
  ini.loadFromText(utf8ToCp1252(settingsText));
  std::vector<const PackItem *> pictures;
  for (const PackItem &item : items)
    if (isPictureName(item.entry.empty() ? item.key : item.entry)) pictures.push_back(&item);

  const std::vector<std::string> entries = ini.sectionKeys("Pictures");
  if (entries.empty()) {
    if (pictures.empty()) {
      out.error = "the settings list no pictures in [Pictures] and no picture file was given";
      return out;
    }
    for (const PackItem *picture : pictures) ini.writeString("Pictures", picture->key, "1");
    out.listedAutomatically = pictures.size();
    out.settingsText = cp1252ToUtf8(ini.toText());
  } else {
    out.settingsText = settingsText;
    size_t enabled = 0;
    for (const std::string &entry : entries) {
      if (!ini.readBool("Pictures", entry, true)) continue;
      ++enabled;
      // Addresses and folders are not items of the package.
      if (entry.find("://") != std::string::npos || entry.back() == '\\' || entry.back() == '/')
        continue;
      const std::string key = ItemKey(entry);
      if (std::none_of(items.begin(), items.end(),
                       [&](const PackItem &i) { return equalsNoCase(i.key, key); }))
        out.missing.push_back(entry);
    }
    if (enabled == 0) {
      out.error = "every entry of [Pictures] in the settings is switched off";
      return out;
    }
    // Raw data may carry items whose positions the settings already give, so
    // only a pack of nothing but listed-and-absent pictures is refused.
    const bool anyRaw =
        std::any_of(items.begin(), items.end(), [](const PackItem &i) { return i.raw; });
    if (out.missing.size() == enabled && !anyRaw) {
      out.error = "none of the pictures listed in [Pictures] is among the files given";
      return out;
    }
  }
  const std::map<std::string, std::string> referenced = referencedKeys(ini);
  for (PackItem &item : items) {
    if (item.key == "MPEGDLL.DLL") continue;
    const auto it = referenced.find(upperAscii(item.key));
    if (it == referenced.end()) {
      out.unlisted.push_back(item.key);
    } else if (it->second != item.key) {
      // The program extracts an item to the file name the settings give it,
      // so the archive's entry must be spelt the same.
      item.key = it->second;
      item.entry = nameOfKey(item.key);
    }
  }
  return out;
}

}  // namespace vantor::pack
