#include "music/playlist.h"

#include "platform/random.h"

namespace vantor {

void LoadPlaylist(TMyMusicSet &set, const std::vector<std::string> &list, bool randomOrder,
                  bool loop, RandomSource &random) {
  set.List = list;
  set.RandomOrder = randomOrder;
  set.Loop = loop;
  random.reseedFromClock();
  set.Current.clear();
  set.Index = -1;
  set.Played = -1;
}

namespace {

int32_t nextRandomIndex(TMyMusicSet &set, int32_t count, RandomSource &random) {
  ++set.Played;
  if (!set.Loop && set.Played >= count) return -1;
  return random.below(count);
}

int32_t nextIndexInOrder(const TMyMusicSet &set, int32_t count) {
  int32_t index = set.Index < 0 ? 0 : set.Index + 1;
  if (index >= count) return set.Loop ? 0 : -1;
  return index;
}

}  // namespace

void NextTrack(TMyMusicSet &set, RandomSource &random) {
  set.Current.clear();
  if (set.List.empty()) return;
  const auto count = static_cast<int32_t>(set.List.size());
  set.Index = set.RandomOrder ? nextRandomIndex(set, count, random) : nextIndexInOrder(set, count);
  if (set.Index == -1) {
    set.Played = -1;
    return;
  }
  set.Current = set.List[static_cast<size_t>(set.Index)];
}

}  // namespace vantor
