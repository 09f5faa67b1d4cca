#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <map>

#include "../common/test_util.h"
#include "package/content_package.h"
#include "package/items.h"
#include "package/package_writer.h"
#include "package/work_folder.h"
#include "package/zip_archive.h"
#include "platform/cancel.h"
#include "platform/cp1252.h"
#include "platform/random.h"
#include "settings/ini_file.h"

using namespace vantor;
using namespace vantor::test;

namespace {

const std::string kSettings = "[Set]\r\nImageInterval=7\r\n[Pictures]\r\nred.ppm=1\r\n";

// A stand-in for the program image: a few hundred KB of bytes.
std::string fakeProgram(size_t size = 300000) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i) bytes[i] = char(i * 31 % 251);
  return bytes;
}

std::string trailer(const std::string &name, const std::string &settingsText) {
  return "#vantor#" + name + "**" + MakeZip(name, settingsText);
}

}  // namespace

// The settings archive is unpacked from a trailer in the file's last bytes;
// a trailer whose archive is no zip still makes a package without settings.
TEST(Trailer, FoundOnlyInTheLastBytesAndFirstMarkerCounts) {
  TempDir dir;
  const std::string t = trailer("a.002", kSettings);
  struct {
    const char *what;
    std::string file;
    bool present, settings;
  } const cases[] = {
      {"trailer at the end", fakeProgram() + t, true, true},
      {"marker farther back than 150000 bytes", fakeProgram() + t + std::string(150000, 'z'), false,
       false},
      {"no marker", fakeProgram(), false, false},
      {"cut before the separator", fakeProgram() + "#vantor#a.00", false, false},
      {"short file", t, true, true},
      {"archive that is no zip", fakeProgram() + "#vantor#a.002**this is not a zip", true, false},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.what);
    TempDir work;
    writeFile(dir / "prog.EXE", c.file);
    ContentPackage p = ContentPackage::Scan(dir / "prog.EXE", work.path());
    EXPECT_EQ(p.present(), c.present);
    EXPECT_EQ(p.forceFullScreen(), c.present);  // a package named .EXE
    if (c.present) {
      EXPECT_EQ(p.settingsPath(), p.pinnedWorkFolder() + "a.002");
    }
    EXPECT_EQ(exists(work / "a.002"), c.settings);
    if (c.settings) {
      EXPECT_EQ(readFile(work / "a.002"), kSettings);
    }
  }
  Trailer twice = ParseTrailer("#vantor#first.002**AAA#vantor#second.002**BBB");
  EXPECT_EQ(twice.settingsName, "first.002");
  EXPECT_EQ(twice.archive, "AAA#vantor#second.002**BBB");
}

TEST(ExtractItem, PositionsOutsideTheFileExtractNothing) {
  TempDir dir, work;
  const std::string program = fakeProgram(1000);
  const std::string item = "RAWBYTES";
  writeFile(dir / "prog", program + item + trailer("a.002", kSettings));
  ContentPackage p = ContentPackage::Scan(dir / "prog", work.path());
  ASSERT_TRUE(p.present());
  struct Case {
    std::string start, end;
    bool extracted;
  } cases[] = {{"1000", "1008", true},      {"0", "1008", false},
               {"1008", "1000", false},     {"1000", "1000", false},
               {"-5", "1008", false},       {"abc", "1008", false},
               {"1000", "99999999", false}, {"1000", "9999999999999999999999", false}};
  for (const Case &c : cases) {
    IniFile ini;
    ini.loadFromText("[zippos]\nr.bin_1=" + c.start + "\nr.bin_2=" + c.end +
                     "\n[notzip]\nr.bin=1\n");
    std::filesystem::remove(work / "r.bin");
    EXPECT_EQ(p.ExtractItem(ini, "r.bin", "r.bin").ok(), c.extracted) << c.start << ".." << c.end;
    EXPECT_EQ(exists(work / "r.bin"), c.extracted) << c.start << ".." << c.end;
    if (c.extracted) {
      EXPECT_EQ(readFile(work / "r.bin"), item);
      EXPECT_EQ(readFile(work / "r.bin~"), item);  // the copy stays beside it
    }
  }
}

