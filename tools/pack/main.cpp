// vantor-pack: makes a packaged screensaver from the program, a settings file
// and the files it names.
//
//   vantor-pack --program PROG --settings FILE.ini --out OUT [--raw] FILE...
//
// Every FILE is stored as an item under its file name (in a ZIP archive, or
// unchanged with --raw). The settings file is stored under its own file name
// with the extension ".002".

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "package/package_writer.h"
#include "platform/paths.h"

using namespace vantor;

namespace {

int usage() {
  std::fprintf(stderr,
               "usage: vantor-pack --program PROG --settings FILE --out OUT [--raw] FILE...\n");
  return 2;
}

}  // namespace

int main(int argc, char **argv) {
  std::string program, settings, out;
  bool raw = false;
  std::vector<PackItem> items;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    auto next = [&]() -> std::string { return i + 1 < argc ? argv[++i] : ""; };
    if (a == "--program") program = next();
    else if (a == "--settings") settings = next();
    else if (a == "--out") out = next();
    else if (a == "--raw") raw = true;
    else if (a.rfind("--", 0) == 0) return usage();
    else items.push_back({std::string(fileNameOf(a)), a, raw});
  }
  if (program.empty() || settings.empty() || out.empty()) return usage();
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
