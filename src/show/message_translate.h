#pragma once
// The one place where Qt's input events become the platform's messages that
// the show's exit rules are written in.

#include <optional>

#include "show/exit_rules.h"

class QEvent;
class QObject;

namespace vantor {

// The message for `event` as delivered to `receiver`, or none for events the
// rules do not know. Qt hands one input event first to the top-level window
// and then along the widgets; only the delivery to the window counts, so
// that each key press or mouse event becomes exactly one message.
std::optional<WinMessage> TranslateEvent(const QObject *receiver, const QEvent *event);

// The platform's key code for a Qt key: Esc 27, letters and digits as their
// upper-case characters, and so on; 0 for keys without one.
uintptr_t VirtualKeyCode(int qtKey);

}  // namespace vantor