TEST(PackageWriter, ItemsRoundTripRawAndZipped) {
  TempDir dir, work;
  const std::string jpeg = realJpeg();
  writeFile(dir / "prog", fakeProgram());
  writeFile(dir / "red.ppm", "P6 1 1 255 \xff\x00\x00");
  // The program takes the first marker in its file's last bytes; an item
  // that happens to hold one there must not hide the trailer.
  writeFile(dir / "note.txt", "text #vantor#fake.002**not an archive");
  std::vector<PackItem> items = {{"red.ppm", dir / "red.ppm", false},
                                 {"raw.ppm", dir / "red.ppm", true}};
  if (!jpeg.empty()) items.push_back({"photo.jpg", jpeg, false});
  items.push_back({"note.txt", dir / "note.txt", true});
  const Status written = WritePackage(dir / "prog", dir / "out", kSettings, "s.002", items);
  ASSERT_TRUE(written) << written.message();
  ContentPackage p = ContentPackage::Scan(dir / "out", work.path());
  ASSERT_TRUE(p.present());
  IniFile ini(p.settingsPath());
  EXPECT_EQ(ini.readInteger("Set", "ImageInterval", 0), 7);
  for (const PackItem &item : items) {
    EXPECT_TRUE(p.ExtractItem(ini, item.key, item.key)) << item.key;
    EXPECT_EQ(readFile(work / item.key), readFile(item.path)) << item.key;
  }
}

TEST(UnzipArchive, HostileEntriesStayInsideTheDestination) {
  TempDir dir, dest;
  struct Case {
    std::string stored;
    std::string expectedFile;  // "" when nothing may be written
  } cases[] = {{"../evil.jpg", "evil.jpg"},
               {"/etc/evil2.jpg", "evil2.jpg"},
               {"a/b/deep.jpg", "deep.jpg"},
               {"C:\\x\\win.jpg", "win.jpg"},
               {"..", ""},
               // A name written by a Windows tool in its code page, not UTF-8.
               {"plage \xE9t\xE9.jpg", "plage \xC3\xA9t\xC3\xA9.jpg"},
               {"sub/", ""}};
  for (const Case &c : cases) {
    writeFile(dir / "a.zip", MakeZip(c.stored, "data"));
    UnzipResult r = UnzipArchive(dir / "a.zip", dest.path());
    EXPECT_TRUE(r.opened);
    if (c.expectedFile.empty()) {
      EXPECT_TRUE(r.extracted.empty()) << c.stored;
    } else {
      EXPECT_EQ(r.extracted, std::vector<std::string>{c.expectedFile}) << c.stored;
      EXPECT_EQ(readFile(dest / c.expectedFile), "data");
    }
  }
  EXPECT_FALSE(exists(dir / "evil.jpg"));
  EXPECT_FALSE(exists("/etc/evil2.jpg"));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dest.path()), {}), 5);
}

