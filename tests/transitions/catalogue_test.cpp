// The catalogue against sources it does not share code with: the style
// list that the effects tool prints and the user reads, and frames drawn by
// each entry's routine.

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "frames.h"
#include "transitions/catalogue.h"
#include "transitions/frame_step.h"

namespace transitions {
namespace {

using namespace transitions_test;

TEST(Catalogue, NamesAndNumbersMatchTheStyleList) {
  std::ifstream in(VANTOR_SOURCE_DIR "/tests/transitions/style_names.txt");
  ASSERT_TRUE(in);
  std::ostringstream catalogue;
  for (const Effect &e : effects()) catalogue << e.number << '\t' << e.name << '\n';
  EXPECT_EQ(catalogue.str(), (std::ostringstream() << in.rdbuf()).str());
  for (int n : {-1, 0, kEffectCount + 1}) EXPECT_EQ(effectFor(n), nullptr) << n;
}

// Pixels of the frame that came from the new picture (stretched or not) in
// the half named by `side`, minus those in the opposite half; the outermost
// lines count once more, so that blinds anchored at the named edge lean
// toward it too.
int64_t leanTowards(const gfx::Bitmap &frame, const std::string &side) {
  const int w = frame.width(), h = frame.height();
  int64_t lean = 0;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      if (!at(frame, x, y).isNew) continue;
      // Position along the named direction: +1 on the named edge, -1 on
      // the opposite one, 0 between them.
      const int along = side == "left"    ? (x == 0) - (x == w - 1) + (2 * x < w ? 1 : -1)
                        : side == "right" ? (x == w - 1) - (x == 0) + (2 * x >= w ? 1 : -1)
                        : side == "top"   ? (y == 0) - (y == h - 1) + (2 * y < h ? 1 : -1)
                                          : (y == h - 1) - (y == 0) + (2 * y >= h ? 1 : -1);
      lean += along;
    }
  return lean;
}

// Every entry's routine draws a frame midway that is neither picture, and an
// entry named "... from <side>" that does not cover the frame at once brings
// in more of the new picture on that side, so a routine filed under the
// wrong number or family shows.
TEST(Catalogue, EachRoutineDrawsWhatItsNameSays) {
  constexpr int kW = 96, kH = 64;
  const gfx::Bitmap oldPicture = picture(kW, kH, false), newPicture = picture(kW, kH, true);
  gfx::Bitmap screen(kW, kH);
  vantor::RandomSource random;
  for (const Effect &e : effects()) {
    drawFrame(screen, oldPicture, newPicture, e.number, 4, 50, random);
    EXPECT_FALSE(equalPixels(screen, oldPicture)) << e.number;
    EXPECT_FALSE(equalPixels(screen, newPicture)) << e.number;
    const std::string name(e.name);
    const size_t from = name.rfind(" from ");
    if (from == std::string::npos) continue;
    const std::string side = name.substr(from + 6);
    if (side != "left" && side != "right" && side != "top" && side != "bottom") continue;
    drawFrame(screen, oldPicture, newPicture, e.number, 4, 30, random);
    // A style that covers the whole frame early ("Expand in from ...")
    // shows its direction in what it stretches, not where it draws.
    bool oldLeft = false;
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x) oldLeft |= !at(screen, x, y).isNew;
    if (!oldLeft) continue;
    EXPECT_GT(leanTowards(screen, side), 0) << e.number << " " << name;
  }
}

}  // namespace
}  // namespace transitions
