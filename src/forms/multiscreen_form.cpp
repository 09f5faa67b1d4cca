#include "forms/multiscreen_form.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPixmap>
#include <QPointer>
#include <QScreen>

#include "forms/preview_geometry.h"
#include "gfx/qimage_view.h"

namespace vantor {

namespace {

// Counts the paints of the source window and its children, so that a mirror
// copies the screen only when what it shows may have changed: between
// transitions the show's picture stands still for seconds.
class PaintWatch : public QObject {
 public:
  uint64_t paints = 1;
  QPointer<QWidget> source;

 protected:
  bool eventFilter(QObject *watched, QEvent *event) override {
    if (event->type() == QEvent::Paint && source && watched->isWidgetType()) {
      auto *widget = static_cast<QWidget *>(watched);
      if (widget == source || source->isAncestorOf(widget)) ++paints;
    }
    return false;
  }
};

struct MirrorState {
  QPointer<QWidget> source;
  bool imageSameMonitor = true;
  std::vector<TMultiScreenForm *> mirrors;
  PaintWatch watch;
};

MirrorState &state() {
  static MirrorState s;
  return s;
}

}  // namespace

TMultiScreenForm::TMultiScreenForm()
    : QWidget(nullptr, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  QPalette black = palette();
  black.setColor(QPalette::Window, Qt::black);
  setPalette(black);
  timer1_.setInterval(kCopyIntervalMs);
  connect(&timer1_, &QTimer::timeout, this, [this] { Timer1Timer(); });
  timer1_.start();
}

void TMultiScreenForm::Timer1Timer() {
  try {
    MirrorState &s = state();
    if (!s.imageSameMonitor || !s.source || !s.source->isVisible()) return;
    const bool sameSize = shown_.width() == width() && shown_.height() == height();
    if (sameSize && copiedPaints_ == s.watch.paints) return;
    copiedPaints_ = s.watch.paints;
    // The source window's contents as they are on the screen.
    QScreen *screen = s.source->screen();
    if (!screen) return;
    const gfx::Bitmap source =
        gfx::bitmapFromQImage(screen->grabWindow(s.source->winId()).toImage());
    if (!sameSize) shown_ = gfx::Bitmap(width(), height());
    MirrorStretch(shown_, source);
    update();
  } catch (...) {
    // A missed copy is made up 25 ms later.
  }
}

void TMultiScreenForm::paintEvent(QPaintEvent *) {
  QPainter painter(this);
  if (shown_.empty())
    painter.fillRect(rect(), Qt::black);
  else
    painter.drawImage(0, 0, gfx::qimageView(shown_));
}

void SetMirrorSource(QWidget *source, bool imageSameMonitor) {
  state().source = source;
  state().watch.source = source;
  state().imageSameMonitor = imageSameMonitor;
}

void CreateMirrors() {
  MirrorState &s = state();
  const QList<QScreen *> screens = QGuiApplication::screens();
  if (screens.isEmpty() || !s.mirrors.empty()) return;
  if (screens.size() > 1) qApp->installEventFilter(&s.watch);
  for (qsizetype m = 1; m < screens.size(); ++m) {
    auto *form = new TMultiScreenForm;
    form->setAttribute(Qt::WA_DeleteOnClose, false);
    form->show();
    form->setGeometry(screens[m]->geometry());
    form->raise();
    s.mirrors.push_back(form);
  }
}

void FreeMirrors() {
  MirrorState &s = state();
  // The show often ends inside the delivery of a key or click over a mirror,
  // and Qt goes on using the receiver after the filters have run: the
  // mirrors go off the screen now and are deleted once that delivery is over.
  for (TMultiScreenForm *form : s.mirrors) {
    try {
      form->Timer1().stop();
      form->hide();
      form->deleteLater();
    } catch (...) {
    }
  }
  s.mirrors.clear();
  if (qApp) qApp->removeEventFilter(&s.watch);
}

const std::vector<TMultiScreenForm *> &Mirrors() {
  return state().mirrors;
}

}  // namespace vantor
