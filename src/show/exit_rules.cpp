#include "show/exit_rules.h"

#include <algorithm>

namespace vantor {

namespace {

constexpr FilterVerdict kIgnore{false, false};
constexpr FilterVerdict kExit{true, false};

bool isKey(uint32_t m) {
  return m == WM_KEYDOWN || m == WM_SYSKEYDOWN;
}
bool isClick(uint32_t m) {
  return m == WM_LBUTTONDOWN || m == WM_RBUTTONDOWN;
}

FilterVerdict keyRule(const WinMessage &m, const ExitSettings &s) {
  if (s.OnlyEscKeyExit) return m.wParam == VK_ESCAPE ? kExit : kIgnore;
  const bool noExitSwitch = !s.MouseMove && !s.MousePress && !s.KeyboardPress;
  return s.ShowCursor || s.KeyboardPress || noExitSwitch ? kExit : kIgnore;
}

FilterVerdict moveRule(const ExitSettings &s, int &allowance) {
  if (s.ShowCursor || s.OnlyEscKeyExit || !s.MouseMove) return kIgnore;
  if (allowance <= 0) return kExit;
  --allowance;
  return kIgnore;
}

FilterVerdict clickRule(const ExitSettings &s) {
  if (s.ShowCursor || s.OnlyEscKeyExit || !s.MousePress) return kIgnore;
  return {true, true};
}

}  // namespace

FilterVerdict FilterMessage(const WinMessage &m, const ExitSettings &s, int &allowance) {
  if (isKey(m.message)) return keyRule(m, s);
  if (m.message == WM_SYSCOMMAND)
    return {false, m.wParam == SC_SCREENSAVE};  // no second saver on top of this one
  if (m.message == WM_MOUSEMOVE) return moveRule(s, allowance);
  if (isClick(m.message)) return clickRule(s);
  return kIgnore;
}

void FullscreenRules::SetSaverRunning(bool ending, bool touchCursor) {
  if (!ending) {
    platform_.SetSaverFlag(true);
    if (touchCursor) platform_.ShowCursor(false);
  }
  if (ending || hasParentWindow_) {
    platform_.SetSaverFlag(false);
    if (touchCursor) platform_.ShowCursor(true);
  }
}

FilterVerdict FullscreenRules::Message(const WinMessage &m, bool visible) {
  if (!visible) return kIgnore;
  const FilterVerdict v = FilterMessage(m, settings_, allowance_);
  if (v.exitRequest) ExitRequest();
  return v;
}

void FullscreenRules::ExitRequest() {
  // Out of the topmost band so that a password dialog can come up above.
  platform_.SetTopmost(false);
  platform_.ShowCursor(true);
  if (platform_.VerifyPassword())
    platform_.CloseWindow();
  else
    platform_.SetTopmost(true);
  if (!settings_.ShowCursor) platform_.ShowCursor(false);
  allowance_ = kMouseMoveAllowance;
}

gfx::Rect ShowWindowRect(const std::vector<gfx::Rect> &monitors, bool imageSameMonitor) {
  if (monitors.empty()) return {};
  const gfx::Rect primary = monitors.front();
  if (monitors.size() == 1 || imageSameMonitor) return primary;
  // The bounding rectangle of the desk: the primary need not be the
  // left-most or top-most monitor, and monitors may be stacked.
  gfx::Rect all = primary;
  for (const gfx::Rect &m : monitors) {
    all.left = std::min(all.left, m.left);
    all.top = std::min(all.top, m.top);
    all.right = std::max(all.right, m.right);
    all.bottom = std::max(all.bottom, m.bottom);
  }
  return all;
}

}  // namespace vantor
