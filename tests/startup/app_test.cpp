#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <optional>

#include "../common/saver_e2e.h"
#include "../common/test_util.h"
#include "audio_fixtures.h"
#include "package/package_writer.h"
#include "settings/saver_setting.h"
#include "startup/command_line.h"
#include "startup/options.h"

using namespace vantor;
using namespace vantor::test;

TEST(CommandLine, ModesAndWindows) {
  struct Case {
    std::vector<std::string> args;
    RunMode mode;
    int32_t window;
  } cases[] = {{{}, RunMode::ConfigureDefault, 0},
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
               {{"/p", "0x80000C"}, RunMode::Preview, 0x80000C},
               {{"/p", "0x"}, RunMode::Preview, 0},
               {{"/p", "0x80000000"}, RunMode::Preview, 0}};
  for (const Case &c : cases) {
    SCOPED_TRACE(c.args.empty() ? "(none)"
                                : c.args[0] + (c.args.size() > 1 ? " " + c.args[1] : ""));
    CommandLine cl = ParseCommandLine("/usr/bin/a.scr", c.args);
    EXPECT_EQ(cl.runMode, c.mode);
    EXPECT_EQ(cl.parentWindow, c.window);
  }
}

// XScreenSaver names its window in hex or decimal, by option or in the
// environment; a classic switch takes the environment's window instead.
TEST(CommandLine, OptionsComeBeforeTheClassicSwitches) {
  struct Case {
    std::vector<std::string> args;
    const char *daemonWindow;
    bool hack;
    uint32_t window;
    std::vector<std::string> classic;
    Options::Action action = Options::Action::Run;
  } cases[] = {
      {{"--root"}, "0x80000C", true, 0x80000C, {}},
      {{"--root"}, "8388620", true, 8388620, {}},
      {{"--root"}, nullptr, true, 0, {}},
      {{"-root", "--window-id", "0x600C9C"}, "0x80000C", true, 0x600C9C, {}},
      {{"--window-id=123", "--no-music"}, nullptr, true, 123, {}},
      {{}, "0x80000C", true, 0x80000C, {}},
      {{"/p", "0x80000C"}, "0x80000C", false, 0, {"/p", "0x80000C"}},
      {{"--interval", "5", "/s", "--", "--x"}, nullptr, false, 0, {"/s", "--x"}},
      {{"/s", "-h"}, nullptr, false, 0, {"/s"}, Options::Action::Help},
      {{"--version", "--bogus"}, nullptr, false, 0, {}, Options::Action::Version},
      {{"--window-id", "0"}, nullptr, false, 0, {}, Options::Action::UsageError},
      {{"--interval", "0"}, nullptr, false, 0, {}, Options::Action::UsageError},
      {{"--speed", "6"}, nullptr, false, 0, {}, Options::Action::UsageError},
      {{"--order", "sorted"}, nullptr, false, 0, {}, Options::Action::UsageError},
      {{"--effects", "1,152"}, nullptr, false, 0, {}, Options::Action::UsageError},
      {{"--no-music=1"}, nullptr, false, 0, {}, Options::Action::UsageError},
      {{"--fit"}, nullptr, false, 0, {}, Options::Action::UsageError},
  };
  for (const Case &c : cases) {
    const Options o = ParseOptions(c.args, c.daemonWindow);
    std::string label;
    for (const std::string &a : c.args) label += a + " ";
    EXPECT_EQ(o.action, c.action) << label << o.error;
    if (o.action != Options::Action::Run) continue;
    EXPECT_EQ(o.hack, c.hack) << label;
    EXPECT_EQ(o.hackWindow, c.window) << label;
    EXPECT_EQ(o.classic, c.classic) << label;
  }
  // The values reach the settings of this run.
  TSaverSetting s;
  ApplyOptionOverrides(
      ParseOptions({"--interval=7", "--speed", "1", "--effects", "3,42", "--order", "random",
                    "--fit", "stretch", "--caption", "--no-music", "--no-exif-orientation"},
                   nullptr),
      s);
  EXPECT_EQ(s.ImageInterval, 7);
  EXPECT_EQ(s.EffectSpeed2, 1);
  EXPECT_EQ(s.UseEffects, ParseEffectList("3,42,"));
  EXPECT_EQ(s.ImageSequence, Sequence::ShuffledOnce);
  EXPECT_EQ(s.ImageSize, 2);
  EXPECT_FALSE(s.ForceHide);
  EXPECT_NE(s.Position, CaptionPosition::None);
  EXPECT_FALSE(s.PlayMusic);
  EXPECT_FALSE(s.ExifOrientation);
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
  // Without `packaged`, a bare copy of the program.
  explicit PackagedProgram(const std::string &name, bool packaged = true) {
    path_ = dir_ / name;
    writeFile(runtime_ / ".keep", "");
    chmod(runtime_.path().c_str(), 0700);
    if (!packaged) {
      std::filesystem::copy_file(binDir() + "vantor-saver", path_);
      return;
    }
    const std::string jpeg = realJpeg();
    std::vector<PackItem> items;
    std::string settings = "[Set]\r\nImageInterval=4\r\n[Pictures]\r\n";
    if (!jpeg.empty()) {
      items.push_back({"photo.jpg", jpeg, false});
      settings += "photo.jpg=1\r\n";
    }
    const Status written =
        WritePackage(binDir() + "vantor-saver", path_, settings, "demo.002", items);
    EXPECT_TRUE(written) << written.message();
    chmod(path_.c_str(), 0755);
  }
  std::string env() const {
    return "XDG_RUNTIME_DIR='" + runtime_.path() + "' XDG_CONFIG_HOME='" + config_.path() +
           "' VANTOR_DRY_RUN=1 ";
  }
  // Runs under a watchdog: a program that never ends fails with 124.
  int run(const std::string &args, std::string *out) const {
    return test::run(env() + "timeout 20 '" + path_ + "' " + args + " 2>&1", out);
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

// What each command line leads to, seen from outside: the exit code, what
// the program says (in dry runs, where it would go), and the work folder
// emptied at exit. A packaged copy goes by its name and switches; a bare
// copy takes its settings from the file beside it; the installed program
// answers help and wrong options without a display, and says in one line
// why it cannot show anything.
TEST(Program, AnswersEachCommandLine) {
  PackagedProgram packaged("saver.scr");
  TempDir windows;
  // A package built for Windows: another program in front of the same data.
  writeFile(windows / "program.exe", "MZ" + std::string(4096, '\x90'));
  const Status written = WritePackage(windows / "program.exe", windows / "photos.scr",
                                      "[Set]\r\n[Pictures]\r\nphoto.bmp=1\r\n", "photos.002",
                                      {{"photo.bmp", packaged.path(), false}});
  ASSERT_TRUE(written) << written.message();
  enum Copy { Installed, Packaged, Bare };
  struct Case {
    Copy copy;
    const char *name;  // of the copy
    std::string args;
    int exitCode;
    std::string text;
    std::string env = "";
    bool oneLine = false;
  } cases[] = {
      {Packaged, "saver.scr", "/s", 0, "dispatch=fullscreen"},
      {Packaged, "saver.scr", "/c", 0, "dispatch=config"},
      {Packaged, "saver.scr", "", 0, "dispatch=config"},
      {Packaged, "saver.scr", "/p 123", 0, "dispatch=preview runmode=4 window=123"},
      {Packaged, "saver.scr", "/a 123", 0, "dispatch=password runmode=5 window=123"},
      {Packaged, "saver.scr", "/a abc", 0, "dispatch=none"},
      {Packaged, "x.exe", "/c", 0, "dispatch=fullscreen"},
      {Packaged, "x.EXE", "/p 5", 0, "dispatch=fullscreen"},
      {Packaged, "x.exe", "--root", 0, "dispatch=hack"},
      {Packaged, "saver.scr", "--root --window-id 0x600C9C", 0, "dispatch=hack"},
      {Bare, "x.exe", "/c", 0, "dispatch=config"},
      {Installed, "", "--help", 0, "Usage: vantor-saver [OPTION]..."},
      {Installed, "", "-h", 0, "--window-id ID"},
      {Installed, "", "--version", 0, "vantor-saver "},
      {Installed, "", "--bogus", 2, "unknown option '--bogus'"},
      {Installed, "", "--interval x /s", 2, "invalid value 'x' for --interval"},
      {Installed, "", "/s", 1, "vantor-saver: cannot open a display: DISPLAY is not set", "", true},
      {Installed, "", "--root", 1, "need an X11 display", "WAYLAND_DISPLAY=wayland-0 ", true},
      {Installed, "", "--package /nonexistent", 1, "carries no content package", "", true},
      {Installed, "", "--package '" + packaged.path() + "'", 0,
       "dispatch=fullscreen runmode=3 window=0 package=1", "VANTOR_DRY_RUN=1 "},
      {Installed, "", "--package '" + (windows / "photos.scr") + "' --root", 0,
       "dispatch=hack runmode=1 window=0 package=1 settings=/proc/self/fd/", "VANTOR_DRY_RUN=1 "},
  };
  std::string installedEnv = packaged.env();
  installedEnv.erase(installedEnv.find("VANTOR_DRY_RUN=1 "));
  for (const Case &c : cases) {
    SCOPED_TRACE(std::string(c.name) + " " + c.args);
    std::optional<PackagedProgram> copy;
    if (c.copy != Installed) copy.emplace(c.name, c.copy == Packaged);
    const std::string program = copy ? copy->path() : binDir() + "vantor-saver";
    std::string out;
    const int code = run("env -u DISPLAY -u WAYLAND_DISPLAY -u XSCREENSAVER_WINDOW " +
                             (copy ? copy->env() : installedEnv) + c.env + "timeout 20 '" +
                             program + "' " + c.args + " 2>&1",
                         &out);
    EXPECT_EQ(code, c.exitCode) << out;
    EXPECT_NE(out.find(c.text), std::string::npos) << out;
    if (c.oneLine) {
      EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 1) << out;
    }
    if (!copy) continue;
    EXPECT_NE(out.find(c.copy == Packaged ? "package=1" : "package=0"), std::string::npos) << out;
    if (c.copy == Bare) {
      EXPECT_NE(out.find(program.substr(0, program.rfind('.')) + ".002"), std::string::npos) << out;
    }
    EXPECT_EQ(filesIn(copy->workFolder()), 0u) << "work folder emptied at exit";
  }
}

namespace {

// Starts the packaged program in "hold" mode and waits until it has unpacked
// its settings; -1 when it never does.
pid_t startHolding(const PackagedProgram &p) {
  const std::string command =
      "ulimit -c 0; " + p.env() + "VANTOR_DRY_RUN=hold exec '" + p.path() + "' /s";
  pid_t child = fork();
  if (child == 0) {
    execl("/bin/sh", "sh", "-c", command.c_str(), (char *)nullptr);
    _exit(127);
  }
  if (!waitUntil([&] { return filesIn(p.workFolder()) > 0; }, std::chrono::seconds(10))) {
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    return -1;
  }
  return child;
}

}  // namespace

TEST(Program, SecondInstanceLeavesAndStillCleansUp) {
  for (bool danglingLink : {false, true}) {
    SCOPED_TRACE(danglingLink ? "lock file is a dangling link" : "plain lock file");
    PackagedProgram p("saver.scr");
    if (danglingLink)
      symlink((p.runtimeFolder() + "/gone").c_str(),
              (p.runtimeFolder() + "/orlentascreensaverimage.lock").c_str());
    const pid_t first = startHolding(p);
    ASSERT_GT(first, 0);
    std::string out;
    EXPECT_EQ(p.run("/s", &out), 0);
    EXPECT_EQ(out, "") << "a second instance shows nothing";
    EXPECT_EQ(filesIn(p.workFolder()), 0u) << "and still empties the work folder";
    kill(first, SIGTERM);
    int status = 0;
    waitpid(first, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status));
  }
}

