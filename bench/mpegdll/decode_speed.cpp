// Decoding speed of the MPEG library (device 2 into /dev/null) against the
// mpg123 program decoding without output (`mpg123 -t`) on the same file.
// Usage: mpegdll_decode_speed FILE.mp3 [ROUNDS]; prints the best time of
// each and their ratio (library / mpg123).
#include <dlfcn.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

extern char **environ;

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double timeMpg123(const std::string &file) {
  const char *argv[] = {"mpg123", "-q", "-t", file.c_str(), nullptr};
  auto start = Clock::now();
  pid_t pid = 0;
  if (posix_spawnp(&pid, "mpg123", nullptr, nullptr, const_cast<char **>(argv), environ) != 0)
    return -1;
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? msSince(start) : -1;
}

struct Library {
  uint8_t (*init)();
  void (*open)(const char *, int32_t, void *, void *, void *, void *, void *, void *, void *);
  void (*setOutputDevice)(int32_t, const char *);
  int32_t (*play)(int32_t, int32_t, volatile uint8_t *);
  void (*close)();
};

bool bind(Library &lib) {
  auto self = std::filesystem::read_symlink("/proc/self/exe").parent_path();
  void *h = dlopen((self / "libmpegdll.so").c_str(), RTLD_NOW);
  if (!h) return false;
  lib.init = reinterpret_cast<decltype(lib.init)>(dlsym(h, "init"));
  lib.open = reinterpret_cast<decltype(lib.open)>(dlsym(h, "Open"));
  lib.setOutputDevice = reinterpret_cast<decltype(lib.setOutputDevice)>(dlsym(h, "SetOutputDevice"));
  lib.play = reinterpret_cast<decltype(lib.play)>(dlsym(h, "Play"));
  lib.close = reinterpret_cast<decltype(lib.close)>(dlsym(h, "Close"));
  return lib.init && lib.open && lib.setOutputDevice && lib.play && lib.close && lib.init();
}

// Open, decode to the end, close: what a program pays to play a file.
double timeLibrary(const Library &lib, const std::string &file) {
  volatile uint8_t ended = 0;
  auto start = Clock::now();
  lib.open(file.c_str(), 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
  lib.setOutputDevice(2, "/dev/null");
  if (lib.play(0, 0, &ended) != 0) return -1;
  while (!ended) std::this_thread::sleep_for(std::chrono::microseconds(200));
  lib.close();
  return msSince(start);
}

}  // namespace

int main(int argc, char **argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s FILE.mp3 [ROUNDS]\n", argv[0]);
    return 2;
  }
  std::string file = argv[1];
  int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
  Library lib{};
  if (!bind(lib)) {
    std::fprintf(stderr, "cannot load libmpegdll.so beside this program\n");
    return 1;
  }
  double bestTool = 1e30, bestLib = 1e30;
  for (int i = 0; i < rounds; ++i) {
    double tool = timeMpg123(file), ours = timeLibrary(lib, file);
    if (tool < 0 || ours < 0) {
      std::fprintf(stderr, "decoding failed\n");
      return 1;
    }
    bestTool = std::min(bestTool, tool);
    bestLib = std::min(bestLib, ours);
  }
  std::printf("mpg123 -t      %8.1f ms (best of %d)\n", bestTool, rounds);
  std::printf("libmpegdll     %8.1f ms (best of %d)\n", bestLib, rounds);
  std::printf("ratio library / mpg123 -t: %.2f\n", bestLib / bestTool);
  return 0;
}
