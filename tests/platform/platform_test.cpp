// The platform layer on its own: the atomic write, the code page, the
// instance lock, the XDG folders and the debug log.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <optional>
#include <stdexcept>
#include <thread>
#include <vector>

#include "../common/test_util.h"
#include "platform/atomic_file.h"
#include "platform/cp1252.h"
#include "platform/debug_log.h"
#include "platform/instance_lock.h"
#include "platform/paths.h"
#include "platform/registry.h"
#include "settings/ini_file.h"

using namespace vantor;
using namespace vantor::test;

namespace {

std::vector<std::string> namesIn(const std::string &folder) {
  std::vector<std::string> names;
  for (auto &e : std::filesystem::directory_iterator(folder))
    names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

mode_t modeOf(const std::string &path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

// Runs `f` in a child process and returns its exit code; what is set there
// stays there. With `dropRoot` the child has no right to read and write
// every file, so that permissions are checked whoever runs the test; with
// `diskFull` a file size limit stands in for a full disk: writes stop with
// an error after 4096 bytes.
int inChild(const std::function<int()> &f, bool dropRoot, bool diskFull = false) {
  const pid_t pid = fork();
  if (pid == 0) {
    if (dropRoot && geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(99);
    const rlimit limit{4096, 4096};
    if (diskFull && (signal(SIGXFSZ, SIG_IGN) == SIG_ERR || setrlimit(RLIMIT_FSIZE, &limit) != 0))
      _exit(98);
    _exit(f());
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// Sets an environment variable for the life of the object.
class ScopedEnv {
 public:
  ScopedEnv(const char *name, const std::optional<std::string> &value) : name_(name) {
    if (const char *old = std::getenv(name)) old_ = old;
    if (value)
      setenv(name, value->c_str(), 1);
    else
      unsetenv(name);
  }
  ~ScopedEnv() {
    if (old_)
      setenv(name_, old_->c_str(), 1);
    else
      unsetenv(name_);
  }

 private:
  const char *name_;
  std::optional<std::string> old_;
};

}  // namespace

// The settings file is written the same way: all or nothing.
TEST(AtomicFile, ReplacesWholeOrLeavesTheOldFileWhole) {
  const std::string big(200000, 'n');
  struct Case {
    const char *what;
    const char *target;             // within the folder
    std::optional<mode_t> oldMode;  // the old file "f" with this mode; none: no old file
    std::string bytes;
    bool written;
    mode_t mode;  // of the file afterwards
    bool lockedFolder = false, diskFull = false, settingsFile = false;
  } cases[] = {
      {"a private file stays private", "f", 0600, "new", true, 0600},
      {"an executable stays executable", "f", 0755, "new", true, 0755},
      {"a new file is readable by all", "f", std::nullopt, "new", true, 0644},
      {"an empty replacement", "f", 0640, "", true, 0640},
      {"a path whose folder is a file", "f/x", 0600, "new", false, 0600},
      {"a folder without write permission", "f", 0600, "new", false, 0600, true},
      {"the disk fills up halfway", "f", 0600, big, false, 0600, false, true},
      {"the settings file when the disk fills up", "f", 0600, big, false, 0600, false, true, true},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    if (c.oldMode) {
      writeFile(dir / "f", "old");
      chmod((dir / "f").c_str(), *c.oldMode);
    }
    if (c.lockedFolder) chmod(dir.path().c_str(), 0555);
    const std::string path = dir / c.target;
    // 0: written; 1: failed and said why.
    const int code = inChild(
        [&] {
          Status done;
          if (c.settingsFile) {
            IniFile ini(path);
            ini.writeString("Set", "Caption", c.bytes);
            done = ini.save();
          } else {
            done = writeFileAtomically(path, c.bytes);
          }
          return done ? 0 : done.message().empty() ? 2 : 1;
        },
        c.lockedFolder, c.diskFull);
    chmod(dir.path().c_str(), 0700);
    EXPECT_EQ(code, c.written ? 0 : 1);
    const std::string f = dir / "f";
    EXPECT_EQ(readFile(f), c.written ? c.bytes : std::string("old"));
    EXPECT_EQ(modeOf(f), c.mode);
    // No temporary file is left beside it, whatever happened.
    EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"f"});
  }
}

TEST(AtomicFile, ReadsTellAMissingFileFromAnUnreadableOne) {
  TempDir dir;
  writeFile(dir / "f", "text");
  writeFile(dir / "locked", "secret");
  chmod((dir / "locked").c_str(), 0);
  const bool root = geteuid() == 0;
  struct Case {
    std::string name;
    std::optional<std::string> whole, ifPresent;  // none: a failure
  } cases[] = {
      {"f", "text", "text"},
      {"missing", std::nullopt, ""},
      {"locked", root ? std::optional<std::string>("secret") : std::nullopt,
       root ? std::optional<std::string>("secret") : std::nullopt},
      {"", std::nullopt, std::nullopt},  // the folder itself
  };
  for (const Case &c : cases) {
    const Result<std::string> whole = readWholeFile(dir / c.name);
    const Result<std::string> ifPresent = readFileIfPresent(dir / c.name);
    EXPECT_EQ(whole.ok(), c.whole.has_value()) << c.name << ": " << whole.message();
    EXPECT_EQ(ifPresent.ok(), c.ifPresent.has_value()) << c.name << ": " << ifPresent.message();
    if (whole && c.whole) {
      EXPECT_EQ(*whole, *c.whole) << c.name;
    }
    if (ifPresent && c.ifPresent) {
      EXPECT_EQ(*ifPresent, *c.ifPresent) << c.name;
    }
    if (!whole) {
      EXPECT_NE(whole.message().find(dir / c.name), std::string::npos) << c.name;
    }
  }
}

TEST(CodePage, RoundTripsAndReplacesWhatItCannotHold) {
  struct Case {
    const char *what;
    std::string utf8, cp1252;
  } cases[] = {
      {"ASCII as it is", "Sea.scr=1\r\n", "Sea.scr=1\r\n"},
      {"Latin-1 letters", "\xC3\xA9t\xC3\xA9 \xC3\xBF", "\xE9t\xE9 \xFF"},
      {"the code page's own 0x80..0x9F", "\xE2\x82\xAC\xE2\x80\x9C\xC5\xB8", "\x80\x93\x9F"},
      {"a character outside it", "\xE6\x97\xA5", "?"},
      {"one outside the BMP", "\xF0\x9F\x98\x80.jpg", "?.jpg"},
      {"a stray byte is kept", "a\xE9z", "a\xE9z"},
      {"an overlong form is no character", "\xC0\xAF", "\xC0\xAF"},
      {"a surrogate is no character", "\xED\xA0\x80", "\xED\xA0\x80"},
      {"a sequence cut off at the end", "ab\xE2\x82", "ab\xE2\x82"},
      {"a hole of the code page keeps its byte", std::string("\xC2\x81", 2), "\x81"},
  };
  for (const Case &c : cases) EXPECT_EQ(utf8ToCp1252(c.utf8), c.cp1252) << c.what;

  // Every byte comes back as it was, holes of the code page included.
  std::string all;
  for (int b = 0; b < 256; ++b) all += char(b);
  EXPECT_TRUE(isValidUtf8(cp1252ToUtf8(all)));
  EXPECT_EQ(utf8ToCp1252(cp1252ToUtf8(all)), all);
}

TEST(InstanceLock, OneHolderAtATimeAndFreedWhenItsProcessEnds) {
  TempDir dir;
  enum class Holder { Nobody, ThisProcess, LiveChild, EndedChild, KilledChild };
  struct Case {
    Holder holder;
    bool alreadyExists;
  } cases[] = {{Holder::Nobody, false},
               {Holder::ThisProcess, true},
               {Holder::LiveChild, true},
               {Holder::EndedChild, false},
               {Holder::KilledChild, false}};
  for (const Case &c : cases) {
    SCOPED_TRACE(int(c.holder));
    std::optional<InstanceLock> mine;
    pid_t child = -1;
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    if (c.holder == Holder::ThisProcess) mine.emplace(dir.path(), "saver");
    if (c.holder == Holder::LiveChild || c.holder == Holder::EndedChild ||
        c.holder == Holder::KilledChild) {
      child = fork();
      if (child == 0) {
        InstanceLock held(dir.path(), "saver");
        const char taken = held.alreadyExists() ? 'n' : 'y';
        if (write(ready[1], &taken, 1) != 1) _exit(2);
        if (c.holder == Holder::EndedChild) _exit(0);  // the lock is never released by hand
        pause();
        _exit(0);
      }
      char taken = 0;
      ASSERT_EQ(read(ready[0], &taken, 1), 1);
      ASSERT_EQ(taken, 'y');
      if (c.holder == Holder::KilledChild) kill(child, SIGKILL);
      if (c.holder != Holder::LiveChild) waitpid(child, nullptr, 0);
    }
    close(ready[0]);
    close(ready[1]);
    {
      InstanceLock second(dir.path(), "saver");
      EXPECT_EQ(second.alreadyExists(), c.alreadyExists);
      EXPECT_TRUE(second.status()) << second.status().message();
    }
    if (c.holder == Holder::LiveChild) {
      kill(child, SIGKILL);
      waitpid(child, nullptr, 0);
    }
  }
  // A link in the lock file's place is replaced, never followed.
  writeFile(dir / "elsewhere", "keep");
  std::filesystem::remove(dir / "saver.lock");
  std::filesystem::create_symlink(dir / "elsewhere", dir / "saver.lock");
  {
    InstanceLock lock(dir.path(), "saver");
    EXPECT_FALSE(lock.alreadyExists());
    EXPECT_TRUE(lock.status()) << lock.status().message();
    EXPECT_FALSE(std::filesystem::is_symlink(dir / "saver.lock"));
    EXPECT_EQ(readFile(dir / "elsewhere"), "keep");
  }
  // No folder to put the lock file in: the process runs unguarded, and says so.
  InstanceLock nowhere(dir / "missing/", "saver");
  EXPECT_FALSE(nowhere.alreadyExists());
  EXPECT_FALSE(nowhere.status());
  EXPECT_NE(nowhere.status().message().find(dir / "missing/saver.lock"), std::string::npos);
}

TEST(Paths, XdgFoldersAreUsedOnlyWhenAbsolute) {
  TempDir home, tmp, runtime, open;
  chmod(runtime.path().c_str(), 0700);
  chmod(open.path().c_str(), 0755);
  const std::string own = tmp / ("vantor-" + std::to_string(getuid())) + "/";
  std::string relative = runtime.path().substr(1);  // the same folder, relative to "/"
  struct Case {
    const char *what;
    std::optional<std::string> runtimeDir, configHome;
    std::string temporary, config;
  } cases[] = {
      {"both set", runtime.path(), home / "conf", runtime.path(), home / "conf/vantor/"},
      {"neither set", std::nullopt, std::nullopt, own, home / ".config/vantor/"},
      {"empty", "", "", own, home / ".config/vantor/"},
      {"relative paths are ignored", relative, "conf", own, home / ".config/vantor/"},
      {"a runtime folder others may enter is not private", open.path(), std::nullopt, own,
       home / ".config/vantor/"},
  };
  ScopedEnv homeVar("HOME", home.path().substr(0, home.path().size() - 1));
  ScopedEnv tmpVar("TMPDIR", tmp.path());
  // Run from "/" so that the relative runtime path names a real folder.
  const std::filesystem::path was = std::filesystem::current_path();
  std::filesystem::current_path("/");
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    ScopedEnv runtimeVar("XDG_RUNTIME_DIR", c.runtimeDir);
    ScopedEnv configVar("XDG_CONFIG_HOME", c.configHome);
    const Result<std::string> temporary = temporaryFolder();
    ASSERT_TRUE(temporary) << temporary.message();
    EXPECT_EQ(*temporary, c.temporary);
    EXPECT_EQ(configFolder(), c.config);
  }
  std::filesystem::current_path(was);
  // The fallback folder is refused when it is a link.
  std::filesystem::remove(own.substr(0, own.size() - 1));
  std::filesystem::create_directory_symlink(open.path(), own.substr(0, own.size() - 1));
  ScopedEnv runtimeVar("XDG_RUNTIME_DIR", std::nullopt);
  const Result<std::string> refused = temporaryFolder();
  EXPECT_FALSE(refused);
  EXPECT_NE(refused.message().find("symbolic link"), std::string::npos) << refused.message();
}

TEST(DebugLog, OneWholeLineACallOnlyWhenOnAndOnceAKey) {
  struct Case {
    bool on;
    std::function<void()> say;
    std::string said;
  } cases[] = {
      {false, [] { debugLog("quiet"); }, ""},
      {true, [] { debugLog("skipped a.jpg: broken"); }, "vantor-saver: skipped a.jpg: broken\n"},
      {true, [] { debugLog("two\nlines\r"); }, "vantor-saver: two lines \n"},
      {false, [] { debugLogOnce("k", "not now"); }, ""},
      {true,
       [] {
         debugLogOnce("k", "first");
         debugLogOnce("k", "second");
         debugLogOnce("j", "other");
       },
       "vantor-saver: first\nvantor-saver: other\n"},
      {true,
       [] {
         try {
           throw std::runtime_error("disk gone");
         } catch (...) {
           debugLog("caught: " + currentExceptionText());
         }
       },
       "vantor-saver: caught: disk gone\n"},
  };
  for (const Case &c : cases) {
    setDebugLogEnabled(c.on);
    testing::internal::CaptureStderr();
    c.say();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), c.said);
  }
  // Lines from several threads never mix.
  setDebugLogEnabled(true);
  testing::internal::CaptureStderr();
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([t] {
      for (int i = 0; i < 200; ++i) debugLog(std::string(100, char('a' + t)));
    });
  for (std::thread &t : threads) t.join();
  const std::string said = testing::internal::GetCapturedStderr();
  setDebugLogEnabled(false);
  size_t lines = 0;
  for (size_t at = 0; at < said.size(); ++lines) {
    const size_t end = said.find('\n', at);
    ASSERT_NE(end, std::string::npos);
    const std::string line = said.substr(at, end - at);
    ASSERT_EQ(line.size(), 114u) << line;
    EXPECT_EQ(line.find_first_not_of(line.back(), 14), std::string::npos) << line;
    at = end + 1;
  }
  EXPECT_EQ(lines, 800u);
}

