#pragma once
// Keeps the desktop's own idle saver away while a show that the user started
// by hand runs: org.freedesktop.ScreenSaver on the session bus, when the
// session offers it. Without a session bus or that service nothing happens.

#include <cstdint>
#include <optional>

namespace vantor {

class ScreenSaverInhibitor {
 public:
  ScreenSaverInhibitor() = default;
  ~ScreenSaverInhibitor() { release(); }
  ScreenSaverInhibitor(const ScreenSaverInhibitor &) = delete;
  ScreenSaverInhibitor &operator=(const ScreenSaverInhibitor &) = delete;

  // Asks for the inhibition once; true when the desktop granted it.
  bool inhibit();
  // Gives it back; nothing when none is held.
  void release();
  bool held() const { return cookie_.has_value(); }

 private:
  std::optional<uint32_t> cookie_;
};

}  // namespace vantor
