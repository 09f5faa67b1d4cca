#include "startup/options.h"

#include <charconv>

#include "settings/saver_setting.h"

#ifndef VANTOR_VERSION
#define VANTOR_VERSION "0"
#endif

namespace vantor {

namespace {

std::optional<int> parseSeconds(std::string_view text) {
  int v = 0;
  const char *end = text.data() + text.size();
  const auto [at, ec] = std::from_chars(text.data(), end, v);
  if (ec != std::errc() || at != end || v < 1) return std::nullopt;
  return v;
}

// Each entry a number 0..151; the settings' own list ends every number with a
// comma, which a user may leave off at the end.
std::optional<std::string> parseEffects(std::string_view text) {
  std::string list(text);
  if (list.empty()) return std::nullopt;
  if (list.back() != ',') list += ',';
  size_t start = 0;
  for (size_t comma; (comma = list.find(',', start)) != std::string::npos; start = comma + 1) {
    const std::string_view item(list.data() + start, comma - start);
    int v = -1;
    const auto [at, ec] = std::from_chars(item.data(), item.data() + item.size(), v);
    if (ec != std::errc() || at != item.data() + item.size() || v < 0 || v > 151)
      return std::nullopt;
  }
  return list;
}

std::optional<uint8_t> pick(std::string_view text, std::initializer_list<std::string_view> names) {
  uint8_t i = 0;
  for (std::string_view name : names) {
    if (text == name) return i;
    ++i;
  }
  return std::nullopt;
}

// The options that take a value.
constexpr std::string_view kValued[] = {"--package", "--folder",  "--window-id", "--interval",
                                        "--speed",   "--effects", "--order",     "--fit"};

bool takesValue(std::string_view name) {
  for (std::string_view v : kValued)
    if (v == name) return true;
  return false;
}

}  // namespace

std::optional<uint32_t> ParseWindowId(std::string_view text) {
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    text.remove_prefix(2);
    base = 16;
  }
  uint32_t v = 0;
  const char *end = text.data() + text.size();
  const auto [at, ec] = std::from_chars(text.data(), end, v, base);
  if (text.empty() || ec != std::errc() || at != end || v == 0) return std::nullopt;
  return v;
}

Options ParseOptions(const std::vector<std::string> &args, const char *xscreensaverWindow) {
  Options o;
  auto fail = [&o](std::string message) {
    o.action = Options::Action::UsageError;
    o.error = std::move(message);
    return o;
  };
  bool root = false;
  for (size_t i = 0; i < args.size(); ++i) {
    std::string_view arg = args[i];
    if (arg == "--") {
      o.classic.insert(o.classic.end(), args.begin() + long(i) + 1, args.end());
      break;
    }
    // XScreenSaver's older settings spell its two options with one dash.
    if (arg == "-root" || arg == "-window-id") {
      static const std::string kRoot = "--root", kWindowId = "--window-id";
      arg = arg == "-root" ? kRoot : kWindowId;
    }
    if (arg == "-h" || arg == "--help") {
      o.action = Options::Action::Help;
      return o;
    }
    if (arg.substr(0, 2) != "--") {
      o.classic.emplace_back(arg);
      continue;
    }
    std::string_view name = arg, value;
    bool hasValue = false;
    if (const size_t eq = arg.find('='); eq != std::string_view::npos) {
      name = arg.substr(0, eq);
      value = arg.substr(eq + 1);
      hasValue = true;
    }
    if (takesValue(name) && !hasValue) {
      if (i + 1 >= args.size()) return fail("option '" + std::string(name) + "' needs a value");
      value = args[++i];
      hasValue = true;
    } else if (!takesValue(name) && hasValue) {
      return fail("option '" + std::string(name) + "' takes no value");
    }
    const auto bad = [&] {
      return fail("invalid value '" + std::string(value) + "' for " + std::string(name));
    };
    if (name == "--version") {
      o.action = Options::Action::Version;
      return o;
    } else if (name == "--root") {
      root = true;
    } else if (name == "--window-id") {
      const std::optional<uint32_t> id = ParseWindowId(value);
      if (!id) return bad();
      o.hackWindow = *id;
      o.windowIdGiven = true;
    } else if (name == "--package") {
      if (value.empty()) return bad();
      o.package = value;
    } else if (name == "--folder") {
      if (value.empty()) return bad();
      o.folders.emplace_back(value);
    } else if (name == "--interval") {
      if (!(o.interval = parseSeconds(value))) return bad();
    } else if (name == "--speed") {
      // 1 is the fastest transition, 5 the slowest, as in the dialog.
      o.speed = parseSeconds(value);
      if (!o.speed || *o.speed > 5) return bad();
    } else if (name == "--effects") {
      if (!(o.effects = parseEffects(value))) return bad();
    } else if (name == "--order") {
      if (!(o.order = pick(value, {"in-order", "shuffle", "random"}))) return bad();
    } else if (name == "--fit") {
      if (!(o.fit = pick(value, {"optimise", "original", "stretch"}))) return bad();
    } else if (name == "--caption" || name == "--no-caption") {
      o.caption = name == "--caption";
    } else if (name == "--no-music") {
      o.noMusic = true;
    } else if (name == "--no-exif-orientation") {
      o.noExifOrientation = true;
    } else {
      return fail("unknown option '" + std::string(name) + "'");
    }
  }
  // The daemon names its window in the environment; a classic switch (such
  // as "/p $XSCREENSAVER_WINDOW") says what to do with it instead.
  const std::optional<uint32_t> daemonWindow =
      xscreensaverWindow ? ParseWindowId(xscreensaverWindow) : std::nullopt;
  o.hack = root || o.windowIdGiven || (daemonWindow && o.classic.empty());
  if (o.hack && !o.windowIdGiven) o.hackWindow = daemonWindow.value_or(0);
  return o;
}

