// The long options and the window numbers over arbitrary argument lists: the
// input is split at NUL bytes, its first piece standing for
// XSCREENSAVER_WINDOW and the rest for the arguments.
#include <cstdint>
#include <string>
#include <vector>

#include "settings/saver_setting.h"
#include "startup/command_line.h"
#include "startup/options.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  std::vector<std::string> pieces(1);
  for (size_t i = 0; i < size; ++i) {
    if (data[i] == 0)
      pieces.emplace_back();
    else
      pieces.back().push_back(char(data[i]));
  }
  const std::string daemonWindow = pieces.front();
  const std::vector<std::string> args(pieces.begin() + 1, pieces.end());
  const vantor::Options o = vantor::ParseOptions(args, daemonWindow.c_str());
  // A window named by option is never 0, and a run with one is a hack.
  const bool run = o.action == vantor::Options::Action::Run;
  if (run && o.windowIdGiven && (o.hackWindow == 0 || !o.hack)) __builtin_trap();
  if (o.classic.size() > args.size()) __builtin_trap();
  vantor::TSaverSetting s;
  vantor::ApplyOptionOverrides(o, s);
  if (run && o.interval && s.ImageInterval < 1) __builtin_trap();
  for (const std::string &a : args) (void)vantor::ParseWindowHandle(a);
  return 0;
}
