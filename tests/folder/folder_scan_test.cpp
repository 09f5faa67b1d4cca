// The folder scan: which files of a tree are pictures, in which order they
// come, in which batches, and that a cancel stops it; and the user's picture
// folder from the desktop screensaver's preferences.

#include "folder/folder_scan.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>

#include "../common/test_util.h"
#include "folder/xscreensaver_prefs.h"
#include "platform/cancel.h"

namespace vantor::test {
namespace {

// Pictures at several depths, beside hidden ones, non-pictures, a folder
// named like a picture, a link to a picture and a link that loops.
void makeTree(const TempDir &dir) {
  for (const char *f :
       {"r/b.JPG", "r/a.png", "r/Zed.Tiff", "r/notes.txt", "r/noext", "r/photo.jpeg.txt",
        "r/.hidden.jpg", "r/.thumbs/x.jpg", "r/.jpg", "r/dir.jpg/f.gif", "r/sub/c.heic",
        "r/sub/readme.md", "r/sub/deeper/d.webp", "r/sub/deeper/e.Avif", "r/sub/deeper/g.jxl"})
    writeFile(dir / f, "x");
  ASSERT_EQ(symlink("sub/c.heic", (dir / "r/link.jpg").c_str()), 0);
  ASSERT_EQ(symlink("..", (dir / "r/sub/deeper/loop").c_str()), 0);
}

std::vector<std::string> scan(const std::vector<std::string> &roots,
                              std::vector<size_t> *batches = nullptr,
                              FolderScanOptions options = {}) {
  std::vector<std::string> all;
  ScanPictureFolders(
      roots,
      [&](std::vector<std::string> paths) {
        if (batches) batches->push_back(paths.size());
        all.insert(all.end(), paths.begin(), paths.end());
      },
      options);
  return all;
}

const std::vector<std::string> kTreePictures = {"r/Zed.Tiff",
                                                "r/a.png",
                                                "r/b.JPG",
                                                "r/dir.jpg/f.gif",
                                                "r/link.jpg",
                                                "r/sub/c.heic",
                                                "r/sub/deeper/d.webp",
                                                "r/sub/deeper/e.Avif",
                                                "r/sub/deeper/g.jxl"};

struct ScanCase {
  const char *name;
  std::vector<std::string> roots;     // under the test folder
  std::vector<std::string> expected;  // under the test folder
};
// Case names, not bytes, in the test lists.
void PrintTo(const ScanCase &c, std::ostream *os) {
  *os << c.name;
}

class ScanTable : public ::testing::TestWithParam<ScanCase> {};

TEST_P(ScanTable, FindsExactlyThePicturesInPathOrder) {
  TempDir dir;
  makeTree(dir);
  std::vector<std::string> roots, expected;
  for (const auto &r : GetParam().roots) roots.push_back(dir / r);
  for (const auto &e : GetParam().expected) expected.push_back(dir / e);
  EXPECT_EQ(scan(roots), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Trees, ScanTable,
    ::testing::Values(ScanCase{"WholeTree", {"r"}, kTreePictures},
                      ScanCase{"TrailingSlash",
                               {"r/sub/"},
                               {"r/sub/c.heic", "r/sub/deeper/d.webp", "r/sub/deeper/e.Avif",
                                "r/sub/deeper/g.jxl"}},
                      // A folder inside a root given before it is not walked again.
                      ScanCase{"OverlappingRoots", {"r", "r/sub"}, kTreePictures},
                      ScanCase{"RootsInTheOrderGiven",
                               {"r/sub", "r/dir.jpg"},
                               {"r/sub/c.heic", "r/sub/deeper/d.webp", "r/sub/deeper/e.Avif",
                                "r/sub/deeper/g.jxl", "r/dir.jpg/f.gif"}},
                      ScanCase{"MissingFileAndHiddenRoots",
                               {"nothing", "r/a.png", "r/.thumbs"},
                               {"r/.thumbs/x.jpg"}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(FolderScan, FirstPictureComesAloneThenFullBatches) {
  TempDir dir;
  makeTree(dir);
  std::vector<size_t> batches;
  const auto found = scan({dir / "r"}, &batches, {2, std::chrono::hours(1)});
  EXPECT_EQ(found.size(), 9u);
  EXPECT_EQ(batches, (std::vector<size_t>{1, 2, 2, 2, 2}));
}

TEST(FolderScan, StopsAtTheCancelOfItsThread) {
  TempDir dir;
  makeTree(dir);
  std::atomic<bool> cancel{false};
  CancelScope scope(cancel);
  size_t calls = 0;
  const size_t count = ScanPictureFolders({dir / "r"}, [&](std::vector<std::string>) {
    ++calls;
    cancel = true;
  });
  EXPECT_EQ(calls, 1u);
  EXPECT_LT(count, 9u);
}

TEST(FolderScan, PictureNamesByExtensionInAnyCase) {
  for (const char *yes : {"a.jpg", "a.JPEG", "b.Png", "c.gif", "d.bmp", "e.tif", "f.TIFF", "g.webp",
                          "h.heic", "i.HEIF", "j.avif", "k.jxl", "x.y.jpg"})
    EXPECT_TRUE(IsPictureFileName(yes)) << yes;
  for (const char *no : {"a.txt", "jpg", ".jpg", "a.jpg.txt", "a.", "a.mp3", ""})
    EXPECT_FALSE(IsPictureFileName(no)) << no;
}

struct PrefsCase {
  const char *name;
  std::string text;
  std::optional<std::string> expected;
};
void PrintTo(const PrefsCase &c, std::ostream *os) {
  *os << c.name;
}

class ImageDirectoryTable : public ::testing::TestWithParam<PrefsCase> {};

TEST_P(ImageDirectoryTable, ReadsTheValue) {
  EXPECT_EQ(ImageDirectoryFromPrefs(GetParam().text, "/home/u"), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, ImageDirectoryTable,
    ::testing::Values(
        PrefsCase{"Plain", "mode:\trandom\nimageDirectory:\t/srv/photos\n", "/srv/photos"},
        PrefsCase{"TildeAndBlanks", "imageDirectory:   ~/Pictures  \r\n", "/home/u/Pictures"},
        PrefsCase{"TildeAlone", "imageDirectory: ~\n", "/home/u"},
        PrefsCase{"TildeUserKept", "imageDirectory: ~bob/p\n", "~bob/p"},
        PrefsCase{"Missing", "mode: one\nimageDirectoryX: /x\n", std::nullopt},
        PrefsCase{"Empty", "imageDirectory:\n", std::nullopt},
        PrefsCase{"Comment", "# imageDirectory: /x\n! imageDirectory: /y\n", std::nullopt},
        // The value of another key, continued over lines, hides a look-alike.
        PrefsCase{"ContinuedLines",
                  "programs:\t\\\n  imageDirectory: /fake \\n\\\n  other\nimageDirectory: /real\n",
                  "/real"},
        PrefsCase{"ContinuedValue", "imageDirectory: /a/\\\nb\n", "/a/b"},
        PrefsCase{"LastWins", "imageDirectory: /a\nimageDirectory: /b", "/b"},
        PrefsCase{"NoColon", "imageDirectory /x\n", std::nullopt}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(ImageDirectory, FromTheHomeFolderOrNothing) {
  TempDir home;
  const std::string h = home.path().substr(0, home.path().size() - 1);
  EXPECT_EQ(ReadImageDirectory(h), std::nullopt);
  EXPECT_EQ(ReadImageDirectory(""), std::nullopt);
  writeFile(home / ".xscreensaver", "timeout: 0:10:00\nimageDirectory: ~/Photos\n");
  EXPECT_EQ(ReadImageDirectory(h), h + "/Photos");
}

}  // namespace
}  // namespace vantor::test
