#include "startup/command_line.h"

#include "platform/paths.h"
#include "settings/ini_file.h"

namespace vantor {

SaverKind SaverKindFromPath(const std::string &programPath) {
  const std::string path = lowerAscii(programPath);
  if (path.find("flash") != std::string::npos) return SaverKind::Flash;
  if (path.find("video") != std::string::npos) return SaverKind::Video;
  if (path.find("web") != std::string::npos) return SaverKind::Web;
  return SaverKind::Image;
}

int32_t ParseWindowHandle(const std::string &text) {
  // Decimal only: "$10" or "0x10" are not window numbers here.
  if (text.empty() || text.find_first_of("$xX") != std::string::npos) return 0;
  return parseInteger(text).value_or(0);
}

CommandLine ParseCommandLine(const std::string &programPath, const std::vector<std::string> &args) {
  CommandLine c;
  c.saverKind = SaverKindFromPath(programPath);
  if (args.empty()) return c;
  const std::string first = upperAscii(args[0]);
  // A lone "/" or "-" names no mode: the settings dialog is the harmless choice.
  if (first.size() < 2) return c;
  switch (first[1]) {
    case 'A':
      if (args.size() >= 2) {
        c.runMode = RunMode::PasswordChange;
        c.parentWindow = ParseWindowHandle(args[1]);
      }
      break;
    case 'C':
      c.runMode = RunMode::Configure;
      break;
    case 'P':
      if (args.size() >= 2) {
        c.runMode = RunMode::Preview;
        c.parentWindow = ParseWindowHandle(args[1]);
      }
      break;
    default:
      c.runMode = RunMode::Saver;
      c.recordForeground = true;
      break;
  }
  return c;
}

}  // namespace vantor
