#pragma once
// The work folder: where everything unpacked from the package goes. It is
// prepared when the process starts and emptied whenever the process ends:
// normally, as a turned-away second instance, or by SIGTERM, SIGINT or SIGHUP.

#include <string>

namespace vantor {

struct Folders {
  std::string temp;     // the private temporary folder, "" when refused
  std::string work;     // temp + "Vantor/", "" when refused
  std::string workTmp;  // work + "tmp/"
  std::string system;   // per-user folder for loadable libraries
};

// Creates the work folder and its "tmp" folder. A folder that is a link or
// belongs to someone else is refused: the paths stay empty and `error` says
// why.
Folders SetUpWorkFolders(std::string *error = nullptr);

// Deletes every file directly in `folder` (links are removed, never
// followed; sub-folders and their content are left alone). Errors are
// ignored. Safe to call from a signal handler.
void EmptyFolder(const char *folder);

// Empties the work folder and its "tmp" folder now.
void CleanUpWorkFolders(const Folders &folders);

// Arranges for CleanUpWorkFolders to run at process exit and on SIGTERM,
// SIGINT and SIGHUP (after which the signal ends the process as usual).
void InstallExitCleanup(const Folders &folders);

}  // namespace vantor
