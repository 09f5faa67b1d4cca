#include "preview/hack_form.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QShowEvent>

#include "gfx/black_window.h"
#include "music/music_set.h"
#include "music/qt_music_host.h"
#include "preview/preview_form.h"
#include "settings/saver_setting.h"
#include "show/run_vantorscreen_qt.h"

namespace vantor {

THackForm::THackForm(HackContext context, uint32_t window, bool settingsPreview)
    : QWidget(nullptr), context_(std::move(context)), window_(window) {
  setAutoFillBackground(true);
  setPalette(gfx::blackWindow(palette()));
  setWindowTitle(QString::fromStdString(context_.show.settings.ScrName));
  // The daemon's window owns the input; nothing of it is ours to take.
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setFocusPolicy(Qt::NoFocus);
  const ForeignParent parent{int32_t(window)};
  std::optional<gfx::Point> origin;
  if (window == 0) {
    // The root window: a window of our own over its whole area, unmanaged
    // and below every other, stands for drawing on it.
    setWindowFlags(Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint |
                   Qt::WindowDoesNotAcceptFocus);
    const QRect all = QGuiApplication::primaryScreen()->virtualGeometry();
    setGeometry(all);
    size_ = gfx::Size{all.width(), all.height()};
    origin = gfx::Point{all.x(), all.y()};
    showable_ = true;
  } else {
    size_ = parent.Size();
    origin = parent.ScreenOrigin();
    // The daemon hides the pointer over its window; a window of Qt's would
    // show the arrow there unless told otherwise.
    if (!settingsPreview) setCursor(Qt::BlankCursor);
    if (size_) {
      setWindowFlag(Qt::WindowDoesNotAcceptFocus);
      parent.Embed(this);
      setGeometry(0, 0, size_->width, size_->height);
      showable_ = true;
    }
    watch_.setInterval(250);
    connect(&watch_, &QTimer::timeout, this, [this] { Poll(); });
    watch_.start();
  }
  // One process runs per monitor and one sound is enough: the one whose
  // window starts at the screen's top-left corner plays it. The settings
  // app's preview pane stays silent, like every preview.
  playsMusic_ = !settingsPreview && origin && origin->x == 0 && origin->y == 0;
  if (playsMusic_)
    music_ = std::make_unique<MusicSet>(context_.music, std::make_unique<QtMusicHost>());
}

THackForm::~THackForm() {
  watch_.stop();
  try {
    if (music_) music_->StopMusic(true);
    if (runner_) {
      runner_->FTimer().setEnabled(false);
      runner_->FScreen().StopAnimation();
    }
    runner_.reset();
  } catch (...) {
    // The program ends whatever happens here.
  }
}

void THackForm::Start() {
  if (!showable_) return;
  // A window of our own on the root stays below the desktop's windows.
  show();
  if (window_ == 0) lower();
}

void THackForm::showEvent(QShowEvent *event) {
  QWidget::showEvent(event);
  if (event->spontaneous() || runner_) return;
  if (music_) music_->StartMusic();
  runner_ = CreateRunVantorscreen(this, false, context_.show, [this](bool mp3) {
    if (music_) music_->setMediaPlayerMp3(mp3);
  });
}

void THackForm::Poll() {
  const std::optional<gfx::Size> now = ForeignParent(int32_t(window_)).Size();
  if (!now) {
    QCoreApplication::exit(0);
    return;
  }
  if (now != size_) {
    size_ = now;
    setGeometry(0, 0, now->width, now->height);
  }
}

}  // namespace vantor
