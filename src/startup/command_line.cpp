#include "startup/command_line.h"

#include "platform/paths.h"
#include "settings/ini_file.h"
#include "startup/options.h"

namespace vantor {

SaverKind SaverKindFromPath(const std::string &programPath) {
  const std::string path = lowerAscii(programPath);
  if (path.find("flash") != std::string::npos) return SaverKind::Flash;
  if (path.find("video") != std::string::npos) return SaverKind::Video;
  if (path.find("web") != std::string::npos) return SaverKind::Web;
  return SaverKind::Image;
}

int32_t ParseWindowHandle(const std::string &text) {
  // X11 tools and XScreenSaver write window ids in hex after "0x"; "$10" is
  // no window number here.
  if (text.size() > 1 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    const std::optional<uint32_t> id = ParseWindowId(text);
    return id && *id <= uint32_t(INT32_MAX) ? int32_t(*id) : 0;
  }
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
