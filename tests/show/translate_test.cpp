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

TEST_F(Translate, KeysBecomeKeyDownWithTheirCode) {
  QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QKeyEvent a(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier);
  QKeyEvent altA(QEvent::KeyPress, Qt::Key_A, Qt::AltModifier);
  QKeyEvent release(QEvent::KeyRelease, Qt::Key_A, Qt::NoModifier);
  auto e = TranslateEvent(&window, &esc);
  ASSERT_TRUE(e);
  EXPECT_EQ(e->message, 256u);
  EXPECT_EQ(e->wParam, 27u);
  e = TranslateEvent(&window, &a);
  ASSERT_TRUE(e);
  EXPECT_EQ(e->message, 256u);
  EXPECT_EQ(e->wParam, uintptr_t('A'));
  e = TranslateEvent(&window, &altA);
  ASSERT_TRUE(e);
  EXPECT_EQ(e->message, 260u);
  EXPECT_FALSE(TranslateEvent(&window, &release));
}

TEST_F(Translate, MouseEventsBecomeTheirMessages) {
  QMouseEvent move = mouse(QEvent::MouseMove, Qt::NoButton);
  QMouseEvent left = mouse(QEvent::MouseButtonPress, Qt::LeftButton);
  QMouseEvent right = mouse(QEvent::MouseButtonPress, Qt::RightButton);
  QMouseEvent middle = mouse(QEvent::MouseButtonPress, Qt::MiddleButton);
  QMouseEvent up = mouse(QEvent::MouseButtonRelease, Qt::LeftButton);
  EXPECT_EQ(TranslateEvent(&window, &move)->message, 512u);
  EXPECT_EQ(TranslateEvent(&window, &left)->message, 513u);
  EXPECT_EQ(TranslateEvent(&window, &right)->message, 516u);
  EXPECT_EQ(TranslateEvent(&window, &middle)->message, 519u);
  EXPECT_FALSE(TranslateEvent(&window, &up));
}

TEST_F(Translate, DeliveriesToOtherObjectsAreNotCountedAgain) {
  QKeyEvent a(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier);
  QMouseEvent left = mouse(QEvent::MouseButtonPress, Qt::LeftButton);
  EXPECT_FALSE(TranslateEvent(&plainObject, &a));
  EXPECT_FALSE(TranslateEvent(&plainObject, &left));
  EXPECT_FALSE(TranslateEvent(nullptr, &a));
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
