// The packer as its users run it: files and folders in, a package out, read
// back the way the program reads it.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "../common/test_util.h"
#include "package/content_package.h"
#include "package/package_writer.h"
#include "settings/ini_file.h"

using namespace vantor;
using namespace vantor::test;

namespace {

const std::string kProgram(300000, 'P');

// Runs the packer on a stand-in program; returns its exit status and puts
// what it printed into `messages`.
int pack(const TempDir &dir, const std::string &settingsText, const std::string &sources,
         std::string *messages = nullptr) {
  writeFile(dir / "prog", kProgram);
  writeFile(dir / "show.ini", settingsText);
  std::string output;
  const int status = run(binDir() + "vantor-pack --program " + dir / "prog" + " --settings " +
                             dir / "show.ini" + " --out " + dir / "show.scr " + sources + " 2>&1",
                         &output);
  if (messages) *messages = output;
  return status;
}

std::vector<std::string> filesIn(const std::string &folder) {
  std::vector<std::string> names;
  for (const auto &entry : std::filesystem::directory_iterator(folder))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace

TEST(Packer, FolderTreeWithRepeatedNamesPacksEveryPictureOnceListedUnderDistinctNames) {
  TempDir dir, work;
  const std::string photos = dir / "photos/";
  writeFile(photos + "2019/a/IMG_0001.jpg", "first");
  writeFile(photos + "2019/b/IMG_0001.jpg", "second");
  writeFile(photos + "2019/b/notes.txt", "not a picture");
  writeFile(photos + "2020/.thumbnails/IMG_0001.jpg", "hidden");
  writeFile(photos + "2020/IMG_0001.jpg", "third");
  writeFile(photos + "2020/img_0001 (2).JPG", "has the name a copy would take");
  writeFile(photos + "2020/x=y.png", "equals sign");
  // A file of the folder given again on its own is still packed once.
  ASSERT_EQ(
      pack(dir, "[Set]\r\nImageInterval=3\r\n", photos + " " + photos + "2019/a/IMG_0001.jpg"), 0);

  struct stat st {};
  ASSERT_EQ(stat((dir / "show.scr").c_str(), &st), 0);
  EXPECT_TRUE(st.st_mode & S_IXUSR) << "the package is executable";
  EXPECT_EQ(filesIn(dir.path()),
            (std::vector<std::string>{"photos", "prog", "show.ini", "show.scr"}));
  ContentPackage package = ContentPackage::Scan(dir / "show.scr", work.path());
  ASSERT_TRUE(package.present());
  IniFile ini(package.settingsPath());
  EXPECT_EQ(ini.readInteger("Set", "ImageInterval", 0), 3);
  struct Expected {
    const char *entry;  // in [Pictures], in this order
    const char *file;   // what it is extracted to
    const char *content;
  } expected[] = {
      {"IMG_0001.jpg", "IMG_0001.jpg", "first"},
      {"IMG_0001 (3).jpg", "IMG_0001 (3).jpg", "second"},
      {"IMG_0001 (4).jpg", "IMG_0001 (4).jpg", "third"},
      {"img_0001 (2).JPG", "img_0001 (2).JPG", "has the name a copy would take"},
      {"x**y.png", "x=y.png", "equals sign"},
  };
  std::vector<std::string> entries;
  for (const Expected &e : expected) {
    entries.push_back(e.entry);
    EXPECT_TRUE(package.ExtractItem(ini, e.entry, e.file)) << e.entry;
    EXPECT_EQ(readFile(work / e.file), e.content) << e.entry;
  }
  EXPECT_EQ(ini.sectionKeys("Pictures"), entries);
}

TEST(Packer, ListingGivenIsKeptAndFilesItDoesNotNameAreReported) {
  TempDir dir, work;
  writeFile(dir / "a.bmp", "A");
  writeFile(dir / "b.bmp", "B");
  std::string messages;
  // Written on a system whose file names ignore case.
  ASSERT_EQ(pack(dir, "[Pictures]\r\nB.BMP=1\r\n", dir / "a.bmp " + dir / "b.bmp", &messages), 0)
      << messages;
  EXPECT_NE(messages.find("given not named in the settings: a.bmp"), std::string::npos) << messages;
  ContentPackage package = ContentPackage::Scan(dir / "show.scr", work.path());
  IniFile ini(package.settingsPath());
  EXPECT_EQ(ini.sectionKeys("Pictures"), std::vector<std::string>{"B.BMP"});
  // Extracted under the name the program looks for.
  EXPECT_TRUE(package.ExtractItem(ini, "B.BMP", "B.BMP"));
  EXPECT_EQ(readFile(work / "B.BMP"), "B");
}

// A pack that would make a black show, or cannot read what it is given,
// fails with one line and leaves an earlier package as it was.
TEST(Packer, RefusesWithOneLineAndLeavesTheOutputAlone) {
  struct Case {
    const char *what;
    const char *settings;
    std::vector<std::string> sources;
  } cases[] = {
      {"no pictures listed or given", "[Set]\r\nImageInterval=3\r\n", {"song.mp3", "readme.txt"}},
      {"a folder without pictures", "[Set]\r\n", {"notes/"}},
      {"every listed picture off", "[Pictures]\r\na.bmp=0\r\n", {"a.bmp"}},
      {"no listed picture given", "[Pictures]\r\nother.bmp=1\r\n", {"a.bmp"}},
      {"a file that is missing", "[Pictures]\r\na.bmp=1\r\n", {"a.bmp", "missing.jpg"}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    for (const char *name : {"song.mp3", "readme.txt", "a.bmp", "notes/notes.txt"})
      writeFile(dir / name, name);
    writeFile(dir / "show.scr", "OLD");
    std::string sources, messages;
    for (const std::string &s : c.sources) sources.append(" ").append(dir / s);
    EXPECT_EQ(pack(dir, c.settings, sources, &messages), 1);
    EXPECT_EQ(std::count(messages.begin(), messages.end(), '\n'), 1) << messages;
    EXPECT_EQ(readFile(dir / "show.scr"), "OLD");
  }
}

TEST(PackageWriter, FailureMidwayLeavesNeitherHalfFileNorTemporaries) {
  TempDir dir;
  writeFile(dir / "prog", kProgram);
  writeFile(dir / "a.bmp", "A");
  writeFile(dir / "out", "OLD");
  std::filesystem::create_directory(dir / "folder");
  // A folder cannot be read as an item, but only once the program and the
  // first item are written.
  const Status written = WritePackage(dir / "prog", dir / "out", "[Set]\r\n", "s.002",
                                      {{"a.bmp", dir / "a.bmp"}, {"f.bmp", dir / "folder", true}});
  EXPECT_FALSE(written);
  EXPECT_NE(written.message().find("folder"), std::string::npos) << written.message();
  EXPECT_EQ(readFile(dir / "out"), "OLD");
  EXPECT_EQ(filesIn(dir.path()), (std::vector<std::string>{"a.bmp", "folder", "out", "prog"}));
}
