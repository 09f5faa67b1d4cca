#pragma once
// The long options a Linux user and XScreenSaver give the program, read
// before the classic one-letter switches (/s, /c, /p, /a), which keep their
// meaning. The options change the settings for this run only; nothing of
// them is ever saved.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantor {

struct TSaverSetting;

struct Options {
  enum class Action {
    Run,         // go on with the classic switches in `classic`
    Help,        // print the usage and end (exit 0)
    Version,     // print the version and end (exit 0)
    UsageError,  // print `error` in one line and end (exit 2)
  };
  Action action = Action::Run;
  std::string error;

  // The arguments that are not options, in their order, for the classic
  // switches.
  std::vector<std::string> classic;

  // The file whose appended package is played instead of the program's own.
  std::string package;
  // Picture folders to show, in the order given.
  std::vector<std::string> folders;

  // XScreenSaver's hack mode: the show draws into `hackWindow` (0: the root
  // window), filling it, with no window, input or password of its own.
  bool hack = false;
  uint32_t hackWindow = 0;
  // The window was named with --window-id: the settings app's preview pane.
  bool windowIdGiven = false;

  std::optional<int> interval;         // seconds
  std::optional<int> speed;            // EffectSpeed2: 1 fastest .. 5 slowest
  std::optional<std::string> effects;  // "3,17,42" (the trailing comma optional)
  std::optional<uint8_t> order;        // ImageSequence: 0 in order, 1 shuffle, 2 random
  std::optional<uint8_t> fit;          // ImageSize: 0 optimise, 1 original, 2 stretch
  std::optional<bool> caption;
  bool noMusic = false;
  bool noExifOrientation = false;
};

// Reads `args` (without the program name). `xscreensaverWindow` is the value
// of XSCREENSAVER_WINDOW, or null when it is not set; the daemon sets it for
// the hacks it starts. A "--" ends the options: everything after it is
// classic. The first option that asks for help or the version, or the first
// error, decides the action.
[[nodiscard]] Options ParseOptions(const std::vector<std::string> &args,
                                   const char *xscreensaverWindow);

// The classic switches, with the show as the default when the options name
// what to play.
[[nodiscard]] std::vector<std::string> ClassicArguments(const Options &options);

// An X11 window id: decimal, or hexadecimal after "0x" / "0X"; nothing for
// 0, for text that is not such a number, or for a number beyond 32 bits.
std::optional<uint32_t> ParseWindowId(std::string_view text);

// Puts the options' setting values into `s`.
void ApplyOptionOverrides(const Options &options, TSaverSetting &s);

// The --help text; `program` is the name the program was started by.
std::string UsageText(std::string_view program);
// The --version line.
std::string VersionText(std::string_view program);

}  // namespace vantor
