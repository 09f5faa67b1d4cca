#pragma once
// The catalogue of the 150 numbered transitions. Number 0 means no
// transition and has no entry.

#include <span>
#include <string_view>

#include "transitions/effect.h"

namespace transitions {

struct Effect {
  int number;
  std::string_view name;  // as the configuration lists it, spelling included
  EffectKind kind;
  // Every number 1..150 has its routine; the frame step still treats a null
  // one as drawing nothing of the new picture until Progress 100.
  EffectProc proc;
};

constexpr int kEffectCount = 150;

// Entries 1..150 in catalogue order; entry n sits at index n - 1.
std::span<const Effect, kEffectCount> effects();

// The entry of number n, or null outside 1..150.
const Effect *effectFor(int n);

}  // namespace transitions
