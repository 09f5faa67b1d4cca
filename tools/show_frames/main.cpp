// vantor-show-frames: plays the first transitions of a packaged screensaver
// without a display and writes frames of them to PNG files. It runs the
// show's own runner and display control on Qt's offscreen platform, only
// with shorter display times, so the frames are those the show would paint.
//
//   vantor-show-frames PROGRAM OUTDIR [WIDTHxHEIGHT] [TRANSITIONS]

#include <QApplication>
#include <QDir>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "platform/instance_lock.h"
#include "show/run_vantorscreen_qt.h"
#include "startup/engine.h"

using namespace vantor;

namespace {

struct FrameOptions {
  std::string program, outDir;
  int width = 1280, height = 720, transitions = 3;
};

bool parse(int argc, char **argv, FrameOptions &o) {
  if (argc < 3 || argc > 5) return false;
  o.program = argv[1];
  o.outDir = argv[2];
  if (argc > 3 && std::sscanf(argv[3], "%dx%d", &o.width, &o.height) != 2) return false;
  if (argc > 4) o.transitions = std::atoi(argv[4]);
  return o.width > 0 && o.height > 0 && o.width <= 8192 && o.height <= 8192 && o.transitions > 0 &&
         o.transitions <= 50;
}

// Grabs the host a few times a second while a transition runs, and once more
// when it has ended; quits after the asked number of transitions.
class FrameGrabber {
 public:
  static constexpr int kFramesPerTransition = 5;

  FrameGrabber(QWidget &host, TRunVantorscreen &runner, const FrameOptions &o)
      : host_(host), runner_(runner), options_(o) {
    QObject::connect(&timer_, &QTimer::timeout, [this] { tick(); });
    timer_.start(250);
  }
  int written() const { return written_; }

 private:
  void tick() {
    const bool busy = runner_.FScreen().Busy();
    if (busy && frame_ < kFramesPerTransition) save(++frame_);
    if (wasBusy_ && !busy) {
      save(++frame_);
      ++transition_;
      frame_ = 0;
      if (transition_ >= options_.transitions) QApplication::quit();
    }
    wasBusy_ = busy;
    // Between transitions the show would wait its display time; no need here.
    IntervalTimer &t = runner_.FTimer();
    if (!busy && t.enabled() && t.interval() > 300) t.setInterval(300);
  }
  void save(int frame) {
    const QString name = QString("%1/transition%2-frame%3.png")
                             .arg(QString::fromStdString(options_.outDir))
                             .arg(transition_ + 1)
                             .arg(frame, 2, 10, QChar('0'));
    if (host_.grab().save(name)) ++written_;
  }

  QWidget &host_;
  TRunVantorscreen &runner_;
  FrameOptions options_;
  QTimer timer_;
  int transition_ = 0, frame_ = 0, written_ = 0;
  bool wasBusy_ = false;
};

}  // namespace

int main(int argc, char **argv) {
  FrameOptions o;
  if (!parse(argc, argv, o)) {
    std::fprintf(stderr, "usage: vantor-show-frames PROGRAM OUTDIR [WIDTHxHEIGHT] [TRANSITIONS]\n");
    return 2;
  }
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  Engine engine;
  engine.programPath = o.program;
  engine.folders = SetUpWorkFolders();
  InstallExitCleanup(engine.folders);
  InstanceLock lock(engine.folders.temp, "orlentascreensaverimage");
  if (lock.alreadyExists()) {
    std::fprintf(stderr, "vantor-show-frames: a screensaver is running; try again after it\n");
    return 1;
  }
  engine.registry = std::make_unique<RegistryStore>(RegistryStore::forCurrentUser());
  RunStartup(engine, {"/s"});
  if (engine.settings.PictureList.empty()) {
    std::fprintf(stderr, "vantor-show-frames: %s carries no pictures\n", o.program.c_str());
    return 1;
  }
  QDir().mkpath(QString::fromStdString(o.outDir));
  QApplication app(argc, argv);
  QWidget host;
  host.resize(o.width, o.height);
  host.show();
  const ShowContext show{engine.settings,        *engine.ini,
                         engine.resolver.get(),  engine.packagePresent(),
                         engine.folders.workTmp, engine.random};
  std::unique_ptr<TRunVantorscreen> runner = CreateRunVantorscreen(&host, false, show);
  FrameGrabber grabber(host, *runner, o);
  // A transition that never ends (a picture that cannot load) stops here.
  QTimer::singleShot(30000 * o.transitions, &app, &QApplication::quit);
  app.exec();
  runner->FTimer().setEnabled(false);
  runner->FScreen().StopAnimation();
  std::printf("%d frames written to %s\n", grabber.written(), o.outDir.c_str());
  return grabber.written() > 0 ? 0 : 1;
}
