#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "display/vantorscreen.h"

using namespace vantor;

namespace {

constexpr gfx::Color kRed = 0x0000FF, kBlue = 0xFF0000, kGreen = 0x00FF00;

// The test's own thread acts as the main thread.
class FakeHost : public ControlHost {
 public:
  std::vector<gfx::Rect> invalidated;
  int repaints = 0;
  // Set: a repaint paints this control, as the widget does.
  TVantorscreen *paints = nullptr;
  // Calls handed over by the animation thread so far.
  std::atomic<int> wakes{0};
  void invalidate(gfx::Rect r) override { invalidated.push_back(r); }
  void repaintNow() override {
    ++repaints;
    if (paints) paints->HandlePaint();
  }
  void processEvents() override {}
  void wakeMainThread() override { ++wakes; }
  bool onMainThread() const override { return true; }

  // Waits, without running it, until the animation thread has handed over
  // call number `n`.
  bool waitForCall(int n) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (wakes < n && std::chrono::steady_clock::now() < until)
      std::this_thread::sleep_for(std::chrono::microseconds(200));
    return wakes >= n;
  }
};

// Runs `body`; when it has not returned after `limit`, ends the test program
// with a failure instead of leaving a deadlock to ctest's timeout.
template <typename Body>
void underWatchdog(const char *what, Body body,
                   std::chrono::seconds limit = std::chrono::seconds(20)) {
  std::mutex m;
  std::condition_variable returned;
  bool done = false;
  std::thread dog([&] {
    std::unique_lock<std::mutex> lock(m);
    if (!returned.wait_for(lock, limit, [&] { return done; })) {
      std::fprintf(stderr, "FAILED: %s did not return within %lld s (deadlock)\n", what,
                   static_cast<long long>(limit.count()));
      std::_Exit(1);
    }
  });
  body();
  {
    std::lock_guard<std::mutex> lock(m);
    done = true;
  }
  returned.notify_all();
  dog.join();
}

struct Control {
  FakeHost host;
  TVantorscreen c{&host};
  int completes = 0;
  std::vector<int> progress;
  Control() {
    c.OnComplete = [this] { ++completes; };
    c.OnProgress = [this] { progress.push_back(c.Progress()); };
    c.SetAutoSize(false);
    c.SetBounds({0, 0, 40, 30});
    c.SetDelay(1);
  }
  void load(gfx::Color color, int w = 40, int h = 30) {
    gfx::Bitmap b(w, h, color);
    c.SetPicture(&b);
  }
  // Services the animation thread's calls until `done` or a timeout.
  bool pump(const std::function<bool()> &done,
            std::chrono::milliseconds limit = std::chrono::seconds(10)) {
    auto until = std::chrono::steady_clock::now() + limit;
    while (!done() && std::chrono::steady_clock::now() < until) {
      c.runPendingCall();
      std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return done();
  }
};

}  // namespace

TEST(Control, StepIsClampedAndFitRectKeepsTheAspect) {
  Control t;
  t.c.SetStep(0);
  EXPECT_EQ(t.c.Step(), 1);
  t.c.SetStep(250);
  EXPECT_EQ(t.c.Step(), 100);
  EXPECT_EQ(FitRect({0, 0, 400, 300}, {0, 0, 1024, 768}), gfx::Rect(0, 0, 1024, 768));
  EXPECT_EQ(FitRect({0, 0, 300, 400}, {0, 0, 1024, 768}), gfx::Rect(224, 0, 800, 768));
}

TEST(Control, ThreadedTransitionCompletesOnceWithTheStepSequence) {
  Control t;
  t.c.SetStep(6);
  t.load(kRed);
  t.c.Animate();
  EXPECT_TRUE(t.c.Busy());
  ASSERT_TRUE(t.pump([&] { return t.completes > 0; }));
  std::vector<int> expected;
  for (int p = 6; p < 100; p += 6) expected.push_back(p);
  expected.push_back(100);
  EXPECT_EQ(t.progress, expected);  // 17 frames, the last one clamped
  EXPECT_FALSE(t.c.Busy());
  EXPECT_EQ(t.c.ScreenBitmap().pixel(20, 15), kRed);
  t.pump([] { return false; }, std::chrono::milliseconds(200));  // nothing more arrives
  EXPECT_EQ(t.completes, 1);
}

