#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "../common/test_util.h"
#include "app/command_line.h"
#include "package/package_writer.h"

using namespace vantor;
using namespace vantor::test;

TEST(CommandLine, ModesAndWindows) {
  struct Case {
    std::vector<std::string> args;
    RunMode mode;
    int32_t window;
  } cases[] = {
      {{}, RunMode::ConfigureDefault, 0},
      {{"/c"}, RunMode::Configure, 0},
      {{"/C"}, RunMode::Configure, 0},
      {{"-c"}, RunMode::Configure, 0},
      {{"/c:1234"}, RunMode::Configure, 0},
      {{"/s"}, RunMode::Saver, 0},
      {{"/S"}, RunMode::Saver, 0},
      {{"-s"}, RunMode::Saver, 0},
      {{"/x"}, RunMode::Saver, 0},
      {{"/p", "1234"}, RunMode::Preview, 1234},
      {{"/p"}, RunMode::ConfigureDefault, 0},
      {{"/p:1234"}, RunMode::ConfigureDefault, 0},
      {{"/a", "1234"}, RunMode::PasswordChange, 1234},
      {{"/a"}, RunMode::ConfigureDefault, 0},
      {{"/a", "abc"}, RunMode::PasswordChange, 0},
      {{"/p", "-5"}, RunMode::Preview, -5},
      {{"/p", "99999999999"}, RunMode::Preview, 0},
      {{"/"}, RunMode::ConfigureDefault, 0},
  };
  for (const Case &c : cases) {
    CommandLine cl = ParseCommandLine("/usr/bin/a.scr", c.args);
    std::string label = c.args.empty() ? "(none)" : c.args[0];
    EXPECT_EQ(cl.runMode, c.mode) << label;
    EXPECT_EQ(cl.parentWindow, c.window) << label;
  }
}

TEST(CommandLine, SaverKindFromTheWholePath) {
  struct Case {
    const char *path;
    SaverKind kind;
  } cases[] = {{"/home/u/Video Clips/beach.scr", SaverKind::Video},
               {"/x/my web flash video.scr", SaverKind::Flash},
               {"/x/WEBsaver.scr", SaverKind::Web},
               {"/x/pictures.scr", SaverKind::Image}};
  for (const Case &c : cases) EXPECT_EQ(SaverKindFromPath(c.path), c.kind) << c.path;
}

namespace {

// A packaged copy of the built program in its own folder, run with private
// temporary and configuration folders.
class PackagedProgram {
 public:
  explicit PackagedProgram(const std::string &name) {
    const std::string jpeg = realJpeg();
    std::vector<PackItem> items;
    std::string settings = "[Set]\r\nImageInterval=4\r\n[Pictures]\r\n";
    if (!jpeg.empty()) {
      items.push_back({"photo.jpg", jpeg, false});
      settings += "photo.jpg=1\r\n";
    }
    std::string error;
    path_ = dir_ / name;
    EXPECT_TRUE(WritePackage(binDir() + "vantor-saver", path_, settings, "demo.002", items, &error))
        << error;
    chmod(path_.c_str(), 0755);
    writeFile(runtime_ / ".keep", "");
    chmod(runtime_.path().c_str(), 0700);
  }
  std::string env() const {
    return "XDG_RUNTIME_DIR='" + runtime_.path() + "' XDG_CONFIG_HOME='" + config_.path() +
           "' VANTOR_DRY_RUN=1 ";
  }
  int run(const std::string &args, std::string *out) const {
    return test::run(env() + "'" + path_ + "' " + args + " 2>&1", out);
  }
  std::string workFolder() const { return runtime_ / "Vantor/"; }
  std::string runtimeFolder() const { return runtime_.path(); }
  const std::string &path() const { return path_; }

 private:
  TempDir dir_, runtime_, config_;
  std::string path_;
};

size_t filesIn(const std::string &folder) {
  size_t n = 0;
  std::error_code ec;
  for (auto &e : std::filesystem::directory_iterator(folder, ec)) n += e.is_regular_file() ? 1 : 0;
  return n;
}

}  // namespace

