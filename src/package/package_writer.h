#pragma once
// The authoring side of the content package: appends items and a settings
// file to a copy of the program. Used by the demo, the tools and the tests.

#include <string>
#include <vector>

namespace vantor {

struct PackItem {
  std::string key;         // the item's key in the item table (its file name)
  std::string path;        // the file to store
  bool raw = false;        // stored unchanged instead of in a ZIP archive
  std::string entry = {};  // the file's name inside the ZIP archive; the key when empty
  bool zipped = false;     // the file is a ZIP archive already, stored as the item's archive
};

// Writes `program` followed by the items and the trailer to `output`. The
// settings text (UTF-8 INI) gets the item table added; it is stored under
// `settingsName`. Returns false and sets `error` on failure.
bool WritePackage(const std::string &program, const std::string &output,
                  const std::string &settingsText, const std::string &settingsName,
                  const std::vector<PackItem> &items, std::string *error);

// A ZIP archive with one deflated entry `entryName` holding `data`.
std::string MakeZip(const std::string &entryName, const std::string &data);

}  // namespace vantor
