#pragma once
// Item lists and item resolution: turning a name from the settings into a
// file that can be opened, by cutting it out of the package on demand or by
// looking for a loose file beside the program and in the builder's folders.

#include <string>
#include <vector>

#include "platform/result.h"

namespace vantor {

class ContentPackage;
class IniFile;
class RandomSource;

using ItemList = std::vector<std::string>;

// The key under which an entry's data is found in the item table: the part
// after its last "\", "/" or ":", with "**" kept.
std::string ItemKey(const std::string &entry);

// Reorders the list uniformly at random, drawing from `random` after
// reseeding it from the clock (a seeded source keeps its sequence).
void ShuffleList(ItemList &list, RandomSource &random);

class ItemResolver {
 public:
  // `package` may be null or absent; folders end in "/".
  ItemResolver(const ContentPackage *package, const IniFile &ini, std::string workFolder,
               std::string programFolder, std::string supportFolder);

  // Fills `list` with the entries of `section` whose value is true; resource
  // and external entries are extracted instead of being listed.
  void BuildItemList(const std::string &section, ItemList &list) const;

  // Success when the item can be used, else a failure that says why; `entry`
  // is rewritten, as a rule to the path of the file to open. May run on a worker thread while other
  // threads resolve too: an item cut out on demand goes through the package,
  // whose extraction keeps no shared state. Throws Cancelled when the
  // calling thread's cancel flag is set during an extraction.
  Status ResolveItem(std::string &entry) const;

 private:
  bool packagePresent() const;
  Status extractOnDemand(const std::string &key, std::string &name) const;
  bool resolveLoose(std::string &name) const;
  void extractResource(const std::string &entry) const;

  const ContentPackage *package_;
  const IniFile &ini_;
  std::string work_, program_, support_;
};

}  // namespace vantor
