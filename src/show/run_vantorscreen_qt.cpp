#include "show/run_vantorscreen_qt.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <QEvent>
#include <QMetaObject>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <atomic>
#include <thread>

#include "display/vantorscreen_widget.h"
#include "package/items.h"
#include "picture/picture_caption_qt.h"
#include "platform/cancel.h"
#include "platform/random.h"
#include "show/folder_feed.h"
#include "show/show_stats.h"

namespace vantor {

namespace {

class QtShowTimer : public IntervalTimer {
 public:
  explicit QtShowTimer(std::shared_ptr<ShowStats> stats) : stats_(std::move(stats)) {
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      stats_->ticked();
      if (onTimeout) onTimeout();
    });
  }
  void setEnabled(bool on) override {
    enabled_ = on;
    apply();
  }
  bool enabled() const override { return enabled_; }
  void setInterval(int ms) override {
    interval_ = ms;
    apply();
  }
  int interval() const override { return interval_; }

 private:
  // A running timer restarts its period when the interval changes.
  void apply() {
    if (enabled_ && interval_ > 0)
      timer_.start(interval_);
    else
      timer_.stop();
  }
  std::shared_ptr<ShowStats> stats_;
  QTimer timer_;
  bool enabled_ = false;
  int interval_ = 1000;
};

constexpr int kJobNice = 10;

// One thread per picture job, under a cancel flag that the destructor sets
// before it joins the thread. Results travel to the window thread as queued
// calls on an object that the worker owns, so that calls still queued when
// it goes are dropped with it.
class ThreadPictureWorker : public PictureWorker {
 public:
  ~ThreadPictureWorker() override {
    cancel_ = true;
    if (thread_.joinable()) thread_.join();
  }
  void Run(Job job, Done done) override {
    // The runner starts a job only once the last one has handed its result
    // over, so this join finds the thread at its end.
    if (thread_.joinable()) thread_.join();
    const bool first = !started_;
    started_ = true;
    thread_ = std::thread([this, first, job = std::move(job), done = std::move(done)] {
      // The next picture is made while a transition runs, whose frames are
      // drawn on the window thread: they go first. Failing that, the job
      // only competes on equal terms. The first picture has no frames
      // before it to yield to, and the start of the show waits for it.
      if (!first) setpriority(PRIO_PROCESS, id_t(syscall(SYS_gettid)), kJobNice);
      auto result = std::make_shared<PreparedPicture>();
      {
        CancelScope scope(cancel_);
        *result = job();
      }
      if (cancel_) return;
      QMetaObject::invokeMethod(
          &receiver_, [done, result] { done(std::move(*result)); }, Qt::QueuedConnection);
    });
  }

 private:
  QObject receiver_;  // lives on the window thread, where it was made
  std::atomic<bool> cancel_{false};
  bool started_ = false;
  std::thread thread_;
};

// Keeps the control's widget over the whole client area of its host.
class ClientAligner : public QObject {
 public:
  ClientAligner(QWidget *host, VantorscreenWidget *child)
      : QObject(child), host_(host), child_(child) {
    host->installEventFilter(this);
    child->setGeometry(host->rect());
    // A host not shown yet sends no resize: the first picture, made before
    // the window shows, is made for this size.
    child->SyncBounds();
  }
  bool eventFilter(QObject *watched, QEvent *event) override {
    if (watched == host_ && event->type() == QEvent::Resize) child_->setGeometry(host_->rect());
    return false;
  }

 private:
  QWidget *host_;
  VantorscreenWidget *child_;
};

class ControlShowScreen : public ShowScreen {
 public:
  ControlShowScreen(QWidget *host, std::shared_ptr<ShowStats> stats, RandomSource &random)
      : host_(host), widget_(new VantorscreenWidget(host)), stats_(std::move(stats)) {
    control().SetRandomSource(random);
    control().Loader().captionText = &captionText_;
    control().OnProgress = [this] { stats_->frameDrawn(); };
    widget_->show();
  }
  ~ControlShowScreen() override {
    if (!widget_) return;
    control().OnProgress = nullptr;
    control().OnComplete = nullptr;
    control().Loader().captionText = nullptr;
  }

