// The show as an XScreenSaver hack: a packaged show inside a small window
// named by --window-id as the settings app does it, and the program with no
// package under the real daemon, which shows the user's picture folder
// (imageDirectory) and refuses to run as root, so runs as a user made for the
// test.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>

#include "../common/saver_e2e.h"

namespace vantor::test {
namespace {

using namespace std::chrono_literals;

constexpr Rgb kRed{200, 30, 40};
constexpr int kWidth = 640, kHeight = 480;

class HackE2E : public ::testing::Test {
 protected:
  TempDir dir;
  std::unique_ptr<XServer> x = std::make_unique<XServer>(dir / "xvfb.log", "640x480x24", 180);
  PackagedSaver saver{dir, x->display()};

  void SetUp() override {
    ASSERT_FALSE(x->display().empty()) << "Xvfb did not start";
    writeFile(dir / "red.bmp", solidBmp(kWidth, kHeight, kRed));
    ASSERT_TRUE(
        saver.pack("[Set]\r\nImageInterval=2\r\nuseeffects=0,\r\nPlayMusic=0\r\n"
                   "[Pictures]\r\nred.bmp=1\r\n",
                   {dir / "red.bmp"}));
  }
  // The colour of one pixel of the screen.
  bool screenAt(int px, int py, Rgb c) const {
    const std::string rgb = grabRgb(x->display());
    const size_t at = (size_t(py) * kWidth + size_t(px)) * 3;
    return rgb.size() == size_t(kWidth) * kHeight * 3 && nearColour(&rgb[at], c);
  }
};

TEST_F(HackE2E, WindowIdDrawsInsideThatWindowOnly) {
  std::string window;
  const pid_t host = spawn({HOST_WINDOW, "320", "240"}, saver.env(), &window);
  ASSERT_FALSE(window.empty()) << "the host window did not open";
  char hex[16];
  std::snprintf(hex, sizeof hex, "0x%lX", std::stoul(window));
  saver.start({"--window-id", hex});
  EXPECT_TRUE(waitUntil([&] { return allOf(grabRgb(x->display(), window), 320 * 240, kRed); }, 20s))
      << "the show never filled the window";
  EXPECT_FALSE(screenAt(500, 400, kRed)) << "the show drew outside its window";
  kill(saver.pid(), SIGTERM);
  EXPECT_NE(saver.waitForExit(1000ms), -1);
  EXPECT_TRUE(saver.workFolderEmpty());
  kill(host, SIGTERM);
  waitpid(host, nullptr, 0);
}

TEST_F(HackE2E, DaemonShowsTheHackAndEndsIt) {
  if (getuid() != 0) GTEST_SKIP() << "making the daemon's user needs root";
  if (run("command -v xscreensaver >/dev/null") != 0) GTEST_SKIP() << "xscreensaver missing";
  const std::string user = "vantor-xss";
  ASSERT_EQ(run("id -u " + user + " >/dev/null 2>&1 || useradd -M -s /usr/sbin/nologin " + user),
            0);
  // The daemon's user reaches the program, its own folders, the pictures
  // and the display.
  chmod(dir.path().c_str(), 0755);
  writeFile(dir / "pictures/2026/red.bmp", solidBmp(kWidth, kHeight, kRed));
  ASSERT_EQ(run("install -m 755 '" + binDir() + "vantor-saver' '" + (dir / "vantor-saver") + "'"),
            0);
  writeFile(dir / "home/.xscreensaver",
            "mode: one\nselected: 0\ntimeout: 1:00:00\nlock: False\nfade: False\n"
            "unfade: False\nsplash: False\ndpmsEnabled: False\nimageDirectory: " +
                (dir / "pictures") + "\nprograms: " + (dir / "vantor-saver") + " --root \\n\n");
  ASSERT_EQ(run("chown -R " + user + " '" + (dir / "home") + "' '" + saver.runFolder() + "'"), 0);
  ASSERT_EQ(run("DISPLAY=" + x->display() + " xhost +si:localuser:" + user + " >/dev/null"), 0);
  const std::string as = "runuser -u " + user + " -- env -i PATH=/usr/bin:/bin HOME='" +
                         (dir / "home") + "' DISPLAY=" + x->display() + " XDG_RUNTIME_DIR='" +
                         saver.runFolder() + "' XDG_CONFIG_HOME='" + (dir / "home") + "' ";
  const pid_t daemon = fork();
  if (daemon == 0) {
    execl("/bin/sh", "sh", "-c", (as + "xscreensaver -no-splash >/dev/null 2>&1").c_str(),
          (char *)nullptr);
    _exit(127);
  }
  const auto command = [&](const std::string &what) {
    return run(as + "xscreensaver-command " + what + " >/dev/null 2>&1");
  };
  ASSERT_TRUE(waitUntil([&] { return command("-version") == 0; }, 20s)) << "no daemon";
  ASSERT_EQ(command("-activate"), 0);
  std::string pid;
  EXPECT_TRUE(
      waitUntil([&] { return run("pgrep -u " + user + " -f vantor-saver", &pid) == 0; }, 10s));
  EXPECT_TRUE(waitUntil([&] { return allOf(grabRgb(x->display()), kWidth * kHeight, kRed); }, 20s))
      << "the picture never covered the screen";
  ASSERT_EQ(command("-deactivate"), 0);
  // Ended: gone, or a zombie that nobody reaps once the daemon's helper left.
  const std::string stat = "/proc/" + std::to_string(std::atoi(pid.c_str())) + "/stat";
  EXPECT_TRUE(waitUntil(
      [&] { return !exists(stat) || readFile(stat).find(") Z ") != std::string::npos; }, 1000ms))
      << "the hack outlived the show: " << pid;
  EXPECT_TRUE(saver.workFolderEmpty());
  command("-exit");
  if (!waitUntil([&] { return waitpid(daemon, nullptr, WNOHANG) == daemon; }, 5s)) {
    kill(daemon, SIGKILL);
    waitpid(daemon, nullptr, 0);
  }
}

}  // namespace
}  // namespace vantor::test
