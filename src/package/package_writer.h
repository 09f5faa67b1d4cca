#pragma once
// The authoring side of the content package: appends items and a settings
// file to a copy of the program. Used by the demo, the tools and the tests.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/result.h"

namespace vantor {

struct PackItem {
  std::string key;         // the item's key in the item table (its file name)
  std::string path;        // the file to store
  bool raw = false;        // stored unchanged instead of in a ZIP archive
  std::string entry = {};  // the file's name inside the ZIP archive; the key when empty
  bool zipped = false;     // the file is a ZIP archive already, stored as the item's archive
};

// How far a package has been written: bytes of the program and the item
// files read so far, and items stored so far, each of its total.
struct PackProgress {
  uint64_t bytesDone = 0;
  uint64_t bytesTotal = 0;
  size_t itemsDone = 0;
  size_t itemsTotal = 0;
};
using PackProgressFn = std::function<void(const PackProgress &)>;

// Writes `program` followed by the items and the trailer to `output`. The
// settings text (UTF-8 INI) gets the item table added; it is stored under
// `settingsName`. Every file is streamed, so memory does not grow with the
// package. The package is written beside `output` under a temporary name and
// renamed over it, executable, only when it is complete: on failure `output`
// is left as it was, and the failure says why. `progress`, when given, is
// called after the program and after each item. Within a CancelScope whose
// flag is set, writing stops soon with the failure "cancelled".
Status WritePackage(const std::string &program, const std::string &output,
                    const std::string &settingsText, const std::string &settingsName,
                    const std::vector<PackItem> &items, const PackProgressFn &progress = {});

// A ZIP archive with one deflated entry `entryName` holding `data`.
std::string MakeZip(const std::string &entryName, const std::string &data);

}  // namespace vantor
