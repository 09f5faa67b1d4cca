#include "startup/engine.h"

#include <cstdlib>

#include "platform/debug_log.h"
#include "platform/paths.h"
#include "startup/folder_mode.h"

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
    case Dispatch::Hack:
      return "hack";
  }
  return "?";
}

std::string Engine::programFileName() const {
  // The user's choices belong to the saver that carries the package.
  return std::string(fileNameOf(packagePath.empty() ? programPath : packagePath));
}

namespace {

void loadSettings(Engine &e) {
  e.random.reseedFromClock();
  e.location = LocateSettings(e.programPath, e.package.settingsPath(), *e.registry);
  e.ini = std::make_unique<IniFile>(e.location.settingsPath);
  if (!e.ini->readStatus()) debugLog("settings read as empty: " + e.ini->readStatus().message());
  e.settings = TSaverSetting{};
  LoadSettings(e.settings, *e.ini, e.location.supportFolder);
  e.settings.TempImagePath = e.location.tempImagePath;
  if (e.packagePresent())
    ApplyRegistryOverrides(e.settings, *e.registry, e.programFileName(), e.commandLine.saverKind);
  // Before the lists are built: an --order random shuffles them.
  ApplyOptionOverrides(e.options, e.settings);
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
  if (s.ImageSequence == Sequence::ShuffledOnce) ShuffleList(s.PictureList, e.random);
  if (s.FlashSequence == Sequence::ShuffledOnce) ShuffleList(s.FlashList, e.random);
  if (s.VideoSequence == Sequence::ShuffledOnce) ShuffleList(s.VideoList, e.random);
  if (s.WebSequence == Sequence::ShuffledOnce) ShuffleList(s.WebList, e.random);
}

Dispatch chooseWindow(Engine &e) {
  if (e.options.hack) return Dispatch::Hack;
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
  if (e.packagePath.empty()) e.packagePath = e.programPath;
  e.package = ContentPackage::Scan(e.packagePath, e.folders.work, e.folders.workFd);
  if (!e.package.scanStatus()) debugLog("package: " + e.package.scanStatus().message());
  loadSettings(e);
  buildLists(e);
  TakeFolderEntries(e);
  // Hacks without folders of their own show the user's picture folder.
  const char *home = std::getenv("HOME");
  std::vector<std::string> folders =
      e.options.hack ? HackModeFolders(e, home ? home : "") : e.options.folders;
  const bool folderShow = !folders.empty();
  if (folderShow) EnterFolderMode(e, std::move(folders));
  const Dispatch dispatch = chooseWindow(e);
  // The dialog shows the choices it will save.
  if (dispatch == Dispatch::ConfigDialog && !folderShow && DialogEditsFolderMode(e))
    EnterFolderMode(e, {});
  return dispatch;
}

}  // namespace vantor
