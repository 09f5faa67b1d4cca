// TMyMusicSet: the play list of loose music files and the walk through it,
// in order or at random, once or looped. Plain data and two functions, so
// the rules are tested without players or an event loop.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vantor {

class RandomSource;

struct TMyMusicSet {
  std::vector<std::string> List;  // resolved paths of the tracks
  bool RandomOrder = false;
  bool Loop = false;
  std::string Current;  // the track being played or to be played; "" when none
  int32_t Index = -1;   // position of Current in List; -1 before the first and after the end
  int32_t Played = -1;  // tracks drawn so far in random order, minus one
};

// Fills the play list and rewinds it; reseeds `random` from the clock (a
// seeded source keeps its sequence).
void LoadPlaylist(TMyMusicSet &set, const std::vector<std::string> &list, bool randomOrder,
                  bool loop, RandomSource &random);

// Moves to the next track and sets Current, or empties Current when the
// music has ended. Without looping, random order draws exactly as many
// tracks as the list holds (a track may come twice), drawn from `random`.
void NextTrack(TMyMusicSet &set, RandomSource &random);

}  // namespace vantor
