#include "display/vantorscreen.h"

#include <pthread.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <vector>

#include "gfx/stretch.h"
#include "transitions/catalogue.h"
#include "transitions/frame_step.h"
#include "transitions/speed.h"

namespace vantor {

namespace {

using Clock = std::chrono::steady_clock;

uint32_t tickCount() {
  return uint32_t(
      std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now().time_since_epoch())
          .count());
}

// Nice values for the thread priorities; raising priority may be refused,
// which is harmless.
int niceFor(ThreadPriority p) {
  static const int kNice[] = {19, 10, 5, 0, -5, -10, -15};
  return kNice[int(p)];
}

// Counts a use of the screen bitmap for as long as it lives.
class ScreenUse {
 public:
  explicit ScreenUse(int &count) : count_(count) { ++count_; }
  ~ScreenUse() { --count_; }
  ScreenUse(const ScreenUse &) = delete;
  ScreenUse &operator=(const ScreenUse &) = delete;

 private:
  int &count_;
};

}  // namespace

gfx::Rect FitRect(gfx::Rect p, gfx::Rect b) {
  const int pw = p.width(), ph = p.height(), bw = b.width(), bh = b.height();
  if (pw <= 0 || ph <= 0) return {b.left, b.top, b.left, b.top};
  int width, height;
  if ((long double)bh / ph > (long double)bw / pw) {
    width = bw;
    height = gfx::MulDiv(ph, bw, pw);
  } else {
    width = gfx::MulDiv(pw, bh, ph);
    height = bh;
  }
  return gfx::Rect::fromXYWH(b.left + (bw - width) / 2, b.top + (bh - height) / 2, width, height);
}

// Paces the frames of one transition: each step runs on the main thread
// through the control's synchronous caller, then the thread sleeps until the
// next frame is due, Delay after the one before. The time is kept in
// microseconds, not whole milliseconds, and a wake-up that comes late
// shortens the wait after the next step instead of delaying every later
// frame: on a busy machine late wake-ups are the rule, and they made a
// 750 ms transition last a third longer. A step that takes longer than
// Delay is followed at once, and the frames are counted from there.
class TCustomVantorscreen::AnimateThread {
 public:
  explicit AnimateThread(TCustomVantorscreen &c) : c_(c), priority_(c.priority_) {
    thread_ = std::thread([this] { run(); });
  }
  ~AnimateThread() {
    if (thread_.joinable()) thread_.join();
  }
  void terminate() {
    // Written under the lock so that a sleeping thread cannot miss it.
    std::lock_guard<std::mutex> lock(mutex_);
    terminated_ = true;
    wake_.notify_all();
  }
  bool finished() const { return finished_; }

 private:
  void run() {
    setpriority(PRIO_PROCESS, pid_t(syscall(SYS_gettid)), niceFor(priority_));
    Clock::time_point due = Clock::now();
    while (!terminated_ && !c_.manual_ && !c_.aborting_) {
      c_.caller_.call([this] { c_.StepFrame(); });
      due += std::chrono::milliseconds(c_.delay_);
      const Clock::time_point now = Clock::now();
      if (transitions::transitionDone(c_.progress_, c_.reverse_)) {
        terminate();
      } else if (now < due) {
        std::unique_lock<std::mutex> lock(mutex_);
        wake_.wait_until(lock, due, [this] { return bool(terminated_); });
      } else {
        due = now;
      }
    }
    c_.caller_.call([this] { c_.ThreadEnded(this); });
    finished_ = true;
    c_.caller_.notify();
  }

  TCustomVantorscreen &c_;
  ThreadPriority priority_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::atomic<bool> terminated_{false};
  std::atomic<bool> finished_{false};
  std::thread thread_;
};

TCustomVantorscreen::TCustomVantorscreen(ControlHost *host)
    : host_(host), caller_([host] { host->wakeMainThread(); }) {}

TCustomVantorscreen::~TCustomVantorscreen() {
  Shutdown();
}

void TCustomVantorscreen::Shutdown() {
  if (destroying_) return;
  // From here on no step draws and nothing reaches the host but the
  // threads' wake-ups, which end before this returns.
  destroying_ = true;
  RetireThread();
  for (const auto &t : retired_) t->terminate();
  caller_.waitRunning([this] {
    return std::all_of(retired_.begin(), retired_.end(),
                       [](const auto &t) { return t->finished(); });
  });
  retired_.clear();
}

void TCustomVantorscreen::SetPicture(const gfx::Bitmap *picture) {
  picture_ = picture ? *picture : gfx::Bitmap();
  PictureChanged();
}

void TCustomVantorscreen::SetPicture(gfx::Bitmap &&picture) {
  picture_ = std::move(picture);
  PictureChanged();
}

