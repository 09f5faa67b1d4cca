// The dialog's rules without any window: settings to controls and back,
// header texts, pages, link targets and the read-me.

#include <gtest/gtest.h>

#include "../common/test_util.h"
#include "config/config_model.h"
#include "settings/ini_file.h"

using namespace vantor;
using namespace vantor::test;

TEST(ConfigModel, RadioGroupsFollowTheirSettings) {
  struct Case {
    int value, radio;
  } cases[] = {{0, 0}, {1, 1}, {2, 2}, {3, -1}, {255, -1}};
  for (const Case &c : cases) {
    TSaverSetting s;
    s.ImageSize = uint8_t(c.value);
    s.ImageSequence = Sequence(c.value);
    ConfigControls k = ControlsFromSettings(s, false);
    EXPECT_EQ(k.imageSize, c.radio) << c.value;
    EXPECT_EQ(k.imageSequence, c.radio) << c.value;
  }
}

TEST(ConfigModel, NoRadioCheckedKeepsSizeAndGivesIntelligentRandom) {
  TSaverSetting s;
  s.ImageSize = 1;
  s.ImageSequence = Sequence::InOrder;
  ConfigControls k;
  k.imageSize = -1;
  k.imageSequence = -1;
  ControlsToSettings(k, s);
  EXPECT_EQ(s.ImageSize, 1);
  EXPECT_EQ(s.ImageSequence, Sequence::ShuffledOnce);
}

TEST(ConfigModel, SpinEditsHoldTheirRanges) {
  struct Case {
    int interval, speed, shownInterval, shownSpeed;
  } cases[] = {{0, 0, 1, 1}, {1, 1, 1, 1}, {1000, 5, 1000, 5}, {5000, 9, 1000, 5}, {-3, -1, 1, 1}};
  for (const Case &c : cases) {
    TSaverSetting s;
    s.ImageInterval = c.interval;
    s.EffectSpeed2 = c.speed;
    ConfigControls k = ControlsFromSettings(s, false);
    EXPECT_EQ(k.interval, c.shownInterval);
    EXPECT_EQ(k.speed, c.shownSpeed);
  }
}

TEST(ConfigModel, MusicBoxNeedsMusic) {
  TSaverSetting s;
  s.PlayMusic = true;
  ConfigControls k = ControlsFromSettings(s, false);
  EXPECT_FALSE(k.playMusicEnabled);
  EXPECT_FALSE(k.playMusic);
  ControlsToSettings(k, s);
  EXPECT_FALSE(s.PlayMusic);  // a disabled box is read like any other

  s.MusicList = {"a.mp3"};
  s.PlayMusic = true;
  k = ControlsFromSettings(s, false);
  EXPECT_TRUE(k.playMusicEnabled);
  EXPECT_TRUE(k.playMusic);
}

TEST(ConfigModel, CaptionBoxRule) {
  struct Case {
    int position;
    bool entries, forceHide;
    bool enabled, checked;
    int positionAfter;
  } cases[] = {
      {0, false, false, false, false, 0}, {0, true, false, true, true, 4},
      {0, true, true, true, false, 4},    {2, false, false, true, true, 2},
      {5, false, true, true, false, 5},
  };
  for (const Case &c : cases) {
    TSaverSetting s;
    s.Position = CaptionPosition(c.position);
    s.ForceHide = c.forceHide;
    ConfigControls k = ControlsFromSettings(s, c.entries);
    EXPECT_EQ(k.captionEnabled, c.enabled) << c.position << c.entries;
    EXPECT_EQ(k.caption, c.checked) << c.position << c.entries;
    EXPECT_EQ(s.Position, CaptionPosition(c.positionAfter));
    ControlsToSettings(k, s);
    EXPECT_EQ(s.ForceHide, !c.checked);
  }
}

TEST(ConfigModel, EventBoxesEnabledOnlyWithoutCursorOrEsc) {
  struct Case {
    bool cursor, esc, enabled;
  } cases[] = {
      {false, false, true}, {true, false, false}, {false, true, false}, {true, true, false}};
  for (const Case &c : cases) {
    ConfigControls k;
    k.showCursor = c.cursor;
    k.escOnly = c.esc;
    EXPECT_EQ(k.eventBoxesEnabled(), c.enabled);
  }
}