// Every signal that ends the process empties the work folder on the way; a
// closed pipe does not end it; after a crash, the next run removes what was
// left before it unpacks anything.
TEST(Program, SignalsAndCrashesLeaveNoFilesBehind) {
  struct Case {
    int signal;
    bool ends;     // the signal ends the process
    bool cleaned;  // the ending process empties the work folder itself
  } cases[] = {{SIGTERM, true, true}, {SIGINT, true, true},   {SIGHUP, true, true},
               {SIGQUIT, true, true}, {SIGUSR1, true, true},  {SIGUSR2, true, true},
               {SIGALRM, true, true}, {SIGPIPE, false, true}, {SIGSEGV, true, false},
               {SIGABRT, true, false}};
  for (const Case &c : cases) {
    SCOPED_TRACE(strsignal(c.signal));
    PackagedProgram p("saver.scr");
    pid_t child = startHolding(p);
    ASSERT_GT(child, 0);
    writeFile(p.workFolder() + "sub/kept.txt", "k");
    kill(child, c.signal);
    int status = 0;
    if (!c.ends) {
      EXPECT_FALSE(waitUntil([&] { return waitpid(child, &status, WNOHANG) == child; },
                             std::chrono::milliseconds(300)));
      kill(child, SIGTERM);
    }
    waitpid(child, &status, 0);
    // A sanitizer reports a crash and exits with a failure instead.
    const bool crashReported = !c.cleaned && WIFEXITED(status) && WEXITSTATUS(status) != 0;
    EXPECT_TRUE(WIFSIGNALED(status) || crashReported) << status;
    EXPECT_EQ(filesIn(p.workFolder()) == 0, c.cleaned);
    EXPECT_TRUE(exists(p.workFolder() + "sub/kept.txt"));
    if (c.cleaned) continue;
    // A stale picture of another package under a name this run may use.
    writeFile(p.workFolder() + "photo.jpg", "stale");
    const pid_t next = startHolding(p);
    ASSERT_GT(next, 0);
    EXPECT_TRUE(
        waitUntil([&] { return !exists(p.workFolder() + "photo.jpg"); }, std::chrono::seconds(5)));
    kill(next, SIGTERM);
    waitpid(next, &status, 0);
  }
}

