#pragma once
// Pieces shared by the end-to-end tests that run the program under a
// virtual X server of their own: one-colour pictures, starting programs with
// a prepared environment, and the server itself.

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "test_util.h"

namespace vantor::test {

struct Rgb {
  int r, g, b;
};

// A 24-bit BMP whose pixel at (x, y), top row first, is colourAt(x, y).
template <typename ColourAt>
std::string bmp(int w, int h, ColourAt colourAt) {
  const int stride = (w * 3 + 3) & ~3;
  const uint32_t size = 54 + uint32_t(stride) * uint32_t(h);
  std::string b(size, '\0');
  auto put = [&](size_t at, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) b[at + size_t(i)] = char((v >> (8 * i)) & 0xFF);
  };
  b[0] = 'B';
  b[1] = 'M';
  put(2, size, 4);
  put(10, 54, 4);
  put(14, 40, 4);
  put(18, uint32_t(w), 4);
  put(22, uint32_t(h), 4);
  put(26, 1, 2);
  put(28, 24, 2);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      // Rows are stored bottom up.
      const size_t p = 54 + size_t(h - 1 - y) * size_t(stride) + size_t(x) * 3;
      const Rgb c = colourAt(x, y);
      b[p] = char(c.b);
      b[p + 1] = char(c.g);
      b[p + 2] = char(c.r);
    }
  return b;
}

// A 24-bit BMP of one colour.
inline std::string solidBmp(int w, int h, Rgb c) {
  return bmp(w, h, [c](int, int) { return c; });
}

// Starts argv with env added; with `firstLine` set, waits for the first line
// of its standard output. Its output is discarded unless VANTOR_E2E_VERBOSE
// is set.
inline pid_t spawn(const std::vector<std::string> &argv, const std::vector<std::string> &env,
                   std::string *firstLine = nullptr) {
  int out[2] = {-1, -1};
  if (firstLine && pipe(out) != 0) return -1;
  const pid_t pid = fork();
  if (pid == 0) {
    for (const std::string &e : env) putenv(const_cast<char *>(e.c_str()));
    const int null = open("/dev/null", O_RDWR);
    dup2(null, 0);
    dup2(firstLine ? out[1] : null, 1);
    if (!std::getenv("VANTOR_E2E_VERBOSE")) dup2(null, 2);
    std::vector<char *> args;
    for (const std::string &a : argv) args.push_back(const_cast<char *>(a.c_str()));
    args.push_back(nullptr);
    execvp(args[0], args.data());
    _exit(127);
  }
  if (firstLine) {
    close(out[1]);
    char c;
    while (read(out[0], &c, 1) == 1 && c != '\n') firstLine->push_back(c);
    close(out[0]);
  }
  return pid;
}

// A private X server on the first display number from `firstNumber` on that
// no server holds: Xvfb with one screen, or Xorg's dummy driver with two
// monitors side by side. display() is empty when none started.
class XServer {
 public:
  // Xvfb with one screen of `screen` ("640x480x24").
  XServer(const std::string &log, const std::string &screen, int firstNumber) {
    startOnFree(
        firstNumber,
        [&](const std::string &display) {
          return std::vector<std::string>{"Xvfb", display,     "-screen", "0",
                                          screen, "-nolisten", "tcp",     "-noreset"};
        },
        log);
  }

  // Xorg with the dummy driver: one `width` x `height` frame buffer split
  // into a left and a right monitor of equal size. Needs root.
  static std::unique_ptr<XServer> twoMonitors(const std::string &folder, int width, int height,
                                              int firstNumber) {
    const std::string config = folder + "/xorg.conf";
    writeFile(config, dummyConfig(width, height));
    std::filesystem::create_directories(folder + "/xorg.conf.d");
    auto x = std::unique_ptr<XServer>(new XServer);
    x->startOnFree(
        firstNumber,
        [&](const std::string &display) {
          return std::vector<std::string>{"Xorg",       display,
                                          "-config",    config,
                                          "-configdir", folder + "/xorg.conf.d",
                                          "-logfile",   folder + "/xorg.log",
                                          "-nolisten",  "tcp",
                                          "-noreset",   "-sharevts",
                                          "-novtswitch"};
        },
        folder + "/xorg.out");
    if (!x->display_.empty() && !x->splitIntoTwoMonitors(width, height)) {
      x->stop();
      x->display_.clear();
    }
    return x;
  }