// A file that exists but cannot be read is never replaced by what a writer
// made of nothing: the user's other keys and settings would be lost.
TEST(AtomicFile, WritersLeaveAFileTheyCouldNotReadAlone) {
  struct Case {
    const char *what;
    std::string before;
    std::function<Status(const std::string &)> write;
  } cases[] = {
      {"the user store", "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Other]\n\"A\"=dword:00000001\n",
       [](const std::string &path) {
         return RegistryStore(path).updateKey("Software\\Orlenta\\Sea.scr",
                                              [](RegistryKey &k) { k.set("ImageInterval", 7u); });
       }},
      {"the settings file", "[Set]\r\nImageInterval=9\r\n[Mine]\r\nKept=1\r\n",
       [](const std::string &path) {
         IniFile ini(path);
         if (ini.readStatus()) return Status();  // read: not the case under test
         ini.writeInteger("Set", "ImageInterval", 7);
         return ini.save();
       }},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    writeFile(dir / "file", c.before);
    // Writable but not readable, in a folder where anyone may make files.
    chmod((dir / "file").c_str(), 0222);
    chmod(dir.path().c_str(), 0777);
    const int code = inChild(
        [&] {
          const Status written = c.write(dir / "file");
          if (written) return 1;
          return written.message().find("Permission denied") != std::string::npos ? 0 : 2;
        },
        true);
    EXPECT_EQ(code, 0);
    chmod((dir / "file").c_str(), 0600);
    EXPECT_EQ(readFile(dir / "file"), c.before);
  }
}
