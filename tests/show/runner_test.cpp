// The slideshow runner on a fake control and a fake timer: which picture,
// caption, effect and display time each tick gives.

#include <gtest/gtest.h>

#include <climits>
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <sstream>

#include "../common/test_util.h"
#include "platform/debug_log.h"
#include "platform/paths.h"
#include "runner_fakes.h"
#include "settings/ini_file.h"
#include "settings/saver_setting.h"

namespace vantor::test {

bool FakeScreen::load(PictureComposer &composer, const std::string &f) {
  loads.push_back({f, composer.caption, readFile(f)});
  const bool readable = exists(f) || f.rfind("/pics/", 0) == 0;
  if (!readable || fileNameOf(f).rfind("bad", 0) == 0) return false;
  composer.picture = gfx::Bitmap(1, 1, composer.color);
  return true;
}

namespace {

// A show over named pictures: every name resolves to "/pics/<name>" unless
// it is listed as missing.
class RunnerTest : public ::testing::Test {
 protected:
  TSaverSetting settings;
  IniFile ini;
  std::set<std::string> missing;
  int resolves = 0;                // entries offered to resolve
  std::function<int(int)> random;  // the runner's own seeded source when empty
  bool packagePresent = true;
  std::string decodeFolder;
  FakeScreen *screen = nullptr;
  FakeTimer *timer = nullptr;
  std::unique_ptr<PictureWorker> worker;  // inline when empty
  std::unique_ptr<TRunVantorscreen> runner;

  RunnerTest() { settings.UseEffects = ParseEffectList("12,"); }

