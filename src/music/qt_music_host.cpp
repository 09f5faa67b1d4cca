#include "music/qt_music_host.h"

#include <QTimer>

namespace vantor {

namespace {

// A timer with interval 0 stays silent, like a Windows timer without an
// interval; QTimer would fire it at every pass of the event loop.
class QtIntervalTimer : public IntervalTimer {
 public:
  explicit QtIntervalTimer(std::function<void()> handler) {
    onTimeout = std::move(handler);
    QObject::connect(&timer_, &QTimer::timeout, &timer_, [this] {
      if (onTimeout) onTimeout();
    });
  }
  void setInterval(int milliseconds) override {
    timer_.setInterval(milliseconds);
    apply();
  }
  int interval() const override { return timer_.interval(); }
  void setEnabled(bool enabled) override {
    enabled_ = enabled;
    apply();
  }
  bool enabled() const override { return enabled_; }

 private:
  void apply() {
    if (enabled_ && timer_.interval() > 0) {
      if (!timer_.isActive()) timer_.start();
    } else {
      timer_.stop();
    }
  }

  QTimer timer_;
  bool enabled_ = false;
};

}  // namespace

std::unique_ptr<IntervalTimer> QtMusicHost::createTimer(std::function<void()> handler) {
  return std::make_unique<QtIntervalTimer>(std::move(handler));
}

void QtMusicHost::post(std::function<void()> task) {
  QMetaObject::invokeMethod(&context_, std::move(task), Qt::QueuedConnection);
}

}  // namespace vantor