void ApplyOptionOverrides(const Options &o, TSaverSetting &s) {
  if (o.interval) s.ImageInterval = *o.interval;
  if (o.speed) s.EffectSpeed2 = *o.speed;
  if (o.effects) s.UseEffects = ParseEffectList(*o.effects);
  if (o.order) s.ImageSequence = Sequence(*o.order);
  if (o.fit) s.ImageSize = *o.fit;
  if (o.caption) {
    s.ForceHide = !*o.caption;
    // Asked for, a caption needs a place: the bottom of the screen unless
    // the settings name one.
    if (*o.caption && (s.Position == CaptionPosition::None || s.Position > CaptionPosition::AtXY))
      s.Position = CaptionPosition::Bottom;
  }
  if (o.noMusic) s.PlayMusic = false;
  if (o.noExifOrientation) s.ExifOrientation = false;
}

std::string UsageText(std::string_view program) {
  const std::string p(program);
  return "Usage: " + p + " [OPTION]... [/s | /c | /p WINDOW | /a WINDOW]\n" +
         "Shows the pictures carried by this file (or a package or folders) as a slideshow.\n"
         "\n"
         "Without a switch the settings dialog opens; with --package or --folder the show\n"
         "plays.\n"
         "  /s                   full-screen show\n"
         "  /c                   settings dialog\n"
         "  /p WINDOW            preview inside the X11 window WINDOW (decimal or 0x-hex)\n"
         "  /a WINDOW            password change\n"
         "\n"
         "XScreenSaver:\n"
         "  --root               draw into the window in XSCREENSAVER_WINDOW, or on the root\n"
         "                       window\n"
         "  --window-id ID       draw into the window ID (decimal or 0x-hex)\n"
         "\n"
         "What to show:\n"
         "  --package FILE       play the content package appended to FILE\n"
         "  --folder DIR         show the pictures of DIR (may be repeated)\n"
         "\n"
         "For this run only (never saved):\n"
         "  --interval SECONDS   time each picture stays\n"
         "  --speed 1..5         transition speed, 1 the fastest\n"
         "  --effects LIST       transition numbers to use, e.g. 1,5,42\n"
         "  --order in-order|shuffle|random\n"
         "  --fit optimise|original|stretch\n"
         "  --caption, --no-caption\n"
         "  --no-music\n"
         "  --no-exif-orientation  show pictures as stored, ignoring their EXIF orientation\n"
         "\n"
         "  -h, --help           show this help and exit\n"
         "  --version            show the version and exit\n"
         "\n"
         "Exit status: 0 on success, 1 when no display can be opened or the package is\n"
         "missing, 2 for a wrong option.\n";
}

std::string VersionText(std::string_view program) {
  return std::string(program) + " " VANTOR_VERSION "\n";
}

std::vector<std::string> ClassicArguments(const Options &options) {
  if (options.classic.empty() && !options.hack &&
      (!options.package.empty() || !options.folders.empty()))
    return {"/s"};
  return options.classic;
}

}  // namespace vantor
