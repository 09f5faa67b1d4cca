#pragma once
// The screensaver command line: none or /c for the settings dialog, /s (or any
// other letter) for the saver, /p <window> for the preview inside a window of
// the desktop's settings, /a <window> for the password change.

#include <cstdint>
#include <string>
#include <vector>

#include "settings/overrides.h"

namespace vantor {

enum class RunMode : uint8_t {
  ConfigureDefault = 1,  // no argument, or /p or /a without a window
  Configure = 2,         // /c
  Saver = 3,
  Preview = 4,
  PasswordChange = 5,
};

struct CommandLine {
  RunMode runMode = RunMode::ConfigureDefault;
  int32_t parentWindow = 0;
  // The saver was asked for: the window in front now is to be brought back
  // when the saver ends.
  bool recordForeground = false;
  SaverKind saverKind = SaverKind::Image;
};

// `args` excludes the program name. Only the first two arguments count.
CommandLine ParseCommandLine(const std::string &programPath, const std::vector<std::string> &args);

// "flash", "video" or "web" anywhere in the path (any case), first match in
// that order.
SaverKind SaverKindFromPath(const std::string &programPath);

// A window number: a signed 32-bit decimal integer, or an id in hex after
// "0x"; 0 when it is not one.
int32_t ParseWindowHandle(const std::string &text);

}  // namespace vantor
