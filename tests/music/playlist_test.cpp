// The walk through a play list of loose files, without players.
#include "music/playlist.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/random.h"

namespace {

const std::vector<std::string> kThree = {"1.wav", "2.wav", "3.wav"};
const std::string kAny = "?";  // any track of the list

// Each walk starts on a list left mid-way by an earlier one, so loading
// has to rewind it; a random walk is repeated to see more than one draw.
TEST(Playlist, WalksInOrderOrAtRandomOnceOrLooped) {
  struct Case {
    const char *label;
    std::vector<std::string> list;
    bool random, loop;
    std::vector<std::string> heard;  // kAny: any track; "": the music has ended
    bool reachesEveryTrack = false;
  } cases[] = {
      {"in order once", kThree, false, false, {"1.wav", "2.wav", "3.wav", "", "1.wav"}},
      {"in order looped", kThree, false, true, {"1.wav", "2.wav", "3.wav", "1.wav", "2.wav"}},
      {"random once draws as many as the list holds, then starts over",
       kThree,
       true,
       false,
       {kAny, kAny, kAny, "", kAny, kAny, kAny, ""}},
      {"random looped", kThree, true, true, std::vector<std::string>(300, kAny), true},
      {"empty in order", {}, false, true, {"", ""}},
      {"empty random", {}, true, true, {"", ""}},
  };
  vantor::RandomSource random;
  for (const Case &c : cases) {
    SCOPED_TRACE(c.label);
    for (int round = 0; round < 20; ++round) {
      vantor::TMyMusicSet set{kThree, !c.random, !c.loop, "x", 2, 5};
      vantor::LoadPlaylist(set, c.list, c.random, c.loop, random);
      EXPECT_EQ(set.Current, "");
      std::vector<std::string> heard;
      for (const std::string &want : c.heard) {
        vantor::NextTrack(set, random);
        heard.push_back(set.Current);
        if (want == kAny) {
          EXPECT_NE(std::find(kThree.begin(), kThree.end(), set.Current), kThree.end());
        } else {
          EXPECT_EQ(set.Current, want);
        }
      }
      if (!c.reachesEveryTrack) continue;
      for (const std::string &track : kThree) {
        EXPECT_NE(std::find(heard.begin(), heard.end(), track), heard.end()) << track;
      }
    }
  }
}

}  // namespace