void TCustomVantorscreen::SetBgPicture(const gfx::Bitmap *picture) {
  bgPicture_ = picture ? *picture : gfx::Bitmap();
  BgPictureChanged();
}

void TCustomVantorscreen::SetBgMode(BackgroundMode mode) {
  if (mode == bgMode_) return;
  bgMode_ = mode;
  if (!bgPicture_.empty() && !painting_) InvalidateAll();
}

void TCustomVantorscreen::SetAutoSize(bool value) {
  if (value == autoSize_) return;
  autoSize_ = value;
  if (value) SizeToPicture();
}

void TCustomVantorscreen::SetCenter(bool value) {
  if (value == center_) return;
  center_ = value;
  if (!picture_.empty()) UpdatePictureRect();
  if (!screen_.empty() && !painting_) InvalidateAll();
}

void TCustomVantorscreen::SetStretch(bool value) {
  if (value == stretch_) return;
  stretch_ = value;
  if (!screen_.empty() && !painting_) InvalidateAll();
}

void TCustomVantorscreen::SetStretchFine(bool value) {
  if (value == stretchFine_) return;
  stretchFine_ = value;
  if (!screen_.empty() && !painting_) InvalidateAll();
}

void TCustomVantorscreen::SetStep(uint16_t value) {
  step_ = value == 0 ? 1 : std::min<uint16_t>(value, 100);
}

void TCustomVantorscreen::SetColor(gfx::Color c) {
  if (c == color_) return;
  color_ = c;
  if (!painting_) InvalidateAll();
}

void TCustomVantorscreen::SetManual(bool value) {
  if (value == manual_) return;
  manual_ = value;
  if (!busy_)
    progress_ = reverse_ ? 100 : 0;
  else if (!value)
    RunFrames();
}

void TCustomVantorscreen::SetBounds(gfx::Rect bounds) {
  bounds_ = bounds;
  // The window-size message.
  if (!picture_.empty()) UpdatePictureRect();
  if (!screen_.empty() && !painting_) InvalidateAll();
}

void TCustomVantorscreen::LoadFromFile(const std::string &fileName) {
  composer_.width = Width();
  composer_.height = Height();
  composer_.color = color_;
  composer_.loadFromFile(fileName);
  picture_ = composer_.picture;
  PictureChanged();
}

void TCustomVantorscreen::PictureChanged() {
  if (destroying_) return;
  if (!picture_.empty() && autoSize_) SizeToPicture();
  if (OnChange) OnChange();
}

void TCustomVantorscreen::BgPictureChanged() {
  if (bgMode_ != BackgroundMode::None && !painting_) InvalidateAll();
}

void TCustomVantorscreen::SizeToPicture() {
  if (picture_.empty() || alignClient_) return;
  SetBounds(gfx::Rect::fromXYWH(bounds_.left, bounds_.top, picture_.width(), picture_.height()));
}

void TCustomVantorscreen::UpdatePictureRect() {
  if (screen_.empty()) return;
  pictureRect_ = screen_.rect();
  if (center_)
    pictureRect_ =
        pictureRect_.translated((Width() - screen_.width()) / 2, (Height() - screen_.height()) / 2);
}

gfx::Rect TCustomVantorscreen::StretchTarget() const {
  return stretchFine_ ? FitRect(pictureRect_, ClientRect()) : ClientRect();
}

void TCustomVantorscreen::InvalidateAll() {
  if (!destroying_) host_->invalidate(bounds_);
}

gfx::Rect TCustomVantorscreen::MapPictureArea(gfx::Rect q) const {
  if (stretch_) {
    const gfx::Rect t = StretchTarget();
    const int pw = pictureRect_.width(), ph = pictureRect_.height();
    if (pw <= 0 || ph <= 0) return {};
    return {t.left + gfx::MulDiv(q.left, t.width(), pw), t.top + gfx::MulDiv(q.top, t.height(), ph),
            t.left + gfx::MulDiv(q.right, t.width(), pw),
            t.top + gfx::MulDiv(q.bottom, t.height(), ph)};
  }
  if (center_) q = q.translated(pictureRect_.left, pictureRect_.top);
  return {std::max(q.left, pictureRect_.left), std::max(q.top, pictureRect_.top),
          std::min(q.right, pictureRect_.right), std::min(q.bottom, pictureRect_.bottom)};
}

void TCustomVantorscreen::InvalidatePictureArea(gfx::Rect q) {
  if (destroying_) return;
  q = MapPictureArea(q);
  if (q.empty()) return;
  host_->invalidate(q.translated(bounds_.left, bounds_.top));
}

void TCustomVantorscreen::TileDraw(gfx::Bitmap &target, const gfx::Bitmap &tile,
                                   gfx::Rect r) const {
  TileDraw(target, tile, r, target.rect());
}

