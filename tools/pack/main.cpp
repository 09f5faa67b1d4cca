// vantor-pack: makes a packaged screensaver from the program, a settings file
// and the files and folders it is given.
//
//   vantor-pack [--program PROG] [--settings FILE.ini] --out OUT
//               [--mpeg-library LIB] [--raw] FILE|FOLDER...
//
// Every FILE is stored as an item under its file name (in a ZIP archive, or
// unchanged with --raw); a FOLDER gives every picture in it and in its
// sub-folders. Files of the same name get distinct item names ("a.jpg",
// "a (2).jpg"). When the settings file lists no pictures in [Pictures], the
// pictures given are listed there in the order given. The settings file is
// stored under its own file name with the extension ".002". OUT is written
// whole or not at all, and is executable. PROG is by default the program
// installed beside the packer; without a settings file every setting takes
// its default.
//
// MP3 music needs the MPEG library, which the program loads at run time from
// beside itself or from the install prefix. A package is copied away from the
// build, so when it holds an MP3 file the library goes with it as the item
// "MPEGDLL.DLL", which the program unpacks into its work folder for the run
// when no installed library is found: LIB, or by default the library beside
// PROG or in PROG's install prefix (lib/vantor/). A LIB given is stored in
// any case.

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "pack_files.h"
#include "package/package_writer.h"
#include "platform/atomic_file.h"
#include "platform/cancel.h"
#include "platform/dynamic_library.h"
#include "platform/paths.h"

using namespace vantor;
using namespace vantor::pack;

namespace {

#ifndef VANTOR_VERSION
#define VANTOR_VERSION "0"
#endif

constexpr const char *kUsage =
    "usage: vantor-pack [--program PROG] [--settings FILE] --out OUT "
    "[--mpeg-library LIB] [--raw] FILE|FOLDER...\n";

int usage() {
  std::fputs(kUsage, stderr);
  return 2;
}

int help() {
  std::fputs(kUsage, stdout);
  std::fputs(
      "Makes a screensaver file: a copy of PROG (by default the vantor-saver beside\n"
      "this program) with the files given and the settings appended to it.\n"
      "A FOLDER gives every picture in it and its sub-folders. When the settings\n"
      "list no pictures, the pictures given are listed in the order given.\n"
      "\n"
      "  --program PROG       the screensaver program to copy\n"
      "  --settings FILE      the settings file; without it every setting is default\n"
      "  --out OUT            the file to write (*.scr, or *.exe for a show that\n"
      "                       always runs full screen)\n"
      "  --mpeg-library LIB   the MPEG library to carry for MP3 music (by default\n"
      "                       the installed one, when an MP3 file is given)\n"
      "  --raw                store the files that follow unchanged, not zipped\n"
      "  --help, --version    print this help or the version and exit\n",
      stdout);
  return 0;
}

// The MPEG library item: `library` when given; otherwise, for a package that
// holds an MP3 file, the library installed with `program` if there is one. None when
// the files already include the item.
std::vector<PackItem> mpegLibraryItem(const std::vector<PackItem> &items,
                                      const std::string &program, std::string library) {
  const bool hasMp3 = std::any_of(items.begin(), items.end(), [](const PackItem &i) {
    return equalsNoCase(extensionOf(i.path), ".mp3");
  });
  const bool hasLibrary = std::any_of(items.begin(), items.end(),
                                      [](const PackItem &i) { return i.key == "MPEGDLL.DLL"; });
  if (hasLibrary) return {};
  if (library.empty()) {
    if (!hasMp3) return {};
    // Beside the program in a build, under its prefix's lib/vantor/ once installed.
    const std::filesystem::path folder = std::filesystem::path(program).parent_path();
    for (const std::filesystem::path &candidate :
         {folder / sharedLibraryName("MPEGDLL.DLL"),
          folder / ".." / "lib" / "vantor" / sharedLibraryName("MPEGDLL.DLL")}) {
      std::error_code ec;
      if (std::filesystem::exists(candidate, ec)) {
        library = candidate.lexically_normal().string();
        break;
      }
    }
    if (library.empty()) return {};
  }
  return {{"MPEGDLL.DLL", library, false, sharedLibraryName("MPEGDLL.DLL")}};
}

// "a, b, c and 7 more": a list that stays one line.
std::string someOf(const std::vector<std::string> &names) {
  constexpr size_t kShown = 3;
  std::string text;
  for (size_t i = 0; i < std::min(names.size(), kShown); ++i) text += (i ? ", " : "") + names[i];
  if (names.size() > kShown) text += " and " + std::to_string(names.size() - kShown) + " more";
  return text;
}

// "1 file", "2 files".
std::string count(size_t n, const char *one, const char *many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

// Set by an interrupt; the writer then stops and removes what it wrote.
std::atomic<bool> interrupted{false};

void onInterrupt(int) {
  interrupted.store(true);
}

void stopOnInterrupts() {
  struct sigaction action {};
  action.sa_handler = onInterrupt;
  sigemptyset(&action.sa_mask);
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaction(signal, &action, nullptr);
}

// A progress line on a terminal, rewritten in place, for packs that take
// longer than a moment.
class ProgressLine {
 public:
  ProgressLine() : shown_(isatty(STDERR_FILENO)) {}
  ~ProgressLine() {
    if (drawn_) std::fputc('\n', stderr);
  }
  void operator()(const PackProgress &p) {
    if (!shown_) return;
    const auto now = Clock::now();
    const bool last = drawn_ && p.itemsDone == p.itemsTotal;
    if (!last &&
        (now - start_ < std::chrono::seconds(1) || now - last_ < std::chrono::milliseconds(200)))
      return;
    last_ = now;
    drawn_ = true;
    constexpr double kMB = 1024.0 * 1024.0;
    std::fprintf(stderr, "\rvantor-pack: %zu of %zu files, %.0f of %.0f MB ", p.itemsDone,
                 p.itemsTotal, double(p.bytesDone) / kMB, double(p.bytesTotal) / kMB);
    std::fflush(stderr);
  }

 private:
  using Clock = std::chrono::steady_clock;
  bool shown_;
  bool drawn_ = false;
  Clock::time_point start_ = Clock::now();
  Clock::time_point last_ = start_ - std::chrono::seconds(1);
};

}  // namespace

int main(int argc, char **argv) {
  std::string program, settings, out, mpegLibrary;
  bool raw = false;
  std::vector<Source> sources;
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
    else if (a == "--help")
      return help();
    else if (a == "--version")
      return std::printf("vantor-pack %s\n", VANTOR_VERSION) < 0;
    else if (a.rfind("--", 0) == 0)
      return usage();
    else
      sources.push_back({a, raw});
  }
  if (out.empty()) return usage();
  // The installed packer and program live in the same folder.
  if (program.empty()) program = std::string(folderOf(programPath())) + "vantor-saver";

