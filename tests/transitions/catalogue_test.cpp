#include <gtest/gtest.h>

#include <map>
#include <string>

#include "transitions/catalogue.h"

namespace transitions {
namespace {

TEST(Catalogue, HasOneEntryPerNumberInOrder) {
  ASSERT_EQ(effects().size(), 150u);
  for (int n = 1; n <= 150; ++n) {
    ASSERT_NE(effectFor(n), nullptr);
    EXPECT_EQ(effectFor(n)->number, n);
    EXPECT_EQ(&effects()[size_t(n - 1)], effectFor(n));
    EXPECT_FALSE(effectFor(n)->name.empty());
  }
}

TEST(Catalogue, NumbersOutsideTheCatalogueHaveNoEntry) {
  for (int n : {-1, 0, 151, 1000}) EXPECT_EQ(effectFor(n), nullptr) << n;
}

TEST(Catalogue, KeepsTheNamesAsTheyStand) {
  const std::map<int, std::string> names = {
      {1, "Expand from right"},
      {14, "Unroll from left"},
      {29, "Slide in from top / bottom"},
      {33, "Expand from bottom"},
      {34, "Expand in from top"},
      {57, "Quarters Slide in to middle"},
      {58, "Curved Reveal from left"},
      {76, "Unven shred from bottom"},
      {116, "Starburst clockwise from center"},
      {134, "Push and sqeeze down"},
      {145, "Rectangles apear from left and disapear to right"},
      {150, "Rotational star"},
  };
  for (const auto &[n, name] : names) EXPECT_EQ(effectFor(n)->name, name) << n;
}

TEST(Catalogue, OnlyStyles33And34RepeatEarlierNames) {
  std::map<std::string_view, int> first;
  std::map<int, int> repeats;
  for (const Effect &e : effects()) {
    auto [it, inserted] = first.emplace(e.name, e.number);
    if (!inserted) repeats[e.number] = it->second;
  }
  EXPECT_EQ(repeats, (std::map<int, int>{{33, 18}, {34, 25}}));
}

EffectKind expectedKind(int n) {
  if (n <= 57 || (n >= 128 && n <= 135)) return EffectKind::Rectangle;
  if (n >= 118 && n <= 122) return EffectKind::Pixel;
  return EffectKind::Region;
}

TEST(Catalogue, KindsFollowTheFamilies) {
  for (const Effect &e : effects()) EXPECT_EQ(e.kind, expectedKind(e.number)) << e.number;
}

TEST(Catalogue, EveryStyleHasARoutine) {
  for (const Effect &e : effects()) EXPECT_NE(e.proc, nullptr) << e.number;
}

}  // namespace
}  // namespace transitions
