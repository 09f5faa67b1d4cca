// The dialog's rules without any window: the ranges of the controls, the
// caption box, which addresses a click may open, the read-me and the colours.
// What the dialog shows of these is checked through its widgets.

#include <gtest/gtest.h>

#include "../common/test_util.h"
#include "config/config_model.h"
#include "settings/ini_file.h"

using namespace vantor;
using namespace vantor::test;

TEST(ConfigModel, SpinEditsHoldTheirRangesAndNoRadioKeepsTheSize) {
  struct Case {
    int interval, speed, shownInterval, shownSpeed;
  } cases[] = {{0, 0, 1, 1}, {1, 1, 1, 1}, {1000, 5, 1000, 5}, {5000, 9, 1000, 5}, {-3, -1, 1, 1}};
  for (const Case &c : cases) {
    TSaverSetting s;
    s.ImageInterval = c.interval;
    s.EffectSpeed2 = c.speed;
    ConfigControls k = ControlsFromSettings(s, false);
    EXPECT_EQ(k.interval, c.shownInterval) << c.interval;
    EXPECT_EQ(k.speed, c.shownSpeed) << c.speed;
  }
  // No radio checked: the size stays as it was, the order becomes the
  // intelligent random one.
  TSaverSetting s;
  s.ImageSize = 1;
  s.ImageSequence = Sequence::InOrder;
  ConfigControls k;
  k.imageSize = k.imageSequence = -1;
  ControlsToSettings(k, s);
  EXPECT_EQ(s.ImageSize, 1);
  EXPECT_EQ(s.ImageSequence, Sequence::ShuffledOnce);
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
    SCOPED_TRACE(std::to_string(c.position) + (c.entries ? " with" : " without") + " entries");
    TSaverSetting s;
    s.Position = CaptionPosition(c.position);
    s.ForceHide = c.forceHide;
    ConfigControls k = ControlsFromSettings(s, c.entries);
    EXPECT_EQ(k.captionEnabled, c.enabled);
    EXPECT_EQ(k.caption, c.checked);
    EXPECT_EQ(s.Position, CaptionPosition(c.positionAfter));
    ControlsToSettings(k, s);
    EXPECT_EQ(s.ForceHide, !c.checked);
  }
}

TEST(ConfigModel, OnlyWebAndMailAddressesAreOpened) {
  struct Case {
    const char *hint, *opened;
    bool banner = false;  // the banner's address: a bare host becomes http, any scheme kept
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
      {"", "", true},
      {"www.example.com", "http://www.example.com", true},
      {"https://example.com", "https://example.com", true},
      {"ftp://example.com", "ftp://example.com", true},
  };
  for (const Case &c : cases)
    EXPECT_EQ(c.banner ? BannerLinkTarget(c.hint) : SafeLinkTarget(c.hint), c.opened)
        << c.hint << (c.banner ? " (banner)" : "");
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

// Two names for one value would show the wrong name for a stored colour; the
// values' byte order is checked through the dialog's colour box.
TEST(ConfigModel, ColorValuesAreUnique) {
  const auto &colors = StandardColors();
  ASSERT_EQ(colors.size(), 20u);
  for (size_t i = 0; i < colors.size(); ++i)
    for (size_t j = i + 1; j < colors.size(); ++j) EXPECT_NE(colors[i].value, colors[j].value);
}