TEST(ConfigModel, HeaderLinks) {
  struct Case {
    const char *website, *email;
    const char *shown, *hint, *authorHint;
    bool authorLink, authorOnWebLine;
  } cases[] = {
      {"http://www.example.com/a", "", "www.example.com/a", "http://www.example.com/a", "", false,
       false},
      {"HTTP://Example.com", "", "Example.com", "HTTP://Example.com", "", false, false},
      {"https://example.com", "", "https://example.com", "https://example.com", "", false, false},
      {"www.example.com", "me@example.com", "www.example.com", "www.example.com",
       "mailto:me@example.com", true, false},
      {"", "me@example.com", "me@example.com", "mailto:me@example.com", "", false, false},
      {"", "", "", "", "", false, true},
  };
  for (const Case &c : cases) {
    TSaverSetting s;
    s.Author = "Ann";
    s.Website = c.website;
    s.ScrEmail = c.email;
    HeaderTexts h = HeaderFromSettings(s);
    EXPECT_EQ(h.author, "Ann");
    EXPECT_EQ(h.website, c.shown) << c.website;
    EXPECT_EQ(h.websiteHint, c.hint) << c.website;
    EXPECT_EQ(h.authorHint, c.authorHint) << c.website;
    EXPECT_EQ(h.authorIsLink, c.authorLink) << c.website;
    EXPECT_EQ(h.authorOnWebLine, c.authorOnWebLine) << c.website;
  }
}

TEST(ConfigModel, ShownAddressIsAtMostOneHundredCharacters) {
  TSaverSetting s;
  s.Website = "http://" + std::string(150, 'a');
  EXPECT_EQ(HeaderFromSettings(s).website, std::string(100, 'a'));
  EXPECT_EQ(HeaderFromSettings(s).websiteHint, s.Website);
}

TEST(ConfigModel, PagesWithNoUserSetting) {
  PageVisibility p = PagesFor(false, true);
  EXPECT_TRUE(p.options && p.exitConditions && p.readme);
  EXPECT_EQ(p.current, ConfigPage::Options);
  p = PagesFor(true, false);
  EXPECT_FALSE(p.options || p.exitConditions);
  EXPECT_TRUE(p.readme);
  EXPECT_EQ(p.current, ConfigPage::Readme);
  p = PagesFor(true, true);
  EXPECT_FALSE(p.any());
}

TEST(ConfigModel, BannerLink) {
  EXPECT_EQ(BannerLinkTarget(""), "");
  EXPECT_EQ(BannerLinkTarget("www.example.com"), "http://www.example.com");
  EXPECT_EQ(BannerLinkTarget("https://example.com"), "https://example.com");
  EXPECT_EQ(BannerLinkTarget("ftp://example.com"), "ftp://example.com");
}

TEST(ConfigModel, OnlyWebAndMailAddressesAreOpened) {
  struct Case {
    const char *hint, *opened;
  } cases[] = {
      {"http://www.example.com/a?b=1", "http://www.example.com/a?b=1"},
      {"HTTPS://example.com", "HTTPS://example.com"},
      {"mailto:me@example.com", "mailto:me@example.com"},
      {"www.example.com", "http://www.example.com"},
      {" www.example.com ", "http://www.example.com"},
      {"", ""},
      {"mailto:", ""},
      {"file:///bin/sh", ""},
      {"/usr/bin/xterm", ""},
      {"~/evil.sh", ""},
      {"..\\evil.exe", ""},
      {"C:\\Windows\\notepad.exe", ""},
      {"javascript:alert(1)", ""},
      {"smb://host/share", ""},
      {"http:evil", ""},
      {"http://a\nb", ""},
      {"nodot", ""},
  };
  for (const Case &c : cases) EXPECT_EQ(SafeLinkTarget(c.hint), c.opened) << c.hint;
}

TEST(ConfigModel, ReadmeFromTheSupportFolderWithoutPackage) {
  TempDir dir;
  TSaverSetting s;
  IniFile ini;
  ConfigContext ctx{s, ini, nullptr, nullptr, "Sea.scr", false, dir.path()};
  EXPECT_EQ(LoadReadme(ctx), "");
  writeFile(dir / "readme.txt", "Caf\xe9 \x93quoted\x94\r\n");
  EXPECT_EQ(LoadReadme(ctx), "Caf\xc3\xa9 \xe2\x80\x9cquoted\xe2\x80\x9d\r\n");
  writeFile(dir / "readme.txt", "Caf\xc3\xa9");
  EXPECT_EQ(LoadReadme(ctx), "Caf\xc3\xa9");
  // With a package the name is resolved through the package; without a
  // resolver nothing is found.
  ctx.packagePresent = true;
  EXPECT_EQ(LoadReadme(ctx), "");
}

TEST(ConfigModel, ColorNamesAreUniqueAndInTheStoredEncoding) {
  const auto &colors = StandardColors();
  ASSERT_EQ(colors.size(), 20u);
  EXPECT_STREQ(colors[0].name, "Black");
  EXPECT_EQ(colors[9].value, 0x0000FF);  // Red: red in the low byte
  EXPECT_STREQ(colors[9].name, "Red");
  EXPECT_EQ(colors[12].value, 0xFF0000);  // Blue
  for (size_t i = 0; i < colors.size(); ++i)
    for (size_t j = i + 1; j < colors.size(); ++j) EXPECT_NE(colors[i].value, colors[j].value);
}