  void start(bool preview = false) {
    auto s = std::make_unique<FakeScreen>();
    auto t = std::make_unique<FakeTimer>();
    screen = s.get();
    timer = t.get();
    RunnerContext context{
        settings,
        ini,
        [this](std::string &entry) {
          ++resolves;
          if (entry.empty() || missing.count(entry)) return Status::failure("not in the package");
          if (entry.find('/') == std::string::npos) entry = "/pics/" + entry;
          return Status();
        },
        packagePresent,
        decodeFolder,
        random,
        {},
        std::move(worker),
        [s = screen](PictureComposer &c, const std::string &f) { return s->load(c, f); }};
    runner =
        std::make_unique<TRunVantorscreen>(std::move(s), std::move(t), std::move(context), preview);
  }
  // One whole cycle: the tick comes, the transition runs to its end.
  void cycle() {
    timer->advance(timer->interval());
    screen->finishTransition();
  }
  std::vector<std::string> shownFiles() const {
    std::vector<std::string> files;
    for (const Load &l : screen->loads) files.push_back(l.file);
    return files;
  }
};

// What each of four ticks shows: the file, its effect and its display time.
// The pictures are listed with a space between them; "gone.jpg" is missing
// and "bad..." cannot be decoded. A picture that cannot be shown gives way to
// the next entry at once: the screen is never left without a picture and the
// show keeps its pace.
struct TicksCase {
  const char *name;
  int order;
  const char *list, *ini, *effects, *splash, *expected;
  int animateThrows = 0;  // Animate calls that throw before one works
};
void PrintTo(const TicksCase &c, std::ostream *os) {
  *os << c.name;
}

const TicksCase kTicks[] = {
    {"InOrderStartsAtEntryZeroAndWraps", 0, "a.jpg b.jpg c.jpg", "", "12,", "",
     "a.jpg 12 4000, b.jpg 12 4000, c.jpg 12 4000, a.jpg 12 4000"},
    {"ShuffledOnceStartsAtEntryZeroAndWraps", 2, "a.jpg b.jpg c.jpg", "", "12,", "",
     "a.jpg 12 4000, b.jpg 12 4000, c.jpg 12 4000, a.jpg 12 4000"},
    {"ShuffleWithOnePictureShowsItAtEveryTick", 1, "only.jpg", "", "12,", "",
     "only.jpg 12 4000, only.jpg 12 4000, only.jpg 12 4000, only.jpg 12 4000"},
    // The splash's display time is never taken from intervals.
    {"SplashComesFirstWithoutEffect", 0, "a.jpg b.jpg", "[intervals]\r\nsplash.jpg=30\r\n", "12,",
     "splash.jpg", "splash.jpg 0 4000, a.jpg 12 4000, b.jpg 12 4000, a.jpg 12 4000"},
    {"RejectedSplashIsSkipped", 0, "a.jpg b.jpg", "", "12,", "gone.jpg",
     "a.jpg 12 4000, b.jpg 12 4000, a.jpg 12 4000, b.jpg 12 4000"},
    {"IntervalsEntryAppliesToThatPictureOnly", 0, "a.jpg [b].jpg c.jpg",
     "[intervals]\r\nb.jpg=10\r\nc.jpg=soon\r\n", "12,", "",
     "a.jpg 12 4000, [b].jpg 12 10000, c.jpg 12 4000, a.jpg 12 4000"},
    {"EmptyEffectsEntryShowsWithoutEffect", 0, "[x]p.jpg q.jpg", "[effects]\r\nxp.jpg=\r\n", "5,",
     "", "[x]p.jpg 0 4000, q.jpg 5 4000, [x]p.jpg 0 4000, q.jpg 5 4000"},
    {"EffectSetWithoutANumberInRangeGivesEffectZero", 0, "a.jpg", "", "0,151,", "",
     "a.jpg 0 4000, a.jpg 0 4000, a.jpg 0 4000, a.jpg 0 4000"},
    {"MissingPictureGivesWay", 0, "gone.jpg b.jpg c.jpg", "", "12,", "",
     "b.jpg 12 4000, c.jpg 12 4000, b.jpg 12 4000, c.jpg 12 4000"},
    {"UndecodablePictureGivesWay", 0, "bad.jpg b.jpg c.jpg", "", "12,", "",
     "b.jpg 12 4000, c.jpg 12 4000, b.jpg 12 4000, c.jpg 12 4000"},
    {"UndecodableSplashGivesWay", 0, "bad.jpg b.jpg c.jpg", "", "12,", "bad-splash.jpg",
     "b.jpg 12 4000, c.jpg 12 4000, b.jpg 12 4000, c.jpg 12 4000"},
    {"PictureWhoseTransitionFailsGivesWay", 0, "a.jpg b.jpg c.jpg", "", "12,", "",
     "b.jpg 12 4000, c.jpg 12 4000, a.jpg 12 4000, b.jpg 12 4000", 1},
};

class Ticks : public RunnerTest, public ::testing::WithParamInterface<TicksCase> {};

TEST_P(Ticks, ShowPictureEffectAndDisplayTime) {
  const TicksCase &c = GetParam();
  settings.ImageSequence = Sequence(c.order);
  std::istringstream list(c.list);
  for (std::string entry; list >> entry;) settings.PictureList.push_back(entry);
  settings.ImageInterval = 4;
  settings.UseEffects = ParseEffectList(c.effects);
  settings.ShowSplash = *c.splash != 0;
  settings.SplashImage = c.splash;
  missing = {"gone.jpg"};
  ini.loadFromText(c.ini);
  start();
  screen->animateThrows = c.animateThrows;
  std::string shown;
  for (int i = 0; i < 4; ++i) {
    timer->advance(timer->interval());
    ASSERT_TRUE(screen->busy) << "no transition at tick " << i;
    // The splash is no entry of the list: it is the file loaded last.
    const std::string file =
        runner->Index() < 0 ? screen->loads.back().file : runner->CurrentFile();
    shown += (shown.empty() ? "" : ", ") + std::string(fileNameOf(file)) + " " +
             std::to_string(screen->animatedStyles.back()) + " " +
             std::to_string(timer->interval());
    screen->finishTransition();
  }
  EXPECT_EQ(shown, c.expected);
}

INSTANTIATE_TEST_SUITE_P(Shows, Ticks, ::testing::ValuesIn(kTicks),
                         [](const auto &info) { return std::string(info.param.name); });

// With VANTOR_DEBUG=1 a skipped entry is named once, with the reason the
// package gave, not a guess.
TEST_F(RunnerTest, SkippedEntrySaysWhyOnce) {
  settings.PictureList = {"lost.jpg", "b.jpg"};
  missing = {"lost.jpg"};
  setDebugLogEnabled(true);
  testing::internal::CaptureStderr();
  start();
  for (int i = 0; i < 3; ++i) {
    timer->advance(timer->interval());
    screen->finishTransition();
  }
  const std::string said = testing::internal::GetCapturedStderr();
  setDebugLogEnabled(false);
  EXPECT_EQ(said, "vantor-saver: skipped lost.jpg: not in the package\n");
}

TEST_F(RunnerTest, ShuffleNeverShowsOnePictureTwiceInARow) {
  settings.ImageSequence = Sequence::Random;
  settings.PictureList = {"a.jpg", "b.jpg", "c.jpg"};
  start();
  for (int i = 0; i < 300; ++i) cycle();
  const auto files = shownFiles();
  ASSERT_EQ(files.size(), 300u);
  for (size_t i = 1; i < files.size(); ++i) EXPECT_NE(files[i], files[i - 1]) << i;
  EXPECT_EQ(std::set<std::string>(files.begin(), files.end()).size(), 3u);
}

TEST_F(RunnerTest, ShuffleGivesUpAfterThreeHundredRedraws) {
  settings.ImageSequence = Sequence::Random;
  settings.PictureList = {"a.jpg", "b.jpg"};
  int draws = 0;
  random = [&](int n) {
    if (n == 150) return 11;  // the effect draw: 12
    ++draws;
    return 0;  // always the picture shown last
  };
  start();
  cycle();
  EXPECT_EQ(draws, 1);  // the first draw differs from the index -1 at once
  draws = 0;
  cycle();
  EXPECT_EQ(draws, 301);
  EXPECT_EQ(shownFiles(), (std::vector<std::string>{"/pics/a.jpg", "/pics/a.jpg"}));
}

TEST_F(RunnerTest, EmptyListShowsNothingNotEvenTheSplashAndLeavesTheTimerOff) {
  settings.ShowSplash = true;
  settings.SplashImage = "splash.jpg";
  start();
  EXPECT_TRUE(timer->enabled());
  EXPECT_EQ(timer->interval(), 100);
  timer->advance(100);
  EXPECT_TRUE(screen->animatedStyles.empty());
  EXPECT_FALSE(timer->enabled());
  EXPECT_TRUE(runner->FirstTick());
  timer->advance(60000);
  EXPECT_TRUE(screen->animatedStyles.empty());
}

// The splash, and every picture with ClearOldImage, starts over the cleared
// screen; the splash also runs forwards.
TEST_F(RunnerTest, SplashAndClearOldImageStartFromTheBackground) {
  for (const bool splash : {true, false}) {
    SCOPED_TRACE(splash ? "splash" : "ClearOldImage");
    settings.ShowSplash = splash;
    settings.SplashImage = "splash.jpg";
    settings.ClearOldImage = !splash;
    settings.PictureList = {"a.jpg"};
    start();
    timer->advance(100);
    EXPECT_EQ(shownFiles(),
              (std::vector<std::string>{splash ? "/pics/splash.jpg" : "/pics/a.jpg"}));
    EXPECT_EQ(screen->calls, (std::vector<std::string>{"ClearImage", "Update"}));
    EXPECT_TRUE(!splash || !screen->reverse) << "the splash ran in reverse";
  }
}

struct CaptionCase {
  const char *name;
  const char *picture;
  const char *captions;  // the captions section's lines
  bool preview;
  bool forceHide;
  int position;
  const char *expected;
};
void PrintTo(const CaptionCase &c, std::ostream *os) {
  *os << c.name;
}

class Captions : public RunnerTest, public ::testing::WithParamInterface<CaptionCase> {};

TEST_P(Captions, CaptionOfThePicture) {
  const CaptionCase &c = GetParam();
  settings.Position = CaptionPosition(c.position);
  settings.ForceHide = c.forceHide;
  settings.PictureList = {c.picture};
  ini.loadFromText(std::string("[captions]\r\n") + c.captions);
  start(c.preview);
  timer->advance(100);
  ASSERT_EQ(screen->loads.size(), 1u);
  EXPECT_EQ(screen->loads[0].caption, c.expected);
  // The caption is repainted only when there is one.
  EXPECT_EQ(screen->calls, std::vector<std::string>(*c.expected ? 1 : 0, "Refresh"));
}

const CaptionCase kCaptions[] = {
    {"DoubleExtension", "beach.jpg.jpg", "", false, false, 3, "beach"},
    {"NoExtension", "sunset", "", false, false, 3, "sunset"},
    {"Entry", "a.jpg", "A.JPG=Harbour at dawn\r\n", false, false, 1, "Harbour at dawn"},
    {"EmptyEntry", "a.jpg", "a.jpg=\r\n", false, false, 3, ""},
    {"Preview", "beach.jpg", "", true, false, 3, ""},
    {"ForceHide", "beach.jpg", "", false, true, 3, ""},
    {"PositionNone", "beach.jpg", "", false, false, 0, ""},
};

INSTANTIATE_TEST_SUITE_P(Rules, Captions, ::testing::ValuesIn(kCaptions),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(RunnerTest, EffectsEntryWithoutFinalCommaAllowsOnlyTheNumbersBeforeIt) {
  settings.ImageSequence = Sequence::Random;
  settings.UseEffects = ParseEffectList("1,2,3,");
  settings.PictureList = {"p.jpg"};
  ini.loadFromText("[effects]\r\np.jpg=12,40,7\r\n");
  start();
  for (int i = 0; i < 200; ++i) cycle();
  const std::set<int> styles(screen->animatedStyles.begin(), screen->animatedStyles.end());
  EXPECT_EQ(styles, (std::set<int>{12, 40}));
}

TEST_F(RunnerTest, DisplayTimeCountsFromTheEndOfTheTransition) {
  settings.ImageSequence = Sequence::InOrder;
  settings.ImageInterval = 3;
  settings.PictureList = {"a.jpg", "b.jpg"};
  start();
  timer->advance(99);
  EXPECT_TRUE(screen->loads.empty());
  timer->advance(1);
  ASSERT_EQ(screen->loads.size(), 1u);
  EXPECT_FALSE(timer->enabled());
  timer->advance(20000);  // a slow transition: no tick while it runs
  EXPECT_EQ(screen->loads.size(), 1u);
  screen->finishTransition();
  EXPECT_TRUE(timer->enabled());
  timer->advance(2999);
  EXPECT_EQ(screen->loads.size(), 1u);
  timer->advance(1);
  EXPECT_EQ(screen->loads.size(), 2u);
}

TEST_F(RunnerTest, ListWithNothingToShowIsTriedOncePerDisplayTime) {
  settings.ImageSequence = Sequence::InOrder;
  settings.ImageInterval = 1;
  settings.PictureList = {"gone.png", "bad.png"};
  missing = {"gone.png"};
  start();
  timer->advance(100);
  EXPECT_EQ(resolves, 2);  // each entry once, then the show waits
  EXPECT_TRUE(screen->animatedStyles.empty());
  timer->advance(10000);
  EXPECT_EQ(resolves, 22);
  // The list comes good: the next round shows it.
  missing.clear();
  timer->advance(1000);
  EXPECT_EQ(screen->animatedStyles.size(), 1u);
  EXPECT_EQ(runner->CurrentFile(), "/pics/gone.png");
}

struct AheadCase {
  const char *name;
  int order;
  std::vector<std::string> list;
  bool splash;
  const char *ini;  // sections captions, effects and intervals
};
// Case names, not bytes, in the test lists.
void PrintTo(const AheadCase &c, std::ostream *os) {
  *os << c.name;
}

class MadeAhead : public RunnerTest, public ::testing::WithParamInterface<AheadCase> {
 protected:
  // What each of `ticks` ticks shows: file, caption, effect and display
  // time, or "-" when nothing could be shown. With a worker that makes
  // pictures ahead every job runs between the ticks, and a tick that shows a
  // picture must start its transition without waiting for one.
  std::vector<std::string> play(bool ahead, int ticks) {
    std::mt19937 generator(17);
    random = [&generator](int n) {
      return std::uniform_int_distribution<int>(0, n - 1)(generator);
    };
    auto queued = std::make_unique<QueuedWorker>();
    auto queue = queued->queue;
    if (ahead) worker = std::move(queued);
    start();
    std::vector<std::string> shown;
    for (int i = 0; i < ticks; ++i) {
      queue->drain();
      timer->advance(timer->interval());
      const bool waited = runner->Waiting();
      queue->drain();  // a list that failed as a whole is tried again by the tick
      std::string tick = "-";
      if (screen->busy) {
        EXPECT_FALSE(waited) << "tick " << i << " waited for its picture";
        tick = std::string(fileNameOf(runner->CurrentFile())) + "|" + screen->loader.caption + "|" +
               std::to_string(screen->animatedStyles.back()) + "|" +
               std::to_string(timer->interval());
      }
      shown.push_back(tick);
      screen->finishTransition();
    }
    runner.reset();
    return shown;
  }
};

// The same random source gives the same show whether each picture is made at
// its tick or while the one before it is shown.
TEST_P(MadeAhead, ShowsWhatTheTickWouldChoose) {
  const AheadCase &c = GetParam();
  settings.ImageSequence = Sequence(c.order);
  settings.PictureList = c.list;
  settings.ShowSplash = c.splash;
  settings.SplashImage = "splash.jpg";
  settings.Position = CaptionPosition::Bottom;
  settings.ImageInterval = 2;
  settings.UseEffects = ParseEffectList("3,5,8,13,");
  missing = {"gone.jpg"};
  ini.loadFromText(c.ini);
  const auto atTheTick = play(false, 24);
  const auto ahead = play(true, 24);
  EXPECT_EQ(ahead, atTheTick);
}

INSTANTIATE_TEST_SUITE_P(
    Shows, MadeAhead,
    ::testing::Values(AheadCase{"InOrderWithSplash",
                                0,
                                {"a.jpg", "b.jpg", "c.jpg"},
                                true,
                                "[captions]\r\nb.jpg=Harbour\r\n[effects]\r\nc.jpg=40,\r\n"
                                "[intervals]\r\na.jpg=7\r\n"},
                      AheadCase{"ShuffleWithFailures",
                                1,
                                {"a.jpg", "gone.jpg", "bad.jpg", "d.jpg", "e.jpg"},
                                false,
                                "[effects]\r\nd.jpg=\r\n[intervals]\r\ne.jpg=9\r\n"},
                      AheadCase{"ShuffleTwoPictures", 1, {"a.jpg", "b.jpg"}, true, ""},
                      AheadCase{
                          "FailedSplashThenList", 2, {"gone.jpg", "b.jpg", "c.jpg"}, false, ""},
                      AheadCase{"NothingToShow", 0, {"gone.jpg", "bad.jpg"}, true, ""}),
    [](const auto &info) { return std::string(info.param.name); });

// A picture whose making failed while the one before it was shown is
// skipped: the tick shows the entry after it at once.
TEST_F(RunnerTest, PictureThatFailedAheadIsSkippedAtTheTick) {
  auto queued = std::make_unique<QueuedWorker>();
  auto queue = queued->queue;
  worker = std::move(queued);
  settings.ImageSequence = Sequence::InOrder;
  settings.PictureList = {"a.jpg", "bad.jpg", "c.jpg"};
  start();
  queue->drain();
  timer->advance(100);
  ASSERT_TRUE(screen->busy);
  screen->finishTransition();
  queue->drain();  // bad.jpg fails, c.jpg is made
  EXPECT_EQ(shownFiles(),
            (std::vector<std::string>{"/pics/a.jpg", "/pics/bad.jpg", "/pics/c.jpg"}));
  const int ran = queue->ran;
  timer->advance(timer->interval());
  ASSERT_TRUE(screen->busy);
  EXPECT_EQ(runner->CurrentFile(), "/pics/c.jpg");
  EXPECT_EQ(queue->ran, ran);
}

// The window gets its real size after the first picture was made: that
// picture is made again for the control as it now is.
TEST_F(RunnerTest, PictureMadeForAnotherLookIsMadeAgain) {
  auto queued = std::make_unique<QueuedWorker>();
  auto queue = queued->queue;
  worker = std::move(queued);
  settings.PictureList = {"a.jpg"};
  start();
  queue->drain();
  screen->loader.width = 1920;
  screen->color = 0x00405060;
  timer->advance(100);
  EXPECT_FALSE(screen->busy);
  EXPECT_TRUE(runner->Waiting());
  queue->drain();
  ASSERT_TRUE(screen->busy);
  // Made, made again, and the next one made ahead.
  EXPECT_EQ(shownFiles(), std::vector<std::string>(3, "/pics/a.jpg"));
  EXPECT_EQ(screen->shown.pixel(0, 0), gfx::Color(0x00405060));
}

TEST_F(RunnerTest, HugeDisplayTimeDoesNotWrapToANegativePeriod) {
  settings.ImageInterval = 3000000;
  settings.PictureList = {"a.jpg"};
  start();
  cycle();
  EXPECT_EQ(timer->interval(), INT_MAX);
  EXPECT_EQ(SecondsToTimerInterval(-5), -5000);
}

TEST_F(RunnerTest, BusyControlIsStoppedBeforeTheNextTransition) {
  settings.PictureList = {"a.jpg"};
  start();
  timer->advance(100);
  runner->TimerTick();  // a tick while the transition still runs
  EXPECT_EQ(screen->calls, (std::vector<std::string>{"StopAnimation"}));
  EXPECT_EQ(screen->animatedStyles.size(), 2u);
}

TEST_F(RunnerTest, CreationSetsTheControlUp) {
  settings.BackgroundColor = 0x00336699;
  settings.EffectSpeed2 = 1;
  settings.ImageSize = 2;
  settings.FontName = "DejaVu Sans";
  settings.FontSize = 20;
  settings.FontBold = true;
  settings.Position = CaptionPosition::Top;
  start();
  EXPECT_EQ(screen->color, gfx::Color(0x00336699));
  EXPECT_EQ(screen->step, 10);
  EXPECT_EQ(screen->delay, 1);
  EXPECT_TRUE(screen->center);
  EXPECT_FALSE(screen->autoSize);
  EXPECT_TRUE(screen->alignClient);
  EXPECT_EQ(screen->bgMode, BackgroundMode::None);
  EXPECT_EQ(screen->loader.fitMode, 2);
  EXPECT_EQ(screen->loader.captionPosition, CaptionPosition::Top);
  EXPECT_EQ(screen->loader.captionFont.name, "DejaVu Sans");
  EXPECT_TRUE(screen->loader.captionFont.bold);
  EXPECT_FALSE(screen->loader.previewMode);
  EXPECT_EQ(screen->loader.backImageMode, BackImageMode::Colour);
  settings.EffectSpeed2 = 9;  // outside 1 to 5: the control keeps its own speed
  start();
  EXPECT_EQ(screen->step, 4);
  EXPECT_EQ(screen->delay, 30);
}

// A preview loads no background picture, and one that fails to load gives
// way to the colour.
TEST_F(RunnerTest, BackgroundPictureThatCannotBeUsedGivesTheColour) {
  TempDir dir;
  for (const bool preview : {true, false}) {
    SCOPED_TRACE(preview ? "preview" : "show");
    writeFile(dir / "back.png", "not a picture either way");
    settings.Back_Mode_UseColor = false;
    settings.Back_Image_Filename = dir / "back.png";
    start(preview);
    EXPECT_EQ(screen->loader.previewMode, preview);
    EXPECT_EQ(screen->loader.backImageMode, BackImageMode::Colour);
    if (preview) {
      EXPECT_FALSE(screen->loader.backImage.has_value());
    }
  }
}

// What the show composes over a background picture whose pixels are all
// transparent: the background colour, around the picture itself.
TEST_F(RunnerTest, TransparentBackgroundPictureLiesOnTheBackgroundColour) {
  TempDir dir;
  ASSERT_EQ(run("convert -size 4x4 xc:none PNG32:" + dir / "back.png"), 0);
  ASSERT_EQ(run("convert -size 2x2 'xc:rgb(200,30,40)' " + dir / "pic.bmp"), 0);
  settings.BackgroundColor = 0x00336699;
  settings.Back_Mode_UseColor = false;
  settings.Back_Image_Filename = dir / "back.png";
  start();
  PictureJob job;
  job.entry = dir / "pic.bmp";
  job.look = screen->LoadingFields();
  job.look.width = job.look.height = 8;
  job.resolve = [](std::string &) { return Status(); };
  const PreparedPicture prepared = PreparePicture(job);
  ASSERT_TRUE(prepared.shown);
  ASSERT_EQ(prepared.picture.size(), (gfx::Size{8, 8}));
  EXPECT_EQ(prepared.picture.pixel(0, 0), gfx::Color(0x00336699));
  EXPECT_EQ(prepared.picture.pixel(7, 7), gfx::Color(0x00336699));
  EXPECT_EQ(prepared.picture.pixel(3, 3), gfx::makeColor(200, 30, 40));
}

// The decoded copy goes to a fresh file, not through a link planted at its
// name, and is removed after the load.
TEST_F(RunnerTest, EncryptedLooseFileIsDecodedForTheLoadAndTheCopyRemoved) {
  TempDir dir;
  writeFile(dir / "victim", "keep me");
  std::filesystem::create_symlink(dir / "victim", dir / "tempimagefile.jpg");
  std::string stored = "JFIF picture bytes\x01\xfe";
  const std::string original = stored;
  ComplementBytes(stored);
  writeFile(dir / "photo.jpg", stored);
  settings.ImageEncrypt = true;
  settings.PictureList = {dir / "photo.jpg"};
  packagePresent = false;
  decodeFolder = dir.path();
  start();
  timer->advance(100);
  ASSERT_EQ(screen->loads.size(), 1u);
  EXPECT_EQ(screen->loads[0].file, dir / "tempimagefile.jpg");
  EXPECT_EQ(screen->loads[0].contents, original);
  EXPECT_FALSE(std::filesystem::is_symlink(dir / "tempimagefile.jpg"));
  EXPECT_FALSE(exists(dir / "tempimagefile.jpg"));
  EXPECT_EQ(readFile(dir / "victim"), "keep me");
}

TEST_F(RunnerTest, EncryptedPictureFromAPackageIsLoadedAsItIs) {
  settings.ImageEncrypt = true;
  settings.PictureList = {"a.jpg"};
  packagePresent = true;
  start();
  timer->advance(100);
  EXPECT_EQ(shownFiles(), (std::vector<std::string>{"/pics/a.jpg"}));
}

}  // namespace
}  // namespace vantor::test
