#include "show/fullscreen_form.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWindow>

#include "gfx/black_window.h"
#include "mirrors/multiscreen_form.h"
#include "music/music_set.h"
#include "music/qt_music_host.h"
#include "platform/cursor_count.h"
#include "platform/debug_log.h"
#include "platform/paths.h"
#include "platform/random.h"
#include "settings/saver_setting.h"
#include "show/message_translate.h"
#include "show/password.h"
#include "show/run_vantorscreen_qt.h"

namespace vantor {

namespace {

ExitSettings exitSettings(const TSaverSetting &s) {
  return {s.MouseMove, s.MousePress, s.KeyboardPress, s.ShowCursor, s.OnlyEscKeyExit};
}

}  // namespace

void WatchCursorCount() {
  SetCursorWatcher([](bool visible) {
    if (visible)
      QGuiApplication::restoreOverrideCursor();
    else
      QGuiApplication::setOverrideCursor(Qt::BlankCursor);
  });
}

TFullscreenForm::TFullscreenForm(FullscreenContext context)
    : QWidget(nullptr, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      context_(std::move(context)),
      rules_(exitSettings(context_.show.settings), *this, context_.hasParentWindow) {
  // Qt paints a window's background only without WA_NoSystemBackground;
  // in transparent mode the black shows through the control's keyed pixels.
  setAutoFillBackground(true);
  setPalette(gfx::blackWindow(palette()));
  setWindowTitle(QString::fromStdString(context_.show.settings.ScrName));
  handStarted_ = context_.handStarted;
  mouseTimer_.setInterval(kMouseTimerMs);
  connect(&mouseTimer_, &QTimer::timeout, this, [this] { MouseTimerTimer(); });
  mouseTimer_.start();
  music_ = std::make_unique<MusicSet>(context_.music, std::make_unique<QtMusicHost>());
  qApp->installEventFilter(this);
  FormCreate();
}

TFullscreenForm::~TFullscreenForm() {
  qApp->removeEventFilter(this);
  FormClose();
}

void TFullscreenForm::FormCreate() {
  context_.show.random.reseedFromClock();
  rules_.MouseTimerTimer();  // allowance 20
}

bool TFullscreenForm::SpansMonitors() const {
  return QGuiApplication::screens().size() > 1 && !context_.show.settings.ImageSameMonitor;
}

QRect TFullscreenForm::Placement() const {
  std::vector<gfx::Rect> monitors;
  for (const QScreen *s : QGuiApplication::screens()) {
    const QRect g = s->geometry();
    monitors.push_back(gfx::Rect::fromXYWH(g.x(), g.y(), g.width(), g.height()));
  }
  const gfx::Rect r = ShowWindowRect(monitors, context_.show.settings.ImageSameMonitor);
  return r.width() > 0 ? QRect(r.left, r.top, r.width(), r.height()) : QRect(0, 0, 640, 480);
}

void TFullscreenForm::Start() {
  setGeometry(Placement());
  // The runner makes its first picture on a worker from the moment it is
  // made, so it is made here, sized to the placement: the picture is decoded
  // while the window system maps the window. Nothing of it shows before the
  // first tick, which comes after the window is shown and the music started.
  CreateRunner();
  // One monitor (or the show on the primary only): the desktop's full-screen
  // state keeps panels away. Across monitors a window manager would fit a
  // full-screen window into one monitor and keep its panels over any other
  // window; left unmanaged, the window covers the whole desk above them.
  if (SpansMonitors()) {
    setWindowFlag(Qt::X11BypassWindowManagerHint);
    show();
  } else {
    showFullScreen();
  }
  raise();
  activateWindow();
}

void TFullscreenForm::showEvent(QShowEvent *event) {
  QWidget::showEvent(event);
  if (!event->spontaneous()) FormShow();
}

void TFullscreenForm::FormShow() {
  // The program has no taskbar window of its own besides this one, so there
  // is nothing to hide before the show.
  rules_.SetSaverRunning(false, !context_.show.settings.ShowCursor);
  // The single-monitor placement is the desktop's full-screen state, set by
  // Start(); across monitors the window keeps the combined rectangle.
  if (SpansMonitors() && geometry() != Placement()) setGeometry(Placement());
  // Every further monitor shows a mirror of this window. Input over a mirror
  // reaches the program-wide filter like input over this window.
  if (QGuiApplication::screens().size() > 1 && context_.show.settings.ImageSameMonitor) {
    SetMirrorSource(this, true);
    CreateMirrors();
  }
  SetTopmost(true);
  // --- Music starts here (the play list's own rules decide what plays). ---
  if (music_) music_->StartMusic();
  // The first show finds the runner that Start() made; a later one resumes
  // the transition that hiding the window left.
  if (shownBefore_ && runner_)
    runner_->FScreen().Animate();
  else
    CreateRunner();
  shownBefore_ = true;
  runner_->FScreen().Refresh();
}

void TFullscreenForm::CreateRunner() {
  if (runner_) return;
  runner_ = CreateRunVantorscreen(this, false, context_.show, [this](bool mp3) {
    if (music_) music_->setMediaPlayerMp3(mp3);
  });
}

bool TFullscreenForm::eventFilter(QObject *watched, QEvent *event) {
  const std::optional<WinMessage> m = TranslateEvent(watched, event);
  if (!m) return false;
  return rules_.Message(*m, isVisible() && !closed_).handled;
}

void TFullscreenForm::closeEvent(QCloseEvent *event) {
  FormClose();
  event->accept();
}

void TFullscreenForm::FormClose() {
  if (closed_) return;
  closed_ = true;
  try {
    rules_.SetSaverRunning(true, true);
    hide();
    // --- Music stops here, its players released. ---
    if (music_) music_->StopMusic(true);
    if (runner_) {
      runner_->FTimer().setEnabled(false);
      runner_->FScreen().StopAnimation();
    }
    FreeMirrors();
    runner_.reset();
  } catch (...) {
    // The window always closes.
    debugLog("closing the show: " + currentExceptionText());
  }
}

void TFullscreenForm::SetTopmost(bool on) {
  if (QWindow *w = windowHandle()) w->setFlag(Qt::WindowStaysOnTopHint, on);
  if (on) raise();
}

void TFullscreenForm::ShowCursor(bool show) {
  vantor::ShowCursor(show);
}

bool TFullscreenForm::VerifyPassword() {
  const std::string system = context_.systemFolder.empty() ? systemFolder() : context_.systemFolder;
  return vantor::VerifyPassword(intptr_t(winId()), true, context_.registry, system);
}

void TFullscreenForm::CloseWindow() {
  close();
}

void TFullscreenForm::SetSaverFlag(bool running) {
  if (!handStarted_) return;
  if (running)
    inhibitor_.inhibit();
  else
    inhibitor_.release();
}

}  // namespace vantor
