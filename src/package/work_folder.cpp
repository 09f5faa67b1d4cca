#include "package/work_folder.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "platform/paths.h"

namespace vantor {

namespace {

// Paths copied into fixed storage so that the signal handler touches no heap.
char gWork[4096];
char gWorkTmp[4096];

struct LinuxDirent64 {
  ino64_t d_ino;
  off64_t d_off;
  unsigned short d_reclen;
  unsigned char d_type;
  char d_name[];
};

void cleanUpAtExit() {
  EmptyFolder(gWork);
  EmptyFolder(gWorkTmp);
}

void onSignal(int sig) {
  cleanUpAtExit();
  signal(sig, SIG_DFL);
  raise(sig);
}

void copyPath(char (&to)[4096], const std::string &from) {
  if (from.size() >= sizeof to) {
    to[0] = '\0';
    return;
  }
  std::memcpy(to, from.c_str(), from.size() + 1);
}

}  // namespace

Folders SetUpWorkFolders(std::string *error) {
  Folders f;
  f.system = systemFolder();
  f.temp = temporaryFolder(error);
  if (f.temp.empty()) return f;
  if (!ensurePrivateFolder(f.temp + "Vantor", error)) return f;
  f.work = f.temp + "Vantor/";
  f.workTmp = f.work + "tmp/";
  if (!ensurePrivateFolder(f.workTmp, error)) f.workTmp.clear();
  return f;
}

void EmptyFolder(const char *folder) {
  if (!folder || !*folder) return;
  // O_NOFOLLOW: a work folder that has been replaced by a link is not entered.
  int dir = open(folder, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
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

void CleanUpWorkFolders(const Folders &folders) {
  EmptyFolder(folders.work.c_str());
  EmptyFolder(folders.workTmp.c_str());
}

void InstallExitCleanup(const Folders &folders) {
  copyPath(gWork, folders.work);
  copyPath(gWorkTmp, folders.workTmp);
  static bool installed = false;
  if (installed) return;
  installed = true;
  std::atexit(cleanUpAtExit);
  struct sigaction sa {};
  sa.sa_handler = onSignal;
  sigemptyset(&sa.sa_mask);
  for (int sig : {SIGTERM, SIGINT, SIGHUP}) sigaction(sig, &sa, nullptr);
}

}  // namespace vantor
