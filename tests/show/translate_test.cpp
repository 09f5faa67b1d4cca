// Qt's input events become the platform's messages at one place, once per
// event: only the delivery to the top-level window counts.

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWindow>
#include <cstdlib>

#include "show/message_translate.h"

namespace vantor {
namespace {

class Translate : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static int argc = 1;
    static char name[] = "translate_test";
    static char *argv[] = {name, nullptr};
    // Kept to the end of the process: tearing Qt down at exit runs after
    // its plugins are gone.
    if (!QGuiApplication::instance()) new QGuiApplication(argc, argv);
  }
  QWindow window;
  QObject plainObject;
};

QMouseEvent mouse(QEvent::Type type, Qt::MouseButton button) {
  return QMouseEvent(type, QPointF(5, 5), QPointF(5, 5), button, button, Qt::NoModifier);
}

// Each input event delivered to the window as the message it becomes, or
// none (0); delivered anywhere else it becomes none.
TEST_F(Translate, InputBecomesItsMessageAtTheWindowOnly) {
  using Type = QEvent::Type;
  QKeyEvent esc(Type::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QKeyEvent a(Type::KeyPress, Qt::Key_A, Qt::NoModifier);
  QKeyEvent altA(Type::KeyPress, Qt::Key_A, Qt::AltModifier);
  QKeyEvent release(Type::KeyRelease, Qt::Key_A, Qt::NoModifier);
  QMouseEvent move = mouse(Type::MouseMove, Qt::NoButton);
  QMouseEvent left = mouse(Type::MouseButtonPress, Qt::LeftButton);
  QMouseEvent right = mouse(Type::MouseButtonPress, Qt::RightButton);
  QMouseEvent middle = mouse(Type::MouseButtonPress, Qt::MiddleButton);
  QMouseEvent up = mouse(Type::MouseButtonRelease, Qt::LeftButton);
  const struct {
    const char *name;
    QEvent *event;
    unsigned message;
    uintptr_t wParam;  // checked for keys only
  } cases[] = {
      {"Esc", &esc, 256, 27},         {"A", &a, 256, 'A'},         {"AltA", &altA, 260, 'A'},
      {"KeyRelease", &release, 0, 0}, {"Move", &move, 512, 0},     {"Left", &left, 513, 0},
      {"Right", &right, 516, 0},      {"Middle", &middle, 519, 0}, {"ButtonUp", &up, 0, 0},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    const auto e = TranslateEvent(&window, c.event);
    EXPECT_EQ(e ? e->message : 0u, c.message);
    if (e && c.wParam) {
      EXPECT_EQ(e->wParam, c.wParam);
    }
    EXPECT_FALSE(TranslateEvent(&plainObject, c.event));
    EXPECT_FALSE(TranslateEvent(nullptr, c.event));
  }
}

TEST(VirtualKeys, CodesOfCommonKeys) {
  EXPECT_EQ(VirtualKeyCode(Qt::Key_Escape), 27u);
  EXPECT_EQ(VirtualKeyCode(Qt::Key_Z), uintptr_t('Z'));
  EXPECT_EQ(VirtualKeyCode(Qt::Key_5), uintptr_t('5'));
  EXPECT_EQ(VirtualKeyCode(Qt::Key_F1), 0x70u);
  EXPECT_EQ(VirtualKeyCode(Qt::Key_Return), 13u);
  EXPECT_EQ(VirtualKeyCode(Qt::Key_MediaPlay), 0u);
}

}  // namespace
}  // namespace vantor
