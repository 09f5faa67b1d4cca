#include "forms/run_vantorscreen_qt.h"

#include <QEvent>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include "Vantorscreen/picture_caption_qt.h"
#include "Vantorscreen/vantorscreen_widget.h"
#include "app/engine.h"
#include "forms/show_stats.h"

namespace vantor {

namespace {

class QtShowTimer : public ShowTimer {
 public:
  QtShowTimer() {
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      if (OnTimer) OnTimer();
    });
  }
  void SetEnabled(bool on) override {
    enabled_ = on;
    apply();
  }
  bool Enabled() const override { return enabled_; }
  void SetInterval(int ms) override {
    interval_ = ms;
    apply();
  }
  int Interval() const override { return interval_; }

 private:
  // A running timer restarts its period when the interval changes.
  void apply() {
    if (enabled_ && interval_ > 0)
      timer_.start(interval_);
    else
      timer_.stop();
  }
  QTimer timer_;
  bool enabled_ = false;
  int interval_ = 1000;
};

// Keeps the control's widget over the whole client area of its host.
class ClientAligner : public QObject {
 public:
  ClientAligner(QWidget *host, QWidget *child) : QObject(child), host_(host), child_(child) {
    host->installEventFilter(this);
    child->setGeometry(host->rect());
  }
  bool eventFilter(QObject *watched, QEvent *event) override {
    if (watched == host_ && event->type() == QEvent::Resize) child_->setGeometry(host_->rect());
    return false;
  }

 private:
  QWidget *host_;
  QWidget *child_;
};

class ControlShowScreen : public ShowScreen {
 public:
  explicit ControlShowScreen(QWidget *host) : host_(host), widget_(new VantorscreenWidget(host)) {
    control().Loader().captionText = &captionText_;
    control().OnProgress = [this] { stats_.frameDrawn(); };
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
  void SetOnComplete(std::function<void()> handler) override {
    if (!widget_) return;
    if (!handler) {
      control().OnComplete = nullptr;
      return;
    }
    control().OnComplete = [this, handler = std::move(handler)] {
      stats_.transitionEnded();
      handler();
    };
  }
  void LoadFromFile(const std::string &f) override { control().LoadFromFile(f); }
  void Animate() override {
    stats_.transitionStarted(control().Style(), control().Width(), control().Height());
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
  ShowStats stats_;
};

}  // namespace

std::unique_ptr<TRunVantorscreen> CreateRunVantorscreen(
    QWidget *host, bool preview, const Engine &engine,
    std::function<void(bool)> setMediaPlayerMp3) {
  const ItemResolver *resolver = engine.resolver.get();
  RunnerContext context{
      engine.settings,
      *engine.ini,
      [resolver](std::string &entry) { return resolver && resolver->ResolveItem(entry); },
      engine.packagePresent(),
      engine.folders.workTmp,
      {},
      std::move(setMediaPlayerMp3)};
  return std::make_unique<TRunVantorscreen>(std::make_unique<ControlShowScreen>(host),
                                            std::make_unique<QtShowTimer>(), std::move(context),
                                            preview);
}

}  // namespace vantor
