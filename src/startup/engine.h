#pragma once
// The process-wide state of one run: folders, command line, package,
// settings and item resolution. Filled once by the start-up sequence and
// read-only afterwards, except for the settings, which the configuration
// dialog changes just before it saves them.

#include <memory>
#include <string>
#include <vector>

#include "package/content_package.h"
#include "package/items.h"
#include "package/work_folder.h"
#include "platform/random.h"
#include "platform/registry.h"
#include "settings/ini_file.h"
#include "settings/locate.h"
#include "settings/saver_setting.h"
#include "startup/command_line.h"
#include "startup/options.h"

namespace vantor {

// The window (or action) the start-up sequence chose.
enum class Dispatch {
  None,            // nothing to show: the process ends
  ConfigDialog,    // the configuration dialog
  FullScreen,      // the full-screen saver
  Preview,         // the live preview inside ParentWindow
  StaticPreview,   // one still picture inside ParentWindow
  PasswordChange,  // the password change for ParentWindow, no window
  Hack,            // XScreenSaver's hack: the show inside the daemon's window
};

const char *DispatchName(Dispatch d);

struct Engine {
  std::string programPath;
  // The file whose appended package is played: the program's own, or the
  // one named by --package.
  std::string packagePath;
  Options options;
  Folders folders;
  CommandLine commandLine;
  ContentPackage package;
  std::unique_ptr<RegistryStore> registry;
  SettingsLocation location;
  std::unique_ptr<IniFile> ini;
  TSaverSetting settings;
  std::unique_ptr<ItemResolver> resolver;
  std::string staticImagePath;  // resolved still picture for StaticPreview
  // The run's one random source, handed to everything that draws from it.
  RandomSource random = RandomSource::FromClock();
  // Folders whose pictures join the picture list while the show runs.
  std::vector<std::string> pictureFolders;

  bool packagePresent() const { return package.present(); }
  // Only the program's own package makes an ".exe" a show: a package named
  // with --package leaves the choice to the command line.
  bool forceFullScreen() const { return package.forceFullScreen() && packagePath == programPath; }
  std::string programFileName() const;
};

// Steps 3 to 6 of the start-up: command line, package scan, settings,
// overrides, item lists, and the choice of window. `engine.programPath`,
// `engine.folders`, `engine.registry` and `engine.options` must be set;
// `engine.packagePath` defaults to `engine.programPath`.
Dispatch RunStartup(Engine &engine, const std::vector<std::string> &args);

}  // namespace vantor
