#include "platform/debug_log.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <mutex>
#include <set>

namespace vantor {

namespace {

// -1 until the environment has been read.
std::atomic<int> gEnabled{-1};

std::mutex &logMutex() {
  static std::mutex mutex;
  return mutex;
}

}  // namespace

bool debugLogEnabled() {
  int on = gEnabled.load(std::memory_order_relaxed);
  if (on < 0) {
    const char *value = std::getenv("VANTOR_DEBUG");
    const int fromEnvironment = value && std::string_view(value) == "1" ? 1 : 0;
    // A test may have turned the log on or off meanwhile; its choice stays.
    gEnabled.compare_exchange_strong(on, fromEnvironment);
    on = gEnabled.load(std::memory_order_relaxed);
  }
  return on == 1;
}

void setDebugLogEnabled(bool on) {
  gEnabled.store(on ? 1 : 0);
}

void debugLog(std::string_view line) {
  if (!debugLogEnabled()) return;
  std::string text = "vantor-saver: ";
  text.append(line);
  // A message never spans lines: each call is one line of the log.
  for (char &c : text)
    if (c == '\n' || c == '\r') c = ' ';
  text += '\n';
  const std::lock_guard lock(logMutex());
  std::fwrite(text.data(), 1, text.size(), stderr);
  std::fflush(stderr);
}

void debugLogOnce(std::string_view key, std::string_view line) {
  if (!debugLogEnabled()) return;
  {
    static std::set<std::string, std::less<>> told;
    const std::lock_guard lock(logMutex());
    if (!told.emplace(key).second) return;
  }
  debugLog(line);
}

std::string currentExceptionText() {
  const std::exception_ptr caught = std::current_exception();
  if (!caught) return "no error";
  try {
    std::rethrow_exception(caught);
  } catch (const std::exception &e) {
    return e.what();
  } catch (...) {
    return "unknown error";
  }
}

}  // namespace vantor
