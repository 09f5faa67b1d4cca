#pragma once
// The coded settings, by name. The numbers are those stored in the settings
// file and the user's overrides; a stored number outside the list keeps its
// value and is treated as the code's fallback wherever it is read.

#include <cstdint>

namespace vantor {

// The order of a list in the show.
enum class Sequence : uint8_t {
  InOrder = 0,       // "In Order": list order, over and over
  Random = 1,        // "Shuffle": a random entry at each change
  ShuffledOnce = 2,  // "Intelligent Random": shuffled once at start-up, then in order
};

// Where the caption goes.
enum class CaptionPosition : uint8_t {
  None = 0,
  BelowPicture = 1,
  AbovePicture = 2,
  Bottom = 3,
  Top = 4,
  AtXY = 5,  // at the configured X, Y
};

}  // namespace vantor
