#include "config/config_model.h"

#include <algorithm>
#include <fstream>
#include <iterator>

#include "package/items.h"
#include "platform/cp1252.h"
#include "platform/paths.h"
#include "platform/registry.h"
#include "settings/ini_file.h"
#include "settings/overrides.h"

namespace vantor {

const char *const kBuilderWebsite = "http://www.orlenta.com";

ConfigControls ControlsFromSettings(TSaverSetting &s, bool hasCaptionEntries) {
  ConfigControls c;
  c.imageSize = s.ImageSize <= 2 ? s.ImageSize : -1;
  const int sequence = int(s.ImageSequence);
  c.imageSequence = sequence <= int(Sequence::ShuffledOnce) ? sequence : -1;
  c.backgroundColor = s.BackgroundColor;
  // The spin edits hold their range; a value outside it shows its nearest end.
  c.interval = std::clamp(s.ImageInterval, kIntervalMin, kIntervalMax);
  c.speed = std::clamp(s.EffectSpeed2, kSpeedMin, kSpeedMax);
  c.playMusicEnabled = !s.MusicList.empty();
  c.playMusic = c.playMusicEnabled && s.PlayMusic;
  c.captionEnabled = s.Position != CaptionPosition::None || hasCaptionEntries;
  if (c.captionEnabled) {
    if (s.Position == CaptionPosition::None) s.Position = CaptionPosition::Top;
    c.caption = !s.ForceHide;
  }
  c.mouseMove = s.MouseMove;
  c.mousePress = s.MousePress;
  c.keyboard = s.KeyboardPress;
  c.showCursor = s.ShowCursor;
  c.escOnly = s.OnlyEscKeyExit;
  return c;
}

void ControlsToSettings(const ConfigControls &c, TSaverSetting &s) {
  s.MouseMove = c.mouseMove;
  s.MousePress = c.mousePress;
  s.KeyboardPress = c.keyboard;
  s.ShowCursor = c.showCursor;
  s.OnlyEscKeyExit = c.escOnly;
  s.BackgroundColor = c.backgroundColor;
  s.ImageInterval = c.interval;
  if (c.imageSize >= 0 && c.imageSize <= 2) s.ImageSize = uint8_t(c.imageSize);
  // No choice (-1) counts as the last radio button.
  s.ImageSequence = c.imageSequence == 0   ? Sequence::InOrder
                    : c.imageSequence == 1 ? Sequence::Random
                                           : Sequence::ShuffledOnce;
  s.EffectSpeed2 = c.speed;
  s.PlayMusic = c.playMusic;
  s.ForceHide = !c.caption;
}

HeaderTexts HeaderFromSettings(const TSaverSetting &s) {
  HeaderTexts h;
  h.title = s.ScrName;
  h.author = s.Author;
  h.website = s.Website;
  h.websiteHint = s.Website;
  if (startsWithNoCase(h.website, "http://")) h.website = h.website.substr(7, 100);
  const bool web = !s.Website.empty(), mail = !s.ScrEmail.empty();
  if (web && mail) {
    h.authorIsLink = true;
    h.authorHint = "mailto:" + s.ScrEmail;
  } else if (mail) {
    h.website = s.ScrEmail;
    h.websiteHint = "mailto:" + s.ScrEmail;
  } else if (!web) {
    h.authorOnWebLine = true;
  }
  return h;
}

PageVisibility PagesFor(bool noUserSetting, bool readmeEmpty) {
  PageVisibility p;
  if (!noUserSetting) return p;
  p.options = p.exitConditions = false;
  p.readme = !readmeEmpty;
  p.current = ConfigPage::Readme;
  return p;
}

std::string BannerLinkTarget(const std::string &bannerUrl) {
  if (bannerUrl.empty()) return {};
  if (bannerUrl.find("://") == std::string::npos) return "http://" + bannerUrl;
  return bannerUrl;
}

namespace {

bool hasControlCharacters(const std::string &text) {
  return std::any_of(text.begin(), text.end(),
                     [](char ch) { return static_cast<unsigned char>(ch) < 0x20 || ch == 0x7f; });
}

// The scheme of an address ("http" of "http://x"), lower-cased; "" when the
// text does not begin with one.
std::string schemeOf(const std::string &text) {
  const size_t colon = text.find(':');
  if (colon == std::string::npos || colon == 0) return {};
  const std::string scheme = text.substr(0, colon);
  const bool ok = std::all_of(scheme.begin(), scheme.end(), [](char ch) {
    return std::isalnum(static_cast<unsigned char>(ch)) || ch == '+' || ch == '-' || ch == '.';
  });
  return ok ? lowerAscii(scheme) : std::string();
}

}  // namespace

std::string SafeLinkTarget(const std::string &hint) {
  std::string text = hint;
  text.erase(0, text.find_first_not_of(' '));
  text.erase(text.find_last_not_of(' ') + 1);
  if (text.empty() || hasControlCharacters(text)) return {};
  const std::string scheme = schemeOf(text);
  if (scheme == "http" || scheme == "https" || scheme == "ftp")
    return text.compare(scheme.size(), 3, "://") == 0 && text.size() > scheme.size() + 3
               ? text
               : std::string();
  if (scheme == "mailto") return text.size() > 7 ? text : std::string();
  if (!scheme.empty()) return {};
  // A bare host name, as "www.example.com/page": a web address. A path or
  // anything else is not opened.
  const size_t dot = text.find('.');
  if (text[0] == '/' || text[0] == '.' || text[0] == '~' || text[0] == '\\' ||
      dot == std::string::npos || text.find('\\') != std::string::npos)
    return {};
  return "http://" + text;
}

namespace {

std::string readPrefix(const std::string &path, size_t limit) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return {};
  std::string bytes(limit, '\0');
  in.read(bytes.data(), std::streamsize(limit));
  bytes.resize(size_t(in.gcount()));
  return bytes;
}

}  // namespace

