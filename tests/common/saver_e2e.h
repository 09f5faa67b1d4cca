#pragma once
// The packaged program as the end-to-end tests run it: packed by the real
// packer with a test's pictures and settings, started under the test's X
// server with private folders, and watched from outside as a user would see
// it: the screen's pixels, its windows, its exit code and its work folder.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "test_util.h"
#include "x_server.h"

namespace vantor::test {

// A window's (or the root's, with "root") pixels as RGB bytes.
inline std::string grabRgb(const std::string &display, const std::string &window = "root") {
  std::string rgb;
  run("DISPLAY=" + display + " import -window " + window + " -depth 8 rgb:- 2>/dev/null", &rgb);
  return rgb;
}

inline bool nearColour(const char *px, Rgb c, int tolerance = 2) {
  auto near = [tolerance](char v, int want) {
    return std::abs(int(uint8_t(v)) - want) <= tolerance;
  };
  return near(px[0], c.r) && near(px[1], c.g) && near(px[2], c.b);
}

// Whether an RGB image of `pixels` pixels is all of one colour.
inline bool allOf(const std::string &rgb, size_t pixels, Rgb c) {
  if (rgb.size() != pixels * 3) return false;
  for (size_t i = 0; i < rgb.size(); i += 3)
    if (!nearColour(&rgb[i], c)) return false;
  return true;
}

// Polls `holds` until it is true or `limit` has passed.
template <typename Condition>
bool waitUntil(Condition holds, std::chrono::milliseconds limit) {
  const auto end = std::chrono::steady_clock::now() + limit;
  do {
    if (holds()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  } while (std::chrono::steady_clock::now() < end);
  return holds();
}

class PackagedSaver {
 public:
  PackagedSaver(const TempDir &dir, std::string display)
      : dir_(dir), display_(std::move(display)) {}
  ~PackagedSaver() {
    if (pid_ > 0 && !finished()) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
  }
  PackagedSaver(const PackagedSaver &) = delete;
  PackagedSaver &operator=(const PackagedSaver &) = delete;

  // Packs the files `items` with the settings text `ini` into the program.
  ::testing::AssertionResult pack(const std::string &ini, const std::vector<std::string> &items) {
    writeFile(dir_ / "show.ini", ini);
    std::string command = binDir() + "vantor-pack --program " + binDir() +
                          "vantor-saver --settings " + dir_ / "show.ini" + " --out " + program();
    for (const std::string &item : items) command += " " + item;
    if (run(command) != 0) return ::testing::AssertionFailure() << "packing failed: " << command;
    chmod(program().c_str(), 0755);
    std::filesystem::create_directories(runFolder());
    chmod(runFolder().c_str(), 0700);
    return ::testing::AssertionSuccess();
  }

  // The program's environment: the test's display and private folders.
  std::vector<std::string> env(const std::vector<std::string> &extra = {}) const {
    std::vector<std::string> e = {"DISPLAY=" + display_, "XDG_RUNTIME_DIR=" + runFolder(),
                                  "XDG_CONFIG_HOME=" + dir_ / "config",
                                  "XDG_DATA_HOME=" + dir_ / "data", "QT_QPA_PLATFORM=xcb",
                                  // In the sanitizer build: what outside libraries keep
                                  // until the end is not ours to report.
                                  "LSAN_OPTIONS=suppressions=" + std::string(VANTOR_SOURCE_DIR) +
                                      "/tests/show/outside_leaks.supp"};
    e.insert(e.end(), extra.begin(), extra.end());
    return e;
  }

  void start(const std::vector<std::string> &args, const std::vector<std::string> &extraEnv = {}) {
    std::vector<std::string> argv = {program()};
    argv.insert(argv.end(), args.begin(), args.end());
    pid_ = spawn(argv, env(extraEnv));
  }

  pid_t pid() const { return pid_; }
  bool finished() {
    if (exitStatus_ >= 0) return true;
    int status = 0;
    if (pid_ <= 0 || waitpid(pid_, &status, WNOHANG) != pid_) return false;
    exitStatus_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return true;
  }
  // The exit status, or -1 while the program still runs after `limit`.
  int waitForExit(std::chrono::milliseconds limit = std::chrono::seconds(20)) {
    waitUntil([this] { return finished(); }, limit);
    return exitStatus_;
  }

  // The ids of the program's visible windows.
  std::vector<std::string> visibleWindows() const {
    std::string ids;
    run("DISPLAY=" + display_ + " xdotool search --onlyvisible --pid " + std::to_string(pid_) +
            " 2>/dev/null",
        &ids);
    std::vector<std::string> windows;
    std::istringstream in(ids);
    for (std::string id; in >> id;) windows.push_back(id);
    return windows;
  }
  // A window's place on the screen as "x y width height".
  std::string geometryOf(const std::string &window) const {
    std::string shell;
    run("DISPLAY=" + display_ + " xwininfo -id " + window + " 2>/dev/null", &shell);
    auto value = [&](const std::string &key) {
      const size_t at = shell.find(key);
      return at == std::string::npos ? std::string("?")
                                     : std::to_string(std::atoi(shell.c_str() + at + key.size()));
    };
    return value("Absolute upper-left X:") + " " + value("Absolute upper-left Y:") + " " +
           value("Width:") + " " + value("Height:");
  }

  std::string runFolder() const { return dir_ / "run"; }
  // No file left in the work folder, and no hack's own folder either.
  bool workFolderEmpty() const {
    std::error_code ec;
    for (auto &e : std::filesystem::recursive_directory_iterator(runFolder() + "/Vantor", ec))
      if (!e.is_directory() || e.path().filename().string().rfind("hack-", 0) == 0) return false;
    return true;
  }

 private:
  std::string program() const { return dir_ / "show.scr"; }

  const TempDir &dir_;
  std::string display_;
  pid_t pid_ = -1;
  int exitStatus_ = -1;
};

}  // namespace vantor::test
