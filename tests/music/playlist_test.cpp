// The walk through a play list of loose files, without players.
#include "music/playlist.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/random.h"

namespace {

using vantor::LoadPlaylist;
using vantor::NextTrack;
using vantor::RandomSource;
using vantor::TMyMusicSet;

const std::vector<std::string> kThree = {"1.wav", "2.wav", "3.wav"};

std::vector<std::string> walk(TMyMusicSet &set, int steps, RandomSource &random) {
  std::vector<std::string> heard;
  for (int i = 0; i < steps; ++i) {
    NextTrack(set, random);
    heard.push_back(set.Current);
  }
  return heard;
}

TEST(Playlist, LoadRewindsAndCopies) {
  RandomSource random;
  TMyMusicSet set;
  set.Current = "x";
  set.Index = 2;
  set.Played = 5;
  LoadPlaylist(set, kThree, true, false, random);
  EXPECT_EQ(set.List, kThree);
  EXPECT_TRUE(set.RandomOrder);
  EXPECT_FALSE(set.Loop);
  EXPECT_EQ(set.Current, "");
  EXPECT_EQ(set.Index, -1);
  EXPECT_EQ(set.Played, -1);
}

TEST(Playlist, InOrderOnceOrLooped) {
  RandomSource random;
  struct Case {
    bool loop;
    std::vector<std::string> heard;
  } cases[] = {
      {false, {"1.wav", "2.wav", "3.wav", "", "1.wav"}},
      {true, {"1.wav", "2.wav", "3.wav", "1.wav", "2.wav"}},
  };
  for (const Case &c : cases) {
    TMyMusicSet set;
    LoadPlaylist(set, kThree, false, c.loop, random);
    EXPECT_EQ(walk(set, 5, random), c.heard) << "loop " << c.loop;
  }
}

TEST(Playlist, EndOfTheListClearsIndexAndCurrent) {
  RandomSource random;
  TMyMusicSet set;
  LoadPlaylist(set, kThree, false, false, random);
  walk(set, 3, random);
  EXPECT_EQ(set.Index, 2);
  NextTrack(set, random);
  EXPECT_EQ(set.Index, -1);
  EXPECT_EQ(set.Current, "");
  EXPECT_EQ(set.Played, -1);
}

TEST(Playlist, RandomWithoutLoopDrawsAsManyTracksAsTheListHolds) {
  RandomSource random;
  for (int round = 0; round < 20; ++round) {
    TMyMusicSet set;
    LoadPlaylist(set, kThree, true, false, random);
    std::vector<std::string> heard = walk(set, 4, random);
    for (int i = 0; i < 3; ++i)
      EXPECT_NE(std::find(kThree.begin(), kThree.end(), heard[i]), kThree.end()) << heard[i];
    EXPECT_EQ(heard[3], "");
    EXPECT_EQ(set.Index, -1);
    EXPECT_EQ(set.Played, -1);
  }
}

TEST(Playlist, RandomLoopedNeverEndsAndReachesEveryTrack) {
  RandomSource random;
  TMyMusicSet set;
  LoadPlaylist(set, kThree, true, true, random);
  std::vector<std::string> heard = walk(set, 300, random);
  EXPECT_EQ(std::count(heard.begin(), heard.end(), ""), 0);
  for (const std::string &track : kThree)
    EXPECT_GT(std::count(heard.begin(), heard.end(), track), 0) << track;
}

TEST(Playlist, AnEmptyListHasNoTrack) {
  RandomSource random;
  TMyMusicSet set;
  for (bool randomOrder : {false, true}) {
    LoadPlaylist(set, {}, randomOrder, true, random);
    NextTrack(set, random);
    EXPECT_EQ(set.Current, "");
    EXPECT_EQ(set.Index, -1);
  }
}

}  // namespace
