#pragma once
// The process-wide cursor display counter with the platform's show/hide
// rule: each show adds one, each hide takes one away, and the cursor is
// visible while the count is 0 or more. The window layer watches the
// visibility and shows or blanks the pointer.

#include <functional>

namespace vantor {

// Returns the new count.
int ShowCursor(bool show);
int CursorCount();
bool CursorVisible();

// Called with the new visibility whenever it changes. Replaces any earlier
// watcher; an empty function removes it.
void SetCursorWatcher(std::function<void(bool visible)> watcher);

// Back to a count of 0 without telling the watcher (for tests).
void ResetCursorCount();

}  // namespace vantor