TEST(Control, StopAnimationEndsTheThreadWithoutOnComplete) {
  Control t;
  t.c.SetStep(1);
  t.c.SetDelay(20);
  t.load(kRed);
  t.c.Animate();
  t.pump([&] { return t.c.Progress() >= 3; });
  t.c.SetDelay(10);  // the running thread reads it between frames
  t.pump([&] { return t.c.Progress() >= 5; });
  t.c.StopAnimation();
  EXPECT_FALSE(t.c.Busy());
  EXPECT_EQ(t.completes, 0);
  t.pump([] { return false; }, std::chrono::milliseconds(200));
  EXPECT_EQ(t.completes, 0);
}

// A host that owns its control and is gone, all but the control, when the
// control's destructor runs.
struct OwningHost : FakeHost {
  static inline int callsAfterGone = 0;
  bool gone = false;
  TVantorscreen c{this};
  ~OwningHost() override { gone = true; }
  void invalidate(gfx::Rect) override { callsAfterGone += gone; }
  void repaintNow() override { callsAfterGone += gone; }
};

TEST(Control, DestroyingWhileAStepIsPendingEndsTheThreadWithoutDrawing) {
  auto host = std::make_unique<OwningHost>();
  host->c.SetAutoSize(false);
  host->c.SetBounds({0, 0, 40, 30});
  host->c.SetStep(1);
  gfx::Bitmap red(40, 30, kRed);
  host->c.SetPicture(&red);
  host->c.Animate();
  ASSERT_TRUE(host->waitForCall(1));  // the first step waits for this thread
  underWatchdog("destroying the control", [&] { host.reset(); });
  EXPECT_EQ(OwningHost::callsAfterGone, 0);
}

TEST(Control, ManualWrittenTrueThenFalseResumesTheTransition) {
  Control t;
  t.c.SetStep(10);
  t.load(kRed);
  t.c.Animate();
  ASSERT_TRUE(t.host.waitForCall(1));
  t.c.SetManual(true);
  t.c.runPendingCall();  // the step; the thread then sees Manual and ends
  ASSERT_TRUE(t.host.waitForCall(2));
  // Its end notification has not run yet.
  underWatchdog("writing Manual false", [&] { t.c.SetManual(false); });
  underWatchdog("the resumed transition", [&] { t.pump([&] { return t.completes > 0; }); });
  EXPECT_EQ(t.completes, 1);
  EXPECT_FALSE(t.c.Busy());
  EXPECT_EQ(t.progress.back(), 100);
  EXPECT_EQ(t.c.ScreenBitmap().pixel(20, 15), kRed);
  t.pump([] { return false; }, std::chrono::milliseconds(100));  // the old thread stays quiet
  EXPECT_EQ(t.completes, 1);
}

// A handler may draw into the screen and repaint the control at once.
TEST(Control, HandlerThatRepaintsSeesItsDrawingInTheBackBuffer) {
  for (const bool custom : {false, true}) {
    SCOPED_TRACE(custom ? "OnCustomDraw" : "OnBeforeNewFrame");
    Control t;
    t.host.paints = &t.c;
    t.c.SetThreaded(false);
    t.c.SetStyle(0);
    gfx::Color painted = 0;
    auto handler = [&](gfx::Bitmap &, gfx::Bitmap &screen) {
      screen.fill(kGreen);
      t.host.repaintNow();
      painted = t.c.BackBuffer().pixel(20, 15);
    };
    (custom ? t.c.OnCustomDraw : t.c.OnBeforeNewFrame) = handler;
    t.load(kBlue);
    underWatchdog("a transition whose handler repaints", [&] { t.c.Animate(); });
    EXPECT_EQ(painted, kGreen);
  }
}

