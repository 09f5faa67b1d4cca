#pragma once
// The slideshow in miniature: the desktop's screen-saver settings start the
// program with /p and the id of an X11 window, and the preview form lives
// inside that window as a child. It plays the slideshow in preview mode (no
// captions, no background picture, no music), watches no input and leaves the
// pointer alone. With window 0 it is an ordinary top-level window.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include <QTimer>
#include <QWidget>

#include "preview/preview_geometry.h"
#include "show/run_vantorscreen.h"
#include "show/run_vantorscreen_qt.h"

namespace vantor {

// The foreign window a preview form lives in, reached through the X11
// connection of Qt's xcb platform.
class ForeignParent {
 public:
  explicit ForeignParent(int32_t window) : window_(window) {}
  bool named() const { return window_ != 0; }
  // The window's size now; nothing when it no longer exists (or no X11
  // connection is there to ask).
  std::optional<gfx::Size> Size() const;
  // Where the window's top-left corner lies on its screen; nothing when it
  // no longer exists.
  std::optional<gfx::Point> ScreenOrigin() const;
  // Makes `form`'s native window a child of the foreign window.
  void Embed(QWidget *form) const;
  // Polls the foreign window every 250 ms and quits the application once it
  // is gone: the desktop destroys it when its settings close, and a preview
  // left with nowhere to draw must not keep running.
  void WatchFrom(QObject *owner, QTimer &timer) const;

 private:
  int32_t window_;
};

// Sets a preview form up: black, titled, embedded and placed in the
// desktop's window `parentWindow` (or at its design size with window 0).
// False when the parent is named but already gone: the form must not show,
// and the program ends at the first poll.
bool SetUpPreviewForm(QWidget *form, const std::string &title, int32_t parentWindow,
                      gfx::Size designClient, QTimer &parentWatch);

// What the live preview reads of the start-up state.
struct PreviewContext {
  ShowContext show;
  int32_t parentWindow = 0;  // the desktop's window to live in; 0: none
};

class TPreviewForm : public QWidget {
 public:
  static constexpr gfx::Size kDesignSize{517, 392};

  explicit TPreviewForm(PreviewContext context);
  ~TPreviewForm() override;

  // Shows the form unless its parent is already gone.
  void Start() {
    if (showable_) show();
  }
  TRunVantorscreen *Runner() { return runner_.get(); }

 protected:
  void showEvent(QShowEvent *event) override;

 private:
  void FormShow();

  PreviewContext context_;
  QTimer parentWatch_;
  bool showable_ = false;
  std::unique_ptr<TRunVantorscreen> runner_;
};

}  // namespace vantor
