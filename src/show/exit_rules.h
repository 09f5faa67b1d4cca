#pragma once
// The full-screen show's input rules and its saver state, free of any window
// system. Input arrives as the platform's message numbers (the window layer
// translates its events at one place), so the rules read as the table of the
// show's behaviour: which key or mouse message ends the show under which
// settings.

#include <cstdint>
#include <vector>

#include "gfx/geometry.h"

namespace vantor {

enum : uint32_t {
  WM_KEYDOWN = 256,
  WM_SYSKEYDOWN = 260,
  WM_SYSCOMMAND = 274,
  WM_MOUSEMOVE = 512,
  WM_LBUTTONDOWN = 513,
  WM_RBUTTONDOWN = 516,
  WM_MBUTTONDOWN = 519,
};
constexpr uintptr_t SC_SCREENSAVE = 61760;
constexpr uintptr_t VK_ESCAPE = 27;

struct WinMessage {
  uint32_t message = 0;
  uintptr_t wParam = 0;  // key code, or the system command
};

struct ExitSettings {
  bool MouseMove = false;
  bool MousePress = true;
  bool KeyboardPress = true;
  bool ShowCursor = false;
  bool OnlyEscKeyExit = false;
};

// What the filter decided for one message.
struct FilterVerdict {
  bool exitRequest = false;
  bool handled = false;  // not dispatched further
  friend bool operator==(const FilterVerdict &, const FilterVerdict &) = default;
};

// Mouse moves that may still arrive before a move ends the show; refilled to
// this every few seconds and after every exit request.
constexpr int kMouseMoveAllowance = 20;
constexpr int kMouseTimerMs = 3000;

// The message table. `allowance` is the mouse-move allowance, taken down by
// one for a counted move that does not end the show.
FilterVerdict FilterMessage(const WinMessage &m, const ExitSettings &s, int &allowance);

// What the show needs of its window and of the platform.
class FullscreenPlatform {
 public:
  virtual ~FullscreenPlatform() = default;
  virtual void SetTopmost(bool on) = 0;
  virtual void ShowCursor(bool show) = 0;
  // The platform's password check; true when the window may close.
  virtual bool VerifyPassword() = 0;
  virtual void CloseWindow() = 0;
  // The screen-saver-running flag.
  virtual void SetSaverFlag(bool running) = 0;
};

// The window-free part of the full-screen window.
class FullscreenRules {
 public:
  FullscreenRules(ExitSettings settings, FullscreenPlatform &platform, bool hasParentWindow)
      : settings_(settings), platform_(platform), hasParentWindow_(hasParentWindow) {}

  // Sets (or, when ending, clears) the saver flag, hiding (or showing) the
  // cursor when `touchCursor`. With a parent window the flag is cleared
  // also at the start.
  void SetSaverRunning(bool ending, bool touchCursor);
  // The filter; `visible` is false while the window is not shown.
  FilterVerdict Message(const WinMessage &m, bool visible);
  void ExitRequest();
  void MouseTimerTimer() { allowance_ = kMouseMoveAllowance; }

  int allowance() const { return allowance_; }
  const ExitSettings &settings() const { return settings_; }

 private:
  ExitSettings settings_;
  FullscreenPlatform &platform_;
  bool hasParentWindow_;
  int allowance_ = kMouseMoveAllowance;
};

// Where the show's window goes, given the monitors' rectangles (primary
// first): the primary monitor when there is one monitor or the show keeps to
// one; otherwise the smallest rectangle that holds every monitor, so one
// slideshow spans them all. Empty without monitors.
gfx::Rect ShowWindowRect(const std::vector<gfx::Rect> &monitors, bool imageSameMonitor);

}  // namespace vantor
