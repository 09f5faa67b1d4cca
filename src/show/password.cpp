#include "show/password.h"

#include <memory>
#include <variant>

#include "platform/cursor_count.h"
#include "platform/debug_log.h"
#include "platform/dynamic_library.h"
#include "platform/registry.h"

namespace vantor {

const char *const kPasswordKey = "Control Panel\\desktop";
const char *const kPasswordValue = "ScreenSaveUsePassword";

namespace {

using VerifyScreenSavePwd = int (*)(intptr_t window);
using PwdChangePasswordA = uint32_t (*)(const char *provider, intptr_t window, uint32_t reserved1,
                                        void *reserved2);

// Only a dword that is not 0 asks for a password; a missing key or value,
// or a value of another type, does not.
bool passwordAsked(const RegistryStore &registry) {
  const auto key = registry.openKey(kPasswordKey);
  if (!key) return false;
  const RegistryValue *value = key->find(kPasswordValue);
  if (!value) return false;
  const uint32_t *number = std::get_if<uint32_t>(value);
  return number && *number != 0;
}

// One step of the display count up for the life of the object, and back.
class CursorShown {
 public:
  explicit CursorShown(bool active) : active_(active) {
    if (active_) ShowCursor(true);
  }
  ~CursorShown() {
    if (active_) ShowCursor(false);
  }
  CursorShown(const CursorShown &) = delete;
  CursorShown &operator=(const CursorShown &) = delete;

 private:
  bool active_;
};

// The platform's library: from the system folder, else by the loader's own
// search of the system's library paths. Neither is a folder that the program
// unpacks into, so no package can put a library there for a later run.
std::unique_ptr<DynamicLibrary> loadSystemLibrary(const std::string &systemFolder,
                                                  const std::string &windowsName) {
  auto library = std::make_unique<DynamicLibrary>(SystemLibraryPath(systemFolder, windowsName));
  if (!library->loaded())
    library = std::make_unique<DynamicLibrary>(sharedLibraryName(windowsName));
  return library;
}

bool platformCheck(intptr_t window, const std::string &systemFolder) {
  const auto library = loadSystemLibrary(systemFolder, "PASSWORD.CPL");
  auto verify = reinterpret_cast<VerifyScreenSavePwd>(library->symbol("VerifyScreenSavePwd"));
  if (!verify) return true;
  // The platform's answer is a boolean whose low byte counts.
  return (verify(window) & 0xFF) != 0;
}

}  // namespace

std::string SystemLibraryPath(const std::string &systemFolder, const std::string &windowsName) {
  std::string path = systemFolder;
  if (path.empty() || path.back() != '/') path += '/';
  return path + sharedLibraryName(windowsName);
}

bool VerifyPassword(intptr_t window, bool showCursor, const RegistryStore &registry,
                    const std::string &systemFolder) {
  try {
    if (!passwordAsked(registry)) return true;
    CursorShown cursor(showCursor);
    return platformCheck(window, systemFolder);
  } catch (...) {
    // The saver never stays locked because the check itself failed.
    debugLog("password check failed, the show ends unchecked: " + currentExceptionText());
    return true;
  }
}

void ChangePassword(int32_t parentWindow, const std::string &systemFolder) {
  try {
    const auto library = loadSystemLibrary(systemFolder, "MPR.DLL");
    auto change = reinterpret_cast<PwdChangePasswordA>(library->symbol("PwdChangePasswordA"));
    if (change) change("SCRSAVE", parentWindow, 0, nullptr);
  } catch (...) {
    debugLog("password change failed: " + currentExceptionText());
  }
}

}  // namespace vantor