TEST(ResolveItem, RulesWithAPackage) {
  TempDir dir, work;
  writeFile(dir / "a=b.jpg", "AB");
  writeFile(dir / "x.jpg", "X");
  writeFile(dir / "plage \xC3\xA9t\xC3\xA9.jpg", "E");  // UTF-8 "plage été.jpg"
  writeFile(dir / "prog", fakeProgram(2000));
  // The settings text is written the way a Windows tool writes it: Windows-1252.
  const std::string settings = cp1252ToUtf8("[Pictures]\r\nplage \xE9t\xE9.jpg=1\r\n");
  ASSERT_TRUE(
      WritePackage(dir / "prog", dir / "out", settings, "s.002",
                   {{"a**b.jpg", dir / "a=b.jpg", true},
                    {"x.jpg", dir / "x.jpg", false},
                    {"plage \xC3\xA9t\xC3\xA9.jpg", dir / "plage \xC3\xA9t\xC3\xA9.jpg", false}}));
  ContentPackage p = ContentPackage::Scan(dir / "out", work.path());
  IniFile ini(p.settingsPath());
  ItemResolver r(&p, ini, work.path(), dir.path(), "/nonexistent/");
  struct Case {
    std::string entry;
    bool result;
    std::string resolved;
  } cases[] = {
      {"a**b.jpg", true, work / "a=b.jpg"},
      {"(File) C:\\Pictures\\x.jpg", true, work / "x.jpg"},
      {"http://example.org/a.jpg", true, "http://example.org/a.jpg"},
      {"(URL) http://example.org/", true, "http://example.org/"},
      {"missing.jpg", false, work / "missing.jpg"},
      {"..", false, ".."},
      {"", false, ""},
  };
  for (Case c : cases) {
    std::string entry = c.entry;
    EXPECT_EQ(r.ResolveItem(entry).ok(), c.result) << c.entry;
    EXPECT_EQ(entry, c.resolved) << c.entry;
  }
  ItemList pictures;
  r.BuildItemList("Pictures", pictures);
  ASSERT_EQ(pictures.size(), 1u);
  EXPECT_TRUE(r.ResolveItem(pictures[0]));
  EXPECT_EQ(readFile(pictures[0]), "E");
  EXPECT_EQ(pictures[0], work / "plage \xC3\xA9t\xC3\xA9.jpg");
  // Extracted again when the file has gone.
  std::filesystem::remove(work / "x.jpg");
  std::string again = "x.jpg";
  EXPECT_TRUE(r.ResolveItem(again));
}

TEST(ResolveItem, LooseFilesWithoutAPackage) {
  TempDir prog, support;
  IniFile ini;
  ItemResolver r(nullptr, ini, "", prog.path(), support.path());
  struct Case {
    const char *present;  // the one place the file lies
    std::string expected;
  } cases[] = {{"sample/x.jpg", prog / "sample/x.jpg"},
               {"SUPPORT x.jpg", support / "x.jpg"},
               {"SUPPORT sample/x.jpg", support / "sample/x.jpg"},
               {"x.jpg", prog / "x.jpg"}};
  for (const Case &c : cases) {
    std::filesystem::remove_all(prog / "sample");
    std::filesystem::remove_all(support / "sample");
    std::filesystem::remove(prog / "x.jpg");
    std::filesystem::remove(support / "x.jpg");
    std::string where = c.present;
    if (where.rfind("SUPPORT ", 0) == 0)
      writeFile(support / where.substr(8), "p");
    else
      writeFile(prog / where, "p");
    std::string entry = "x.jpg";
    EXPECT_TRUE(r.ResolveItem(entry)) << c.present;
    EXPECT_EQ(entry, c.expected);
  }
  std::filesystem::remove(prog / "x.jpg");
  std::string missing = "x.jpg";
  EXPECT_FALSE(r.ResolveItem(missing));
  EXPECT_EQ(missing, prog / "sample/x.jpg");
}

TEST(ItemLists, ValuesAndShuffle) {
  IniFile ini;
  ini.loadFromText("[Pictures]\na.jpg=1\nb.jpg=0\nc.jpg=\nd.jpg=yes\n(Resource) r.dll=1\n");
  ItemResolver r(nullptr, ini, "", "/p/", "/s/");
  ItemList list;
  r.BuildItemList("Pictures", list);
  EXPECT_EQ(list, (ItemList{"a.jpg", "c.jpg", "d.jpg"}));
  ItemList many;
  for (int i = 0; i < 50; ++i) many.push_back(std::to_string(i));
  ItemList shuffled = many;
  RandomSource random;
  ShuffleList(shuffled, random);
  EXPECT_NE(shuffled, many);
  std::sort(shuffled.begin(), shuffled.end());
  std::sort(many.begin(), many.end());
  EXPECT_EQ(shuffled, many);
}

