// vantor-pack: makes a packaged screensaver from the program, a settings file
// and the files it names.
//
//   vantor-pack --program PROG --settings FILE.ini --out OUT
//               [--mpeg-library LIB] [--raw] FILE...
//
// Every FILE is stored as an item under its file name (in a ZIP archive, or
// unchanged with --raw). The settings file is stored under its own file name
// with the extension ".002".
//
// MP3 music needs the MPEG library, which the program loads at run time from
// beside itself or from the install prefix. A package is copied away from the
// build, so when it holds an MP3 file the library goes with it as the item
// "MPEGDLL.DLL", which the program unpacks into its work folder for the run
// when no installed library is found: LIB, or by default the library beside
// PROG. A LIB given is stored in any case.

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "package/package_writer.h"
#include "platform/dynamic_library.h"
#include "platform/paths.h"

using namespace vantor;

namespace {

int usage() {
  std::fprintf(stderr,
               "usage: vantor-pack --program PROG --settings FILE --out OUT "
               "[--mpeg-library LIB] [--raw] FILE...\n");
  return 2;
}

bool isMp3(const std::string &path) {
  std::string ext = std::filesystem::path(path).extension().string();
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char c) { return char(std::tolower(c)); });
  return ext == ".mp3";
}

// The MPEG library item: `library` when given; otherwise, for a package that
// holds an MP3 file, the library beside `program` if there is one. None when
// the files already include the item.
std::vector<PackItem> mpegLibraryItem(const std::vector<PackItem> &items,
                                      const std::string &program, std::string library) {
  const bool hasMp3 =
      std::any_of(items.begin(), items.end(), [](const PackItem &i) { return isMp3(i.path); });
  const bool hasLibrary = std::any_of(items.begin(), items.end(),
                                      [](const PackItem &i) { return i.key == "MPEGDLL.DLL"; });
  if (hasLibrary) return {};
  if (library.empty()) {
    if (!hasMp3) return {};
    library =
        (std::filesystem::path(program).parent_path() / sharedLibraryName("MPEGDLL.DLL")).string();
    std::error_code ec;
    if (!std::filesystem::exists(library, ec)) return {};
  }
  return {{"MPEGDLL.DLL", library, false, sharedLibraryName("MPEGDLL.DLL")}};
}

}  // namespace

int main(int argc, char **argv) {
  std::string program, settings, out, mpegLibrary;
  bool raw = false;
  std::vector<PackItem> items;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    auto next = [&]() -> std::string { return i + 1 < argc ? argv[++i] : ""; };
    if (a == "--program")
      program = next();
    else if (a == "--settings")
      settings = next();
    else if (a == "--out")
      out = next();
    else if (a == "--mpeg-library")
      mpegLibrary = next();
    else if (a == "--raw")
      raw = true;
    else if (a.rfind("--", 0) == 0)
      return usage();
    else
      items.push_back({std::string(fileNameOf(a)), a, raw});
  }
  if (program.empty() || settings.empty() || out.empty()) return usage();
  for (PackItem &library : mpegLibraryItem(items, program, mpegLibrary))
    items.push_back(std::move(library));
  std::ifstream in(settings, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "vantor-pack: cannot read %s\n", settings.c_str());
    return 1;
  }
  std::ostringstream text;
  text << in.rdbuf();
  std::string name(fileNameOf(settings));
  name = name.substr(0, name.find('.')) + ".002";
  std::string error;
  if (!WritePackage(program, out, text.str(), name, items, &error)) {
    std::fprintf(stderr, "vantor-pack: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
