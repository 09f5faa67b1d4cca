#include "startup/engine.h"

#include "platform/paths.h"
#include "platform/random.h"

namespace vantor {

const char *DispatchName(Dispatch d) {
  switch (d) {
    case Dispatch::None:
      return "none";
    case Dispatch::ConfigDialog:
      return "config";
    case Dispatch::FullScreen:
      return "fullscreen";
    case Dispatch::Preview:
      return "preview";
    case Dispatch::StaticPreview:
      return "static-preview";
    case Dispatch::PasswordChange:
      return "password";
  }
  return "?";
}

std::string Engine::programFileName() const {
  return std::string(fileNameOf(programPath));
}

namespace {

void loadSettings(Engine &e) {
  randomize();
  e.location = LocateSettings(e.programPath, e.package.settingsPath(), *e.registry);
  e.ini = std::make_unique<IniFile>(e.location.settingsPath);
  e.settings = TSaverSetting{};
  LoadSettings(e.settings, *e.ini, e.location.supportFolder);
  e.settings.TempImagePath = e.location.tempImagePath;
  if (e.packagePresent())
    ApplyRegistryOverrides(e.settings, *e.registry, e.programFileName(), e.commandLine.saverKind);
}

void buildLists(Engine &e) {
  e.resolver = std::make_unique<ItemResolver>(&e.package, *e.ini, e.folders.work,
                                              e.location.programFolder, e.location.supportFolder);
  TSaverSetting &s = e.settings;
  e.resolver->BuildItemList("Pictures", s.PictureList);
  e.resolver->BuildItemList("Music", s.MusicList);
  e.resolver->BuildItemList("Flash", s.FlashList);
  e.resolver->BuildItemList("Video", s.VideoList);
  e.resolver->BuildItemList("Web", s.WebList);
  if (s.ImageSequence == Sequence::ShuffledOnce) ShuffleList(s.PictureList);
  if (s.FlashSequence == Sequence::ShuffledOnce) ShuffleList(s.FlashList);
  if (s.VideoSequence == Sequence::ShuffledOnce) ShuffleList(s.VideoList);
  if (s.WebSequence == Sequence::ShuffledOnce) ShuffleList(s.WebList);
}

Dispatch chooseWindow(Engine &e) {
  if (e.forceFullScreen()) return Dispatch::FullScreen;
  const CommandLine &c = e.commandLine;
  switch (c.runMode) {
    case RunMode::ConfigureDefault:
    case RunMode::Configure:
      return Dispatch::ConfigDialog;
    case RunMode::Saver:
      return Dispatch::FullScreen;
    case RunMode::Preview: {
      std::string still = e.settings.Build_StaticImage;
      if (e.settings.Build_UseStaticPreview && e.resolver->ResolveItem(still)) {
        e.staticImagePath = still;
        return Dispatch::StaticPreview;
      }
      return Dispatch::Preview;
    }
    case RunMode::PasswordChange:
      return c.parentWindow != 0 ? Dispatch::PasswordChange : Dispatch::None;
  }
  return Dispatch::None;
}

}  // namespace

Dispatch RunStartup(Engine &e, const std::vector<std::string> &args) {
  e.commandLine = ParseCommandLine(e.programPath, args);
  e.package = ContentPackage::Scan(e.programPath, e.folders.work, e.folders.workFd);
  loadSettings(e);
  buildLists(e);
  return chooseWindow(e);
}

}  // namespace vantor
