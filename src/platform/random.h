#pragma once
// The program's one pseudo-random generator. Everything random (shuffles,
// random positions, random transition patterns, music order) draws from it.

#include <cstdint>
#include <random>

namespace vantor {

std::mt19937 &programRandom();
// Reseeds the generator from the clock.
void randomize();
// A uniform integer in 0..n-1; 0 when n <= 0.
int randomBelow(int n);

}  // namespace vantor
