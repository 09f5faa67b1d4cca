#include <gtest/gtest.h>

#include "transitions/speed.h"

namespace transitions {
namespace {

std::vector<int> range(int from, int to, int by) {
  std::vector<int> v;
  for (int p = from; by > 0 ? p <= to : p >= to; p += by) v.push_back(p);
  return v;
}

TEST(Speed, SettingsGiveStepAndDelay) {
  EXPECT_EQ(speedForSetting(1), (TransitionSpeed{10, 1}));
  EXPECT_EQ(speedForSetting(2), (TransitionSpeed{6, 20}));
  EXPECT_EQ(speedForSetting(3), (TransitionSpeed{4, 30}));
  EXPECT_EQ(speedForSetting(4), (TransitionSpeed{2, 30}));
  EXPECT_EQ(speedForSetting(5), (TransitionSpeed{1, 30}));
  EXPECT_EQ(kDefaultSpeed, (TransitionSpeed{4, 30}));
}

TEST(Speed, OtherSettingsLeaveTheSpeedAlone) {
  for (int v : {-1, 0, 6, 100}) EXPECT_FALSE(speedForSetting(v).has_value()) << v;
}

TEST(Speed, FramesPerSetting) {
  const int frames[] = {10, 17, 25, 50, 100};
  for (int s = 1; s <= 5; ++s) {
    const TransitionSpeed speed = *speedForSetting(s);
    EXPECT_EQ(progressSequence(speed.step, false).size(), size_t(frames[s - 1])) << s;
    EXPECT_EQ(progressSequence(speed.step, true).size(), size_t(frames[s - 1])) << s;
  }
}

TEST(Speed, StepSixClampsTheLastFrameTo100) {
  std::vector<int> expected = range(6, 96, 6);
  expected.push_back(100);
  EXPECT_EQ(progressSequence(6, false), expected);
  EXPECT_EQ(expected.size(), 17u);
}

TEST(Speed, StepSixInReverseEndsAtZero) {
  std::vector<int> expected = range(94, 4, -6);
  expected.push_back(0);
  EXPECT_EQ(progressSequence(6, true), expected);
  EXPECT_EQ(expected.size(), 17u);
}

TEST(Speed, NextProgressStaysWithinZeroAnd100) {
  EXPECT_EQ(nextProgress(96, 6, false), 100);
  EXPECT_EQ(nextProgress(100, 100, false), 100);
  EXPECT_EQ(nextProgress(4, 6, true), 0);
  EXPECT_EQ(nextProgress(6, 6, true), 0);
  EXPECT_EQ(nextProgress(0, 6, true), 0);
  EXPECT_EQ(nextProgress(250, 4, true), 96);
}

TEST(Speed, AStepBelowOneStillEndsTheTransition) {
  EXPECT_EQ(progressSequence(0, false).size(), 100u);
  EXPECT_EQ(progressSequence(-5, true).size(), 100u);
}

}  // namespace
}  // namespace transitions
