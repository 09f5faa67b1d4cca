#pragma once
// The user's picture folder as the desktop's screensaver keeps it: the
// `imageDirectory:` line of ~/.xscreensaver, which the screensaver's own
// slideshow programs show.

#include <optional>
#include <string>
#include <string_view>

namespace vantor {

// The value of `imageDirectory` in the text of a preferences file: lines of
// "name: value", a line ending in "\" continued by the next one, "#" and "!"
// lines being comments. A leading "~" of the value stands for `home`.
// Nothing when the key is missing or its value empty.
[[nodiscard]] std::optional<std::string> ImageDirectoryFromPrefs(std::string_view text,
                                                                 const std::string &home);

// The same from `home` + "/.xscreensaver"; nothing when the file is missing
// or unreadable.
[[nodiscard]] std::optional<std::string> ReadImageDirectory(const std::string &home);

}  // namespace vantor