std::string LoadReadme(const ConfigContext &ctx) {
  std::string path;
  if (!ctx.packagePresent) {
    path = ctx.supportFolder + "readme.txt";
    if (!fileExists(path)) return {};
  } else {
    path = "readme.txt";
    if (!ctx.resolver || !ctx.resolver->ResolveItem(path) || !fileExists(path)) return {};
  }
  std::string bytes = readPrefix(path, kReadmeMaxBytes);
  return isValidUtf8(bytes) ? bytes : cp1252ToUtf8(bytes);
}

BannerPlan PlanBanner(const TSaverSetting &s, const ItemResolver *resolver) {
  BannerPlan b;
  std::string path = s.Build_BannerImage;
  if (!s.Build_UseBanner || !resolver || !resolver->ResolveItem(path)) return b;
  b.show = true;
  b.path = path;
  b.inFront = s.Build_HideTitle;
  b.hint = s.Build_BannerTips;
  b.handCursor = !s.Build_BannerURL.empty();
  return b;
}

Status CommitConfig(const ConfigControls &c, ConfigContext &ctx) {
  ControlsToSettings(c, ctx.settings);
  Status saved = ctx.storeOnly ? Status() : SaveSettings(ctx.settings, ctx.ini);
  if (ctx.packagePresent && ctx.registry) {
    Status stored = StoreRegistryOverrides(ctx.settings, *ctx.registry, ctx.programFileName);
    if (saved) saved = std::move(stored);
  }
  return saved;
}

const std::vector<NamedColor> &StandardColors() {
  static const std::vector<NamedColor> colors = {
      {"Black", 0x000000}, {"Maroon", 0x000080},      {"Green", 0x008000},
      {"Olive", 0x008080}, {"Navy", 0x800000},        {"Purple", 0x800080},
      {"Teal", 0x808000},  {"Gray", 0x808080},        {"Silver", 0xC0C0C0},
      {"Red", 0x0000FF},   {"Lime", 0x00FF00},        {"Yellow", 0x00FFFF},
      {"Blue", 0xFF0000},  {"Fuchsia", 0xFF00FF},     {"Aqua", 0xFFFF00},
      {"White", 0xFFFFFF}, {"Money Green", 0xC0DCC0}, {"Sky Blue", 0xF0CAA6},
      {"Cream", 0xF0FBFF}, {"Medium Gray", 0xA4A0A0}};
  return colors;
}

}  // namespace vantor