TEST(Control, UnthreadedAndStyleZeroAndManual) {
  Control t;
  t.c.SetThreaded(false);
  t.c.SetStyle(0);
  t.load(kBlue);
  t.c.Animate();  // style 0: one frame, new picture whole
  EXPECT_EQ(t.completes, 1);
  EXPECT_EQ(t.progress, std::vector<int>{100});
  EXPECT_EQ(t.c.ScreenBitmap().pixel(0, 0), kBlue);

  Control m;
  m.c.SetManual(true);
  m.c.SetStyle(5);
  m.load(kGreen);
  m.c.Animate();
  EXPECT_TRUE(m.c.Busy());
  m.c.SetProgress(50);
  EXPECT_EQ(m.c.ScreenBitmap().pixel(5, 5), kGreen);  // revealed from the left
  EXPECT_EQ(m.c.ScreenBitmap().pixel(35, 5), 0u);     // still the old (black) screen
  m.c.SetProgress(100);
  EXPECT_EQ(m.completes, 0);  // a manual transition stays prepared
  m.c.StopAnimation();
  EXPECT_FALSE(m.c.Busy());
  EXPECT_EQ(m.completes, 0);
}

TEST(Control, SecondTransitionStartsFromTheOldPictureAndInvalidatesInside) {
  Control t;
  t.c.SetThreaded(false);
  t.c.SetCenter(true);
  t.c.SetStyle(5);
  t.c.SetStep(50);
  t.load(kRed, 20, 10);
  t.c.Animate();
  t.c.HandlePaint();
  EXPECT_EQ(t.c.BackBuffer().pixel(20, 15), kRed);  // centred
  EXPECT_EQ(t.c.BackBuffer().pixel(0, 0), 0u);      // background colour
  t.host.invalidated.clear();
  t.load(kBlue, 20, 10);
  t.c.SetManual(true);
  t.c.Animate();
  t.c.SetProgress(50);
  EXPECT_EQ(t.c.ScreenBitmap().pixel(2, 2), kBlue);
  EXPECT_EQ(t.c.ScreenBitmap().pixel(18, 2), kRed);
  for (const gfx::Rect &r : t.host.invalidated) {
    EXPECT_GE(r.left, 10);
    EXPECT_LE(r.right, 30);
    EXPECT_GE(r.top, 10);
    EXPECT_LE(r.bottom, 20);
  }
}

TEST(Control, PictureAreaMappingAndTiles) {
  Control t;
  t.c.SetThreaded(false);
  t.c.SetBounds({5, 7, 1029, 775});
  t.c.SetStretch(true);
  t.load(kRed, 512, 384);
  t.c.SetStyle(0);
  t.c.Animate();
  EXPECT_EQ(t.c.MapPictureArea({0, 0, 256, 192}), gfx::Rect(0, 0, 512, 384));
  gfx::Bitmap target(10, 10, kGreen), tile(5, 5, kBlue);
  t.c.TileDraw(target, tile, {0, 0, 10, 10});
  EXPECT_EQ(target.pixel(9, 9), kBlue);  // two by two tiles cover it, plus clipped extras
}

namespace {

// Paints as the show's widget does, composing only what was invalidated
// since the last paint.
class ComposingHost : public FakeHost {
 public:
  TVantorscreen *control = nullptr;
  long long composed = 0;  // pixels composed, summed over the paints
  void repaintNow() override {
    std::vector<gfx::Rect> area;
    const gfx::Rect b = control->Bounds();
    for (const gfx::Rect &r : invalidated) {
      area.push_back(r.translated(-b.left, -b.top));
      composed += (long long)r.width() * r.height();
    }
    invalidated.clear();
    control->HandlePaint(area);
  }
};

gfx::Bitmap Pattern(int w, int h, int seed) {
  gfx::Bitmap b(w, h, 0);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) b.setPixel(x, y, gfx::Color((x * 7 + y * 13 + seed) * 2654435761u));
  return b;
}

enum class Layout { Plain, TiledBackground, CentredBackground };

