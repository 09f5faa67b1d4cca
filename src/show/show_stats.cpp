#include "show/show_stats.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <sstream>
#include <string>

namespace vantor {

double MillisecondsSinceProcessStart() {
  std::ifstream in("/proc/self/stat");
  std::string line;
  std::getline(in, line);
  // Field 22, counted after the command name, which may hold blanks.
  const size_t close = line.rfind(')');
  if (close == std::string::npos) return -1;
  std::istringstream rest(line.substr(close + 2));
  std::string field;
  for (int i = 3; i <= 22 && rest >> field; ++i) {
  }
  timespec now{};
  clock_gettime(CLOCK_BOOTTIME, &now);
  const double startMs = std::strtod(field.c_str(), nullptr) * 1000.0 / sysconf(_SC_CLK_TCK);
  return now.tv_sec * 1000.0 + now.tv_nsec / 1e6 - startMs;
}

ShowStats::ShowStats() : enabled_(std::getenv("VANTOR_SHOW_STATS") != nullptr) {}

void ShowStats::ticked() {
  if (!enabled_) return;
  tickPending_ = true;
  tick_ = Clock::now();
}

void ShowStats::transitionStarted(int style, int width, int height) {
  if (!enabled_) return;
  style_ = style;
  width_ = width;
  height_ = height;
  frames_ = 0;
  started_ = Clock::now();
}

void ShowStats::frameDrawn() {
  if (!enabled_) return;
  ++frames_;
  if (tickPending_) {
    tickPending_ = false;
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - tick_).count();
    const double start = std::chrono::duration<double, std::milli>(started_ - tick_).count();
    std::fprintf(stderr,
                 "show: picture change: first frame %.1f ms after the tick (transition started "
                 "after %.1f ms)\n",
                 ms, start);
  }
  if (firstFrameSeen_) return;
  firstFrameSeen_ = true;
  std::fprintf(stderr, "show: first frame on screen %.0f ms after the start\n",
               MillisecondsSinceProcessStart());
}

void ShowStats::transitionEnded() {
  if (!enabled_) return;
  const double ms = std::chrono::duration<double, std::milli>(Clock::now() - started_).count();
  if (!firstPictureSeen_) {
    firstPictureSeen_ = true;
    std::fprintf(stderr, "show: first picture whole on screen %.0f ms after the start\n",
                 MillisecondsSinceProcessStart());
  }
  std::fprintf(stderr, "show: style %d at %dx%d: %d frames in %.0f ms, %.1f frames/s\n", style_,
               width_, height_, frames_, ms, ms > 0 ? frames_ * 1000.0 / ms : 0.0);
}

}  // namespace vantor
