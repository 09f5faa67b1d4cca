#pragma once
// The screensaver password hooks: the platform keeps the password and asks
// for it through a library of its own, loaded from the system folder when
// needed (or, when it is not there, by the loader's search of the system's
// library paths) and released right after. The system folder is the install
// prefix's (systemFolder()), never a folder that packages write, so a
// package cannot put a password library in place for later runs. Where the platform has no such
// library the saver closes freely and the password change does nothing.

#include <cstdint>
#include <string>

namespace vantor {

class RegistryStore;

// The per-user switch: key "Control Panel\desktop", dword value
// "ScreenSaveUsePassword", non-zero when the platform asks for a password.
extern const char *const kPasswordKey;
extern const char *const kPasswordValue;

// The library file for a Windows library name inside `systemFolder`
// (a "/" is added when the folder does not end in one).
std::string SystemLibraryPath(const std::string &systemFolder, const std::string &windowsName);

// True when the saver window `window` may close: no password is asked for,
// the platform's check said yes, or the check could not be made. With
// `showCursor` the cursor is shown while the check runs and hidden after,
// so the display count ends where it began.
bool VerifyPassword(intptr_t window, bool showCursor, const RegistryStore &registry,
                    const std::string &systemFolder);

// The platform's password change for the window `parentWindow`; failures are
// swallowed.
void ChangePassword(int32_t parentWindow, const std::string &systemFolder);

}  // namespace vantor
