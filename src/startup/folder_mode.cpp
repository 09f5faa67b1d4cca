#include "startup/folder_mode.h"

#include <algorithm>

#include "folder/xscreensaver_prefs.h"
#include "platform/paths.h"
#include "settings/overrides.h"
#include "startup/engine.h"

namespace vantor {

void EnterFolderMode(Engine &e, std::vector<std::string> folders) {
  e.ini = std::make_unique<IniFile>();
  e.settings = TSaverSetting{};
  LoadSettings(e.settings, *e.ini, e.location.supportFolder);
  e.settings.TempImagePath = e.location.tempImagePath;
  if (e.registry)
    ApplyRegistryOverrides(e.settings, *e.registry, kFolderModeName, SaverKind::Image);
  // What the command line asks for this run goes over the stored choices.
  ApplyOptionOverrides(e.options, e.settings);
  e.pictureFolders = std::move(folders);
}

bool DialogEditsFolderMode(const Engine &e) {
  return !e.options.folders.empty() ||
         (!e.packagePresent() && !fileExists(e.location.settingsPath));
}

std::vector<std::string> HackModeFolders(const Engine &e, const std::string &home) {
  if (!e.options.folders.empty()) return e.options.folders;
  if (e.packagePresent()) return {};
  if (auto folder = ReadImageDirectory(home)) return {*folder};
  return {};
}

void TakeFolderEntries(Engine &e) {
  if (!e.resolver) return;
  ItemList &list = e.settings.PictureList;
  std::erase_if(list, [&](const std::string &entry) {
    if (entry.empty() || (entry.back() != '\\' && entry.back() != '/')) return false;
    std::string folder = entry;
    if (!e.resolver->ResolveItem(folder)) return false;
    e.pictureFolders.push_back(folder);
    return true;
  });
}

}  // namespace vantor