  const Gathered gathered = gatherFiles(sources);
  if (!gathered.errors.empty()) {
    std::fprintf(stderr, "vantor-pack: cannot read %s\n", gathered.errors.front().c_str());
    return 1;
  }
  std::vector<std::string> fileNames;
  for (const Source &file : gathered.files)
    fileNames.push_back(itemNameOf(std::filesystem::path(file.path).filename().string()));
  const std::vector<std::string> names = distinctNames(fileNames);
  std::vector<PackItem> items;
  std::vector<std::string> renamed;
  for (size_t i = 0; i < names.size(); ++i) {
    items.push_back(itemFor(names[i], gathered.files[i]));
    if (names[i] != fileNames[i]) renamed.push_back(names[i]);
  }
  for (PackItem &library : mpegLibraryItem(items, program, mpegLibrary))
    items.push_back(std::move(library));

  std::string text;
  if (!settings.empty()) {
    Result<std::string> read = readWholeFile(settings);
    if (!read) {
      std::fprintf(stderr, "vantor-pack: %s\n", read.message().c_str());
      return 1;
    }
    text = std::move(*read);
  }
  const Listing listing = listPictures(text, items);
  if (!listing.error.empty()) {
    std::fprintf(stderr, "vantor-pack: %s (%s): the show would stay black\n", listing.error.c_str(),
                 settings.c_str());
    return 1;
  }
  if (gathered.skippedInFolders)
    std::fprintf(stderr, "vantor-pack: left out %s in the folders given that %s no picture\n",
                 count(gathered.skippedInFolders, "file", "files").c_str(),
                 gathered.skippedInFolders == 1 ? "is" : "are");
  if (!renamed.empty())
    std::fprintf(stderr, "vantor-pack: %s the name of another; stored as %s\n",
                 count(renamed.size(), "file has", "files have").c_str(), someOf(renamed).c_str());
  if (listing.listedAutomatically)
    std::fprintf(stderr, "vantor-pack: [Pictures] was empty; listed the %s given\n",
                 count(listing.listedAutomatically, "picture", "pictures").c_str());
  if (!listing.unlisted.empty())
    std::fprintf(stderr, "vantor-pack: %s given not named in the settings: %s\n",
                 count(listing.unlisted.size(), "file", "files").c_str(),
                 someOf(listing.unlisted).c_str());
  if (!listing.missing.empty())
    std::fprintf(stderr, "vantor-pack: %s in [Pictures] %s no file given: %s\n",
                 count(listing.missing.size(), "entry", "entries").c_str(),
                 listing.missing.size() == 1 ? "names" : "name", someOf(listing.missing).c_str());

  std::string name(fileNameOf(settings.empty() ? std::string("vantor.ini") : settings));
  name = name.substr(0, name.find('.')) + ".002";
  Status written;
  stopOnInterrupts();
  {
    CancelScope scope(interrupted);
    ProgressLine progress;
    written = WritePackage(program, out, listing.settingsText, name, items,
                           [&](const PackProgress &p) { progress(p); });
  }
  if (interrupted) {
    std::fprintf(stderr, "vantor-pack: interrupted; %s was not written\n", out.c_str());
    return 130;
  }
  if (!written) {
    std::fprintf(stderr, "vantor-pack: %s\n", written.message().c_str());
    return 1;
  }
  return 0;
}
