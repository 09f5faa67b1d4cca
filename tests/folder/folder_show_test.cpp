// The slideshow of a folder: the runner on a fake control and clock, fed by
// the real folder scan, shows exactly the pictures of the tree in the
// configured order, and its first picture before the scan has ended.

#include <gtest/gtest.h>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <set>

#include "../common/test_util.h"
#include "../show/runner_fakes.h"
#include "settings/ini_file.h"
#include "settings/saver_setting.h"
#include "show/folder_feed.h"

namespace vantor::test {
namespace {

using namespace std::chrono_literals;

// The window thread's queue: the scan posts, the test runs the calls. With
// `gated`, the scan's thread waits after its first post until the test
// opens the gate.
class WindowQueue {
 public:
  bool gated = false;

  FolderFeed::Post post() {
    return [this](std::function<void()> call) {
      std::unique_lock lock(mutex_);
      calls_.push_back(std::move(call));
      ++posted_;
      changed_.notify_all();
      if (gated && posted_ == 1) changed_.wait(lock, [this] { return open_; });
    };
  }
  void open() {
    std::lock_guard lock(mutex_);
    open_ = true;
    changed_.notify_all();
  }
  // Runs the posted calls until `done` holds; false when it did not come
  // within the deadline.
  template <typename Done>
  bool runUntil(Done done) {
    const auto end = std::chrono::steady_clock::now() + 20s;
    while (!done()) {
      std::function<void()> call;
      {
        std::unique_lock lock(mutex_);
        if (!changed_.wait_until(lock, end, [this] { return !calls_.empty(); })) return false;
        call = std::move(calls_.front());
        calls_.pop_front();
      }
      call();
    }
    return true;
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<std::function<void()>> calls_;
  int posted_ = 0;
  bool open_ = false;
};

class FolderShow : public ::testing::Test {
 protected:
  TempDir dir;
  TSaverSetting settings;
  IniFile ini;
  WindowQueue queue;
  FakeScreen *screen = nullptr;
  FakeTimer *timer = nullptr;
  std::unique_ptr<TRunVantorscreen> runner;
  std::vector<std::string> pictures;  // of the tree, in path order
  bool anyName = false;               // every name loads, whether a file or not

  ~FolderShow() override {
    queue.open();  // a scan held at the gate must reach its end
    runner.reset();
  }
  FolderShow() {
    settings.UseEffects = ParseEffectList("12,");
    for (const char *f : {"p/1.jpg", "p/2.PNG", "p/a/3.gif", "p/a/b/4.webp", "p/c/5.jpeg"}) {
      writeFile(dir / f, "x");
      pictures.push_back(dir / f);
    }
    for (const char *f : {"p/notes.txt", "p/.hidden/6.jpg", "p/.7.jpg", "p/a/cover.jpg.bak"})
      writeFile(dir / f, "x");
  }

