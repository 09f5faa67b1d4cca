#include "package/items.h"

#include "package/content_package.h"
#include "platform/debug_log.h"
#include "platform/paths.h"
#include "platform/random.h"
#include "settings/ini_file.h"

namespace vantor {

namespace {

const std::string kUrl = "(URL) ";
const std::string kFavorites = "(Favorites) ";
const std::string kFile = "(File) ";
const std::string kResource = "(Resource) ";
const std::string kExternal = "(External) ";

std::string replaceAll(std::string s, const std::string &from, const std::string &to) {
  for (size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size()))
    s.replace(at, from.size(), to);
  return s;
}

bool startsWith(const std::string &s, const std::string &prefix) {
  return s.rfind(prefix, 0) == 0;
}

bool dropPrefix(std::string &s, const std::string &prefix) {
  if (!startsWith(s, prefix)) return false;
  s.erase(0, prefix.size());
  return true;
}

// Names from the settings use "\" between folders; the file system uses "/".
std::string toPath(const std::string &name) {
  return replaceAll(name, "\\", "/");
}

// A bare file name that is safe to put after a folder, or "".
std::string safeFileName(const std::string &name) {
  std::string f(fileNameOf(name));
  return (f == "." || f == "..") ? std::string() : f;
}

}  // namespace

std::string ItemKey(const std::string &entry) {
  return std::string(fileNameOf(entry));
}

void ShuffleList(ItemList &list, RandomSource &random) {
  random.reseedFromClock();
  // Each draw picks the i-th entry not yet taken, as if taken entries were
  // deleted from the list. A Fenwick tree over the entries still there finds
  // it in log n steps instead of moving the rest of the list down.
  const size_t n = list.size();
  std::vector<uint32_t> left(n + 1, 0);  // 1-based: counts of entries still there
  for (size_t i = 1; i <= n; ++i) {
    left[i] += 1;
    if (size_t up = i + (i & -i); up <= n) left[up] += left[i];
  }
  size_t top = 1;
  while (top * 2 <= n) top *= 2;
  ItemList shuffled;
  shuffled.reserve(n);
  for (size_t remaining = n; remaining > 0; --remaining) {
    size_t rank = size_t(random.below(int(remaining)));
    size_t at = 0;  // ends as the count of slots before the entry
    for (size_t step = top; step > 0; step /= 2)
      if (at + step <= n && left[at + step] <= rank) {
        at += step;
        rank -= left[at];
      }
    shuffled.push_back(std::move(list[at]));
    for (size_t i = at + 1; i <= n; i += i & -i) --left[i];
  }
  list = std::move(shuffled);
}

ItemResolver::ItemResolver(const ContentPackage *package, const IniFile &ini,
                           std::string workFolder, std::string programFolder,
                           std::string supportFolder)
    : package_(package),
      ini_(ini),
      work_(std::move(workFolder)),
      program_(std::move(programFolder)),
      support_(std::move(supportFolder)) {}

bool ItemResolver::packagePresent() const {
  return package_ && package_->present();
}

void ItemResolver::BuildItemList(const std::string &section, ItemList &list) const {
  list.clear();
  // One pass over the section's keys and values: a lookup per key would
  // cost as much again for every item.
  ini_.forEachValue(section, [&](std::string_view key, std::string_view value) {
    if (parseInteger(std::string(value)).value_or(1) == 0) return;  // empty or not a number: used
    std::string name(key);
    if (startsWith(name, kResource) || startsWith(name, kExternal))
      extractResource(name);
    else
      list.push_back(std::move(name));
  });
}

void ItemResolver::extractResource(const std::string &entry) const {
  if (!packagePresent() || work_.empty()) return;
  std::string key = entry;
  std::string name = replaceAll(entry, "**", "=");
  if (dropPrefix(name, kResource)) dropPrefix(key, kResource);
  if (dropPrefix(name, kExternal)) dropPrefix(key, kExternal);
  // Only the bare name: a resource never lands outside the work folder.
  std::string file = safeFileName(name);
  if (file.empty()) return;
  if (Status done = package_->ExtractItem(ini_, key, file); !done)
    debugLog("skipped " + entry + ": " + done.message());
}

Status ItemResolver::extractOnDemand(const std::string &key, std::string &name) const {
  std::string file = safeFileName(name);
  if (file.empty()) return Status::failure("no usable file name");
  if (work_.empty()) return Status::failure("no work folder to extract into");
  name = work_ + file;
  // Made a plain file, whatever the archive said; a link in its place counts
  // as missing.
  return package_->ProvideFile(ini_, key, file);
}

bool ItemResolver::resolveLoose(std::string &name) const {
  const std::string file(fileNameOf(name));
  const bool hasFolder = name.find(':') != std::string::npos || startsWith(name, "/");
  if (!hasFolder) name = program_ + "sample/" + toPath(name);
  if (fileExists(toPath(name))) {
    name = toPath(name);
    return true;
  }
  for (const std::string &candidate :
       {support_ + file, support_ + "sample/" + file, program_ + file}) {
    if (fileExists(candidate)) {
      name = candidate;
      return true;
    }
  }
  return false;
}

Status ItemResolver::ResolveItem(std::string &entry) const {
  const std::string key = ItemKey(entry);
  std::string name = replaceAll(entry, "**", "=");
  if (name.empty()) return Status::failure("an empty entry");
  Status result;
  // Where a file was looked for and is not there.
  const auto found = [](bool there) { return there ? Status() : Status::failure("not found"); };
  if (name.find("://") != std::string::npos) {
    dropPrefix(name, kUrl);
  } else if (name.back() == '\\' || name.back() == '/') {
    bool there = folderExists(toPath(name));
    if (!there && dropPrefix(name, kFavorites)) there = folderExists(toPath(name));
    result = found(there);
    name = toPath(name);
  } else if (dropPrefix(name, kUrl)) {
    name = toPath(name);
    result = found(fileExists(name));
  } else if (dropPrefix(name, kFile)) {
    if (packagePresent()) {
      result = extractOnDemand(key, name);
    } else {
      name = toPath(name);
      result = found(fileExists(name));
    }
  } else if (startsWith(name, kResource) || startsWith(name, kExternal)) {
    std::string rest = toPath(name.substr(name.find(')') + 2));
    // A bare name is looked for in the current folder, as a relative path;
    // the entry keeps its prefix.
    return found(fileExists(rest));
  } else if (packagePresent()) {
    result = extractOnDemand(key, name);
  } else {
    result = found(resolveLoose(name));
  }
  entry = name;
  return result;
}

}  // namespace vantor
