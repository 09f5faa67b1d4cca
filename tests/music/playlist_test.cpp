// The walk through a play list of loose files, without players.
#include "music/playlist.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using vantor::LoadPlaylist;
using vantor::NextTrack;
using vantor::TMyMusicSet;

const std::vector<std::string> kThree = {"1.wav", "2.wav", "3.wav"};

std::vector<std::string> walk(TMyMusicSet &set, int steps) {
  std::vector<std::string> heard;
  for (int i = 0; i < steps; ++i) {
    NextTrack(set);
    heard.push_back(set.Current);
  }
  return heard;
}

TEST(Playlist, LoadRewindsAndCopies) {
  TMyMusicSet set;
  set.Current = "x";
  set.Index = 2;
  set.Played = 5;
  LoadPlaylist(set, kThree, true, false);
  EXPECT_EQ(set.List, kThree);
  EXPECT_TRUE(set.RandomOrder);
  EXPECT_FALSE(set.Loop);
  EXPECT_EQ(set.Current, "");
  EXPECT_EQ(set.Index, -1);
  EXPECT_EQ(set.Played, -1);
}

TEST(Playlist, InOrderOnceOrLooped) {
  struct Case {
    bool loop;
    std::vector<std::string> heard;
  } cases[] = {
      {false, {"1.wav", "2.wav", "3.wav", "", "1.wav"}},
      {true, {"1.wav", "2.wav", "3.wav", "1.wav", "2.wav"}},
  };
  for (const Case &c : cases) {
    TMyMusicSet set;
    LoadPlaylist(set, kThree, false, c.loop);
    EXPECT_EQ(walk(set, 5), c.heard) << "loop " << c.loop;
  }
}

TEST(Playlist, EndOfTheListClearsIndexAndCurrent) {
  TMyMusicSet set;
  LoadPlaylist(set, kThree, false, false);
  walk(set, 3);
  EXPECT_EQ(set.Index, 2);
  NextTrack(set);
  EXPECT_EQ(set.Index, -1);
  EXPECT_EQ(set.Current, "");
  EXPECT_EQ(set.Played, -1);
}

TEST(Playlist, RandomWithoutLoopDrawsAsManyTracksAsTheListHolds) {
  for (int round = 0; round < 20; ++round) {
    TMyMusicSet set;
    LoadPlaylist(set, kThree, true, false);
    std::vector<std::string> heard = walk(set, 4);
    for (int i = 0; i < 3; ++i)
      EXPECT_NE(std::find(kThree.begin(), kThree.end(), heard[i]), kThree.end()) << heard[i];
    EXPECT_EQ(heard[3], "");
    EXPECT_EQ(set.Index, -1);
    EXPECT_EQ(set.Played, -1);
  }
}

TEST(Playlist, RandomLoopedNeverEndsAndReachesEveryTrack) {
  TMyMusicSet set;
  LoadPlaylist(set, kThree, true, true);
  std::vector<std::string> heard = walk(set, 300);
  EXPECT_EQ(std::count(heard.begin(), heard.end(), ""), 0);
  for (const std::string &track : kThree)
    EXPECT_GT(std::count(heard.begin(), heard.end(), track), 0) << track;
}

TEST(Playlist, AnEmptyListHasNoTrack) {
  TMyMusicSet set;
  for (bool random : {false, true}) {
    LoadPlaylist(set, {}, random, true);
    NextTrack(set);
    EXPECT_EQ(set.Current, "");
    EXPECT_EQ(set.Index, -1);
  }
}

}  // namespace
