#include "show/message_translate.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QObject>

namespace vantor {

namespace {

std::optional<WinMessage> keyMessage(const QKeyEvent &key) {
  // The platform reports keys with Alt held, and F10, as system keys.
  const bool system = (key.modifiers() & Qt::AltModifier) || key.key() == Qt::Key_F10;
  return WinMessage{system ? uint32_t(WM_SYSKEYDOWN) : uint32_t(WM_KEYDOWN),
                    VirtualKeyCode(key.key())};
}

std::optional<WinMessage> pressMessage(const QMouseEvent &mouse) {
  switch (mouse.button()) {
    case Qt::LeftButton:
      return WinMessage{WM_LBUTTONDOWN, 0};
    case Qt::RightButton:
      return WinMessage{WM_RBUTTONDOWN, 0};
    case Qt::MiddleButton:
      return WinMessage{WM_MBUTTONDOWN, 0};
    default:
      return std::nullopt;
  }
}

}  // namespace

uintptr_t VirtualKeyCode(int qtKey) {
  if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) return uintptr_t(qtKey);  // 'A'..'Z'
  if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) return uintptr_t(qtKey);  // '0'..'9'
  if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24) return 0x70 + uintptr_t(qtKey - Qt::Key_F1);
  switch (qtKey) {
    case Qt::Key_Escape:
      return 27;
    case Qt::Key_Backspace:
      return 8;
    case Qt::Key_Tab:
      return 9;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return 13;
    case Qt::Key_Shift:
      return 16;
    case Qt::Key_Control:
      return 17;
    case Qt::Key_Alt:
      return 18;
    case Qt::Key_Space:
      return 32;
    case Qt::Key_Left:
      return 37;
    case Qt::Key_Up:
      return 38;
    case Qt::Key_Right:
      return 39;
    case Qt::Key_Down:
      return 40;
    default:
      return 0;
  }
}

std::optional<WinMessage> TranslateEvent(const QObject *receiver, const QEvent *event) {
  if (!receiver || !event || !receiver->isWindowType()) return std::nullopt;
  switch (event->type()) {
    case QEvent::KeyPress:
      return keyMessage(static_cast<const QKeyEvent &>(*event));
    case QEvent::MouseMove:
      return WinMessage{WM_MOUSEMOVE, 0};
    case QEvent::MouseButtonPress:
      return pressMessage(static_cast<const QMouseEvent &>(*event));
    default:
      return std::nullopt;
  }
}

}  // namespace vantor
