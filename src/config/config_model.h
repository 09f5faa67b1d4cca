#pragma once
// What the configuration dialog shows and what its OK writes, kept apart from
// the widgets so that every rule can be checked without a display. The dialog
// copies these values into its controls and reads them back.

#include <string>
#include <vector>

#include "settings/saver_setting.h"

namespace vantor {

class IniFile;
class ItemResolver;
class RegistryStore;

// Everything the dialog needs from the running program.
struct ConfigContext {
  TSaverSetting &settings;
  IniFile &ini;
  const ItemResolver *resolver = nullptr;  // null: no item resolves
  RegistryStore *registry = nullptr;       // used only with a package
  std::string programFileName;             // names the user's store key
  bool packagePresent = false;
  std::string supportFolder;  // ends in "/"
  // Folder mode has no settings file: the user's store keeps every choice.
  bool storeOnly = false;
};

inline constexpr int kIntervalMin = 1, kIntervalMax = 1000;
inline constexpr int kSpeedMin = 1, kSpeedMax = 5;

// The values of the editable controls. A radio index of -1 means that no
// radio of the group is checked.
struct ConfigControls {
  int imageSize = -1;
  int imageSequence = -1;
  int backgroundColor = 0;
  int interval = 3;
  int speed = 3;
  bool playMusicEnabled = false;
  bool playMusic = false;
  bool captionEnabled = false;
  bool caption = false;
  bool mouseMove = false;
  bool mousePress = false;
  bool keyboard = false;
  bool showCursor = false;
  bool escOnly = false;

  // The three event boxes are usable only while neither the cursor box nor
  // the Esc box is checked; their check marks stay as they are.
  bool eventBoxesEnabled() const { return !showCursor && !escOnly; }
};

// Fills the controls from the settings. With a caption setup (a Position
// other than 0, or at least one entry in the "captions" section) a Position
// of 0 becomes 4 in `s`, so that OK stores a place for the captions.
ConfigControls ControlsFromSettings(TSaverSetting &s, bool hasCaptionEntries);

// Puts the controls into the settings, disabled boxes read like any other.
void ControlsToSettings(const ConfigControls &c, TSaverSetting &s);

// The header's texts and link targets. A hint is what a click opens.
struct HeaderTexts {
  std::string title;
  std::string author;
  std::string authorHint;  // non-empty when the author line writes a mail
  std::string website;     // shown text
  std::string websiteHint;
  bool authorIsLink = false;
  bool authorOnWebLine = false;  // neither web address nor e-mail is set
};
HeaderTexts HeaderFromSettings(const TSaverSetting &s);

// Which pages remain, and which one is shown first.
enum class ConfigPage { Options = 0, ExitConditions = 1, Readme = 2 };
struct PageVisibility {
  bool options = true;
  bool exitConditions = true;
  bool readme = true;
  ConfigPage current = ConfigPage::Options;
  bool any() const { return options || exitConditions || readme; }
};
PageVisibility PagesFor(bool noUserSetting, bool readmeEmpty);

// The address a banner click opens: "http://" is put in front of an address
// without "://"; empty when there is none.
std::string BannerLinkTarget(const std::string &bannerUrl);

// A label's hint made into an address for the desktop's handler. Only web
// and mail addresses pass ("www.x.com" is read as a web address); anything
// else, such as a local program or file, gives "" so that a settings file
// cannot make a click start a program.
std::string SafeLinkTarget(const std::string &hint);

// The read-me text: support folder + "readme.txt" without a package, the
// package's "readme.txt" with one. Text that is not UTF-8 is read as
// Windows-1252; a missing file gives "". At most kReadmeMaxBytes are read.
inline constexpr size_t kReadmeMaxBytes = 4u << 20;
std::string LoadReadme(const ConfigContext &ctx);

// The banner picture to show: empty when there is none, in which case the
// banner stays hidden.
struct BannerPlan {
  bool show = false;
  std::string path;
  bool inFront = false;  // covers the title
  std::string hint;
  bool handCursor = false;
};
BannerPlan PlanBanner(const TSaverSetting &s, const ItemResolver *resolver);

// OK: the controls into the settings, the settings file written and, with a
// package, the user's own choices stored. Both are tried; a failure says
// what could not be written.
Status CommitConfig(const ConfigControls &c, ConfigContext &ctx);

// The colour box's entries: the standard and extended colour names, in
// their usual order. A colour that is not among them gets its own entry.
struct NamedColor {
  const char *name;
  int value;  // 0x00BBGGRR
};
const std::vector<NamedColor> &StandardColors();
const char *const kCustomColorName = "Custom";

// The builder maker's address, shown in the credit line.
extern const char *const kBuilderWebsite;

}  // namespace vantor
