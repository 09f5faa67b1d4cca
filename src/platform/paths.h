#pragma once
// Where the program lives and where it may write. Every folder path returned
// here ends in "/".

#include <string>
#include <string_view>
#include <vector>

#include "platform/result.h"

namespace vantor {

// The program's own file (the running executable, with any appended package).
std::string programPath();

// The user's private temporary folder: $XDG_RUNTIME_DIR when it is an
// absolute path to a private folder of this user, otherwise a folder of our own, "vantor-<uid>"
// under $TMPDIR (or /tmp), created with mode 0700. A failure when that folder is a link, belongs
// to someone else or cannot be made.
Result<std::string> temporaryFolder();

// The folder of installed libraries the program may load ("system folder"):
// the install prefix's lib/vantor/. Nothing the program unpacks is ever put
// there, so a library found there was installed by whoever installed the
// program.
std::string systemFolder();

// Where an installed library is looked for, in order: the program's own
// folder, then the system folder.
std::vector<std::string> installedLibraryFolders();

// The per-user configuration folder of the program: $XDG_CONFIG_HOME/vantor/
// when that is an absolute path, otherwise $HOME/.config/vantor/.
std::string configFolder();

// The builder's shared folder under the install prefix (share/vantor/).
std::string installShareFolder();

// Makes sure `path` is a real folder that belongs to this user, creating it
// (mode 0700) when it is missing. Refuses links and folders of other users.
Status ensurePrivateFolder(const std::string &path);

// Path helpers. Names read from settings may use "\", "/" or ":" as folder
// separators; these split at all three.
std::string_view fileNameOf(std::string_view path);
std::string_view folderOf(std::string_view path);  // with its trailing separator
// The extension with its dot ("" when the name has none).
std::string_view extensionOf(std::string_view path);
std::string upperAscii(std::string_view text);
std::string lowerAscii(std::string_view text);
bool equalsNoCase(std::string_view a, std::string_view b);
bool startsWithNoCase(std::string_view text, std::string_view prefix);
bool fileExists(const std::string &path);    // a regular file (links followed)
bool folderExists(const std::string &path);  // a folder (links followed)

}  // namespace vantor