TEST(WorkFolder, CleanUpRemovesFilesOnlyAndNeverFollowsLinks) {
  TempDir dir;
  writeFile(dir / "work/a.jpg", "a");
  writeFile(dir / "work/ro.jpg", "r");
  chmod((dir / "work/ro.jpg").c_str(), 0444);
  writeFile(dir / "work/sub/keep.txt", "k");
  writeFile(dir / "outside/precious.txt", "p");
  symlink((dir / "outside/precious.txt").c_str(), (dir / "work/link").c_str());
  symlink((dir / "outside").c_str(), (dir / "worklink").c_str());
  EmptyFolder((dir / "worklink").c_str());  // a folder that is a link is not entered
  EXPECT_TRUE(exists(dir / "outside/precious.txt"));
  EmptyFolder((dir / "work").c_str());
  EXPECT_FALSE(exists(dir / "work/a.jpg"));
  EXPECT_FALSE(exists(dir / "work/ro.jpg"));
  EXPECT_FALSE(exists(dir / "work/link"));
  EXPECT_TRUE(exists(dir / "work/sub/keep.txt"));
  EXPECT_EQ(readFile(dir / "outside/precious.txt"), "p");
}

// Hacks run side by side: each has a work folder of its own, which the
// shared run's clean-up leaves alone and its own clean-up removes.
TEST(WorkFolder, ARunBesideOthersKeepsAFolderOfItsOwn) {
  TempDir dir;
  mkdir((dir / "run").c_str(), 0700);
  const char *saved = std::getenv("XDG_RUNTIME_DIR");
  const std::string before = saved ? saved : "";
  setenv("XDG_RUNTIME_DIR", (dir / "run").c_str(), 1);
  const Folders shared = SetUpWorkFolders();
  const Folders own = SetUpWorkFolders("hack-7");
  saved ? setenv("XDG_RUNTIME_DIR", before.c_str(), 1) : unsetenv("XDG_RUNTIME_DIR");
  ASSERT_TRUE(shared.status) << shared.status.message();
  ASSERT_TRUE(own.status) << own.status.message();
  EXPECT_EQ(own.work, shared.work + "hack-7/");
  writeFile(shared.work + "shared.jpg", "s");
  writeFile(own.work + "own.jpg", "o");
  writeFile(own.workTmp + "decoded.bmp", "d");
  CleanUpWorkFolders(shared);
  EXPECT_FALSE(exists(shared.work + "shared.jpg"));
  EXPECT_EQ(readFile(own.work + "own.jpg"), "o");
  CleanUpWorkFolders(own);
  EXPECT_FALSE(exists(dir / "run/Vantor/hack-7"));
  EXPECT_TRUE(exists(dir / "run/Vantor/tmp"));
  for (int fd : {shared.workFd, shared.workTmpFd, own.workFd, own.workTmpFd, own.sharedFd})
    close(fd);
}

