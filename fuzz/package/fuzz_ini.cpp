// The settings file reader and writer over arbitrary text: reading, loading
// every setting, saving and reading back must agree.
#include <cstdint>
#include <string>

#include "settings/ini_file.h"
#include "settings/saver_setting.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  vantor::IniFile ini;
  ini.loadFromText(std::string(reinterpret_cast<const char *>(data), size));
  vantor::TSaverSetting s;
  vantor::LoadSettings(s, ini, "/support/");
  vantor::StoreSettings(s, ini);
  vantor::IniFile again;
  again.loadFromText(ini.toText());
  vantor::TSaverSetting t;
  vantor::LoadSettings(t, again, "/support/");
  if (t.ImageInterval != s.ImageInterval || t.FontName != s.FontName) __builtin_trap();
  vantor::ParseEffectList(ini.readString("set", "useeffects", ""));
  return 0;
}
