#pragma once
// What the packer stores and under which names: the files and folders given
// on its command line turned into package items, and the settings' picture
// list checked against them. No writing happens here.

#include <cstddef>
#include <string>
#include <vector>

#include "package/package_writer.h"

namespace vantor::pack {

struct Source {
  std::string path;  // a file, or a folder whose pictures are taken
  bool raw = false;  // stored unchanged instead of in a ZIP archive
};

struct Gathered {
  std::vector<Source> files;        // each file once, in the order given
  size_t skippedInFolders = 0;      // files in the folders that are no pictures
  std::vector<std::string> errors;  // sources that are neither a file nor a folder
};

// Files are taken as given. Folders are walked recursively, in path order,
// for the files whose extension is a picture's; hidden files and folders are
// left out. A file reached twice (given twice, or also inside a folder
// given) is taken once.
Gathered gatherFiles(const std::vector<Source> &sources);

bool isPictureName(const std::string &fileName);

// The name an item of this file name is stored and extracted under: what
// the settings file can hold as a key (Windows-1252, no folder separator,
// no blanks at either end, not read as a section or a comment).
std::string itemNameOf(const std::string &fileName);

// One item name per file name, unique without regard to case: the first
// file of a name keeps it, later ones become "NAME (2).EXT", "NAME (3).EXT"
// and so on, never taking a name that another file has.
std::vector<std::string> distinctNames(const std::vector<std::string> &fileNames);

// The item for a file stored under `name`: its key holds "**" where the
// name has "=", which a settings key cannot hold.
PackItem itemFor(const std::string &name, const Source &file);
// The file name an item key stands for: "**" back to "=".
std::string nameOfKey(const std::string &key);

struct Listing {
  std::string settingsText;           // with [Pictures] filled in when it listed none
  size_t listedAutomatically = 0;     // pictures added to [Pictures]
  std::vector<std::string> unlisted;  // item keys that no entry of the settings names
  std::vector<std::string> missing;   // [Pictures] entries that no item provides
  std::string error;                  // set when the package would show no picture
};

// Checks the settings (UTF-8 INI text) against the items. When [Pictures]
// lists nothing, every picture item is listed there in item order. An item
// that the settings name in another case takes their spelling.
Listing listPictures(const std::string &settingsText, std::vector<PackItem> &items);

}  // namespace vantor::pack
