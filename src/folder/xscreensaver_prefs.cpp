#include "folder/xscreensaver_prefs.h"

#include <fstream>
#include <iterator>

namespace vantor {

namespace {

constexpr std::string_view kKey = "imageDirectory";
constexpr std::string_view kBlank = " \t\r";

std::string_view trim(std::string_view s) {
  const size_t first = s.find_first_not_of(kBlank);
  if (first == std::string_view::npos) return {};
  return s.substr(first, s.find_last_not_of(kBlank) - first + 1);
}

// The next logical line: physical lines joined while one ends in "\".
bool nextLine(std::string_view &text, std::string &line) {
  if (text.empty()) return false;
  line.clear();
  while (!text.empty()) {
    const size_t end = text.find('\n');
    std::string_view part = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (!part.empty() && part.back() == '\r') part.remove_suffix(1);
    if (part.empty() || part.back() != '\\') {
      line += part;
      break;
    }
    part.remove_suffix(1);
    line += part;
  }
  return true;
}

}  // namespace

std::optional<std::string> ImageDirectoryFromPrefs(std::string_view text, const std::string &home) {
  std::optional<std::string> result;
  std::string line;
  while (nextLine(text, line)) {
    const std::string_view l = trim(line);
    if (l.empty() || l[0] == '#' || l[0] == '!') continue;
    const size_t colon = l.find(':');
    if (colon == std::string_view::npos || trim(l.substr(0, colon)) != kKey) continue;
    std::string value(trim(l.substr(colon + 1)));
    // "~" alone or "~/..." is the home folder; "~name" is left as written.
    if (!value.empty() && value[0] == '~' && (value.size() == 1 || value[1] == '/'))
      value = home + value.substr(1);
    // The last line of the key wins, as when the screensaver reads the file.
    result = value.empty() ? std::nullopt : std::optional<std::string>(value);
  }
  return result;
}

std::optional<std::string> ReadImageDirectory(const std::string &home) {
  if (home.empty()) return std::nullopt;
  std::ifstream in(home + "/.xscreensaver", std::ios::binary);
  if (!in) return std::nullopt;
  const std::string text{std::istreambuf_iterator<char>(in), {}};
  return ImageDirectoryFromPrefs(text, home);
}

}  // namespace vantor
