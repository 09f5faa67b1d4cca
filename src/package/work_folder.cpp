#include "package/work_folder.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/paths.h"

namespace vantor {

namespace {

// The folders the exit clean-up empties, as descriptors, so that the signal
// handler needs neither the heap nor a path that could have been swapped.
std::atomic<int> gWorkFd{-1};
std::atomic<int> gWorkTmpFd{-1};
std::atomic<int> gSharedFd{-1};
// The own work folder's name, for removal from a signal handler.
char gOwnName[64] = "";

// The signals that end the process by default and after which the work
// folder must not keep what was unpacked.
constexpr int kStopSignals[] = {SIGTERM, SIGINT, SIGHUP, SIGQUIT, SIGUSR1, SIGUSR2, SIGALRM};

struct LinuxDirent64 {
  ino64_t d_ino;
  off64_t d_off;
  unsigned short d_reclen;
  unsigned char d_type;
  char d_name[];
};

// Empties the folders, and removes an own work folder (async-signal-safe).
void cleanUp(int workFd, int workTmpFd, int sharedFd, const char *ownName) {
  EmptyFolder(workFd);
  EmptyFolder(workTmpFd);
  if (sharedFd < 0 || ownName[0] == '\0' || workFd < 0) return;
  unlinkat(workFd, "tmp", AT_REMOVEDIR);
  unlinkat(sharedFd, ownName, AT_REMOVEDIR);
}

void cleanUpAtExit() {
  cleanUp(gWorkFd.load(), gWorkTmpFd.load(), gSharedFd.load(), gOwnName);
}

void onSignal(int sig) {
  cleanUpAtExit();
  signal(sig, SIG_DFL);
  raise(sig);
}

std::string withoutTrailingSlashes(std::string p) {
  while (p.size() > 1 && p.back() == '/') p.pop_back();
  return p;
}

}  // namespace

Result<int> OpenPrivateFolder(const std::string &path) {
  // A trailing "/" would make the kernel follow a final link despite
  // O_NOFOLLOW, so the name is opened without it.
  const std::string p = withoutTrailingSlashes(path);
  int fd = open(p.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0)
    return Status::failure("cannot open folder " + p + ": " +
                           (errno == ELOOP || errno == ENOTDIR
                                ? std::string("it is a symbolic link")
                                : std::string(std::strerror(errno))));
  struct stat st {};
  if (fstat(fd, &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != getuid()) {
    close(fd);
    return Status::failure("refusing folder " + p + ": it belongs to another user");
  }
  if ((st.st_mode & 077) != 0 && fchmod(fd, 0700) != 0) {
    close(fd);
    return Status::failure("refusing folder " + p + ": others may write to it");
  }
  return fd;
}

std::string PinnedFolderPath(int folderFd) {
  return folderFd < 0 ? std::string() : "/proc/self/fd/" + std::to_string(folderFd) + "/";
}

Folders SetUpWorkFolders(const std::string &ownName) {
  Folders f;
  f.system = systemFolder();
  Result<std::string> temp = temporaryFolder();
  if (!temp) {
    f.status = temp.status();
    return f;
  }
  f.temp = *temp;
  if (f.status = ensurePrivateFolder(f.temp + "Vantor"); !f.status) return f;
  Result<int> work = OpenPrivateFolder(f.temp + "Vantor");
  if (!work) {
    f.status = work.status();
    return f;
  }
  f.workFd = *work;
  f.work = f.temp + "Vantor/";
  if (!ownName.empty()) {
    // The shared folder stays open to remove this one from at the end.
    f.sharedFd = f.workFd;
    f.workFd = -1;
    if (mkdirat(f.sharedFd, ownName.c_str(), 0700) != 0 && errno != EEXIST) {
      f.status =
          Status::failure("cannot create folder " + f.work + ownName + ": " + std::strerror(errno));
      return f;
    }
    Result<int> own = OpenPrivateFolder(f.work + ownName);
    if (!own) {
      f.status = own.status();
      return f;
    }
    f.workFd = *own;
    f.work += ownName + "/";
    f.ownName = ownName;
  }
  // The "tmp" folder is made and opened relative to the folder just opened.
  const std::string tmpName = f.work + "tmp";
  if (mkdirat(f.workFd, "tmp", 0700) != 0 && errno != EEXIST) {
    f.status = Status::failure("cannot create folder " + tmpName + ": " + std::strerror(errno));
    return f;
  }
  int tmp = openat(f.workFd, "tmp", O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  struct stat st {};
  if (tmp < 0) {
    f.status = Status::failure("cannot open folder " + tmpName + ": " + std::strerror(errno));
  } else if (fstat(tmp, &st) != 0 || st.st_uid != getuid()) {
    f.status = Status::failure("refusing folder " + tmpName + ": it belongs to another user");
    close(tmp);
    tmp = -1;
  }
  if (tmp >= 0 && (st.st_mode & 077) != 0) fchmod(tmp, 0700);
  f.workTmpFd = tmp;
  f.workTmp = PinnedFolderPath(tmp);
  return f;
}

void EmptyFolder(int folderFd) {
  if (folderFd < 0) return;
  // A descriptor of its own, so that listing starts at the beginning and
  // leaves the shared one's position alone.
  int dir = openat(folderFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir < 0) return;
  alignas(8) char buffer[8192];
  for (;;) {
    long n = syscall(SYS_getdents64, dir, buffer, sizeof buffer);
    if (n <= 0) break;
    for (long at = 0; at < n;) {
      auto *e = reinterpret_cast<LinuxDirent64 *>(buffer + at);
      at += e->d_reclen;
      unsigned char type = e->d_type;
      if (type == DT_UNKNOWN) {
        struct stat st;
        if (fstatat(dir, e->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
        type = S_ISDIR(st.st_mode) ? DT_DIR : DT_REG;
      }
      if (type == DT_DIR) continue;  // sub-folders, "." and ".." stay
      unlinkat(dir, e->d_name, 0);
    }
  }
  close(dir);
}

void EmptyFolder(const char *folder) {
  if (!folder || !*folder) return;
  char path[4096];
  size_t length = strnlen(folder, sizeof path);
  if (length >= sizeof path) return;
  std::memcpy(path, folder, length + 1);
  while (length > 1 && path[length - 1] == '/') path[--length] = '\0';
  int dir = open(path, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (dir < 0) return;
  EmptyFolder(dir);
  close(dir);
}

void CleanUpWorkFolders(const Folders &folders) {
  cleanUp(folders.workFd, folders.workTmpFd, folders.sharedFd, folders.ownName.c_str());
}

void InstallExitCleanup(const Folders &folders) {
  gWorkFd.store(folders.workFd);
  gWorkTmpFd.store(folders.workTmpFd);
  gSharedFd.store(folders.sharedFd);
  if (folders.ownName.size() < sizeof gOwnName)
    std::memcpy(gOwnName, folders.ownName.c_str(), folders.ownName.size() + 1);
  static bool installed = false;
  if (installed) return;
  installed = true;
  std::atexit(cleanUpAtExit);
  struct sigaction sa {};
  sa.sa_handler = onSignal;
  sigemptyset(&sa.sa_mask);
  // While one stop signal is being handled the others wait, so the clean-up
  // runs once and the first signal decides how the process ends.
  for (int sig : kStopSignals) sigaddset(&sa.sa_mask, sig);
  for (int sig : kStopSignals) sigaction(sig, &sa, nullptr);
  signal(SIGPIPE, SIG_IGN);
}

}  // namespace vantor
