// Start-up with folders: --folder gives the show with the default settings
// and the user's overrides kept under the folder mode's name, and a folder
// listed among the pictures of a loose settings file is scanned.

#include <gtest/gtest.h>

#include "../common/test_util.h"
#include "platform/registry.h"
#include "startup/engine.h"
#include "startup/folder_mode.h"
#include "startup/options.h"

namespace vantor::test {
namespace {

class FolderStartup : public ::testing::Test {
 protected:
  TempDir dir;
  Engine engine;

  FolderStartup() {
    writeFile(dir / "photos/a.jpg", "x");
    // The loose settings file of the program "x.exe" beside it.
    writeFile(dir / "x.002",
              "[Set]\r\nImageInterval=7\r\nImageSequence=0\r\nuseeffects=150,\r\n"
              "[Pictures]\r\nb.jpg=1\r\n" +
                  dir / "photos/" + "=1\r\n" + dir / "gone/" + "=1\r\n");
    engine.programPath = dir / "x.exe";
    RegistryStore store(dir / "user.reg");
    const Status stored = store.updateKey(OverridesKeyPath(kFolderModeName), [](RegistryKey &k) {
      k.set("ImageInterval", uint32_t(9));
      k.set("MousePressExit", uint32_t(0));
    });
    EXPECT_TRUE(stored) << stored.message();
    engine.registry = std::make_unique<RegistryStore>(store);
  }
};

TEST_F(FolderStartup, FolderModeTakesDefaultsAndItsOwnOverrides) {
  engine.options =
      ParseOptions({"--folder", dir / "photos", "--folder=" + dir / "more", "--speed=1"}, nullptr);
  EXPECT_EQ(RunStartup(engine, ClassicArguments(engine.options)), Dispatch::FullScreen);
  EXPECT_EQ(engine.pictureFolders, (std::vector<std::string>{dir / "photos", dir / "more"}));
  const TSaverSetting &s = engine.settings;
  EXPECT_TRUE(s.PictureList.empty());
  EXPECT_EQ(s.ImageInterval, 9);                 // the override, not the settings file's 7
  EXPECT_FALSE(s.MousePress);                    // the override
  EXPECT_EQ(s.ImageSequence, Sequence::Random);  // the default
  EXPECT_FALSE(s.UseEffects.test(150));
  EXPECT_TRUE(s.UseEffects.test(59));  // the default effect list
}

// Without a package and without a settings file beside it (the installed
// program), the dialog edits and shows folder mode's choices.
TEST_F(FolderStartup, DialogOfTheInstalledProgramEditsFolderModesChoices) {
  engine.programPath = dir / "installed/vantor-saver";
  EXPECT_EQ(RunStartup(engine, {"/c"}), Dispatch::ConfigDialog);
  EXPECT_TRUE(DialogEditsFolderMode(engine));
  EXPECT_EQ(engine.settings.ImageInterval, 9);
  engine.programPath = dir / "x.exe";  // its settings file lies beside it
  EXPECT_EQ(RunStartup(engine, {"/c"}), Dispatch::ConfigDialog);
  EXPECT_FALSE(DialogEditsFolderMode(engine));
  EXPECT_EQ(engine.settings.ImageInterval, 7);
}

TEST_F(FolderStartup, AFolderAmongThePicturesIsScannedNotLoaded) {
  EXPECT_EQ(RunStartup(engine, {"/s"}), Dispatch::FullScreen);
  EXPECT_EQ(engine.pictureFolders, std::vector<std::string>{dir / "photos/"});
  // A folder that is not there stays an entry, which the show skips.
  EXPECT_EQ(engine.settings.PictureList, (std::vector<std::string>{"b.jpg", dir / "gone/"}));
  EXPECT_EQ(engine.settings.ImageInterval, 7);
}

TEST_F(FolderStartup, HackModeFallsBackOnTheUsersPictureFolder) {
  const std::string home = dir / "home";
  writeFile(home + "/.xscreensaver", "mode: one\nimageDirectory: ~/Pictures\n");
  RunStartup(engine, {"/s"});
  EXPECT_EQ(HackModeFolders(engine, home), std::vector<std::string>{home + "/Pictures"});
  EXPECT_TRUE(HackModeFolders(engine, dir / "nobody").empty());
  engine.options = ParseOptions({"--folder", dir / "photos"}, nullptr);
  RunStartup(engine, ClassicArguments(engine.options));
  EXPECT_EQ(HackModeFolders(engine, home), std::vector<std::string>{dir / "photos"});
}

}  // namespace
}  // namespace vantor::test
