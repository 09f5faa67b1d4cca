#pragma once
// Whether the program can open the display its windows need, asked before Qt
// is started: Qt ends the process with an abort when it finds none.

#include <string>

namespace vantor {

// An empty string when a display is there; otherwise one line saying why
// not. `needsX11`: the window lives inside another program's X11 window (a
// preview, XScreenSaver), which a Wayland display cannot offer; Qt is then
// told to use X11 even where it would prefer Wayland.
[[nodiscard]] std::string PrepareDisplay(bool needsX11);

}  // namespace vantor
