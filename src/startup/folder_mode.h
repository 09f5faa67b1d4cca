#pragma once
// Folder mode: a show of the pictures under folders the user names, beside
// (or without) a package.

#include <string>
#include <vector>

namespace vantor {

struct Engine;

// The name that folder mode keeps the user's overrides under, where a
// packaged program uses its own file name: one set of choices for every
// folder show, whichever program file runs it.
inline constexpr const char *kFolderModeName = "vantor-folder";

// Switches a started engine to folder mode: the default settings with the
// user's overrides kept under kFolderModeName, no picture list of the
// settings, and the pictures under `folders` (searched through, depth first)
// as the show finds them. Call after RunStartup.
void EnterFolderMode(Engine &engine, std::vector<std::string> folders);

// The folders of a show that the desktop's screensaver starts (hack mode):
// those given with --folder; else, for a program without a package, the
// picture folder of the user's ~/.xscreensaver under `home`, when it names
// one; else none, and the package or the settings decide.
[[nodiscard]] std::vector<std::string> HackModeFolders(const Engine &engine,
                                                       const std::string &home);

// Whether the settings dialog of this run edits folder mode's choices: it
// was given folders, or the program has no package and no settings file
// beside it, as when it is installed for the desktop's screensaver, whose
// shows of the user's picture folder then use the choices.
[[nodiscard]] bool DialogEditsFolderMode(const Engine &engine);

// Takes the folders out of a picture list (entries ending in "\" or "/" that
// name a folder) and adds them to `folders`, so that their pictures are
// shown instead of a folder that no decoder reads.
void TakeFolderEntries(Engine &engine);

}  // namespace vantor
