#pragma once
// The catalogue of the numbered transitions. Number 0 means no transition
// and has no entry. The catalogue is the one place that knows how many
// styles there are and which family draws each; everything else asks it.

#include <span>
#include <string_view>

#include "transitions/effect.h"

namespace transitions {

// The families of routines, one file each.
enum class Family { Edge, Corner, Quarter, Curved, Bar, Shred, Fade, Pivot, Push, Blind };

// Edge, corner and quarter styles are lists of stretch-copies whose earlier
// copies are drawn at every Progress.
constexpr bool drawsCopies(Family f) {
  return f == Family::Edge || f == Family::Corner || f == Family::Quarter;
}

constexpr EffectKind kindOf(Family f) {
  if (drawsCopies(f) || f == Family::Push) return EffectKind::Rectangle;
  if (f == Family::Fade || f == Family::Pivot) return EffectKind::Pixel;
  return EffectKind::Region;
}

struct Effect {
  int number;
  std::string_view name;  // as the configuration lists it, spelling included
  Family family;
  EffectKind kind;
  // Every number has its routine; the frame step still treats a null
  // one as drawing nothing of the new picture until Progress 100.
  EffectProc proc;
};

constexpr int kEffectCount = 150;

// Entries 1..kEffectCount in catalogue order; entry n sits at index n - 1.
std::span<const Effect, kEffectCount> effects();

// The entry of number n, or null outside 1..kEffectCount.
const Effect *effectFor(int n);

// Whether style n draws stretch-copies (false outside the catalogue).
bool drawsCopies(int n);

// How the display control brings a frame of style n to the screen: painted
// at once, before the next step, or left to the next paint of the window
// (the push and blind families, and numbers outside the catalogue).
enum class FramePaint { AtOnce, WhenIdle };
FramePaint framePaint(int n);

}  // namespace transitions