void TCustomVantorscreen::TileDraw(gfx::Bitmap &target, const gfx::Bitmap &tile, gfx::Rect r,
                                   gfx::Rect clip) const {
  if (tile.empty()) return;
  const int gw = tile.width(), gh = tile.height();
  const int rows = r.height() / gh, columns = r.width() / gw;
  // Tiles do not overlap, so those wholly outside the clip are skipped.
  const int firstRow = std::max(0, (clip.top - r.top) / gh);
  const int firstColumn = std::max(0, (clip.left - r.left) / gw);
  for (int i = firstRow; i <= rows && r.top + gh * i < clip.bottom; ++i)
    for (int j = firstColumn; j <= columns && r.left + gw * j < clip.right; ++j) {
      const gfx::Rect at = gfx::Rect::fromXYWH(r.left + gw * j, r.top + gh * i, gw, gh);
      const gfx::Rect part = at.intersected(clip);
      if (!part.empty())
        gfx::copyRect(target, part.topLeft(), tile, part.translated(-at.left, -at.top));
    }
}

void TCustomVantorscreen::Paint() {
  const gfx::Rect client = ClientRect();
  Paint(std::span<const gfx::Rect>(&client, 1));
}

void TCustomVantorscreen::Paint(std::span<const gfx::Rect> area) {
  const gfx::Rect client = ClientRect();
  const bool resized = backBuffer_.size() != client.size();
  if (resized) backBuffer_.resize(client.width(), client.height());
  ScreenUse use(screenInUse_);
  const bool stretched = (!screen_.empty() && stretch_) ||
                         (!bgPicture_.empty() && bgMode_ == BackgroundMode::Stretched);
  if (resized || stretched) {
    ComposeArea(client);
    return;
  }
  for (const gfx::Rect &r : area) {
    const gfx::Rect inside = r.intersected(client);
    if (!inside.empty()) ComposeArea(inside);
  }
}

// Composes the client rectangle `r` of the back buffer. Stretched parts are
// drawn whole, so they are only composed with `r` the whole client.
void TCustomVantorscreen::ComposeArea(gfx::Rect r) {
  const gfx::Rect client = ClientRect();
  // The background only shows where the picture does not cover the area.
  const bool covered =
      !screen_.empty() && !stretch_ && bgPicture_.empty() && pictureRect_.intersected(r) == r;
  if (!covered) backBuffer_.fillRect(r, color_);
  if (!bgPicture_.empty()) {
    switch (bgMode_) {
      case BackgroundMode::Tiled:
        TileDraw(backBuffer_, bgPicture_, client, r);
        break;
      case BackgroundMode::Stretched:
        gfx::stretchCopy(backBuffer_, client, bgPicture_, bgPicture_.rect());
        break;
      case BackgroundMode::Centered: {
        const gfx::Rect at = gfx::Rect::fromXYWH((client.width() - bgPicture_.width()) / 2,
                                                 (client.height() - bgPicture_.height()) / 2,
                                                 bgPicture_.width(), bgPicture_.height());
        const gfx::Rect part = at.intersected(r);
        if (!part.empty())
          gfx::copyRect(backBuffer_, part.topLeft(), bgPicture_,
                        part.translated(-at.left, -at.top));
        break;
      }
      case BackgroundMode::None:
        break;
    }
  }
  if (screen_.empty()) return;
  if (stretch_) {
    gfx::stretchCopy(backBuffer_, StretchTarget(), screen_, screen_.rect());
    return;
  }
  const gfx::Rect part = pictureRect_.intersected(r);
  if (!part.empty())
    gfx::copyRect(backBuffer_, part.topLeft(), screen_,
                  part.translated(-pictureRect_.left, -pictureRect_.top));
}

void TCustomVantorscreen::HandlePaint() {
  const gfx::Rect client = ClientRect();
  HandlePaint(std::span<const gfx::Rect>(&client, 1));
}

void TCustomVantorscreen::HandlePaint(std::span<const gfx::Rect> area) {
  if (painting_ || !host_->onMainThread()) return;
  painting_ = true;
  try {
    Paint(area);
  } catch (...) {
    painting_ = false;
    throw;
  }
  painting_ = false;
}

void TCustomVantorscreen::Animate() {
  if (busy_ || picture_.empty()) return;
  busy_ = true;
  try {
    PrepareTransition();
    if (!manual_) RunFrames();
  } catch (...) {
    old_.reset();
    new_.reset();
    busy_ = false;
    throw;
  }
}

