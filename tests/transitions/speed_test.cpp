#include <gtest/gtest.h>

#include "transitions/speed.h"

namespace transitions {
namespace {

// Each setting's Step and Delay, and the frames a transition then takes,
// forward and in reverse; other settings leave the speed alone.
TEST(Speed, SettingsGiveStepDelayAndFrameCount) {
  const struct {
    int setting;
    TransitionSpeed speed;
    size_t frames;
  } cases[] = {
      {1, {10, 1}, 10}, {2, {6, 20}, 17}, {3, {4, 30}, 25}, {4, {2, 30}, 50}, {5, {1, 30}, 100}};
  for (const auto &c : cases) {
    EXPECT_EQ(speedForSetting(c.setting), c.speed) << c.setting;
    EXPECT_EQ(progressSequence(c.speed.step, false).size(), c.frames) << c.setting;
    EXPECT_EQ(progressSequence(c.speed.step, true).size(), c.frames) << c.setting;
  }
  EXPECT_EQ(kDefaultSpeed, (TransitionSpeed{4, 30}));
  for (int v : {-1, 0, 6, 100}) EXPECT_FALSE(speedForSetting(v).has_value()) << v;
  // A Step below one still ends the transition.
  EXPECT_EQ(progressSequence(0, false).size(), 100u);
  EXPECT_EQ(progressSequence(-5, true).size(), 100u);
}

TEST(Speed, StepSixClampsTheLastFrameTo100AndInReverseTo0) {
  std::vector<int> forward, backward;
  for (int p = 6; p <= 96; p += 6) forward.push_back(p);
  for (int p = 94; p >= 4; p -= 6) backward.push_back(p);
  forward.push_back(100);
  backward.push_back(0);
  EXPECT_EQ(progressSequence(6, false), forward);
  EXPECT_EQ(progressSequence(6, true), backward);
}

TEST(Speed, NextProgressStaysWithinZeroAnd100) {
  const struct {
    int from, step;
    bool reverse;
    int next;
  } cases[] = {{96, 6, false, 100}, {100, 100, false, 100}, {4, 6, true, 0},
               {6, 6, true, 0},     {0, 6, true, 0},        {250, 4, true, 96}};
  for (const auto &c : cases)
    EXPECT_EQ(nextProgress(c.from, c.step, c.reverse), c.next) << c.from << " by " << c.step;
}

}  // namespace
}  // namespace transitions
