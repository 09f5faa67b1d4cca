#pragma once
// Where the settings come from and the folders derived from the program's
// own path.

#include <string>

namespace vantor {

class RegistryStore;

struct SettingsLocation {
  std::string programFolder;  // ends in "/"
  std::string baseName;       // program file name without its extension
  std::string settingsPath;   // the settings file to read
  std::string supportFolder;  // the builder's folder, ends in "/"
  std::string tempImagePath;  // program folder + "tempimagefile"
};

// `packageSettingsPath` is the unpacked settings file when the program carries
// a package, else empty (then the loose file program folder + base name +
// ".002" is used).
SettingsLocation LocateSettings(const std::string &programPath,
                                const std::string &packageSettingsPath,
                                const RegistryStore &registry);

// "My Saver.scr" -> "My Saver": the name cut before the first occurrence of
// its own extension.
std::string BaseName(const std::string &fileName);

}  // namespace vantor
