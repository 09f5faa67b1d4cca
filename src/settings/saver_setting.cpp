#include "settings/saver_setting.h"

#include <fstream>
#include <sstream>
#include <variant>

#include "platform/atomic_file.h"
#include "platform/cp1252.h"
#include "platform/paths.h"
#include "settings/ini_file.h"

namespace vantor {

const char *const kDefaultUseEffects =
    "59,58,70,69,82,83,81,80,84,85,6,5,23,22,7,8,14,15,31,32,113,112,111,110,114,115,116,65,66,"
    "76,77,100,102,101,103,106,107,104,105,67,68,78,79,108,109,86,88,87,89,93,91,92,90,96,97,94,"
    "95,98,99,16,17,33,34,123,124,125,126,60,61,71,72,63,62,73,74,75,64,11,12,28,29,53,54,55,57,"
    "24,25,45,44,46,43,117,118,127,129,128,133,132,131,130,135,134,142,143,144,";

EffectSet ParseEffectList(const std::string &text) {
  EffectSet set;
  size_t start = 0;
  for (size_t comma = text.find(','); comma != std::string::npos;
       start = comma + 1, comma = text.find(',', start)) {
    auto n = parseInteger(text.substr(start, comma - start));
    if (n && *n >= 0 && *n <= kHighestListedEffect) set.set(size_t(*n));
  }
  return set;
}

namespace {

using S = TSaverSetting;
using Member = std::variant<uint8_t S::*, bool S::*, int S::*, std::string S::*, Sequence S::*,
                            CaptionPosition S::*>;

struct Key {
  const char *section;
  const char *name;
  Member field;
};

// Every key of the Set and Caption sections that is read at start-up, with
// the field it fills. The defaults are the fields' initial values.
const Key kKeys[] = {
    {"Set", "ImageSize", &S::ImageSize},
    {"Set", "AllowReverseTransition", &S::AllowReverseTransition},
    {"Set", "ClearOldImage", &S::ClearOldImage},
    {"Set", "ImageInterval", &S::ImageInterval},
    {"Set", "BackgroundColor", &S::BackgroundColor},
    {"Set", "PicturePath", &S::PicturePath},
    {"Set", "PlayMusic", &S::PlayMusic},
    {"Set", "RandomMusic", &S::RandomMusic},
    {"Set", "LoopMusic", &S::LoopMusic},
    {"Set", "MusicPath", &S::MusicPath},
    {"Set", "EffectSpeed2", &S::EffectSpeed2},
    {"Caption", "ForceHide", &S::ForceHide},
    {"Caption", "Position", &S::Position},
    {"Caption", "X", &S::X},
    {"Caption", "Y", &S::Y},
    {"Caption", "FontName", &S::FontName},
    {"Caption", "FontSize", &S::FontSize},
    {"Caption", "FontColor", &S::FontColor},
    {"Caption", "FontBold", &S::FontBold},
    {"Caption", "FontItalic", &S::FontItalic},
    {"Caption", "FontUnderline", &S::FontUnderline},
    {"Caption", "FontStrikeout", &S::FontStrikeout},
    {"Set", "MouseMove", &S::MouseMove},
    {"Set", "MousePress", &S::MousePress},
    {"Set", "KeyboardPress", &S::KeyboardPress},
    {"Set", "ShowCursor", &S::ShowCursor},
    {"Set", "OnlyEscKeyExit", &S::OnlyEscKeyExit},
    {"Set", "FlashSize", &S::FlashSize},
    {"Set", "FlashQuality", &S::FlashQuality},
    {"Set", "FlashColor", &S::FlashColor},
    {"Set", "FlashMute", &S::FlashMute},
    {"Set", "FlashStopTime", &S::FlashStopTime},
    {"Set", "FlashDownloadTime", &S::FlashDownloadTime},
    {"Set", "FlashPreview", &S::FlashPreview},
    {"Set", "VideoSize", &S::VideoSize},
    {"Set", "VideoMute", &S::VideoMute},
    {"Set", "VideoDownloadTime", &S::VideoDownloadTime},
    {"Set", "VideoShowStatus", &S::VideoShowStatus},
    {"Set", "VideoPreview", &S::VideoPreview},
    {"Set", "WebImage", &S::WebImage},
    {"Set", "WebSound", &S::WebSound},
    {"Set", "WebVideo", &S::WebVideo},
    {"Set", "WebScript", &S::WebScript},
    {"Set", "WebActiveX", &S::WebActiveX},
    {"Set", "WebOffline", &S::WebOffline},
    {"Set", "WebHideScrollBar", &S::WebHideScrollBar},
    {"Set", "WebFlatBorder", &S::WebFlatBorder},
    {"Set", "WebStopPopup", &S::WebStopPopup},
    {"Set", "WebInterval", &S::WebInterval},
    {"Set", "WebMaxInterval", &S::WebMaxInterval},
    {"Set", "WebShowStatus", &S::WebShowStatus},
    {"Set", "WebLastPage", &S::WebLastPage},
    {"Set", "ScrName", &S::ScrName},
    {"Set", "RandomPosition", &S::RandomPosition},
    {"Set", "BuildName", &S::BuildName},
    {"Set", "BuildAuthor", &S::BuildAuthor},
    {"Set", "BuildWebsite", &S::BuildWebsite},
    {"Set", "BuildEmail", &S::BuildEmail},
    {"Set", "IconFile", &S::IconFile},
    {"Set", "ImageEncrypt", &S::ImageEncrypt},
    {"Set", "HideVantorText", &S::HideVantorText},
    {"Set", "Build_NotCreateIcons", &S::Build_NotCreateIcons},
    {"Set", "Build_DisableSetupPrompt", &S::Build_DisableSetupPrompt},
    {"Set", "NoUserSetting", &S::NoUserSetting},
    {"Set", "Back_Mode_UseColor", &S::Back_Mode_UseColor},
    {"Set", "Back_Image_UseTiled", &S::Back_Image_UseTiled},
    {"Set", "Back_Image_Filename", &S::Back_Image_Filename},
    {"Set", "Back_Image_Path", &S::Back_Image_Path},
    {"Set", "Author", &S::Author},
    {"Set", "Website", &S::Website},
    {"Set", "ScrEmail", &S::ScrEmail},
    {"Set", "MediaPlayerMp3", &S::MediaPlayerMp3},
    {"Set", "TransparentMode", &S::TransparentMode},
    {"Set", "TransparentModeColor", &S::TransparentModeColor},
    {"Set", "ShowSplash", &S::ShowSplash},
    {"Set", "SplashImage", &S::SplashImage},
    {"Set", "ImageSameMonitor", &S::ImageSameMonitor},
    {"Set", "FlashSameMonitor", &S::FlashSameMonitor},
    {"Set", "VideoSameMonitor", &S::VideoSameMonitor},
    {"Set", "WebSameMonitor", &S::WebSameMonitor},
    {"Set", "ImageSequence", &S::ImageSequence},
    {"Set", "FlashSequence", &S::FlashSequence},
    {"Set", "VideoSequence", &S::VideoSequence},
    {"Set", "WebSequence", &S::WebSequence},
    {"Set", "Build_UseBanner", &S::Build_UseBanner},
    {"Set", "Build_HideTitle", &S::Build_HideTitle},
    {"Set", "Build_BannerTips", &S::Build_BannerTips},
    {"Set", "Build_BannerURL", &S::Build_BannerURL},
    {"Set", "Build_BannerImage", &S::Build_BannerImage},
    {"Set", "Build_UseStaticPreview", &S::Build_UseStaticPreview},
    {"Set", "Build_StaticImage", &S::Build_StaticImage},
    {"Set", "Build_ShowInstallLicense", &S::Build_ShowInstallLicense},
    {"Set", "Build_ReadmeText", &S::Build_ReadmeText},
    {"Set", "Build_LicenseText", &S::Build_LicenseText},
    {"Set", "ExifOrientation", &S::ExifOrientation},
};

// The keys that a save writes, in the order it writes them.
const char *const kSavedKeys[] = {
    "ImageSize", "ImageSequence", "FlashSequence", "VideoSequence", "WebSequence",
    "AllowReverseTransition", "ClearOldImage", "PlayMusic", "RandomMusic", "LoopMusic",
    "ImageInterval", "BackgroundColor", "EffectSpeed2", "PicturePath", "MusicPath",
    // Caption section
    "ForceHide", "Position", "X", "Y", "FontName", "FontSize", "FontColor", "FontBold",
    "FontItalic", "FontUnderline", "FontStrikeout",
    // Set section again
    "MouseMove", "MousePress", "KeyboardPress", "ShowCursor", "OnlyEscKeyExit", "FlashMute",
    "FlashSize", "FlashQuality", "FlashColor", "FlashStopTime", "FlashDownloadTime", "VideoMute",
    "VideoSize", "VideoDownloadTime", "VideoShowStatus", "VideoPreview", "FlashPreview", "WebImage",
    "WebSound", "WebVideo", "WebScript", "WebActiveX", "WebOffline", "WebHideScrollBar",
    "WebFlatBorder", "WebStopPopup", "WebInterval", "WebMaxInterval", "WebShowStatus",
    "WebLastPage", "RandomPosition", "ScrName", "BuildName", "BuildAuthor", "BuildWebsite",
    "BuildEmail", "IconFile", "ImageEncrypt", "HideVantorText", "Build_NotCreateIcons",
    "Build_DisableSetupPrompt", "NoUserSetting", "Build_ReadmeText", "Back_Mode_UseColor",
    "Back_Image_UseTiled", "Back_Image_Filename", "Back_Image_Path", "MediaPlayerMp3",
    "TransparentMode", "TransparentModeColor", "ShowSplash", "SplashImage", "ImageSameMonitor",
    "FlashSameMonitor", "VideoSameMonitor", "WebSameMonitor"};

const Key &keyNamed(const char *name) {
  for (const Key &k : kKeys)
    if (std::string_view(k.name) == name) return k;
  throw std::logic_error(std::string("unknown settings key ") + name);
}

void readKey(const Key &k, S &s, const IniFile &ini) {
  std::visit(
      [&](auto member) {
        using T = std::remove_reference_t<decltype(s.*member)>;
        T &field = s.*member;
        if constexpr (std::is_same_v<T, std::string>)
          field = ini.readString(k.section, k.name, field);
        else if constexpr (std::is_same_v<T, bool>)
          field = ini.readBool(k.section, k.name, field);
        else  // integers, and bytes that keep the low 8 bits
          field = T(ini.readInteger(k.section, k.name, int(field)));
      },
      k.field);
}

void writeKey(const Key &k, const S &s, IniFile &ini) {
  std::visit(
      [&](auto member) {
        using T = std::remove_cvref_t<decltype(s.*member)>;
        const T &field = s.*member;
        if constexpr (std::is_same_v<T, std::string>)
          ini.writeString(k.section, k.name, field);
        else if constexpr (std::is_same_v<T, bool>)
          ini.writeBool(k.section, k.name, field);
        else
          ini.writeInteger(k.section, k.name, int(field));
      },
      k.field);
}

}  // namespace

void LoadSettings(TSaverSetting &s, const IniFile &ini, const std::string &supportFolder) {
  s.Back_Image_Path = supportFolder + "background/";
  for (const Key &k : kKeys) readKey(k, s, ini);
  int position = ini.readInteger("Caption", "Position", 0);
  s.Position = (position >= 1 && position <= 5) ? CaptionPosition(position) : CaptionPosition::None;
  s.UseEffects = ParseEffectList(ini.readString("set", "useeffects", kDefaultUseEffects));
  if (s.Build_LicenseText.empty() && fileExists(supportFolder + "licensetext.txt"))
    s.Build_LicenseText =
        cp1252ToUtf8(readWholeFile(supportFolder + "licensetext.txt").value_or(std::string()));
}

void StoreSettings(const TSaverSetting &s, IniFile &ini) {
  for (const char *name : kSavedKeys) writeKey(keyNamed(name), s, ini);
}

Status SaveSettings(const TSaverSetting &s, IniFile &ini) {
  StoreSettings(s, ini);
  return ini.save();
}

}  // namespace vantor
