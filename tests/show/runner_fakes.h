#pragma once
// A display control and a timer for the runner without any window: the
// control records what the runner asks of it, and the timer runs on a clock
// that the test moves forward by hand.

#include <deque>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "show/run_vantorscreen.h"

namespace vantor::test {

struct Load {
  std::string file;
  std::string caption;   // the caption set when the file was loaded
  std::string contents;  // the file's bytes at that moment ("" when missing)
};

class FakeScreen : public ShowScreen {
 public:
  // Shared with the test, which keeps a pointer after the runner owns us.
  std::vector<Load> loads;
  std::vector<int> animatedStyles;  // the style of each started transition
  std::vector<std::string> calls;   // ClearImage, Update, Refresh, StopAnimation
  bool busy = false;
  bool holdsPicture = false;
  int animateThrows = 0;  // the next calls of Animate that throw
  gfx::Color color = 1234;
  uint16_t step = 4, delay = 30;
  uint8_t style = 101;
  bool reverse = true, center = false, autoSize = true, alignClient = false;
  BackgroundMode bgMode = BackgroundMode::Tiled;
  PictureComposer loader;
  gfx::Bitmap shown;  // the picture handed over last
  std::function<void()> onComplete;

  void SetColor(gfx::Color c) override { color = c; }
  void SetAlignClient(bool on) override { alignClient = on; }
  void SetAutoSize(bool on) override { autoSize = on; }
  void SetBgMode(BackgroundMode m) override { bgMode = m; }
  void SetCenter(bool on) override { center = on; }
  void SetStretch(bool) override {}
  void SetStretchFine(bool) override {}
  void SetStep(uint16_t s) override { step = s; }
  void SetDelay(uint16_t d) override { delay = d; }
  void SetStyle(uint8_t s) override { style = s; }
  void SetReverse(bool on) override { reverse = on; }
  void SetTransparency(bool, gfx::Color) override {}
  PictureComposer &Loader() override { return loader; }
  PictureComposer LoadingFields() override {
    PictureComposer look = loader;
    look.color = color;
    return look;
  }
  void ShowComposed(gfx::Bitmap &&picture) override {
    if (!picture.empty()) holdsPicture = true;
    shown = std::move(picture);
  }
  void SetOnComplete(std::function<void()> h) override { onComplete = std::move(h); }
  // The picture job's load: records the load and gives a one-pixel picture
  // for files that exist or lie in "/pics/", except those named "bad...".
  bool load(PictureComposer &composer, const std::string &f);
  // Like the control: nothing starts while one runs or without a picture.
  void Animate() override {
    if (animateThrows > 0 && animateThrows--) throw std::runtime_error("no frames");
    if (busy || !holdsPicture) return;
    busy = true;
    animatedStyles.push_back(style);
  }
  void StopAnimation() override {
    calls.push_back("StopAnimation");
    busy = false;
  }
  void ClearImage() override { calls.push_back("ClearImage"); }
  bool Busy() const override { return busy; }
  void Update() override { calls.push_back("Update"); }
  void Refresh() override { calls.push_back("Refresh"); }

  // The transition's last frame: OnComplete as the control raises it.
  void finishTransition() {
    if (!busy) return;
    busy = false;
    if (onComplete) onComplete();
  }
};

// A worker that makes pictures ahead, as one with a thread does; its jobs
// wait until the test lets them run, as if the thread had finished them.
class QueuedWorker : public PictureWorker {
 public:
  struct Queue {
    std::deque<std::pair<Job, Done>> jobs;
    int ran = 0;
    // Runs every waiting job, also those that the results start.
    void drain() {
      while (!jobs.empty()) {
        auto [job, done] = std::move(jobs.front());
        jobs.pop_front();
        ++ran;
        done(job());
      }
    }
  };
  std::shared_ptr<Queue> queue = std::make_shared<Queue>();
  void Run(Job job, Done done) override {
    queue->jobs.emplace_back(std::move(job), std::move(done));
  }
};

class FakeTimer : public IntervalTimer {
 public:
  void setEnabled(bool on) override {
    if (on && !enabled_) since_ = now_;
    enabled_ = on;
  }
  bool enabled() const override { return enabled_; }
  void setInterval(int ms) override {
    interval_ = ms;
    since_ = now_;
  }
  int interval() const override { return interval_; }

  // Moves the clock on, firing the timer on the way as often as it comes due.
  void advance(int ms) {
    for (int i = 0; i < ms; ++i) {
      ++now_;
      if (enabled_ && interval_ > 0 && now_ - since_ >= interval_) {
        since_ = now_;
        if (onTimeout) onTimeout();
      }
    }
  }

 private:
  bool enabled_ = false;
  int interval_ = 1000;
  long now_ = 0, since_ = 0;
};

}  // namespace vantor::test
