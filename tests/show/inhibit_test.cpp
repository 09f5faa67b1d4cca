// The idle-saver inhibition over a session bus of the test's own, with a
// stand-in desktop service that records the calls it gets.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QMutex>
#include <QThread>
#include <cstdlib>

#include "../common/test_util.h"
#include "platform/screensaver_inhibit.h"

namespace vantor::test {
namespace {

// org.freedesktop.ScreenSaver as a desktop offers it: Inhibit hands out
// cookies, UnInhibit takes them back.
class FakeScreenSaver : public QDBusVirtualObject {
 public:
  QString introspect(const QString &) const override { return {}; }
  bool handleMessage(const QDBusMessage &m, const QDBusConnection &bus) override {
    QMutexLocker lock(&mutex);
    if (m.member() == "Inhibit" && m.arguments().size() == 2) {
      calls << "Inhibit " + m.arguments()[0].toString();
      bus.send(m.createReply(QVariant::fromValue(uint(77))));
      return true;
    }
    if (m.member() == "UnInhibit" && m.arguments().size() == 1) {
      calls << "UnInhibit " + QString::number(m.arguments()[0].toUInt());
      bus.send(m.createReply());
      return true;
    }
    return false;
  }
  QStringList recorded() {
    QMutexLocker lock(&mutex);
    return calls;
  }

 private:
  QMutex mutex;
  QStringList calls;
};

class Inhibit : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    static TempDir dir;
    const std::string socket = dir / "bus";
    address_ = "unix:path=" + socket;
    daemon_ = fork();
    if (daemon_ == 0) {
      const int null = open("/dev/null", O_RDWR);
      dup2(null, 1);
      dup2(null, 2);
      execlp("dbus-daemon", "dbus-daemon", "--session", "--nofork", "--nopidfile",
             ("--address=" + address_).c_str(), nullptr);
      _exit(127);
    }
    setenv("DBUS_SESSION_BUS_ADDRESS", address_.c_str(), 1);
    static int argc = 1;
    static char name[] = "inhibit_test";
    static char *argv[] = {name, nullptr};
    if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);
    // The socket appears before the daemon listens on it: wait until a
    // connection is taken, for as long as a loaded machine may need.
    for (int i = 0; i < 400; ++i) {
      if (exists(socket)) {
        const QString probe = QString("probe%1").arg(i);
        const bool up =
            QDBusConnection::connectToBus(QString::fromStdString(address_), probe).isConnected();
        QDBusConnection::disconnectFromBus(probe);
        if (up) break;
      }
      usleep(25000);
    }
  }
  static void TearDownTestSuite() {
    if (daemon_ > 0) {
      kill(daemon_, SIGTERM);
      waitpid(daemon_, nullptr, 0);
    }
  }

  // The desktop's side, on a connection and a thread of its own so that the
  // program's blocking calls get their answers.
  void offerService() {
    QDBusConnection desktop =
        QDBusConnection::connectToBus(QString::fromStdString(address_), "desktop");
    ASSERT_TRUE(desktop.isConnected());
    offered = true;
    service.moveToThread(&thread);
    thread.start();
    ASSERT_TRUE(desktop.registerVirtualObject("/org/freedesktop/ScreenSaver", &service));
    ASSERT_TRUE(desktop.registerService("org.freedesktop.ScreenSaver"));
  }
  void TearDown() override {
    if (!offered) return;
    QDBusConnection desktop("desktop");
    desktop.unregisterService("org.freedesktop.ScreenSaver");
    desktop.unregisterObject("/org/freedesktop/ScreenSaver");
    QDBusConnection::disconnectFromBus("desktop");
    thread.quit();
    thread.wait();
  }

  FakeScreenSaver service;
  QThread thread;
  bool offered = false;
  static inline std::string address_;
  static inline pid_t daemon_ = -1;
};

TEST_F(Inhibit, HeldWhileTheShowRunsAndGivenBackAtTheEnd) {
  {
    ScreenSaverInhibitor without;  // no desktop service: nothing is held
    EXPECT_FALSE(without.inhibit());
    EXPECT_FALSE(without.held());
  }
  offerService();
  {
    ScreenSaverInhibitor inhibitor;
    ASSERT_TRUE(inhibitor.inhibit());
    EXPECT_TRUE(inhibitor.held());
    EXPECT_TRUE(inhibitor.inhibit());  // asked once only
    EXPECT_EQ(service.recorded(), QStringList{"Inhibit vantor-saver"});
  }  // released when it goes
  EXPECT_EQ(service.recorded(), (QStringList{"Inhibit vantor-saver", "UnInhibit 77"}));
}

}  // namespace
}  // namespace vantor::test
