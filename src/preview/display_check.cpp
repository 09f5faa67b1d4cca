#include "preview/display_check.h"

#include <cstdlib>
#include <string_view>

#include <xcb/xcb.h>

namespace vantor {

namespace {

std::string_view env(const char *name) {
  const char *v = std::getenv(name);
  return v ? v : "";
}

// The X server named by DISPLAY accepts a connection. A server whose last
// client leaves resets itself and refuses connections for a moment, so a
// connection that worked stays open until the program ends: the program's
// own, made next, must not arrive in that moment.
bool x11Reachable() {
  static xcb_connection_t *kept = nullptr;
  if (kept) return true;
  if (env("DISPLAY").empty()) return false;
  xcb_connection_t *c = xcb_connect(nullptr, nullptr);
  if (xcb_connection_has_error(c)) {
    xcb_disconnect(c);
    return false;
  }
  kept = c;
  return true;
}

}  // namespace

std::string PrepareDisplay(bool needsX11) {
  const std::string_view platform = env("QT_QPA_PLATFORM");
  const bool asksX11 = platform.substr(0, 3) == "xcb";
  const bool asksWayland = platform.substr(0, 7) == "wayland";
  // Off-screen and other platforms need no display server.
  if (!platform.empty() && !asksX11 && !asksWayland) return {};
  const bool wayland = !env("WAYLAND_DISPLAY").empty();
  if (needsX11) {
    if (x11Reachable()) {
      if (!asksX11) setenv("QT_QPA_PLATFORM", "xcb", 1);
      return {};
    }
    if (wayland || asksWayland)
      return "previews and XScreenSaver mode need an X11 display, and this Wayland session "
             "offers none (DISPLAY is not set or not reachable)";
  } else {
    if (asksWayland ? wayland : (x11Reachable() || (!asksX11 && wayland))) return {};
  }
  const std::string_view display = env("DISPLAY");
  return display.empty() ? "cannot open a display: DISPLAY is not set"
                         : "cannot open the display \"" + std::string(display) + "\"";
}

}  // namespace vantor
