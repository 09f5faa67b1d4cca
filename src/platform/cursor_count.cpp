#include "platform/cursor_count.h"

namespace vantor {

namespace {

// Touched on the GUI thread only, like the platform's own counter.
int count = 0;

std::function<void(bool)> &watcher() {
  static std::function<void(bool)> w;
  return w;
}

}  // namespace

int ShowCursor(bool show) {
  const bool before = count >= 0;
  count += show ? 1 : -1;
  const bool after = count >= 0;
  if (before != after && watcher()) watcher()(after);
  return count;
}

int CursorCount() {
  return count;
}

bool CursorVisible() {
  return count >= 0;
}

void SetCursorWatcher(std::function<void(bool visible)> w) {
  watcher() = std::move(w);
}

void ResetCursorCount() {
  count = 0;
}

}  // namespace vantor
