#include <gtest/gtest.h>
#include <functional>

#include "../common/test_util.h"
#include "platform/registry.h"
#include "settings/ini_file.h"
#include "settings/locate.h"
#include "settings/overrides.h"
#include "settings/saver_setting.h"

using namespace vantor;
using namespace vantor::test;

namespace {

std::vector<int> members(const EffectSet &s) {
  std::vector<int> out;
  for (size_t i = 0; i < s.size(); ++i)
    if (s.test(i)) out.push_back(int(i));
  return out;
}

}  // namespace

TEST(EffectList, ParsesNumbersEachFollowedByAComma) {
  struct Case {
    const char *text;
    std::vector<int> expected;
  } cases[] = {
      {"1,2,3", {1, 2}},       // the last number has no comma
      {"1,x,3,", {1, 3}},      // not a number: skipped
      {"200,0,", {0}},         // out of range: ignored
      {"3,7", {3}},            //
      {"", {}},                //
      {"151,152,-1,", {151}},  // the set holds 0..151
      {" 12, 40 ,7", {12}},    // " 40 " is not an integer
      {"12,40,7", {12, 40}},   //
  };
  for (const Case &c : cases) EXPECT_EQ(members(ParseEffectList(c.text)), c.expected) << c.text;
  EXPECT_EQ(ParseEffectList(kDefaultUseEffects).count(), 105u);
}

TEST(IniFile, IntegerRule) {
  struct Case {
    const char *text;
    std::optional<int> expected;
  } cases[] = {{"10", 10},
               {"-5", -5},
               {"  7", 7},
               {"7 ", std::nullopt},
               {"", std::nullopt},
               {"abc", std::nullopt},
               {"$1F", 31},
               {"0x10", 16},
               {"99999999999", std::nullopt},
               {"+3", 3}};
  for (const Case &c : cases) EXPECT_EQ(parseInteger(c.text), c.expected) << c.text;
}