// Where no window is given for the miniature, none opens: the program ends
// at once (run on the offscreen platform, where a stray window would never
// close).
TEST(Program, APreviewWithoutAWindowEndsAtOnce) {
  for (const char *window : {"0", "abc", "4294967296"}) {
    PackagedProgram p("saver.scr");
    std::string out;
    const int status =
        test::run("QT_QPA_PLATFORM=offscreen " + p.env() + "timeout 20 env -u VANTOR_DRY_RUN '" +
                      p.path() + "' /p " + window + " 2>&1",
                  &out);
    EXPECT_EQ(status, 0) << "/p " << window << ": " << out;
  }
}

// The work folder is made only in a private place: a relative runtime
// folder gives way to the temporary one, and a link in its place is refused
// without touching what it points to.
TEST(Program, TheWorkFolderIsOnlyMadeInAPrivatePlace) {
  PackagedProgram p("saver.scr");
  TempDir cwd, tmp;
  mkdir((cwd / "rel").c_str(), 0700);
  std::string out;
  EXPECT_EQ(test::run("cd '" + cwd.path() + "' && " + p.env() + "XDG_RUNTIME_DIR=rel TMPDIR='" +
                          tmp.path() + "' timeout 20 '" + p.path() + "' /s 2>&1",
                      &out),
            0)
      << out;
  EXPECT_FALSE(exists(cwd / "rel/Vantor"));
  EXPECT_TRUE(exists(tmp / ("vantor-" + std::to_string(getuid()) + "/Vantor")));

  TempDir elsewhere;
  writeFile(elsewhere / "precious.txt", "p");
  std::filesystem::remove_all(p.workFolder());
  symlink(elsewhere.path().c_str(), (p.runtimeFolder() + "Vantor").c_str());
  EXPECT_EQ(p.run("/s", &out), 0);
  EXPECT_NE(out.find("symbolic link"), std::string::npos) << out;
  EXPECT_NE(out.find("package=0"), std::string::npos) << out;
  EXPECT_EQ(readFile(elsewhere / "precious.txt"), "p");
  EXPECT_EQ(filesIn(elsewhere.path()), 1u);
}

