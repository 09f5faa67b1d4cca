// MusicHost over Qt's event loop: QTimer timers and queued calls.
#pragma once

#include <QObject>

#include "music/music_host.h"

namespace vantor {

class QtMusicHost : public MusicHost {
 public:
  std::unique_ptr<IntervalTimer> createTimer(std::function<void()> handler) override;
  // Queued on this host's own object, so a task still waiting when the host
  // goes away is discarded with it.
  void post(std::function<void()> task) override;

 private:
  QObject context_;
};

}  // namespace vantor
