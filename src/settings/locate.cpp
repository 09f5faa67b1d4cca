#include "settings/locate.h"

#include "platform/paths.h"
#include "platform/registry.h"

namespace vantor {

namespace {

// The default value of a key of the store, + "/", when the key exists.
std::string defaultValueFolder(const RegistryStore &registry, const std::string &key) {
  auto k = registry.openKey(key);
  if (!k) return {};
  std::string folder;
  if (auto *v = k->find(""); v && std::holds_alternative<std::string>(*v))
    folder = std::get<std::string>(*v);
  return folder + "/";
}

}  // namespace

std::string BaseName(const std::string &fileName) {
  // Short-name aliases ("MYSAVE~1.SCR") do not occur on this platform: the
  // name the shell shows is the file's own name.
  const std::string ext(extensionOf(fileName));
  if (ext.empty()) return fileName;
  return fileName.substr(0, fileName.find(ext));
}

SettingsLocation LocateSettings(const std::string &programPath,
                                const std::string &packageSettingsPath,
                                const RegistryStore &registry) {
  SettingsLocation l;
  l.programFolder = std::string(folderOf(programPath));
  l.baseName = BaseName(std::string(fileNameOf(programPath)));
  l.settingsPath =
      packageSettingsPath.empty() ? l.programFolder + l.baseName + ".002" : packageSettingsPath;
  l.supportFolder = defaultValueFolder(registry, "Software\\Orlenta\\" + l.baseName);
  if (l.supportFolder.empty())
    l.supportFolder = defaultValueFolder(registry, "Software\\Orlenta\\VantorPro");
  if (l.supportFolder.size() < 3) {
    const std::string pro = installShareFolder() + "Screensaver Pro/";
    l.supportFolder = folderExists(pro) ? pro : installShareFolder() + "Screensaver/";
  }
  l.tempImagePath = l.programFolder + "tempimagefile";
  return l;
}

}  // namespace vantor
