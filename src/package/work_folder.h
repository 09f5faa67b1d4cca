#pragma once
// The work folder: where everything unpacked from the package goes. It is
// prepared when the process starts and emptied whenever the process ends:
// normally, as a turned-away second instance, or by one of the stop signals
// (SIGTERM, SIGINT, SIGHUP, SIGQUIT, SIGUSR1, SIGUSR2, SIGALRM).
//
// The folder is opened once, at set-up, and every file made or removed in it
// goes through that descriptor (openat, renameat, unlinkat). A folder that is
// moved away and replaced by a link during the run is therefore never
// followed: what is written and deleted stays in the folder that was opened.

#include <string>

#include "platform/result.h"

namespace vantor {

struct Folders {
  std::string temp;  // the private temporary folder, "" when refused
  std::string work;  // temp + "Vantor/", "" when refused
  // The work folder's "tmp" folder, named through the descriptor opened at
  // set-up (/proc/self/fd/N/), so that writes by path land in that folder
  // whatever happens to the name; "" when it could not be made.
  std::string workTmp;
  std::string system;  // the folder of installed libraries the program may load
  // The work folder and its "tmp" folder, open for the life of the process;
  // -1 when refused.
  int workFd = -1;
  int workTmpFd = -1;
  // A work folder of this process's own inside the shared one: its name
  // there, and the shared folder, open; "" and -1 for the shared folder.
  std::string ownName;
  int sharedFd = -1;
  // Why a folder is missing; success when all were made.
  Status status;
};

// Opens `path` as a private folder of this user: a real folder (never a
// link), owned by the user, without rights for group or others (they are
// taken away when present). Returns the descriptor, which the caller closes.
Result<int> OpenPrivateFolder(const std::string &path);

// The name of an open folder that stays bound to it even when the folder is
// renamed or replaced: "/proc/self/fd/N/".
std::string PinnedFolderPath(int folderFd);

// Creates the work folder and its "tmp" folder and opens both. A folder that
// is a link or belongs to someone else is refused: the paths stay empty, the
// descriptors -1, and `status` says why. With `ownName`, the work folder is
// a folder of that name inside the shared one, for runs that go on beside
// others (a hack per monitor): no other run empties it, and the clean-up
// removes it.
Folders SetUpWorkFolders(const std::string &ownName = "");

// Deletes every file directly in the open folder `folderFd` (links are
// removed, never followed; sub-folders and their content are left alone).
// Errors are ignored. Safe to call from a signal handler.
void EmptyFolder(int folderFd);
// The same for a folder named by path; a path that ends in a link (with or
// without a trailing "/") is not entered.
void EmptyFolder(const char *folder);

// Empties the work folder and its "tmp" folder now; a work folder of the
// process's own is removed too.
void CleanUpWorkFolders(const Folders &folders);

// Arranges for CleanUpWorkFolders to run at process exit and on the stop
// signals (after which the signal ends the process as usual). SIGPIPE is
// ignored: a closed pipe is no reason to end the show.
void InstallExitCleanup(const Folders &folders);

}  // namespace vantor
