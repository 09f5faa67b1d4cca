#pragma once
// The settings record: one field per key of the settings file, the five item
// lists and the set of enabled transitions. Filled once at start-up from the
// settings file and the user's overrides; changed afterwards only by the
// configuration dialog's OK.

#include <bitset>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/result.h"
#include "settings/codes.h"
#include "transitions/catalogue.h"

namespace vantor {

// The highest number an effect list keeps: one past the last transition, as
// lists have always been read; only 1..kEffectCount choose a transition.
constexpr int kHighestListedEffect = transitions::kEffectCount + 1;

// Transition numbers 0..kHighestListedEffect that may be used.
using EffectSet = std::bitset<kHighestListedEffect + 1>;
using ItemList = std::vector<std::string>;

// Parses an effect list: decimal numbers each followed by ",". Text after the
// last "," is ignored; items that are not integers are skipped; numbers
// outside 0..kHighestListedEffect are ignored.
EffectSet ParseEffectList(const std::string &text);

extern const char *const kDefaultUseEffects;

struct TSaverSetting {
  ItemList PictureList;
  uint8_t ImageSize = 0;
  bool AllowReverseTransition = false;
  bool ClearOldImage = false;
  int ImageInterval = 3;
  int BackgroundColor = 0;
  std::string PicturePath;
  ItemList MusicList;
  bool PlayMusic = true;
  bool RandomMusic = false;
  bool LoopMusic = true;
  std::string MusicPath;
  int EffectSpeed2 = 3;
  EffectSet UseEffects = ParseEffectList(kDefaultUseEffects);
  bool ForceHide = false;
  CaptionPosition Position = CaptionPosition::None;
  int X = 10;
  int Y = 10;
  std::string FontName = "MS Sans Serif";
  int FontSize = 9;
  int FontColor = 16777215;
  bool FontBold = false;
  bool FontItalic = false;
  bool FontUnderline = false;
  bool FontStrikeout = false;
  bool MouseMove = false;
  bool MousePress = true;
  bool KeyboardPress = true;
  bool ShowCursor = false;
  bool OnlyEscKeyExit = false;
  ItemList FlashList;
  int FlashSize = 0;
  int FlashQuality = 1;
  int FlashColor = 0;
  bool FlashMute = false;
  int FlashStopTime = 10;
  int FlashDownloadTime = 20;
  bool FlashPreview = true;
  ItemList VideoList;
  int VideoSize = 0;
  bool VideoMute = false;
  int VideoDownloadTime = 20;
  bool VideoShowStatus = true;
  bool VideoPreview = false;
  ItemList WebList;
  bool WebImage = true;
  bool WebSound = true;
  bool WebVideo = true;
  bool WebScript = true;
  bool WebActiveX = true;
  bool WebOffline = false;
  bool WebHideScrollBar = true;
  bool WebFlatBorder = true;
  bool WebStopPopup = true;
  int WebInterval = 10;
  int WebMaxInterval = 20;
  bool WebShowStatus = true;
  bool WebLastPage = false;
  std::string ScrName = "Screensaver Setting";
  bool RandomPosition = false;
  std::string BuildName;
  std::string BuildAuthor;
  std::string BuildWebsite;
  std::string BuildEmail;
  std::string IconFile;
  bool ImageEncrypt = false;
  bool HideVantorText = false;
  bool Build_NotCreateIcons = false;
  bool Build_DisableSetupPrompt = false;
  bool NoUserSetting = false;
  std::string TempImagePath;  // program folder + "tempimagefile"; not a key
  bool Back_Mode_UseColor = true;
  bool Back_Image_UseTiled = true;
  std::string Back_Image_Filename;
  std::string Back_Image_Path;
  std::string Author;
  std::string Website;
  std::string ScrEmail;
  bool MediaPlayerMp3 = false;
  bool TransparentMode = false;
  int TransparentModeColor = 0;
  bool ShowSplash = false;
  std::string SplashImage;
  bool ImageSameMonitor = true;
  bool FlashSameMonitor = true;
  bool VideoSameMonitor = true;
  bool WebSameMonitor = true;
  Sequence ImageSequence = Sequence::Random;
  Sequence FlashSequence = Sequence::InOrder;
  Sequence VideoSequence = Sequence::InOrder;
  Sequence WebSequence = Sequence::InOrder;
  bool Build_UseBanner = false;
  bool Build_HideTitle = false;
  std::string Build_BannerTips;
  std::string Build_BannerURL;
  std::string Build_BannerImage = "vantorbanner.jpg";
  bool Build_UseStaticPreview = false;
  std::string Build_StaticImage;
  bool Build_ShowInstallLicense = false;
  std::string Build_ReadmeText;
  std::string Build_LicenseText;
  // Pictures are turned upright by their EXIF orientation; off for files
  // whose pixels were turned already but kept the camera's tag.
  bool ExifOrientation = true;
};

class IniFile;

// Reads every key with its default. `supportFolder` (ending in "/") gives the
// default of Back_Image_Path and the licence text file.
void LoadSettings(TSaverSetting &s, const IniFile &ini, const std::string &supportFolder);
// Writes the keys that the configuration dialog can change into `ini`, in
// their fixed order, and leaves all other keys and sections as they were.
void StoreSettings(const TSaverSetting &s, IniFile &ini);
// StoreSettings, then the file is written.
Status SaveSettings(const TSaverSetting &s, IniFile &ini);

}  // namespace vantor