void TCustomVantorscreen::PrepareTransition() {
  if (screen_.size() != picture_.size())
    screen_.resize(picture_.width(), picture_.height(), color_);
  UpdatePictureRect();
  // What the control last painted where the new picture will appear.
  old_ = std::make_unique<gfx::Bitmap>(std::move(spareOld_));
  old_->resize(screen_.width(), screen_.height(), color_);
  const gfx::Rect source = !stretch_ ? pictureRect_ : StretchTarget();
  if (!backBuffer_.empty()) gfx::stretchCopy(*old_, old_->rect(), backBuffer_, source);
  new_ = std::make_unique<gfx::Bitmap>(std::move(spareNew_));
  *new_ = picture_;
  // Until the first frame is drawn the screen shows what was there before.
  gfx::copyRect(screen_, {0, 0}, *old_, old_->rect());
  SetProgress(reverse_ ? 100 : 0);
}

void TCustomVantorscreen::RetireThread() {
  if (!thread_) return;
  thread_->terminate();
  retired_.push_back(std::move(thread_));
}

void TCustomVantorscreen::ReapThreads() {
  std::erase_if(retired_, [](const auto &t) { return t->finished(); });
}

void TCustomVantorscreen::RunFrames() {
  // A thread that Manual stopped may still be on its way out, its end
  // notification not yet run: it is left to end by itself. Replacing it here
  // would join it while it waits for this very thread.
  RetireThread();
  ReapThreads();
  if (threaded_) {
    thread_ = std::make_unique<AnimateThread>(*this);
    return;
  }
  RunInCaller();
}

void TCustomVantorscreen::RunInCaller() {
  bool done = false;
  do {
    const uint32_t t0 = tickCount();
    StepFrame();
    done = transitions::transitionDone(progress_, reverse_);
    while (!done && tickCount() - t0 <= delay_ && busy_ && !manual_ && !aborting_) {
      host_->processEvents();
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  } while (!done && busy_ && !manual_ && !aborting_);
  if (done) AnimationDone();
}

void TCustomVantorscreen::StepFrame() {
  if (destroying_) return;  // the host may be half gone
  SetProgress(transitions::nextProgress(progress_, step_, reverse_));
}

void TCustomVantorscreen::SetProgress(int value) {
  value = std::min(value, 100);
  if (!busy_ || value == progress_) return;
  if (value < progress_ && !painting_) InvalidatePictureArea(screen_.rect());
  progress_ = uint8_t(value);
  DrawFrame();
  if (OnProgress && !destroying_) OnProgress();
}

void TCustomVantorscreen::DrawFrame() {
  if (!old_ || !new_) return;
  std::vector<gfx::Rect> dirty;
  {
    ScreenUse use(screenInUse_);
    transitions::drawOldPicture(screen_, *old_);
    if (OnBeforeNewFrame) OnBeforeNewFrame(*new_, screen_);
    if (style_ == 0 && OnCustomDraw) {
      OnCustomDraw(*new_, screen_);
      dirty.push_back(screen_.rect());
    } else {
      transitions::FrameResult r =
          transitions::drawNewShare(screen_, *new_, style_, step_, progress_, *random_);
      progress_ = uint8_t(r.progress);
      dirty = std::move(r.dirty);
    }
  }
  for (const gfx::Rect &q : dirty) InvalidatePictureArea(q);
  if (OnAfterNewFrame) OnAfterNewFrame(*new_, screen_);
  if (transitions::framePaint(style_) == transitions::FramePaint::AtOnce && !painting_)
    host_->repaintNow();
}

void TCustomVantorscreen::ThreadEnded(AnimateThread *thread) {
  // A thread that a newer one replaced ends the transition no more.
  if (thread != thread_.get()) return;
  // It ends by itself after this call and is joined later.
  retired_.push_back(std::move(thread_));
  AnimationDone();
}

void TCustomVantorscreen::AnimationDone() {
  if (!aborting_ && manual_) return;  // a manual transition stays prepared
  busy_ = false;
  // The next transition draws into the same memory, already paged in.
  if (old_) spareOld_ = std::move(*old_);
  if (new_) spareNew_ = std::move(*new_);
  old_.reset();
  new_.reset();
  if (OnComplete && !destroying_ && !aborting_) OnComplete();
}

void TCustomVantorscreen::StopAnimation() {
  if (!busy_ || aborting_) return;
  aborting_ = true;
  try {
    if (thread_) {
      AnimateThread *running = thread_.get();
      running->terminate();
      caller_.waitRunning([running] { return running->finished(); });
    } else {
      AnimationDone();
    }
  } catch (...) {
    aborting_ = false;
    throw;
  }
  aborting_ = false;
  ReapThreads();
}

void TCustomVantorscreen::ClearImage() {
  // Not while a frame or a paint uses the screen bitmap further up the stack.
  if (busy_ || screen_.empty() || screenInUse_ > 0) return;
  screen_ = gfx::Bitmap();
  InvalidateAll();
}

}  // namespace vantor