  ~XServer() { stop(); }
  XServer(const XServer &) = delete;
  XServer &operator=(const XServer &) = delete;
  const std::string &display() const { return display_; }

 private:
  using Command = std::vector<std::string>;
  XServer() = default;

  template <typename MakeCommand>
  void startOnFree(int firstNumber, MakeCommand makeCommand, const std::string &log) {
    for (int n = firstNumber + int(getpid() % 50); n < firstNumber + 400 && display_.empty();
         n += 7) {
      const std::string number = std::to_string(n);
      if (exists("/tmp/.X" + number + "-lock") || exists("/tmp/.X11-unix/X" + number)) continue;
      if (startOn(":" + number, makeCommand(":" + number), log)) display_ = ":" + number;
    }
  }

  bool startOn(const std::string &display, const Command &command, const std::string &log) {
    pid_ = fork();
    if (pid_ == 0) {
      const int out = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      dup2(out, 1);
      dup2(out, 2);
      std::vector<char *> args;
      for (const std::string &a : command) args.push_back(const_cast<char *>(a.c_str()));
      args.push_back(nullptr);
      execvp(args[0], args.data());
      _exit(127);
    }
    // Ready when a client gets through; a server that ends lost the number.
    for (int i = 0; i < 200; ++i) {
      if (waitpid(pid_, nullptr, WNOHANG) == pid_) {
        pid_ = -1;
        return false;
      }
      if (run("DISPLAY=" + display + " xdotool getdisplaygeometry >/dev/null 2>&1") == 0)
        return true;
      usleep(50000);
    }
    stop();
    return false;
  }

  // The dummy driver has one output; RandR's monitor objects make two
  // monitors of it, which is what programs see of a two-monitor desk.
  bool splitIntoTwoMonitors(int width, int height) {
    const std::string half = std::to_string(width / 2), h = std::to_string(height);
    const std::string xrandr = "DISPLAY=" + display_ + " xrandr ";
    return run(xrandr + "--fb " + std::to_string(width) + "x" + h + " >/dev/null 2>&1") == 0 &&
           run(xrandr + "--setmonitor L " + half + "/211x" + h +
               "/203+0+0 DUMMY0 >/dev/null 2>&1") == 0 &&
           run(xrandr + "--setmonitor R " + half + "/211x" + h + "/203+" + half +
               "+0 none >/dev/null 2>&1") == 0;
  }

  static std::string dummyConfig(int width, int height) {
    return "Section \"Device\"\n  Identifier \"dummy\"\n  Driver \"dummy\"\n"
           "  VideoRam 64000\nEndSection\n"
           "Section \"Monitor\"\n  Identifier \"monitor\"\n  HorizSync 5.0-1000.0\n"
           "  VertRefresh 5.0-200.0\nEndSection\n"
           "Section \"Screen\"\n  Identifier \"screen\"\n  Device \"dummy\"\n"
           "  Monitor \"monitor\"\n  DefaultDepth 24\n  SubSection \"Display\"\n"
           "    Depth 24\n    Virtual " +
           std::to_string(width) + " " + std::to_string(height) +
           "\n  EndSubSection\nEndSection\n"
           "Section \"ServerLayout\"\n  Identifier \"layout\"\n  Screen \"screen\"\n"
           "EndSection\n";
  }

  void stop() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }

  pid_t pid_ = -1;
  std::string display_;
};

}  // namespace vantor::test