namespace {

// A three-second MP3 tone and a picture for a show with music, and the
// private folder the show runs in.
void makeMusicShow(const TempDir &dir) {
  ASSERT_TRUE(testaudio::makeTone(dir / "tone.wav", 3.0, 44100, 2));
  ASSERT_TRUE(testaudio::makeMp3(dir / "tone.wav", dir / "tone.mp3"));
  writeFile(dir / "sky.bmp", solidBmp(64, 48, {40, 90, 200}));
  std::filesystem::create_directories(dir / "run");
  chmod((dir / "run").c_str(), 0700);
}

// Whether the sound card (SDL's disk driver writing to heard.raw) has been
// given half a second of the music.
bool heardMusic(const TempDir &dir) {
  std::error_code ec;
  return std::filesystem::file_size(dir / "heard.raw", ec) > 44100 * 4 / 2 && !ec;
}

}  // namespace

// A package that carries its own code in place of the MPEG and password
// libraries may run it in its own run, but a later, well-made saver with
// music never loads it: it plays with the library it carries itself.
TEST(Program, APackagedLibraryNeverReachesALaterSaver) {
  TempDir dir;
  ASSERT_NO_FATAL_FAILURE(makeMusicShow(dir));
  std::filesystem::create_directories(dir / "planted");
  std::filesystem::copy_file(PLANTED_LIBRARY, dir / "planted/libmpegdll.so");
  std::filesystem::copy_file(PLANTED_LIBRARY, dir / "planted/libpassword.so");
  ASSERT_EQ(run("cd '" + dir / "planted" + "' && zip -q ../planted.zip *.so"), 0);
  const std::string marker = dir / "marker";
  const std::string music =
      "[Set]\r\nPlayMusic=1\r\nLoopMusic=1\r\n[Pictures]\r\nsky.bmp=1\r\n[Music]\r\ntone.mp3=1\r\n";
  const std::vector<std::string> env = {"QT_QPA_PLATFORM=offscreen", "SDL_AUDIODRIVER=disk",
                                        "SDL_DISKAUDIOFILE=" + dir / "heard.raw",
                                        "VANTOR_TEST_MARKER=" + marker};

  // The hostile package, in its own run.
  ASSERT_TRUE(WritePackage(binDir() + "vantor-saver", dir / "show.scr", music, "show.002",
                           {{"MPEGDLL.DLL", dir / "planted.zip", false, "", true},
                            {"tone.mp3", dir / "tone.mp3", false}}));
  chmod((dir / "show.scr").c_str(), 0755);
  {
    PackagedSaver hostile(dir, "");
    hostile.start({"/s"}, env);
    EXPECT_TRUE(waitUntil([&] { return exists(marker); }, std::chrono::seconds(20)));
    kill(hostile.pid(), SIGTERM);
    EXPECT_NE(hostile.waitForExit(), -1);
  }
  std::filesystem::remove(marker);
  std::filesystem::remove(dir / "heard.raw");

  // A well-made saver with music, packed by the packer with the library
  // built beside the program.
  PackagedSaver later(dir, "");
  ASSERT_TRUE(later.pack(music, {dir / "sky.bmp", dir / "tone.mp3"}));
  later.start({"/s"}, env);
  EXPECT_TRUE(waitUntil([&] { return heardMusic(dir); }, std::chrono::seconds(20)))
      << "the later saver's music plays";
  kill(later.pid(), SIGTERM);
  EXPECT_NE(later.waitForExit(), -1);
  EXPECT_FALSE(exists(marker)) << "the planted code ran in the later saver";
  std::error_code ec;
  for (auto &e : std::filesystem::recursive_directory_iterator(dir / "data", ec))
    EXPECT_TRUE(e.is_directory()) << e.path() << " left where later runs look";
  EXPECT_TRUE(later.workFolderEmpty());
}