  // Without a feed, the folder scan of the tree feeds the show.
  void start(std::unique_ptr<PictureFeed> feed = nullptr) {
    auto s = std::make_unique<FakeScreen>();
    auto t = std::make_unique<FakeTimer>();
    screen = s.get();
    timer = t.get();
    RunnerContext context{settings,
                          ini,
                          [](std::string &) { return Status::failure("no package"); },
                          false,
                          "",
                          {},
                          {},
                          nullptr,
                          // Any file that exists makes a one-pixel picture.
                          [this](PictureComposer &c, const std::string &f) {
                            screen->loads.push_back({f, c.caption, ""});
                            if (!anyName && !exists(f)) return false;
                            c.picture = gfx::Bitmap(1, 1, c.color);
                            return true;
                          }};
    if (!feed)
      feed = std::make_unique<FolderFeed>(std::vector<std::string>{dir / "p"}, queue.post());
    context.feed = std::move(feed);
    runner =
        std::make_unique<TRunVantorscreen>(std::move(s), std::move(t), std::move(context), false);
  }
  void cycle() {
    timer->advance(timer->interval());
    screen->finishTransition();
  }
  std::vector<std::string> shown() const {
    std::vector<std::string> files;
    for (const Load &l : screen->loads) files.push_back(l.file);
    return files;
  }
};

TEST_F(FolderShow, FirstPictureIsShownWhileTheScanWaits) {
  settings.ImageSequence = Sequence::InOrder;
  queue.gated = true;
  start();
  timer->advance(100);  // the first tick finds the list empty and waits
  EXPECT_TRUE(screen->animatedStyles.empty());
  ASSERT_TRUE(queue.runUntil([&] { return !screen->animatedStyles.empty(); }));
  EXPECT_EQ(shown(), std::vector<std::string>{pictures[0]});
  EXPECT_TRUE(runner->Growing());  // the scan is held at its first batch
  queue.open();
  ASSERT_TRUE(queue.runUntil([&] { return !runner->Growing(); }));
  screen->finishTransition();
  for (size_t i = 1; i < pictures.size(); ++i) cycle();
  EXPECT_EQ(shown(), pictures);
}

class FolderOrder : public FolderShow, public ::testing::WithParamInterface<int> {};

TEST_P(FolderOrder, ShowsExactlyThePicturesInTheConfiguredOrder) {
  settings.ImageSequence = Sequence(GetParam());
  start();
  ASSERT_TRUE(queue.runUntil([&] { return !runner->Growing(); }));
  const size_t n = pictures.size();
  const size_t cycles = GetParam() == 1 ? 60 : 2 * n;
  for (size_t i = 0; i < cycles; ++i) cycle();
  const auto files = shown();
  ASSERT_EQ(files.size(), cycles);
  const std::set<std::string> all(pictures.begin(), pictures.end());
  EXPECT_EQ(std::set<std::string>(files.begin(), files.end()), all);
  switch (GetParam()) {
    case 0:  // path order, then again from the start
      EXPECT_EQ(std::vector<std::string>(files.begin(), files.begin() + long(n)), pictures);
      EXPECT_EQ(std::vector<std::string>(files.begin() + long(n), files.end()), pictures);
      break;
    case 1:  // a random pick, never the same twice in a row
      for (size_t i = 1; i < files.size(); ++i) EXPECT_NE(files[i], files[i - 1]) << i;
      break;
    case 2:  // every picture once per round, each round in the same order
      EXPECT_EQ(std::set<std::string>(files.begin(), files.begin() + long(n)), all);
      EXPECT_TRUE(std::equal(files.begin(), files.begin() + long(n), files.begin() + long(n)));
      break;
  }
}

INSTANTIATE_TEST_SUITE_P(Orders, FolderOrder, ::testing::Values(0, 1, 2));

// Shuffled once, pictures that arrive while the show runs join the round
// under way: no picture comes twice before every one found came once.
TEST_F(FolderShow, ShuffledRoundTakesInLateEntriesWithoutRepeats) {
  settings.ImageSequence = Sequence::ShuffledOnce;
  anyName = true;
  struct HeldFeed : PictureFeed {
    Arrived *out;
    explicit HeldFeed(Arrived *o) : out(o) {}
    void Start(Arrived arrived) override { *out = std::move(arrived); }
  };
  PictureFeed::Arrived arrive;
  start(std::make_unique<HeldFeed>(&arrive));
  arrive({"/a", "/b", "/c"}, false);
  cycle();
  cycle();
  arrive({"/d", "/e", "/f", "/g"}, false);
  for (int i = 0; i < 5; ++i) cycle();
  ASSERT_EQ(screen->loads.size(), 7u);
  timer->advance(timer->interval());  // at the list's end, while more may come, the tick waits
  EXPECT_EQ(screen->loads.size(), 7u);
  arrive({"/h"}, true);  // and the picture that comes is shown at once
  EXPECT_EQ(screen->loads.size(), 8u);
  screen->finishTransition();
  const std::vector<std::string> files = shown();
  ASSERT_EQ(files.size(), 8u);
  EXPECT_EQ(std::set<std::string>(files.begin(), files.end()).size(), 8u);
  // The next round repeats the first.
  for (int i = 0; i < 8; ++i) cycle();
  const std::vector<std::string> all = shown();
  EXPECT_EQ(std::vector<std::string>(all.begin() + 8, all.end()), files);
}

}  // namespace
}  // namespace vantor::test
