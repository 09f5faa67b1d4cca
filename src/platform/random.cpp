#include "platform/random.h"

#include <chrono>

namespace vantor {

std::mt19937 &programRandom() {
  static std::mt19937 generator(5489u);
  return generator;
}

void randomize() {
  auto now = std::chrono::high_resolution_clock::now().time_since_epoch().count();
  programRandom().seed(uint32_t(now) ^ uint32_t(uint64_t(now) >> 32));
}

int randomBelow(int n) {
  if (n <= 0) return 0;
  return std::uniform_int_distribution<int>(0, n - 1)(programRandom());
}

}  // namespace vantor
