#pragma once
// The user's own choices from the configuration dialog, kept per program file
// in the user store under "Software\Orlenta\" + the program's file name, and
// laid over the settings at every start of a packaged program.

#include <cstdint>
#include <string>

#include "platform/result.h"

namespace vantor {

struct TSaverSetting;
class RegistryStore;

// 0 image, 1 flash, 2 video, 3 web: which group of values is read.
enum class SaverKind : uint8_t { Image = 0, Flash = 1, Video = 2, Web = 3 };

std::string OverridesKeyPath(const std::string &programFileName);

// Reads the values that exist; reading stops at the first value that is not
// an integer, leaving what was set before it.
void ApplyRegistryOverrides(TSaverSetting &s, const RegistryStore &registry,
                            const std::string &programFileName, SaverKind kind);

// Writes the twelve values the dialog owns.
Status StoreRegistryOverrides(const TSaverSetting &s, RegistryStore &registry,
                              const std::string &programFileName);

}  // namespace vantor
