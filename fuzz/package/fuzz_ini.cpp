// The settings file reader and writer over arbitrary text: reading, loading
// every setting, saving and reading back must agree; a file written without
// changes reads back to the same text; every header and key stays in place.
#include <cstdint>
#include <string>

#include "settings/ini_file.h"
#include "settings/saver_setting.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const std::string text(reinterpret_cast<const char *>(data), size);
  vantor::IniFile ini;
  ini.loadFromText(text);
  const std::string unchanged = ini.toText();
  // Without a write, only the line ends can differ: one kind, one at the end.
  const bool oneKindOfLineEnd =
      text.find('\r') == std::string::npos || text.find('\n') == std::string::npos;
  const bool endsWithLineEnd = !text.empty() && (text.back() == '\n' || text.back() == '\r');
  if (oneKindOfLineEnd && endsWithLineEnd && unchanged != text) __builtin_trap();
  const auto pictures = ini.sectionValues("Pictures");

  vantor::TSaverSetting s;
  vantor::LoadSettings(s, ini, "/support/");
  vantor::StoreSettings(s, ini);
  vantor::IniFile again;
  again.loadFromText(ini.toText());
  if (again.toText() != ini.toText()) __builtin_trap();
  if (again.sectionValues("Pictures") != pictures) __builtin_trap();
  vantor::TSaverSetting t;
  vantor::LoadSettings(t, again, "/support/");
  if (t.ImageInterval != s.ImageInterval || t.FontName != s.FontName) __builtin_trap();
  vantor::ParseEffectList(ini.readString("set", "useeffects", ""));
  return 0;
}