TEST(Program, PackagedCopyReachesTheRightDispatchPoint) {
  struct Case {
    const char *name;
    const char *args;
    const char *dispatch;
  } cases[] = {{"saver.scr", "/s", "dispatch=fullscreen"},
               {"saver.scr", "/c", "dispatch=config"},
               {"saver.scr", "", "dispatch=config"},
               {"saver.scr", "/p 123", "dispatch=preview runmode=4 window=123"},
               {"saver.scr", "/a 123", "dispatch=password runmode=5 window=123"},
               {"saver.scr", "/a abc", "dispatch=none"},
               {"x.exe", "/c", "dispatch=fullscreen"},
               {"x.EXE", "/p 5", "dispatch=fullscreen"}};
  for (const Case &c : cases) {
    PackagedProgram p(c.name);
    std::string out;
    EXPECT_EQ(p.run(c.args, &out), 0) << c.name << " " << c.args;
    EXPECT_NE(out.find(c.dispatch), std::string::npos) << c.args << ": " << out;
    EXPECT_NE(out.find("package=1"), std::string::npos) << out;
    EXPECT_EQ(filesIn(p.workFolder()), 0u) << "work folder emptied at exit";
  }
}

TEST(Program, WithoutPackageTheCommandLineDecides) {
  TempDir dir, runtime, config;
  chmod(runtime.path().c_str(), 0700);
  std::filesystem::copy_file(binDir() + "vantor-saver", dir / "x.exe");
  std::string out;
  const std::string env = "XDG_RUNTIME_DIR='" + runtime.path() + "' XDG_CONFIG_HOME='" +
                          config.path() + "' VANTOR_DRY_RUN=1 ";
  EXPECT_EQ(run(env + "'" + (dir / "x.exe") + "' /c", &out), 0);
  EXPECT_NE(out.find("dispatch=config"), std::string::npos) << out;
  EXPECT_NE(out.find("package=0"), std::string::npos) << out;
  EXPECT_NE(out.find(dir / "x.002"), std::string::npos) << out;
}

TEST(Program, SecondInstanceLeavesAndSignalsStillCleanUp) {
  PackagedProgram p("saver.scr");
  const std::string command = p.env() + "VANTOR_DRY_RUN=hold exec '" + p.path() + "' /s";
  pid_t first = fork();
  if (first == 0) {
    execl("/bin/sh", "sh", "-c", command.c_str(), (char *)nullptr);
    _exit(127);
  }
  // Wait until the first instance has unpacked its settings.
  for (int i = 0; i < 200 && filesIn(p.workFolder()) == 0; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(25));
  ASSERT_GT(filesIn(p.workFolder()), 0u);
  std::string out;
  EXPECT_EQ(p.run("/s", &out), 0);
  EXPECT_EQ(out, "") << "a second instance shows nothing";
  EXPECT_EQ(filesIn(p.workFolder()), 0u) << "and still empties the work folder";
  for (int sig : {SIGTERM}) {
    kill(first, sig);
    int status = 0;
    waitpid(first, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status));
  }
  EXPECT_EQ(filesIn(p.workFolder()), 0u);
}

TEST(Program, EachStopSignalCleansTheWorkFolder) {
  for (int sig : {SIGTERM, SIGINT, SIGHUP}) {
    PackagedProgram p("saver.scr");
    const std::string command = p.env() + "VANTOR_DRY_RUN=hold exec '" + p.path() + "' /s";
    pid_t child = fork();
    if (child == 0) {
      execl("/bin/sh", "sh", "-c", command.c_str(), (char *)nullptr);
      _exit(127);
    }
    for (int i = 0; i < 200 && filesIn(p.workFolder()) == 0; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(25));
    ASSERT_GT(filesIn(p.workFolder()), 0u) << sig;
    writeFile(p.workFolder() + "sub/kept.txt", "k");
    kill(child, sig);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == sig) << sig;
    EXPECT_EQ(filesIn(p.workFolder()), 0u) << sig;
    EXPECT_TRUE(exists(p.workFolder() + "sub/kept.txt")) << sig;
  }
}

TEST(Program, RefusesAWorkFolderThatIsALink) {
  PackagedProgram p("saver.scr");
  TempDir elsewhere;
  writeFile(elsewhere / "precious.txt", "p");
  std::filesystem::remove_all(p.workFolder());
  symlink(elsewhere.path().c_str(), (p.runtimeFolder() + "Vantor").c_str());
  std::string out;
  EXPECT_EQ(p.run("/s", &out), 0);
  EXPECT_NE(out.find("symbolic link"), std::string::npos) << out;
  EXPECT_NE(out.find("package=0"), std::string::npos) << out;
  EXPECT_EQ(readFile(elsewhere / "precious.txt"), "p");
  EXPECT_EQ(filesIn(elsewhere.path()), 1u);
}
