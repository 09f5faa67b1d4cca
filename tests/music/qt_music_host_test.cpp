// The Qt host: posted tasks run after the current handler and are dropped
// with the host; timers fire only with an interval and while enabled.
#include "music/qt_music_host.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>

namespace {

class QtMusicHostTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    static int argc = 1;
    static char name[] = "qt_music_host_test";
    static char *argv[] = {name, nullptr};
    if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);
  }
  static void drain() {
    for (int i = 0; i < 10; ++i) QCoreApplication::processEvents();
  }
};

TEST_F(QtMusicHostTest, APostedTaskRunsAfterTheHandlerThatPostedIt) {
  vantor::QtMusicHost host;
  std::vector<std::string> order;
  host.post([&] {
    order.push_back("handler begins");
    host.post([&] { order.push_back("posted task"); });
    order.push_back("handler ends");
  });
  EXPECT_TRUE(order.empty());
  drain();
  EXPECT_EQ(order, (std::vector<std::string>{"handler begins", "handler ends", "posted task"}));
}

TEST_F(QtMusicHostTest, TasksWaitingWhenTheHostGoesAreDropped) {
  bool ran = false;
  {
    vantor::QtMusicHost host;
    host.post([&] { ran = true; });
  }
  drain();
  EXPECT_FALSE(ran);
}

TEST_F(QtMusicHostTest, ATimerWithoutIntervalStaysSilent) {
  vantor::QtMusicHost host;
  int fired = 0;
  auto timer = host.createTimer([&] { ++fired; });
  EXPECT_FALSE(timer->enabled());
  timer->setEnabled(true);
  EXPECT_TRUE(timer->enabled());
  drain();
  EXPECT_EQ(fired, 0);
  timer->setInterval(1);
  QElapsedTimer clock;
  clock.start();
  while (fired == 0 && clock.elapsed() < 10000) QCoreApplication::processEvents();
  EXPECT_GT(fired, 0);
  timer->setEnabled(false);
  const int atStop = fired;
  drain();
  EXPECT_EQ(fired, atStop);
}

}  // namespace