namespace {

uint32_t crc32Of(const std::string &data) {
  uint32_t crc = 0xFFFFFFFFu;
  for (unsigned char c : data) {
    crc ^= c;
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

void put(std::string &out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out += char((value >> (8 * i)) & 0xFF);
}

std::string localHeader(const std::string &name, const std::string &data) {
  std::string h;
  put(h, 0x04034b50, 4), put(h, 20, 2), put(h, 0, 2), put(h, 0, 2), put(h, 0, 2), put(h, 0x21, 2);
  put(h, crc32Of(data), 4), put(h, uint32_t(data.size()), 4), put(h, uint32_t(data.size()), 4);
  put(h, uint32_t(name.size()), 2), put(h, 0, 2);
  return h + name;
}

std::string centralEntry(const std::string &name, const std::string &data, uint32_t offset) {
  std::string c;
  put(c, 0x02014b50, 4), put(c, 20, 2), put(c, 20, 2), put(c, 0, 2), put(c, 0, 2), put(c, 0, 2);
  put(c, 0x21, 2), put(c, crc32Of(data), 4), put(c, uint32_t(data.size()), 4);
  put(c, uint32_t(data.size()), 4), put(c, uint32_t(name.size()), 2), put(c, 0, 2), put(c, 0, 2);
  put(c, 0, 2), put(c, 0, 2), put(c, 0, 4), put(c, offset, 4);
  return c + name;
}

// Two stored entries whose data overlap: the data of "a.jpg" is the whole
// of the entry "b.jpg", local header included, so its bytes are read twice.
// Every header is consistent with the central directory.
std::string overlappingZip() {
  const std::string kernel(4000, 'k');
  const std::string b = localHeader("b.jpg", kernel) + kernel;
  const std::string a = localHeader("a.jpg", b);
  std::string zip = a + b;
  const std::string cd = centralEntry("a.jpg", b, 0) + centralEntry("b.jpg", kernel, a.size());
  std::string end;
  put(end, 0x06054b50, 4), put(end, 0, 2), put(end, 0, 2), put(end, 2, 2), put(end, 2, 2);
  put(end, uint32_t(cd.size()), 4), put(end, uint32_t(zip.size()), 4), put(end, 0, 2);
  return zip + cd + end;
}

size_t entriesIn(const std::string &folder) {
  return size_t(std::distance(std::filesystem::directory_iterator(folder), {}));
}

}  // namespace

// Archives made by Info-ZIP, stored and deflated, give their files; links,
// encrypted entries and entries whose data no longer match their CRC give
// none; archives that would write far more than they hold are refused
// before a single file is written; a cancelled unpacking leaves no file.
TEST(UnzipArchive, OnlySoundEntriesAreWritten) {
  TempDir dir;
  const std::string in = dir / "in/";
  writeFile(in + "plain.txt", std::string(5000, 'p'));
  writeFile(in + "target.txt", "secret");
  symlink("/etc/passwd", (in + "link.txt").c_str());
  ASSERT_EQ(run("cd '" + in + "' && zip -q -0 ../stored.zip plain.txt" +
                " && zip -q -9 ../deflated.zip plain.txt && zip -q -y ../link.zip link.txt" +
                " && zip -q -P pw ../enc.zip target.txt && cp ../stored.zip ../corrupt.zip" +
                " && truncate -s 150M zeros.bmp && zip -q ../big.zip zeros.bmp" +
                " && mkdir many && cd many && for i in $(seq 1025); do : > f$i.jpg; done" +
                " && zip -q ../../many.zip *.jpg && : > ../g1.jpg && : > ../g2.jpg" +
                " && cd .. && zip -q ../fine.zip g1.jpg g2.jpg"),
            0);
  std::string corrupt = readFile(dir / "corrupt.zip");
  corrupt[corrupt.find("pppp") + 100] = 'X';
  writeFile(dir / "corrupt.zip", corrupt);
  writeFile(dir / "overlap.zip", overlappingZip());
  writeFile(dir / "cancelled.zip", MakeZip("pic.bmp", std::string(300000, 'q')));
  struct {
    const char *archive;
    std::vector<std::string> extracted;
    const char *refused;  // "" when the archive is sound
  } const cases[] = {{"stored.zip", {"plain.txt"}, ""},
                     {"deflated.zip", {"plain.txt"}, ""},
                     {"link.zip", {}, ""},
                     {"enc.zip", {}, ""},
                     {"corrupt.zip", {}, ""},
                     {"overlap.zip", {}, "entries overlap"},
                     {"many.zip", {}, "too many entries"},
                     {"big.zip", {}, "too much to unpack"},
                     {"fine.zip", {"g1.jpg", "g2.jpg"}, ""},
                     {"cancelled.zip", {}, ""}};
  for (const auto &c : cases) {
    SCOPED_TRACE(c.archive);
    TempDir dest;
    if (c.archive == std::string("cancelled.zip")) {
      std::atomic<bool> cancel{true};
      CancelScope scope(cancel);
      EXPECT_THROW(UnzipArchive(dir / c.archive, dest.path()), Cancelled);
    } else {
      UnzipResult r = UnzipArchive(dir / c.archive, dest.path());
      EXPECT_TRUE(r.opened);
      EXPECT_EQ(r.refused, c.refused);
      std::vector<std::string> extracted = r.extracted;
      std::sort(extracted.begin(), extracted.end());
      EXPECT_EQ(extracted, c.extracted);
    }
    EXPECT_EQ(entriesIn(dest.path()), c.extracted.size());
    for (const std::string &name : c.extracted)
      EXPECT_EQ(readFile(dest / name), readFile(in + name)) << name;
  }
  EXPECT_EQ(ArchiveOutputCap(1000), kMinArchiveOutputBytes);
  EXPECT_EQ(ArchiveOutputCap(uint64_t(5) << 20), uint64_t(500) << 20);
  EXPECT_EQ(ArchiveOutputCap(uint64_t(1) << 40), kMaxArchiveOutputBytes);
}

namespace {

// Every file of a folder with its bytes and mode, to see that nothing in it
// changed.
std::map<std::string, std::string> snapshot(const std::string &folder) {
  std::map<std::string, std::string> files;
  for (auto &e : std::filesystem::directory_iterator(folder)) {
    struct stat st {};
    lstat(e.path().c_str(), &st);
    files[e.path().filename()] = std::to_string(st.st_mode) + ":" + readFile(e.path());
  }
  return files;
}

}  // namespace

// The work folder swapped for a link, or a link planted at a picture's
// name: pictures are still unpacked, into the folder that was opened, and
// nothing outside it is written, made readable or deleted.
TEST(WorkFolder, LinksNeverRedirectWritesOrDeletions) {
  enum class Attack { SwapFolder, LinkAtPicture };
  for (Attack attack : {Attack::SwapFolder, Attack::LinkAtPicture}) {
    SCOPED_TRACE(attack == Attack::SwapFolder ? "swapped folder" : "link at the picture");
    TempDir dir, run, victim;
    writeFile(victim / "private.txt", "secret");
    chmod((victim / "private.txt").c_str(), 0600);
    writeFile(victim / "p2.jpg", "mine");
    writeFile(dir / "p1.jpg", "ONE");
    writeFile(dir / "p2.jpg", "TWO");
    writeFile(dir / "prog", fakeProgram(2000));
    ASSERT_TRUE(
        WritePackage(dir / "prog", dir / "out", kSettings, "s.002",
                     {{"p1.jpg", dir / "p1.jpg", false}, {"p2.jpg", dir / "p2.jpg", true}}));
    const std::string work = run / "Vantor/";
    std::filesystem::create_directories(work);
    chmod(work.c_str(), 0700);
    Folders folders;
    folders.work = work;
    Result<int> opened = OpenPrivateFolder(work);
    ASSERT_TRUE(opened) << opened.message();
    folders.workFd = *opened;
    ContentPackage p = ContentPackage::Scan(dir / "out", work, folders.workFd);
    ASSERT_TRUE(p.present());
    IniFile ini(p.settingsPath());
    ItemResolver r(&p, ini, work, dir.path(), "");
    std::string real = work;
    if (attack == Attack::SwapFolder) {
      real = run / "Vantor.real/";
      std::filesystem::rename(run / "Vantor", run / "Vantor.real");
      std::filesystem::create_directory_symlink(victim.path(), run / "Vantor");
    } else {
      symlink((victim / "private.txt").c_str(), (work + "p1.jpg").c_str());
    }
    const auto before = snapshot(victim.path());
    for (std::string entry : {"p1.jpg", "p2.jpg"}) EXPECT_TRUE(r.ResolveItem(entry)) << entry;
    EXPECT_EQ(readFile(real + "p1.jpg"), "ONE");
    EXPECT_EQ(readFile(real + "p2.jpg"), "TWO");
    EXPECT_EQ(snapshot(victim.path()), before);
    CleanUpWorkFolders(folders);
    EmptyFolder(work.c_str());  // by name, ending in "/"
    EXPECT_EQ(snapshot(victim.path()), before);
    EXPECT_EQ(entriesIn(real), 0u);
    close(folders.workFd);
  }
}