  void SetColor(gfx::Color c) override { control().SetColor(c); }
  void SetAlignClient(bool on) override {
    control().SetAlignClient(on);
    if (on && !aligner_) aligner_ = new ClientAligner(host_, widget_);
  }
  void SetAutoSize(bool on) override { control().SetAutoSize(on); }
  void SetBgMode(BackgroundMode m) override { control().SetBgMode(m); }
  void SetCenter(bool on) override { control().SetCenter(on); }
  void SetStretch(bool on) override { control().SetStretch(on); }
  void SetStretchFine(bool on) override { control().SetStretchFine(on); }
  void SetStep(uint16_t s) override { control().SetStep(s); }
  void SetDelay(uint16_t d) override { control().SetDelay(d); }
  void SetStyle(uint8_t s) override { control().SetStyle(s); }
  void SetReverse(bool on) override { control().SetReverse(on); }
  void SetTransparency(bool on, gfx::Color c) override { widget_->SetTransparency(on, c); }
  PictureComposer &Loader() override { return control().Loader(); }
  PictureComposer LoadingFields() override {
    PictureComposer look = control().Loader();
    look.picture = gfx::Bitmap();
    look.width = control().Width();
    look.height = control().Height();
    look.color = control().Color();
    return look;
  }
  PictureLook Look() override {
    PictureLook look = LookOf(control().Loader());
    look.width = control().Width();
    look.height = control().Height();
    look.color = control().Color();
    return look;
  }
  void ShowComposed(gfx::Bitmap &&picture) override { control().SetPicture(std::move(picture)); }
  void SetOnComplete(std::function<void()> handler) override {
    if (!widget_) return;
    if (!handler) {
      control().OnComplete = nullptr;
      return;
    }
    control().OnComplete = [this, handler = std::move(handler)] {
      stats_->transitionEnded();
      handler();
    };
  }
  void Animate() override {
    stats_->transitionStarted(control().Style(), control().Width(), control().Height());
    control().Animate();
  }
  void StopAnimation() override { control().StopAnimation(); }
  void ClearImage() override { control().ClearImage(); }
  bool Busy() const override { return widget_ && widget_->control().Busy(); }
  void Update() override { widget_->repaintNow(); }
  void Refresh() override { widget_->repaint(); }

 private:
  TVantorscreen &control() { return widget_->control(); }

  QWidget *host_;
  QPointer<VantorscreenWidget> widget_;
  ClientAligner *aligner_ = nullptr;  // owned by the widget
  QtCaptionText captionText_;
  std::shared_ptr<ShowStats> stats_;
};

}  // namespace

std::unique_ptr<TRunVantorscreen> CreateRunVantorscreen(
    QWidget *host, bool preview, const ShowContext &show,
    std::function<void(bool)> setMediaPlayerMp3) {
  const ItemResolver *resolver = show.resolver;
  RandomSource &random = show.random;
  RunnerContext context{show.settings,
                        show.ini,
                        [resolver](std::string &entry) {
                          return resolver ? resolver->ResolveItem(entry)
                                          : Status::failure("no items to resolve");
                        },
                        show.packagePresent,
                        show.decodeFolder,
                        [&random](int n) { return random.below(n); },
                        std::move(setMediaPlayerMp3),
                        std::make_unique<ThreadPictureWorker>(),
                        {}};
  if (!show.pictureFolders.empty()) {
    // Batches of the scan travel as queued calls to an object of the window
    // thread.
    auto receiver = std::make_shared<QObject>();
    context.feed =
        std::make_unique<FolderFeed>(show.pictureFolders, [receiver](std::function<void()> call) {
          QMetaObject::invokeMethod(receiver.get(), std::move(call), Qt::QueuedConnection);
        });
  }
  auto stats = std::make_shared<ShowStats>();
  return std::make_unique<TRunVantorscreen>(
      std::make_unique<ControlShowScreen>(host, stats, random),
      std::make_unique<QtShowTimer>(stats), std::move(context), preview);
}

}  // namespace vantor