TEST(IniFile, SaveKeepsEveryHeaderAndKeyWhereItWas) {
  struct Case {
    const char *what;
    std::string text;
    std::function<void(IniFile &)> readAndEdit;
    std::string saved;
  } cases[] = {
      {"a section named twice: read as one, written back with both headers",
       "; written by the builder\r\n[Set]\r\nImageInterval=5\r\nUnknownKey=keep me\r\n\r\n"
       "[Pictures]\r\nbeach.jpg=1\r\n\r\n[set]\r\nuseeffects=1,2,\r\n",
       [](IniFile &ini) {
         EXPECT_EQ(ini.readInteger("SET", "imageinterval", 0), 5);
         EXPECT_EQ(ini.readString("Set", "useeffects", ""), "1,2,");
         EXPECT_EQ(ini.sectionKeys("set"),
                   (std::vector<std::string>{"ImageInterval", "UnknownKey", "useeffects"}));
         ini.writeInteger("set", "IMAGEINTERVAL", 9);
         ini.writeString("SET", "useeffects", "3,");
         ini.writeInteger("Set", "NewKey", 1);  // the end of the first [Set]
         ini.writeInteger("Caption", "X", 3);
       },
       "; written by the builder\r\n[Set]\r\nImageInterval=9\r\nUnknownKey=keep me\r\nNewKey=1\r\n"
       "\r\n[Pictures]\r\nbeach.jpg=1\r\n\r\n[set]\r\nuseeffects=3,\r\n[Caption]\r\nX=3\r\n"},
      {"a key twice: the first is read and written, the second kept", "[A]\nk=1\n[a]\nK=2\nj=4\n",
       [](IniFile &ini) {
         EXPECT_EQ(ini.readInteger("a", "K", 0), 1);
         EXPECT_EQ(ini.sectionKeys("A"), (std::vector<std::string>{"k", "j"}));
         ini.writeInteger("A", "k", 3);
       },
       "[A]\nk=3\n[a]\nK=2\nj=4\n"},
      {"a lone CR ends a line", "[Set]\rImageInterval=5\r[Pictures]\ra.jpg=1\rb.jpg=0\r",
       [](IniFile &ini) {
         EXPECT_EQ(ini.readInteger("Set", "ImageInterval", 0), 5);
         EXPECT_EQ(ini.sectionKeys("Pictures"), (std::vector<std::string>{"a.jpg", "b.jpg"}));
         ini.writeInteger("Set", "ImageInterval", 6);
       },
       "[Set]\rImageInterval=6\r[Pictures]\ra.jpg=1\rb.jpg=0\r"},
      {"lines nobody writes keep their blanks", "  [Set] \r\nKey = v \r\n\tOther=1\r\n",
       [](IniFile &ini) {
         EXPECT_EQ(ini.readString("Set", "Key", ""), " v");
         ini.writeInteger("Set", "Other", 2);
       },
       "  [Set] \r\nKey = v \r\nOther=2\r\n"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    writeFile(dir / "s.002", c.text);
    IniFile ini(dir / "s.002");
    c.readAndEdit(ini);
    ASSERT_TRUE(ini.save());
    EXPECT_EQ(readFile(dir / "s.002"), c.saved);
  }
}

// Names and values are in the code page on disk, and what it cannot hold is
// saved as "?".
TEST(IniFile, TextIsWindows1252OnDisk) {
  TempDir dir;
  writeFile(dir / "s.002", "[Pictures]\r\nplage \xE9t\xE9.jpg=1\r\n");
  IniFile ini(dir / "s.002");
  EXPECT_EQ(ini.sectionKeys("Pictures"), std::vector<std::string>{"plage \xC3\xA9t\xC3\xA9.jpg"});
  ini.writeString("Captions", "\xC3\xA9t\xC3\xA9.jpg", "\xE2\x82\xAC 5 \xE6\x97\xA5");
  ASSERT_TRUE(ini.save());
  EXPECT_EQ(readFile(dir / "s.002"),
            "[Pictures]\r\nplage \xE9t\xE9.jpg=1\r\n[Captions]\r\n\xE9t\xE9.jpg=\x80 5 ?\r\n");
  EXPECT_EQ(IniFile(dir / "s.002").readString("Captions", "\xC3\xA9t\xC3\xA9.jpg", ""),
            "\xE2\x82\xAC 5 ?");
}

TEST(Settings, DefaultsAndMalformedValues) {
  IniFile ini;
  ini.loadFromText(
      "[Set]\nImageInterval=abc\nEffectSpeed2=\nImageSize=258\n[Caption]\nPosition=7\n");
  TSaverSetting s;
  LoadSettings(s, ini, "/opt/support/");
  EXPECT_EQ(s.ImageInterval, 3);
  EXPECT_EQ(s.EffectSpeed2, 3);
  EXPECT_EQ(s.ImageSize, 2);  // a byte keeps the low 8 bits
  EXPECT_EQ(s.Position, CaptionPosition::None);
  EXPECT_EQ(s.FontName, "MS Sans Serif");
  EXPECT_EQ(s.FontColor, 16777215);
  EXPECT_TRUE(s.PlayMusic);
  EXPECT_EQ(s.ImageSequence, Sequence::Random);
  EXPECT_EQ(s.Back_Image_Path, "/opt/support/background/");
  EXPECT_EQ(s.UseEffects.count(), 105u);
  EXPECT_TRUE(s.ExifOrientation);
}

TEST(Settings, SaveWritesTheDialogKeysAndLeavesTheRest) {
  IniFile ini;
  ini.loadFromText(
      "[Set]\nuseeffects=5,\nAuthor=Ann\nBuild_BannerURL=x\nExifOrientation=0\n[zippos]\na_1=1\n");
  TSaverSetting s;
  LoadSettings(s, ini, "/s/");
  s.ImageInterval = 12;
  s.ForceHide = true;
  s.Author = "changed";
  StoreSettings(s, ini);
  EXPECT_EQ(ini.readString("Set", "ImageInterval", ""), "12");
  EXPECT_EQ(ini.readString("Caption", "ForceHide", ""), "1");
  EXPECT_EQ(ini.readString("Set", "Author", ""), "Ann");  // read only, never saved
  EXPECT_EQ(ini.readString("set", "useeffects", ""), "5,");
  EXPECT_EQ(ini.readString("zippos", "a_1", ""), "1");
  EXPECT_FALSE(ini.value("Set", "Build_UseStaticPreview"));
  EXPECT_FALSE(ini.value("Set", "Build_LicenseText"));
  const std::string text = ini.toText();
  EXPECT_LT(text.find("ImageSize=0"), text.find("ImageSequence=1"));
  EXPECT_LT(text.find("ImageSequence=1"), text.find("AllowReverseTransition=0"));
  EXPECT_FALSE(s.ExifOrientation);
  EXPECT_EQ(ini.readString("Set", "ExifOrientation", ""), "0");
  // The dialog cannot change it, so a save adds it to no file.
  IniFile fresh;
  StoreSettings(TSaverSetting{}, fresh);
  EXPECT_EQ(fresh.toText().find("ExifOrientation"), std::string::npos);
}

TEST(Registry, ParsesFormatsAndSkipsUnreadableLines) {
  auto keys = parseRegistryText(
      "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Orlenta\\A.scr]\n\"ImageInterval\"=dword:"
      "0000000a\n"
      "garbage line\n\"Broken\"=dword:xyz\n@=\"C:\\\\vantor\"\n\"Bin\"=hex:01,02\n"
      "[HKEY_LOCAL_MACHINE\\Other]\n\"X\"=dword:1\n");
  ASSERT_EQ(keys.size(), 1u);
  EXPECT_EQ(keys[0].path, "Software\\Orlenta\\A.scr");
  ASSERT_EQ(keys[0].values.size(), 3u);
  EXPECT_EQ(std::get<uint32_t>(*keys[0].find("imageinterval")), 10u);
  EXPECT_EQ(std::get<std::string>(*keys[0].find("")), "C:\\vantor");
  EXPECT_TRUE(std::holds_alternative<RawRegistryValue>(*keys[0].find("Bin")));
  EXPECT_EQ(parseRegistryText(formatRegistryText(keys))[0].values, keys[0].values);
}

TEST(Overrides, PrecedencePerSaverKind) {
  TempDir dir;
  RegistryStore store(dir / "user.reg");
  writeFile(store.filePath(),
            "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Orlenta\\My Saver.scr]\n"
            "\"MousePressExit\"=dword:00000000\n\"ImageInterval\"=dword:0000000a\n"
            "\"FlashSize\"=dword:00000002\n\"WebInterval\"=dword:00000007\n"
            "\"PlayMusic\"=dword:00000000\n");
  struct Case {
    SaverKind kind;
    int interval, flashSize, webInterval;
    bool playMusic;
  } cases[] = {{SaverKind::Image, 10, 0, 10, false},
               {SaverKind::Flash, 5, 2, 10, true},
               {SaverKind::Video, 5, 0, 10, true},
               {SaverKind::Web, 5, 0, 7, false}};
  for (const Case &c : cases) {
    TSaverSetting s;
    s.ImageInterval = 5;  // as the settings file gave it
    ApplyRegistryOverrides(s, store, "My Saver.scr", c.kind);
    EXPECT_FALSE(s.MousePress) << int(c.kind);
    EXPECT_EQ(s.ImageInterval, c.interval) << int(c.kind);
    EXPECT_EQ(s.FlashSize, c.flashSize) << int(c.kind);
    EXPECT_EQ(s.WebInterval, c.webInterval) << int(c.kind);
    EXPECT_EQ(s.PlayMusic, c.playMusic) << int(c.kind);
  }
  TSaverSetting other;
  other.ImageInterval = 5;
  ApplyRegistryOverrides(other, store, "Copy.scr", SaverKind::Image);  // its own key
  EXPECT_EQ(other.ImageInterval, 5);
}

TEST(Overrides, ATextValueStopsTheReading) {
  TempDir dir;
  RegistryStore store(dir / "user.reg");
  writeFile(store.filePath(),
            "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Orlenta\\a.scr]\n"
            "\"MouseMoveExit\"=dword:00000001\n\"MousePressExit\"=\"0\"\n"
            "\"KeyboardPressExit\"=dword:00000000\n\"ImageInterval\"=dword:00000009\n");
  TSaverSetting s;
  ApplyRegistryOverrides(s, store, "a.scr", SaverKind::Image);
  EXPECT_TRUE(s.MouseMove);
  EXPECT_TRUE(s.MousePress);
  EXPECT_TRUE(s.KeyboardPress);
  EXPECT_EQ(s.ImageInterval, 3);
}

// The dialog's test reads them back at the next start.
TEST(Overrides, StoreWritesTheTwelveValuesInOrderUnderTheProgramsKey) {
  TempDir dir;
  RegistryStore store(dir / "cfg/user.reg");
  ASSERT_TRUE(StoreRegistryOverrides(TSaverSetting{}, store, "a.scr"));
  auto key = store.openKey("software\\orlenta\\A.SCR");
  ASSERT_TRUE(key);
  std::vector<std::string> names;
  for (auto &[n, v] : key->values) names.push_back(n);
  EXPECT_EQ(names, (std::vector<std::string>{"MouseMoveExit", "MousePressExit", "KeyboardPressExit",
                                             "ShowCursor", "OnlyEscKeyExit", "BackgroundColor",
                                             "ImageInterval", "ImageSize", "ImageSequence",
                                             "EffectSpeed2", "PlayMusic", "CaptionForceHide"}));
}

TEST(LocateSettings, LooseFileAndSupportFolder) {
  TempDir dir;
  RegistryStore store(dir / "user.reg");
  auto l = LocateSettings("/home/u/My Saver.scr", "", store);
  EXPECT_EQ(l.programFolder, "/home/u/");
  EXPECT_EQ(l.baseName, "My Saver");
  EXPECT_EQ(l.settingsPath, "/home/u/My Saver.002");
  EXPECT_EQ(l.tempImagePath, "/home/u/tempimagefile");
  EXPECT_TRUE(l.supportFolder.ends_with("share/vantor/Screensaver/"));
  ASSERT_TRUE(
      store.updateKey("Software\\Orlenta\\VantorPro", [](RegistryKey &k) { k.set("", "/opt/b"); }));
  EXPECT_EQ(LocateSettings("/x/a.scr", "/w/a.002", store).supportFolder, "/opt/b/");
  EXPECT_EQ(LocateSettings("/x/a.scr", "/w/a.002", store).settingsPath, "/w/a.002");
  EXPECT_EQ(BaseName("a.b.scr"), "a.b");
  EXPECT_EQ(BaseName("noext"), "noext");
}
