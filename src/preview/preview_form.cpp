#include "preview/preview_form.h"

#include <cstdlib>

#include <xcb/xcb.h>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QShowEvent>
#include <QWindow>

#include "gfx/black_window.h"
#include "settings/saver_setting.h"
#include "show/run_vantorscreen_qt.h"

namespace vantor {

namespace {

xcb_connection_t *x11Connection() {
  auto *x11 = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  return x11 ? x11->connection() : nullptr;
}

}  // namespace

std::optional<gfx::Size> ForeignParent::Size() const {
  xcb_connection_t *c = x11Connection();
  if (!c || window_ == 0) return std::nullopt;
  xcb_generic_error_t *error = nullptr;
  xcb_get_geometry_reply_t *reply =
      xcb_get_geometry_reply(c, xcb_get_geometry(c, xcb_window_t(window_)), &error);
  std::free(error);
  if (!reply) return std::nullopt;
  const gfx::Size size{reply->width, reply->height};
  std::free(reply);
  return size;
}

std::optional<gfx::Point> ForeignParent::ScreenOrigin() const {
  xcb_connection_t *c = x11Connection();
  if (!c || window_ == 0) return std::nullopt;
  const xcb_window_t window = xcb_window_t(window_);
  xcb_generic_error_t *error = nullptr;
  xcb_get_geometry_reply_t *geometry =
      xcb_get_geometry_reply(c, xcb_get_geometry(c, window), &error);
  std::free(error);
  if (!geometry) return std::nullopt;
  const xcb_window_t root = geometry->root;
  std::free(geometry);
  error = nullptr;
  xcb_translate_coordinates_reply_t *at =
      xcb_translate_coordinates_reply(c, xcb_translate_coordinates(c, window, root, 0, 0), &error);
  std::free(error);
  if (!at) return std::nullopt;
  const gfx::Point origin{at->dst_x, at->dst_y};
  std::free(at);
  return origin;
}

void ForeignParent::Embed(QWidget *form) const {
  // The native window exists first, then becomes a child of the foreign one.
  // The foreign window's stand-in belongs to the application, which outlives
  // every form.
  form->setWindowFlag(Qt::FramelessWindowHint);
  form->winId();
  QWindow *parent = QWindow::fromWinId(WId(uint32_t(window_)));
  static_cast<QObject *>(parent)->setParent(qApp);
  form->windowHandle()->setParent(parent);
}

void ForeignParent::WatchFrom(QObject *owner, QTimer &timer) const {
  timer.setInterval(250);
  QObject::connect(&timer, &QTimer::timeout, owner, [parent = *this] {
    if (!parent.Size()) QCoreApplication::exit(0);
  });
  timer.start();
}

bool SetUpPreviewForm(QWidget *form, const std::string &title, int32_t parentWindow,
                      gfx::Size designClient, QTimer &parentWatch) {
  // Qt paints a window's background only without WA_NoSystemBackground;
  // in transparent mode the black shows through the control's keyed pixels.
  form->setAutoFillBackground(true);
  form->setPalette(gfx::blackWindow(form->palette()));
  form->setWindowTitle(QString::fromStdString(title));
  const ForeignParent parent(parentWindow);
  if (!parent.named()) {
    form->resize(designClient.width, designClient.height);
    return true;
  }
  // A parent that is already gone ends the program at the first poll.
  const std::optional<gfx::Size> size = parent.Size();
  if (size) {
    parent.Embed(form);
    const gfx::Rect client = PlacePreview(designClient, kPreviewFrame, {}, size).client;
    form->setGeometry(client.left, client.top, client.width(), client.height());
  }
  parent.WatchFrom(form, parentWatch);
  return size.has_value();
}

TPreviewForm::TPreviewForm(PreviewContext context)
    : QWidget(nullptr), context_(std::move(context)) {
  showable_ = SetUpPreviewForm(this, context_.show.settings.ScrName, context_.parentWindow,
                               kDesignSize, parentWatch_);
}

TPreviewForm::~TPreviewForm() {
  parentWatch_.stop();
  if (!runner_) return;
  runner_->FTimer().setEnabled(false);
  runner_->FScreen().StopAnimation();
  runner_.reset();
}

void TPreviewForm::showEvent(QShowEvent *event) {
  QWidget::showEvent(event);
  if (!event->spontaneous() && !runner_) FormShow();
}

void TPreviewForm::FormShow() {
  // The program has no taskbar window besides its forms, and a child window
  // is never in the taskbar: nothing to hide. The runner's control fills the
  // client area, so it works at the miniature's size.
  runner_ = CreateRunVantorscreen(this, true, context_.show);
}

}  // namespace vantor