// What the client shows, worked out pixel by pixel: the picture as the screen
// bitmap holds it, over the background picture, over the colour.
gfx::Bitmap Expected(const TVantorscreen &c, Layout layout, const gfx::Bitmap &bg) {
  gfx::Bitmap out(c.Width(), c.Height(), 0);
  const gfx::Rect pictureRect = c.PictureRect();
  const gfx::Rect centred = gfx::Rect::fromXYWH(
      (c.Width() - bg.width()) / 2, (c.Height() - bg.height()) / 2, bg.width(), bg.height());
  for (int y = 0; y < c.Height(); ++y)
    for (int x = 0; x < c.Width(); ++x) {
      gfx::Color v = c.Color();
      if (pictureRect.contains({x, y}))
        v = c.ScreenBitmap().pixel(x - pictureRect.left, y - pictureRect.top);
      else if (layout == Layout::TiledBackground)
        v = bg.pixel(x % bg.width(), y % bg.height());
      else if (layout == Layout::CentredBackground && centred.contains({x, y}))
        v = bg.pixel(x - centred.left, y - centred.top);
      out.setPixel(x, y, v);
    }
  return out;
}

bool SamePixels(const gfx::Bitmap &x, const gfx::Bitmap &y) {
  if (x.size() != y.size()) return false;
  for (int row = 0; row < x.height(); ++row)
    if (std::memcmp(x.row(row), y.row(row), size_t(x.width()) * 3) != 0) return false;
  return true;
}

}  // namespace

// Every frame of a transition, composed from the rectangles invalidated since
// the last paint alone, shows what the whole control shows: a centred picture
// smaller than the client over the colour, a tiled or a centred background
// picture, for rectangle styles, region styles (random ones too), the fade
// and a push. A change of colour between the transitions invalidates the
// whole client, which the next frame composes with its own rectangles.
TEST(Control, FramesComposedFromTheirRectanglesShowTheWholeControl) {
  const int styles[] = {1, 13, 30, 44, 52, 57, 58, 75, 101, 118, 128, 143, 149};
  for (const Layout layout : {Layout::Plain, Layout::TiledBackground, Layout::CentredBackground}) {
    for (const int style : styles) {
      SCOPED_TRACE("style " + std::to_string(style) + ", layout " + std::to_string(int(layout)));
      // A client 37 pixels wide has padded rows; the control sits at (3, 5).
      const int w = 29, h = 15;
      const gfx::Bitmap background = Pattern(layout == Layout::TiledBackground ? 10 : 33, 9, 99);
      const gfx::Bitmap first = Pattern(w, h, 1), second = Pattern(w, h, 2);
      ComposingHost host;
      TVantorscreen c(&host);
      host.control = &c;
      c.SetAutoSize(false);
      c.SetBounds(gfx::Rect::fromXYWH(3, 5, 37, 23));
      c.SetColor(0x336699);
      c.SetCenter(true);
      if (layout != Layout::Plain) {
        c.SetBgPicture(&background);
        c.SetBgMode(layout == Layout::TiledBackground ? BackgroundMode::Tiled
                                                      : BackgroundMode::Centered);
      }
      c.SetStyle(uint8_t(style));
      c.SetStep(4);
      c.SetManual(true);
      c.HandlePaint();
      host.invalidated.clear();
      host.composed = 0;
      int frames = 0;
      for (const gfx::Bitmap *picture : {&first, &second}) {
        c.SetPicture(picture);
        c.Animate();
        for (int p = 4; p <= 100; p += 4, ++frames) {
          c.SetProgress(p);
          // Styles above 127 repaint at the event loop's next paint.
          if (!host.invalidated.empty()) host.repaintNow();
          ASSERT_TRUE(SamePixels(c.BackBuffer(), Expected(c, layout, background)))
              << "at Progress " << p << " of picture " << (picture == &first ? 1 : 2);
        }
        c.StopAnimation();
        c.SetColor(0x102030);
      }
      // Rectangle styles change, and compose, less than the whole picture.
      if (style <= 57) {
        EXPECT_LT(host.composed, (long long)frames * w * h + 37 * 23);
      }
    }
  }
}