// A saver built for Windows, played with --package by the installed program:
// its MP3 music plays through our library, not the Windows one it carries.
TEST(Program, AWindowsPackagePlaysItsMusicThroughOurLibrary) {
  TempDir dir;
  ASSERT_NO_FATAL_FAILURE(makeMusicShow(dir));
  writeFile(dir / "program.exe", "MZ" + std::string(4096, '\x90'));
  writeFile(dir / "mpegdll.dll", "MZ" + std::string(4096, '\x90'));
  ASSERT_TRUE(WritePackage(dir / "program.exe", dir / "win.scr",
                           "[Set]\r\nPlayMusic=1\r\n[Pictures]\r\nsky.bmp=1\r\n"
                           "[Music]\r\ntone.mp3=1\r\n",
                           "win.002",
                           {{"MPEGDLL.DLL", dir / "mpegdll.dll", true},
                            {"tone.mp3", dir / "tone.mp3", false},
                            {"sky.bmp", dir / "sky.bmp", false}},
                           nullptr));
  PackagedSaver env(dir, "");
  const pid_t show = spawn({binDir() + "vantor-saver", "--package", dir / "win.scr"},
                           env.env({"QT_QPA_PLATFORM=offscreen", "SDL_AUDIODRIVER=disk",
                                    "SDL_DISKAUDIOFILE=" + dir / "heard.raw"}));
  EXPECT_TRUE(waitUntil([&] { return heardMusic(dir); }, std::chrono::seconds(20)))
      << "the music never played";
  kill(show, SIGTERM);
  waitpid(show, nullptr, 0);
}
